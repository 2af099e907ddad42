#include "link/ui/LocalTransferUi.h"
#include "app/TForm1.h"
#include "link/TransferUsbLink.h"
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "link/ui/TForm6.h"
#include "link/ui/TForm7.h"
#include "link/ui/TForm9.h"
#include "params/Validation.h"
#include "platform/Messenger.h"
#include <QAction>
#include <QColor>

namespace lumo {

namespace {
QColor indicatorColour(TransferIndicator indicator) {
    return QColor::fromRgb(indicatorRgb(indicator));
}
} // namespace

LocalTransferUi::LocalTransferUi(ParameterModel& model, LocalLinkState& link, Texts& texts,
                                 Messenger& messenger, QWidget* form1)
    : QObject(form1), m_model(model), m_link(link), m_texts(texts), m_messenger(messenger),
      m_form1(form1), m_data(model, texts, &messenger) {
    m_port.SetName(QStringLiteral("AfComPort1"));
    m_form6 = new TForm6(messenger, form1);
    m_form6->applyTexts(texts);
    m_form7 = new TForm7(model.params(), link, texts, form1);
    m_form9 = new TForm9(texts, form1);
    m_engine = std::make_unique<TransferEngine>(m_clock, m_data, *m_form6);
    m_commands = std::make_unique<LocalTransferCommands>(*m_engine, model, link, texts, messenger);
    m_commands->setConfirmation(m_form9);
    m_commands->setValidator([this](const ParameterSet& params) {
        return invalidValuesMessage(validateForUnit(params, m_texts), m_texts);
    });
    if (auto* main = qobject_cast<TForm1*>(form1)) {
        m_form6->setIndicatorSink(
            [main](TransferIndicator i) { main->setPortIndicator(indicatorColour(i)); });
        connect(main, &TForm1::textsApplied, this, [this] { m_form6->applyTexts(m_texts); });
    }
    m_usb = std::make_unique<TransferUsbLink>();
    m_form5 = new TForm5(
        link, texts,
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
        form1);
    selectLink();
}

LocalTransferUi::~LocalTransferUi() {
    m_commands.reset();
    m_engine.reset();
    if (m_port.PortIsOpen())
        m_port.PortClose();
}

LocalTransferUi* LocalTransferUi::attach(QWidget* form1, ParameterModel& model,
                                         LocalLinkState& link, Texts& texts, Messenger& messenger) {
    auto* ui = new LocalTransferUi(model, link, texts, messenger, form1);
    using C = LocalTransferCommands::Command;
    const std::pair<const char*, C> commands[] = {
        {"Nastve1", C::ReadAll},
        {"Nastnastaven1", C::ReadSettings},
        {"Nastpamtisel1", C::ReadNumbers},
        {"Uloitve1", C::WriteAll},
        {"Ulotnastaven1", C::WriteSettings},
        {"Uloitpamtisel1", C::WriteNumbers},
    };
    for (const auto& [name, command] : commands) {
        if (auto* action = form1->findChild<QAction*>(QString::fromLatin1(name))) {
            connect(action, &QAction::triggered, ui, [ui, c = command] { ui->runCommand(c); });
        }
    }
    if (auto* action = form1->findChild<QAction*>(QStringLiteral("Nastavenportu1")))
        connect(action, &QAction::triggered, ui, &LocalTransferUi::Nastavenportu1Click);
    if (auto* main = qobject_cast<TForm1*>(form1)) {
        ShellHooks& hooks = main->hooks();
        hooks.portCheck = [ui] { ui->portTimerTick(); };
        hooks.openUsbAdapter = [ui] { ui->openUsbAdapter(); };
        hooks.usbAdapterState = [ui] { return ui->usbAdapterState(); };
        hooks.actionChoice = [ui](const QString& kind) { ui->actionChoice(kind); };
        // The box follows the link choice that Config.ini gave.
        hooks.linkConfigured = [ui, &link] { ui->form5().setUsbChosen(link.settings.useUsbCable); };
    } else {
        ui->form5().setUsbChosen(link.settings.useUsbCable);
    }
    // Only the automatic first port check at start-up fails silently.
    ui->engine().quiet = true;
    return ui;
}

void LocalTransferUi::selectLink() {
    m_port.SetComNumber(m_link.settings.comPort);
    m_engine->setLink(m_link.settings.useUsbCable && m_usb ? m_usb.get()
                                                           : static_cast<TransferLink*>(&m_serial));
}

void LocalTransferUi::runCommand(LocalTransferCommands::Command command) {
    if (m_commands->busy())
        return; // one exchange at a time
    selectLink();
    m_commands->run(command);
}

void LocalTransferUi::portTimerTick() {
    if (m_commands->busy() || !m_link.portCheckRequested)
        return;
    selectLink();
    m_commands->portCheck();
}

void LocalTransferUi::openUsbAdapter() {
    m_usb->cable().OpenUsbCable();
}

QString LocalTransferUi::usbAdapterState() const {
    return m_usb->cable().AdapterState();
}

void LocalTransferUi::actionChoice(const QString& kind) {
    m_form7->setAction(kind);
    m_form7->exec();
}

void LocalTransferUi::Nastavenportu1Click() {
    m_form5->portGroup()->SetPortNumber(m_port.ComNumber());
    m_form5->exec();
    const int chosen = m_form5->portGroup()->PortNumber();
    // The component closes and reopens an open port on a new number.
    if (chosen > 0 && chosen != m_port.ComNumber()) {
        m_link.settings.comPort = chosen;
        try {
            m_port.SetComNumber(chosen);
        } catch (const EAfError&) {
            // Left closed: the next transfer window reports the port.
        }
    }
    selectLink();
}

} // namespace lumo
