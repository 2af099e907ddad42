#pragma once
#include <QByteArray>
#include <QString>

namespace lumo {

// The connection engine's state: what its tick switches on and what the view is told.
enum class ConnectionState {
    Idle,       // neither connecting nor connected; the box may be open
    Connecting, // the connect sequence runs, steps 0..11
    KeepAlive,  // connected, a keep-alive cycle awaits its replies
    Quiet,      // connected, the quiet period between two keep-alive cycles
    Suspended,  // connected, the keep-alive paused while a remote read or write runs
    HangingUp,  // the connection is being ended; the line is hung up
};
QString connectionStateName(ConnectionState state);

// Colours of the connect dialog's status label `Label3`.
enum class ConnectStatusColour { ButtonFace, Lime, Red, Olive, Purple, Fuchsia };
// Colours of the main window's activity indicator `Label166` while connected.
enum class KeepAliveColour { Green, Purple, Fuchsia, Red };
// As 0xRRGGBB (button face: the usual light grey).
unsigned connectStatusRgb(ConnectStatusColour colour);
unsigned keepAliveRgb(KeepAliveColour colour);

// The remote menu of the main window and its two status items.
struct RemoteMenuState {
    bool connectEnabled = true;     // Connect1
    bool readEnabled = false;       // Readdata1
    bool writeEnabled = false;      // Writedata1
    bool disconnectEnabled = false; // Unconnect1
    bool n8Visible = true;          // N8: the box's serial number as caption
    bool n8Enabled = false;
    QString n8Caption;
    bool connect2Visible = false; // Connect2 with the keep-alive count
    friend bool operator==(const RemoteMenuState&, const RemoteMenuState&) = default;
};

// How a connection attempt, and later the connection, ended.
struct ConnectionResult {
    enum class Kind {
        Connected,    // the connect sequence completed
        Failed,       // a limit was reached; `message` was shown
        Cancelled,    // the user (or the closing main window) cancelled
        Disconnected, // the user disconnected
    };
    Kind kind = Kind::Cancelled;
    QString message; // the text shown, for failures
    QString suffix;  // the failed exchange, e.g. "'Timeout of Repeat'"
    int repeatCount = 0;
    bool boxLost = false; // Failed because the line box went away
};

// What the connection engine shows. The connect dialog, the main window's remote menu and the
// activity indicator implement it in the GUI; the CLI prints; tests record.
class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    virtual void stateChanged(ConnectionState) {}
    // `Label5` (the step) and `ProgressBar1` (0..14).
    virtual void setStep(int) {}
    virtual void setProgress(int) {}
    // `Label3`: colour, and the text when `text` is given.
    virtual void setStatus(ConnectStatusColour, const QString* text) { (void)text; }
    virtual void setIndicator(KeepAliveColour) {}
    // One exchange for the trace memo `Memo1`: " -p- " reply " -v- " command (with its CR LF).
    virtual void trace(const QByteArray&) {}
    virtual void menusChanged(const RemoteMenuState&) {}
    // `TForm10.Button4` enabled again for the next attempt.
    virtual void setConnectButtonEnabled(bool) {}
    virtual void closeDialog() {}
    virtual void showMessage(const QString& text) = 0;
};

} // namespace lumo
