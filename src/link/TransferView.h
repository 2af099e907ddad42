#pragma once
#include <QString>
#include <vector>

namespace lumo {

// The five transfers of the local link.
enum class TransferKind {
    None,          // no transfer window showing
    Status,        // "VER"
    SettingsRead,  // "PC"
    NumbersRead,   // "TC"
    SettingsWrite, // "PZ"
    NumbersWrite,  // "TZ"
};

// Colours of the main window's port activity indicator during a transfer.
enum class TransferIndicator {
    StatusReply,   // blue (0, 0, 255)
    SettingsReply, // sky blue (166, 202, 240)
    NumberReply,   // green (0, 128, 0)
    ByteSent,      // teal (0, 128, 128)
    NumberAcked,   // purple (128, 0, 128)
    Completed,     // yellow (255, 255, 0)
    Error,         // red (255, 0, 0)
};

// The indicator colour as 0xRRGGBB.
constexpr unsigned indicatorRgb(TransferIndicator indicator) {
    switch (indicator) {
    case TransferIndicator::StatusReply:
        return 0x0000FF;
    case TransferIndicator::SettingsReply:
        return 0xA6CAF0;
    case TransferIndicator::NumberReply:
        return 0x008000;
    case TransferIndicator::ByteSent:
        return 0x008080;
    case TransferIndicator::NumberAcked:
        return 0x800080;
    case TransferIndicator::Completed:
        return 0xFFFF00;
    case TransferIndicator::Error:
        return 0xFF0000;
    }
    return 0;
}

// The states of one transfer window show. The engine's tick and reply handling switch on it;
// every change goes through one place, which reports it to the view.
enum class TransferState {
    Closed,     // no window
    Opening,    // the window is being shown: the link is opened, the opening bytes go out
    Waiting,    // a request, block or byte is out and its answer is awaited; the time-out runs
    NextStep,   // the answer came: the next tick sends the next request, block or byte
    Retrying,   // an "E" to a number read timed out: the next tick asks for the block again
    Stopped,    // the user stopped it after the exchange in flight; the window is closing
    OpenFailed, // the serial port could not be opened: the first tick closes with the port message
    Closing,    // the cable link is missing: the first tick closes without a message
    Done,       // finished; the window is closing
    Failed,     // time-out, retries exhausted, refused or failed write; the window is closing
    Aborted,    // the link could not be used; the window is closing
};

// What the transfer engine shows: the transfer window (shown and closed once per transfer, a
// progress bar 0..127), the activity indicator and the messages. The GUI's transfer window
// implements it, the CLI prints, tests record.
class TransferView {
public:
    virtual ~TransferView() = default;
    // Every state change, in order; the window is shown on leaving Closed (transferShown) and
    // hidden on reaching it (transferClosed).
    virtual void stateChanged(TransferState /*from*/, TransferState /*to*/) {}
    // A command is about to run these transfers in this order, or has ended (empty), so that
    // a window can keep one progress over all of them.
    virtual void commandPlanned(const std::vector<TransferKind>& /*plan*/) {}
    // The kind of the transfer about to be shown, before its window is shown.
    virtual void transferStarting(TransferKind /*kind*/) {}
    virtual void transferShown() {}
    virtual void setProgress(int position) = 0;
    virtual void setIndicator(TransferIndicator indicator) = 0;
    virtual void showMessage(const QString& text) = 0;
    virtual void transferClosed() {}
};

} // namespace lumo
