#pragma once
#include "files/ReadBackups.h"
#include "shell/ShellPart.h"
#include <QObject>
#include <functional>

namespace lumo {

class Shell;

// The backups' part of the main window: it keeps every read the other parts hand to the
// shell as a settings file in "Zálohy" in the working folder, says so when a read was
// incomplete and names the file and the reason when a backup fails, and offers "Složka záloh"
// (Slokazloh1) in the Soubor menu. `[Setup] Backup=0` in Config.ini turns off the backups of
// reads; a backup taken before a write has its own switch with the local link.
class BackupUi : public QObject, public ShellPart {
    Q_OBJECT
public:
    // Opens a folder on the desktop; the default asks the desktop's file manager.
    using Opener = std::function<void(const QString& folder)>;

    explicit BackupUi(Opener opener = {}, ReadBackups::Saver saver = {});

    void attach(Shell& shell) override;
    void readConfig(const AppConfig& config) override;

    // Keeps one backup; false when backups of reads are off or the save failed (reported).
    bool keep(const BackupRequest& request);
    // "Složka záloh": the folder, created when missing, opened on the desktop.
    void openFolder();
    // The folder the backups go to, in the working folder as it is now.
    static QString folder();
    bool enabled() const { return m_enabled; }

private:
    Shell* m_shell = nullptr;
    Opener m_open;
    ReadBackups::Saver m_saver;
    bool m_enabled = true;
};

} // namespace lumo
