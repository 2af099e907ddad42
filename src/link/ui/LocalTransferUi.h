#pragma once
#include "link/AfComPort.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "platform/SystemClock.h"
#include <QObject>
#include <memory>

class QWidget;

namespace lumo {

class Messenger;
class Texts;
class TForm5;
class TForm6;
class TForm7;
class TForm9;

// The local link's part of the main window: the six commands of the "Vexo - vrátný" menu, the
// port check of the port timer and the status bar, the transfer window, the write
// confirmation, the action choice and the port selection. attach() connects it to the main
// window's actions and hooks by object name.
class LocalTransferUi : public QObject {
    Q_OBJECT
public:
    LocalTransferUi(ParameterModel& model, LocalLinkState& link, Texts& texts, Messenger& messenger,
                    QWidget* form1);
    ~LocalTransferUi() override;

    // Creates the windows and wires the menu items (Nastve1 ... Uloitpamtisel1,
    // Nastavenportu1) and, when `form1` is the main window, its port-check, USB and action
    // hooks and the activity indicator. Raises the quiet flag of the first port check.
    static LocalTransferUi* attach(QWidget* form1, ParameterModel& model, LocalLinkState& link,
                                   Texts& texts, Messenger& messenger);

    void runCommand(LocalTransferCommands::Command command);
    // The port timer's port check (request raised): a status read when the link is usable.
    void portTimerTick();
    // Opens the USB adapter afresh (commands, status-bar click, ticking "USB cable").
    void openUsbAdapter();
    QString usbAdapterState() const;
    void actionChoice(const QString& kind);
    void Nastavenportu1Click();

    TransferEngine& engine() { return *m_engine; }
    LocalTransferCommands& commands() { return *m_commands; }
    TAfComPort& port() { return m_port; }
    TForm5& form5() { return *m_form5; }

private:
    void selectLink();

    ParameterModel& m_model;
    LocalLinkState& m_link;
    Texts& m_texts;
    Messenger& m_messenger;
    QWidget* m_form1;
    SystemClock m_clock;
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
};

} // namespace lumo
