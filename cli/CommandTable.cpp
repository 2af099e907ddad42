#include "cli/CommandTable.h"
#include "texts/LanguagePack.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace lumo::cli {

namespace {
std::vector<Command>& table() {
    static std::vector<Command> commands;
    return commands;
}
Texts& texts() {
    static Texts active;
    return active;
}
} // namespace

const Texts& activeTexts() {
    return texts();
}

int useLanguagePack(const QString& path) {
    // Said in the built-in texts: the pack is what failed.
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("\"%1\": %2").arg(path, texts().message(58)));
    Texts loaded;
    if (!loadLanguagePack(path, loaded))
        return fail(QStringLiteral("\"%1\": ").arg(path) + language::kLanguageFileError);
    texts() = loaded;
    return Success;
}

bool registerCommand(Command command) {
    table().push_back(std::move(command));
    return true;
}

const std::vector<Command>& commands() {
    return table();
}

void printOut(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printErr(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

int usage(const QString& synopsis) {
    printErr(QStringLiteral("usage: lumo-cli ") + synopsis);
    return Usage;
}

int fail(const QString& message) {
    printErr(message);
    return Failure;
}

void ConsoleMessenger::message(const QString& text, const QString& title) {
    printErr(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
}

bool ConsoleMessenger::ask(const QString& title, const QString& text, Icon, bool) {
    printErr(title + QStringLiteral(": ") + text);
    return false;
}

// Whether OUT can be written: its folder exists and takes new files, and an existing OUT is
// a writable file. Checked before a read spends its time on the unit.
QString outputProblem(const QString& out) {
    const QFileInfo file(out);
    const QFileInfo folder(file.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.isDir())
        return activeTexts().message(cliText::kFolderMissing).arg(out, folderName);
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return activeTexts().message(cliText::kFileNotWritable).arg(out);
    if (!file.exists() && !folder.isWritable())
        return activeTexts().message(cliText::kFolderNotWritable).arg(out, folderName);
    return {};
}

} // namespace lumo::cli
