#include "cli/CommandTable.h"
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace lumo::cli {

namespace {
std::vector<Command>& table() {
    static std::vector<Command> commands;
    return commands;
}
} // namespace

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
    if (!folder.isDir())
        return QStringLiteral("\"%1\": the folder %2 does not exist")
            .arg(out, QDir::toNativeSeparators(folder.absoluteFilePath()));
    if (file.exists() && (!file.isFile() || !file.isWritable()))
        return QStringLiteral("\"%1\": the file cannot be written").arg(out);
    if (!file.exists() && !folder.isWritable())
        return QStringLiteral("\"%1\": the folder %2 cannot be written to")
            .arg(out, QDir::toNativeSeparators(folder.absoluteFilePath()));
    return {};
}

} // namespace lumo::cli
