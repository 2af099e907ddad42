#pragma once
#include <QString>

namespace lumo {

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

// What the transfer engine shows: the transfer window (shown and closed once per transfer, a
// progress bar 0..127), the activity indicator and the messages. The GUI's transfer window
// implements it, the CLI prints, tests record.
class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void transferShown() {}
    virtual void setProgress(int position) = 0;
    virtual void setIndicator(TransferIndicator indicator) = 0;
    virtual void showMessage(const QString& text) = 0;
    virtual void transferClosed() {}
};

} // namespace lumo
