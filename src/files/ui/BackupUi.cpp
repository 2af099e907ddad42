#include "files/ui/BackupUi.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include "shell/Shell.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace lumo {

BackupUi::BackupUi(Opener opener, ReadBackups::Saver saver)
    : m_open(std::move(opener)), m_saver(std::move(saver)) {
    if (!m_open)
        m_open = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

void BackupUi::attach(Shell& shell) {
    m_shell = &shell;
    shell.setBackupKeeper([this](const BackupRequest& request) { return keep(request); });
    shell.commands().add(
        QStringLiteral("Slokazloh1"), [this] { openFolder(); }, TextKey{TextSection::Menu, 19});
}

void BackupUi::readConfig(const AppConfig& config) {
    m_enabled = config.backup;
}

QString BackupUi::folder() {
    // An existing folder of another letter case is the same folder to the technician.
    return workingFolder::resolve(ReadBackups::folderName());
}

bool BackupUi::keep(const BackupRequest& request) {
    if (!m_shell || (!m_enabled && request.kind != BackupRequest::Kind::BeforeWrite))
        return false;
    const ReadBackups backups(folder(), m_saver);
    QString path;
    FileError error;
    const Texts& texts = m_shell->texts();
    if (!backups.save(request, m_shell->wallTime(), &path, &error)) {
        // The read itself stands; only its copy is missing, and the technician must know.
        m_shell->messenger().warning(
            texts.message(Msg::BackupNotSaved)
                .arg(QDir::toNativeSeparators(path), fileErrorText(error, texts)));
        return false;
    }
    if (!request.complete)
        m_shell->showNote(texts.message(Msg::BackupIncomplete).arg(QFileInfo(path).fileName()));
    else if (request.kind == BackupRequest::Kind::BeforeWrite)
        // The read nobody asked for shows where its copy went while the write goes out; a
        // read's own note ("Načteno vše") stays as it was.
        m_shell->showNote(texts.message(Msg::BackupSaved).arg(QFileInfo(path).fileName()));
    return true;
}

void BackupUi::openFolder() {
    if (!m_shell)
        return;
    const QString path = folder();
    FileError error;
    if (!ReadBackups(path).ensureFolder(&error)) {
        const Texts& texts = m_shell->texts();
        m_shell->messenger().warning(
            texts.message(Msg::BackupFolderFailed)
                .arg(QDir::toNativeSeparators(path), fileErrorText(error, texts)));
        return;
    }
    m_open(path);
}

} // namespace lumo
