#include "files/ui/FileCommands.h"
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace lumo {

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
    for (;;) {
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
        const QString chosen = dialog.selectedFiles().front();
        // The open dialog returns no read-only file: the file is loaded to be saved again.
        if (opening && !QFileInfo(chosen).isWritable()) {
            QMessageBox::warning(m_parent, request.title,
                                 QStringLiteral("%1\nThis file is read-only.").arg(chosen));
            continue;
        }
        return chosen;
    }
}

FileCommands::FileCommands(QWidget* parent, ParameterModel& model, const Texts& texts,
                           Messenger& messenger, FileDialogs* dialogs)
    : m_ownDialogs(dialogs ? nullptr : std::make_unique<QtFileDialogs>(parent)),
      m_commands(model, texts, messenger, dialogs ? *dialogs : *m_ownDialogs) {}

} // namespace lumo
