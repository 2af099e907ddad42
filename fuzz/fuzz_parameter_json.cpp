// Feeds arbitrary bytes to the JSON reader of parameter sets: it must either refuse them with a
// reason and leave the set untouched, or load a set whose JSON form reads back to the same
// values and writes the same bytes again.
#include "files/ParameterJson.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumo::ParameterSet params;
    params.setText(QStringLiteral("Edit1"), QStringLiteral("42"));
    const lumo::ParameterSet before = params;
    QString problem;
    if (!lumo::parameterJson::fromJson(bytes, params, &problem)) {
        if (!params.sameValues(before) || problem.isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray json = lumo::parameterJson::toJson(params);
    lumo::ParameterSet again;
    if (!lumo::parameterJson::fromJson(json, again, &problem) || !again.sameValues(params) ||
        again.firmwareVersion() != params.firmwareVersion() ||
        lumo::parameterJson::toJson(again) != json)
        std::abort();
    return 0;
}
