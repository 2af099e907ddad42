#pragma once
#include "remote/BoxDevice.h"
#include "remote/ConnectDialogModel.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include "shell/ExchangeGuard.h"
#include "shell/ShellPart.h"
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace lumo {

class RemoteWriteCheck;
class RemoteWriteEngine;
class Shell;
class TForm10;
class TForm11;
struct RemoteReadResult;
struct WriteCheck;
class TForm12;

// Remote programming's part of the main window: the remote menu `N5` ("Připojit",
// "Odpojit"), the connection status items `N8` (the box's serial number, the connection time)
// and `Connect2` (the keep-alive count), the connect dialog `TForm10`, the activity indicator
// while connected, and the hang-up that opens the close sequence. It owns the connection
// state and the connection engine, and the read-back that checks a remote write; the window
// only sees the shell.
class RemoteUi : public QObject, public ShellPart {
    Q_OBJECT
public:
    // Waits until `done()` is true; the close sequence uses it to let the hang-up finish.
    using Waiter = std::function<void(const std::function<bool()>& done)>;

    // `window` is the parent of the dialog and holds the menu items by objectName; `bus` is
    // where the boxes come from (the FTDI layer when null).
    explicit RemoteUi(QWidget* window, std::unique_ptr<BoxBus> bus = {});
    ~RemoteUi() override;

    void attach(Shell& shell) override;
    void applyTexts(const Texts& texts) override;
    void readConfig(const AppConfig& config) override;
    bool busy() const override;

    void setWaiter(Waiter waiter) { m_waiter = std::move(waiter); }

    // The commands, as the menu runs them.
    void Connect1Click();
    void Unconnect1Click();
    void N8Click();
    void Connect2Click();
    // "Načti": the read dialog, while connected.
    void Readdata1Click();
    // "Zapiš": the write dialog, once the parameters pass the check.
    void Writedata1Click();

    RemoteLink& link() { return *m_link; }
    ConnectionEngine& engine() { return *m_engine; }
    ConnectDialogModel& dialogModel() { return *m_model; }
    TForm10& dialog() { return *m_dialog; }
    TForm11& readDialog() { return *m_readDialog; }
    RemoteWriteEngine& writer() { return *m_writer; }
    RemoteWriteCheck& writeCheck() { return *m_checker; }
    // Whether "Ověřit zápis" starts ticked in the write dialog: the local option of the
    // Nastavení menu, as Config.ini gave it or the menu has set it since.
    bool verifyWrites() const;
    TForm12& writeDialog() { return *m_writeDialog; }
    // The text shown beside the remote menu while an attempt runs (empty otherwise).
    QString statusText() const { return m_statusText; }

private:
    class WindowView;
    void hangUpForClose();
    void applyMenus(const RemoteMenuState& menus);
    void connectionStateChanged(ConnectionState state);
    void setItemText(const char* name, const QString& text);
    // The remote read's share of the part.
    void attachRead(Shell& shell);
    void applyReadMenu(const RemoteMenuState& menus);
    void readConnectionChanged(ConnectionState state);
    void readFinished(const RemoteReadResult& result);
    // The remote write's share.
    void attachWrite(Shell& shell);
    void applyWriteMenus(const RemoteMenuState& menus);
    void endWriteForClose();
    void writeChecked(const WriteCheck& check, const QString& reason);

    QPointer<QWidget> m_window;
    Shell* m_shell = nullptr;
    std::unique_ptr<BoxBus> m_bus;
    std::unique_ptr<RemoteLink> m_link;
    std::unique_ptr<ConnectDialogModel> m_model;
    std::unique_ptr<WindowView> m_view;
    std::unique_ptr<ConnectionEngine> m_engine;
    TForm10* m_dialog = nullptr;
    TForm11* m_readDialog = nullptr;
    ExchangeGuard::Ticket m_readTicket;
    std::unique_ptr<RemoteWriteEngine> m_writer;
    std::unique_ptr<RemoteWriteCheck> m_checker;
    bool m_verifyConfig = false;
    TForm12* m_writeDialog = nullptr;
    ExchangeGuard::Ticket m_writeTicket;
    ExchangeGuard::Ticket m_ticket;
    Waiter m_waiter;
    QString m_statusText;
    bool m_attemptOpen = false;
};

} // namespace lumo
