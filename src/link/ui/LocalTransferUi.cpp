#include "link/ui/LocalTransferUi.h"
#include "files/ReadBackups.h"
#include "link/DeviceProblemText.h"
#include "link/TransferUsbLink.h"
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "link/ui/TForm6.h"
#include "link/ui/TForm7.h"
#include "link/ui/TForm9.h"
#include "params/Comparison.h"
#include "params/Validation.h"
#include "platform/AppConfig.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include "shell/Shell.h"
#include "shell/WriteGuard.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QAbstractButton>
#include <QTimer>

namespace lumo {

LocalTransferUi::LocalTransferUi(Shell& shell, LocalLinkState& link, QWidget* dialogParent)
    : m_shell(shell), m_link(link), m_model(shell.model()), m_texts(shell.texts()),
      m_messenger(shell.messenger()), m_data(m_model, m_texts, &m_messenger) {
    m_port.SetName(QStringLiteral("AfComPort1"));
    m_form6 = new TForm6(m_messenger, m_texts, dialogParent);
    m_form6->applyTexts(m_texts);
    m_form7 = new TForm7(m_model.params(), link, m_texts, dialogParent);
    m_form9 = new TForm9(m_texts, dialogParent);
    m_engine = std::make_unique<TransferEngine>(shell.clock(), m_data, *m_form6);
    m_commands =
        std::make_unique<LocalTransferCommands>(*m_engine, m_model, link, m_texts, m_messenger);
    m_commands->setConfirmation(m_form9);
    m_commands->setValidator([this](const ParameterSet& params) {
        return invalidValuesMessage(validateForUnit(params, m_texts), m_texts);
    });
    m_form6->setStopHandler([this] { m_commands->stop(); });
    m_form6->setIndicatorSink(
        [this](TransferIndicator i) { m_shell.indicator().set(indicatorRgb(i)); });
    m_usb = std::make_unique<TransferUsbLink>();
    m_serial.setExplainer(
        [this](const QString& path) { return serialPortProblemText(path, m_texts, m_devices); });
    m_usb->setExplainer(
        [this](const QString& serial) { return usbProblemText(serial, m_texts, m_devices); });
    m_form5 = new TForm5(
        link, m_texts,
        [this](bool ticked) {
            if (ticked) {
                if (!m_usb->isOpen())
                    m_usb->cable().OpenUsbCable();
            } else {
                m_usb->cable().MarkUsbClosed();
                m_usb->cable().SetAdapterState(QString());
            }
            selectLink();
        },
        dialogParent);
    selectLink();
    // Only the automatic first port check at start-up fails silently.
    m_commands->quietNextTransfer();
}

LocalTransferUi::~LocalTransferUi() {
    m_commands.reset();
    m_engine.reset();
    if (m_port.PortIsOpen())
        m_port.PortClose();
}

void LocalTransferUi::attach(Shell& shell) {
    using C = LocalTransferCommands::Command;
    const struct {
        const char* name;
        C command;
        int textKey;
    } commands[] = {
        {"Nastve1", C::ReadAll, 21},
        {"Nastnastaven1", C::ReadSettings, 22},
        {"Nastpamtisel1", C::ReadNumbers, 23},
        {"Uloitve1", C::WriteAll, 24},
        {"Ulotnastaven1", C::WriteSettings, 25},
        {"Uloitpamtisel1", C::WriteNumbers, 26},
    };
    CommandTable& table = shell.commands();
    for (const auto& c : commands)
        table.add(
            QString::fromLatin1(c.name), [this, command = c.command] { runCommand(command); },
            TextKey{TextSection::Menu, c.textKey});
    table.add(
        QStringLiteral("Nastavenportu1"), [this] { Nastavenportu1Click(); },
        TextKey{TextSection::Menu, 33});
    table.add(
        QStringLiteral("Ovitzpis1"), [this] { setVerifyWrites(!m_verify); },
        TextKey{TextSection::Menu, 71});
    table.setChecked(QStringLiteral("Ovitzpis1"), m_verify);
    table.add(QStringLiteral("StatusBar1"), [this] { StatusBar1Click(); });
    table.add(QStringLiteral("Panel1"), [this] { actionChoice(QStringLiteral("rezim")); });
    table.add(QStringLiteral("Panel2"), [this] { actionChoice(QStringLiteral("citac")); });
}

void LocalTransferUi::readConfig(const AppConfig& config) {
    m_link.settings.comPort = config.com;
    m_link.settings.useUsbCable = config.usb;
    m_link.settings.closePortMode = config.closePort;
    m_link.settings.serialTimeoutMs = config.timeOutRS;
    setVerifyWrites(config.verify);
    m_backupBeforeWrite = config.backupBeforeWrite;
    // The start-up's status read of the unit.
    m_link.portCheckRequested = true;
    // The box follows the link choice that Config.ini gave.
    m_form5->setUsbChosen(m_link.settings.useUsbCable);
}

void LocalTransferUi::writeConfig(AppConfig& config) const {
    config.usb = m_link.settings.useUsbCable;
    config.com = m_link.settings.comPort;
    config.verify = m_verify;
}

void LocalTransferUi::setVerifyWrites(bool on) {
    m_verify = on;
    m_shell.commands().setChecked(QStringLiteral("Ovitzpis1"), on);
}

void LocalTransferUi::startUpFinished() {
    if (m_link.settings.useUsbCable)
        openUsbAdapter();
}

void LocalTransferUi::applyTexts(const Texts& texts) {
    m_form6->applyTexts(texts);
    // The port and confirmation dialogs take their texts again when shown; they get them now
    // too, so that no window keeps a caption of the previous pack.
    m_form5->applyTexts();
    m_form9->setWindowTitle(texts.message(Msg::WarningTitle));
    if (auto* storno = m_form9->findChild<QAbstractButton*>(QStringLiteral("Button2")))
        storno->setText(texts.message(Msg::StornoButton));
}

void LocalTransferUi::portTick() {
    // An exchange whose end was not reported still frees the guard once it is over.
    if (m_ticket && !m_commands->busy())
        m_ticket.reset();
    const LocalLinkSettings& link = m_link.settings;
    m_shell.statusPanels().setText(StatusPanels::Link,
                                   link.useUsbCable
                                       ? QStringLiteral("USB:") + usbAdapterState()
                                       : QStringLiteral("COM:") + QString::number(link.comPort));
}

void LocalTransferUi::selectLink() {
    m_port.SetComNumber(m_link.settings.comPort);
    if (m_linkOverride)
        m_engine->setLink(m_linkOverride);
    else
        m_engine->setLink(m_link.settings.useUsbCable && m_usb
                              ? m_usb.get()
                              : static_cast<TransferLink*>(&m_serial));
}

bool LocalTransferUi::beginExchange() {
    if (m_shell.busy())
        return false; // one exchange at a time, local or remote
    m_ticket = m_shell.guard().acquire(QStringLiteral("local"));
    return bool(m_ticket);
}

void LocalTransferUi::runCommand(LocalTransferCommands::Command command) {
    if (m_shell.busy())
        return;
    const bool writes = LocalTransferCommands::isWrite(command);
    // Asked before the link is taken: No leaves everything as it was, with nothing sent.
    if (writes && !writeGuardPasses(m_model.cameFromUnitOrFile(), m_messenger, m_texts))
        return;
    if (!beginExchange())
        return;
    selectLink();
    auto start = [this, command] {
        if (m_verify && LocalTransferCommands::isWrite(command))
            return m_commands->runVerified(command, [this, command](const WriteCheck& check) {
                m_ticket.reset();
                if (check.outcome != WriteCheck::Outcome::WriteFailed)
                    noteDone(command);
                // The answer comes once the transfer's own call has returned, not inside it.
                QTimer::singleShot(0, this, [this, check] { showWriteCheck(check); });
            });
        return m_commands->run(command, [this, command](bool ok) {
            m_ticket.reset();
            commandEnded(command, ok);
        });
    };
    if (writes && backupDue(command)) {
        // The unit's memory goes into a backup first; the write follows as it would without.
        const bool started = m_commands->backupBeforeWrite(writeBackup(), [this, start](bool go) {
            if (!go || !start())
                m_ticket.reset();
        });
        if (!started)
            m_ticket.reset();
        return;
    }
    if (!start())
        m_ticket.reset();
}

bool LocalTransferUi::backupDue(LocalTransferCommands::Command command) const {
    using C = LocalTransferCommands::Command;
    if (!m_backupBeforeWrite)
        return false;
    const bool settings = command == C::WriteAll || command == C::WriteSettings;
    const bool numbers = command == C::WriteAll || command == C::WriteNumbers;
    return (settings && !m_settingsRead) || (numbers && !m_numbersRead);
}

LocalTransferCommands::WriteBackup LocalTransferUi::writeBackup() {
    LocalTransferCommands::WriteBackup backup;
    backup.keep = [this](const ParameterModel& side, bool complete) {
        if (complete)
            m_settingsRead = m_numbersRead = true;
        return m_shell.keepBackup({BackupRequest::Kind::BeforeWrite, complete, &side.params()});
    };
    backup.writeAnyway = [this] {
        return m_messenger.ask(m_texts.message(Msg::WarningTitle),
                               m_texts.message(Msg::BackupBeforeWriteFailed),
                               Messenger::Icon::Warning, true);
    };
    return backup;
}

void LocalTransferUi::noteRead(const ReadReport& read) {
    if (read.settingsRead)
        m_settingsRead = true;
    if (read.memoriesRead == 128)
        m_numbersRead = true;
}

void LocalTransferUi::commandEnded(LocalTransferCommands::Command command, bool ok) {
    using C = LocalTransferCommands::Command;
    if (ok)
        noteDone(command);
    else
        reportPartialRead();
    if (LocalTransferCommands::isWrite(command))
        return;
    const ReadReport read = m_commands->readReport();
    noteRead(read);
    // Whatever came in is kept, a read that failed half-way as incomplete.
    if (!read.anyRead())
        return;
    const BackupRequest::Kind kind = command == C::ReadAll        ? BackupRequest::Kind::All
                                     : command == C::ReadSettings ? BackupRequest::Kind::Settings
                                                                  : BackupRequest::Kind::Numbers;
    m_shell.keepBackup({kind, ok, &m_model.params()});
}

void LocalTransferUi::showWriteCheck(const WriteCheck& check) {
    switch (check.outcome) {
    case WriteCheck::Outcome::WriteFailed:
        return; // the write has said why
    case WriteCheck::Outcome::ReadBackFailed:
        m_messenger.message(m_texts.message(Msg::ReadBackFailed));
        return;
    case WriteCheck::Outcome::Verified:
        m_messenger.message(m_texts.message(Msg::WriteVerified));
        return;
    case WriteCheck::Outcome::Differs:
        break;
    }
    CompareRequest request;
    request.other = heldForComparison(m_model.params(), check);
    request.title = m_texts.message(Msg::WriteNotVerified);
    request.otherHeader = m_texts.message(Msg::ReadBackColumn);
    // What the unit holds is no value to take: the write is to be repeated.
    request.allowTake = false;
    m_shell.showComparison(request);
}

void LocalTransferUi::noteDone(LocalTransferCommands::Command command) {
    using C = LocalTransferCommands::Command;
    int key = Msg::NoteReadAll;
    switch (command) {
    case C::ReadAll:
        key = Msg::NoteReadAll;
        break;
    case C::ReadSettings:
        key = Msg::NoteReadSettings;
        break;
    case C::ReadNumbers:
        key = Msg::NoteReadNumbers;
        break;
    case C::WriteAll:
        key = Msg::NoteWriteAll;
        break;
    case C::WriteSettings:
        key = Msg::NoteWriteSettings;
        break;
    case C::WriteNumbers:
        key = Msg::NoteWriteNumbers;
        break;
    }
    m_shell.showNote(m_texts.message(key).arg(m_shell.timeOfDay()));
}

void LocalTransferUi::reportPartialRead() {
    // The fields may hold a mix of what was read and what was there before; say which is which.
    const ReadReport& report = m_commands->readReport();
    if (!report.started || (!report.settingsWanted && !report.numbersWanted) || report.complete())
        return;
    m_messenger.warning(partialReadMessage(report, m_texts));
}

bool LocalTransferUi::readUnitInto(ParameterModel& side, std::function<void(bool ok)> done) {
    if (!beginExchange())
        return false;
    selectLink();
    const bool started = m_commands->readInto(
        side, LocalTransferCommands::Command::ReadAll,
        [this, &side, done = std::move(done)](bool ok) {
            m_ticket.reset();
            // A read into a side set is a read of the unit all the same.
            const ReadReport read = m_commands->readReport();
            noteRead(read);
            if (read.anyRead())
                m_shell.keepBackup({BackupRequest::Kind::All, ok, &side.params()});
            if (done)
                done(ok);
        });
    if (!started)
        m_ticket.reset();
    return started;
}

void LocalTransferUi::portCheck() {
    if (!m_link.portCheckRequested || !beginExchange())
        return;
    selectLink();
    if (!m_commands->portCheck([this](const TransferResult&) { m_ticket.reset(); }))
        m_ticket.reset();
}

void LocalTransferUi::openUsbAdapter() {
    m_usb->cable().OpenUsbCable();
}

QString LocalTransferUi::usbAdapterState() const {
    return m_usb->cable().AdapterState();
}

void LocalTransferUi::StatusBar1Click() {
    const bool usb = m_link.settings.useUsbCable;
    if (usb)
        openUsbAdapter();
    const QString adapter = usb ? usbAdapterState() : QStringLiteral("--");
    if (usb && adapter == QLatin1String("--"))
        m_messenger.warning(m_texts.message(Msg::CommunicationError) + '\n' +
                            usbProblemText(UsbCable::kSerialNumber, m_texts, m_devices));
    else
        m_link.portCheckRequested = true;
}

void LocalTransferUi::setDeviceTree(const DeviceTree& tree) {
    m_devices = tree;
    m_form5->setDeviceTree(tree);
}

void LocalTransferUi::actionChoice(const QString& kind) {
    m_form7->setAction(kind);
    m_form7->exec();
}

void LocalTransferUi::Nastavenportu1Click() {
    m_form5->portGroup()->SetPortNumber(m_port.ComNumber());
    const QString deviceBefore = m_port.DevicePath();
    m_form5->exec();
    storeDeviceChoices(m_form5->deviceChoices());
    const int chosen = m_form5->portGroup()->PortNumber();
    // The component closes and reopens an open port on a new number.
    if (chosen > 0 && chosen != m_port.ComNumber()) {
        m_link.settings.comPort = chosen;
        try {
            m_port.SetComNumber(chosen);
        } catch (const EAfError& e) {
            // Left closed; the next transfer window reports the port again.
            reportReopenFailed(e.Message());
        }
    } else if (m_port.PortIsOpen() && m_port.DevicePath() != deviceBefore) {
        // The same number on another device: an open port moves to it.
        m_port.PortClose();
        try {
            m_port.PortOpen();
        } catch (const EAfError& e) {
            reportReopenFailed(e.Message());
        }
    }
    selectLink();
}

void LocalTransferUi::storeDeviceChoices(const std::map<int, QString>& choices) {
    const QString folder = workingFolder::current();
    for (const auto& [port, path] : choices) {
        FileError error;
        if (!storePortDevicePath(folder, port, path, &error)) {
            m_messenger.warning(
                m_texts.message(deviceText::kMappingNotStored)
                    .arg(config::configPath(folder), fileErrorText(error, m_texts)));
            // The choice still holds for this run.
            setPortDeviceOverride(port, path);
        } else if (hasPortDeviceOverride(port)) {
            // A port the simulator had taken follows the user's choice too.
            setPortDeviceOverride(port, path);
        }
    }
}

void LocalTransferUi::reportReopenFailed(const QString& componentError) {
    const QString why = serialPortProblemText(m_port.DevicePath(), m_texts, m_devices);
    m_messenger.warning(m_texts.message(Msg::WrongPort) + '\n' +
                        (why.isEmpty() ? componentError : why));
}

} // namespace lumo
