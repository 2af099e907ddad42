#pragma once
#include "link/AfComPort.h"
#include "link/LocalLinkSettings.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "platform/DeviceTree.h"
#include "shell/ExchangeGuard.h"
#include "shell/ShellPart.h"
#include <QObject>
#include <map>
#include <memory>

class QWidget;

namespace lumo {

class Shell;
class TForm5;
class TForm6;
class TForm7;
class TForm9;

// The local link's part of the main window: the six commands of the "Vexo - vrátný" menu and
// the port selection (Nastve1 ... Uloitpamtisel1, Nastavenportu1), the status-bar link panel
// and its click (StatusBar1), the action choice of the mode and counter panels (Panel1,
// Panel2), the port check of the port timer, the transfer window, the write confirmation and
// the link settings of Config.ini. Every exchange holds the shell's exchange guard.
class LocalTransferUi : public QObject, public ShellPart {
    Q_OBJECT
public:
    // `dialogParent` owns the part's dialogs (the main window in the program).
    LocalTransferUi(Shell& shell, LocalLinkState& link, QWidget* dialogParent);
    ~LocalTransferUi() override;

    void attach(Shell& shell) override;
    void readConfig(const AppConfig& config) override;
    void writeConfig(AppConfig& config) const override;
    void startUpFinished() override;
    void applyTexts(const Texts& texts) override;
    void portTick() override;
    bool portCheckRequested() const override { return m_link.portCheckRequested; }
    void portCheck() override;
    bool busy() const override { return m_commands->busy(); }

    void runCommand(LocalTransferCommands::Command command);
    // "Ověřit zápis" (Config.ini Verify): every write is read back and checked.
    bool verifyWrites() const { return m_verify; }
    void setVerifyWrites(bool on);
    // Whether a write of `command` reads the unit into a backup first: on unless Config.ini
    // says BackupBeforeWrite=0, and only while this run has not read what the write replaces.
    bool backupDue(LocalTransferCommands::Command command) const;
    // Reads the unit's whole memory into `side` (the window untouched) with the exchange guard
    // held; false when nothing started. `done` is told whether the read completed.
    bool readUnitInto(ParameterModel& side, std::function<void(bool ok)> done);
    // Opens the USB adapter afresh (commands, status-bar click, ticking "USB cable").
    void openUsbAdapter();
    QString usbAdapterState() const;
    void actionChoice(const QString& kind);
    void Nastavenportu1Click();
    void StatusBar1Click();

    // A link in place of the serial port and the cable (tests); null goes back to them.
    void useLink(TransferLink* link) {
        m_linkOverride = link;
        selectLink();
    }

    TransferEngine& engine() { return *m_engine; }
    LocalTransferCommands& commands() { return *m_commands; }
    TAfComPort& port() { return m_port; }
    TForm5& form5() { return *m_form5; }
    TForm7& form7() { return *m_form7; }
    // Where devices are looked for when a port or the cable does not open (tests: a fake tree).
    void setDeviceTree(const DeviceTree& tree);
    const DeviceTree& deviceTree() const { return m_devices; }

private:
    void selectLink();
    // The status-bar note of a command that completed.
    void noteDone(LocalTransferCommands::Command command);
    // After a read that failed or was stopped: one message on what was read and what not.
    void reportPartialRead();
    // After a command: the note, what this run has read, and the backup of a read.
    void commandEnded(LocalTransferCommands::Command command, bool ok);
    void noteRead(const ReadReport& read);
    LocalTransferCommands::WriteBackup writeBackup();
    // Keeps the devices chosen in the port dialog in Config.ini (for this run when it cannot).
    void storeDeviceChoices(const std::map<int, QString>& choices);
    // The port did not open again after the dialog: the user is told why now.
    void reportReopenFailed(const QString& componentError);
    // Takes the exchange guard for one exchange; false while another exchange runs.
    bool beginExchange();
    // Tells the user how the read-back of a write compared with what was sent.
    void showWriteCheck(const WriteCheck& check);

    Shell& m_shell;
    LocalLinkState& m_link;
    ParameterModel& m_model;
    Texts& m_texts;
    Messenger& m_messenger;
    TAfComPort m_port;
    TransferSerialLink m_serial{m_port};
    std::unique_ptr<TransferUsbLink> m_usb;
    CodecTransferData m_data;
    TForm6* m_form6;
    TForm7* m_form7;
    TForm9* m_form9;
    TForm5* m_form5 = nullptr;
    std::unique_ptr<TransferEngine> m_engine;
    std::unique_ptr<LocalTransferCommands> m_commands;
    ExchangeGuard::Ticket m_ticket;
    TransferLink* m_linkOverride = nullptr;
    bool m_verify = false;
    DeviceTree m_devices;
    bool m_backupBeforeWrite = true;
    // What of the unit's memory this run has read whole.
    bool m_settingsRead = false;
    bool m_numbersRead = false;
};

} // namespace lumo
