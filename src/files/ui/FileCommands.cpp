#include "files/ui/FileCommands.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"
#include <QFileDialog>

namespace lumo {

namespace {
// "The file is read-only": a chosen file that could not be saved back.
constexpr int kMessageReadOnly = 90;
} // namespace

QString QtFileDialogs::toolkitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        const QStringList original = patterns;
        for (const QString& p : original)
            if (p.toLower() != p)
                patterns.append(p.toLower());
        entries.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtFileDialogs::run(const FileDialogRequest& request) {
    const bool opening = request.kind == FileDialogRequest::Kind::Open;
    QFileDialog dialog(m_parent, request.title, request.folder, toolkitFilter(request.filter));
    dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Open takes existing files only; Save needs an existing folder and asks about
    // overwriting itself (the command does that, with its own texts).
    dialog.setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A read-only file opens as any other (a write-protected stick, a shared folder);
    // only a later Save needs write access, and it says so when it fails.
    return dialog.selectedFiles().front();
}

QString QtFileDialogs::readOnlyMessage(const QString& fileName, const Texts& texts) {
    return fileName + QLatin1Char('\n') + texts.message(kMessageReadOnly);
}

FileCommands::FileCommands(QWidget* parent, ParameterModel& model, const Texts& texts,
                           Messenger& messenger, FileDialogs* dialogs)
    : m_ownDialogs(dialogs ? nullptr : std::make_unique<QtFileDialogs>(parent, texts, messenger)),
      m_commands(model, texts, messenger, dialogs ? *dialogs : *m_ownDialogs) {}

} // namespace lumo
