// Language packs: check a translator's pack against the built-in table, export the built-in
// Czech pack.
#include "cli/CommandTable.h"
#include "platform/AtomicFile.h"
#include "texts/FileErrorText.h"
#include "texts/LanguagePack.h"
#include "texts/Texts.h"
#include <QFileInfo>

namespace lumo::cli {

namespace {

const QString kSynopsis = QStringLiteral("lang check PACK.lng | lang export OUT.lng");

QString keyName(const TextKey& key) {
    return sectionName(key.section) + QLatin1Char(' ') + QString::number(key.key);
}

int runCheck(const QString& path) {
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("\"%1\": %2").arg(path, activeTexts().message(58)));
    const language::PackFile pack = language::readPack(path);
    if (!pack.readable)
        return fail(activeTexts().message(cliText::kPackUnreadable).arg(path));
    const language::PackCheck check = language::checkPack(pack);
    printOut(QStringLiteral("%1: %2, %3 keys")
                 .arg(path, pack.utf8 ? QStringLiteral("UTF-8") : QStringLiteral("code page 1250"))
                 .arg(pack.entries.size()));
    for (const TextKey& key : check.missing)
        printOut(QStringLiteral("missing  %1 (shows \"%2\")")
                     .arg(keyName(key), Texts().get(key).replace(QLatin1Char('\n'), ' ')));
    for (const TextKey& key : check.empty)
        printOut(QStringLiteral("empty    %1").arg(keyName(key)));
    for (const language::PackEntry& e : check.unknown)
        printOut(QStringLiteral("unknown  [%1] %2 (line %3)").arg(e.section, e.key).arg(e.line));
    for (const language::PackEntry& e : check.overLong)
        printOut(QStringLiteral("too long [%1] %2 (line %3): %4 characters, at most %5")
                     .arg(e.section, e.key)
                     .arg(e.line)
                     .arg(e.value.size())
                     .arg(language::kMaxValueLength));
    for (int line : check.ignoredLines)
        printOut(QStringLiteral("ignored  line %1 (too long or not text)").arg(line));
    printOut(QStringLiteral("%1 missing, %2 empty, %3 unknown, %4 too long, %5 ignored lines")
                 .arg(check.missing.size())
                 .arg(check.empty.size())
                 .arg(check.unknown.size())
                 .arg(check.overLong.size())
                 .arg(check.ignoredLines.size()));
    return check.clean() ? Success : Failure;
}

int runExport(const QString& path) {
    FileError error;
    if (!saveFileAtomically(path, language::exportBuiltInPack(), &error))
        return fail(activeTexts()
                        .message(messageKey::kCannotSave)
                        .arg(path, fileErrorText(error, activeTexts())));
    return Success;
}

int runLang(const QStringList& args) {
    if (args.size() != 2)
        return usage(kSynopsis);
    if (args[0] == QLatin1String("check"))
        return runCheck(args[1]);
    if (args[0] == QLatin1String("export"))
        return runExport(args[1]);
    return usage(kSynopsis);
}

const bool registered = registerCommand({QStringLiteral("lang"), kSynopsis, runLang});

} // namespace

} // namespace lumo::cli
