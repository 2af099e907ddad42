// Feeds arbitrary bytes to the settings-file reader: it must either refuse the bytes and leave
// the parameter set untouched, or load them into a set that saves back without trouble.
#include "files/SettingsFile.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumo::ParameterSet params;
    const lumo::ParameterSet before = params;
    QString problem;
    if (!lumo::settingsFile::fromBytes(bytes, params, &problem)) {
        if (!params.sameValues(before) || problem.isEmpty())
            std::abort();
        return 0;
    }
    // A loaded set is written as a full file and reads back to the same values.
    const QByteArray saved = lumo::settingsFile::toBytes(params);
    if (saved.size() != 8550)
        std::abort();
    lumo::ParameterSet again;
    if (!lumo::settingsFile::fromBytes(saved, again) || lumo::settingsFile::toBytes(again) != saved)
        std::abort();
    return 0;
}
