// Feeds arbitrary bytes to the INI reader behind Config.ini, label files and language packs:
// the document must give back every byte unchanged, a key set in it must read back, other
// keys must keep their values, and the language-pack reader and check must cope.
#include "platform/AppConfig.h"
#include "platform/IniDocument.h"
#include "texts/LanguagePack.h"
#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumo::IniDocument doc(bytes);
    if (doc.toBytes() != bytes)
        std::abort();

    // What the program reads from Config.ini and label files.
    (void)doc.readInt(QStringLiteral("Setup"), QStringLiteral("COM"), 1);
    (void)doc.readString(QStringLiteral("Setup"), QStringLiteral("Lang"), QStringLiteral("x"));
    (void)doc.readString(QStringLiteral("Ports"), QStringLiteral("COM1"));
    const QStringList sections = doc.sections();
    QList<std::pair<QString, QString>> keys;
    for (const QString& s : sections)
        for (const QString& k : doc.keys(s))
            keys.append({s, k});

    // Setting one key changes that key only.
    lumo::IniDocument changed = doc;
    if (!changed.setValue(QStringLiteral("Setup"), QStringLiteral("COM"), QStringLiteral("7")))
        std::abort();
    if (changed.readInt(QStringLiteral("Setup"), QStringLiteral("COM"), 1) != 7)
        std::abort();
    // Each look-up walks the document; a spread of keys keeps a long input from crawling.
    const qsizetype stride = std::max<qsizetype>(1, keys.size() / 256);
    for (qsizetype i = 0; i < keys.size(); i += stride) {
        const auto& [s, k] = keys[i];
        if (s.compare(QLatin1String("Setup"), Qt::CaseInsensitive) == 0 &&
            k.compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0)
            continue;
        if (changed.value(s, k) != doc.value(s, k))
            std::abort();
    }
    // A changed document reads back the same after a save.
    if (lumo::IniDocument(changed.toBytes()).toBytes() != changed.toBytes())
        std::abort();

    // Language packs.
    const lumo::language::PackFile pack = lumo::language::parsePack(bytes);
    (void)lumo::language::checkPack(pack);
    return 0;
}
