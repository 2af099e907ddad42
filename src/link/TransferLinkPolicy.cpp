#include "link/TransferLinkPolicy.h"

namespace lumo {

namespace {
using Action = TransferLinkPolicy::Verdict::Action;
constexpr int kDefaultSerialTimeoutMs = 10;
} // namespace

std::unique_ptr<TransferLinkPolicy>
TransferLinkPolicy::forKind(TransferLink::Kind kind, const TransferLinkSettings& settings) {
    if (kind == TransferLink::Kind::Usb)
        return std::make_unique<UsbLinkPolicy>(settings);
    return std::make_unique<SerialLinkPolicy>(settings);
}

int SerialLinkPolicy::tickIntervalMs() const {
    // A timeout of 0 or less would leave the tick and the limit undefined.
    return m_settings.serialTimeoutMs > 0 ? m_settings.serialTimeoutMs : kDefaultSerialTimeoutMs;
}

int SerialLinkPolicy::timeoutTicks() const {
    // Trunc(1000 / timeout + 1): about one second of silence.
    return 1000 / tickIntervalMs() + 1;
}

TransferLinkPolicy::Opening SerialLinkPolicy::open(TransferLink& link) const {
    if (link.isOpen())
        return Opening::Ready;
    QString error;
    return link.open(&error) ? Opening::Ready : Opening::OpenFailed;
}

TransferLinkPolicy::Verdict SerialLinkPolicy::checkAtTick(const TransferLink& link) const {
    // A hung-up terminal: waiting out the time-out would only blame a silent unit.
    if (link.deviceLost())
        return {Action::Lost, false};
    // The component refused a byte: the unit will not answer.
    if (!link.lastWriteOk())
        return {Action::TimeOut, false};
    return {};
}

bool SerialLinkPolicy::closesAfter(Ending) const {
    return m_settings.closeAfterEveryTransfer;
}

bool UsbLinkPolicy::prepareForCommand(TransferLink& link) const {
    // The cable is opened afresh for every command.
    link.open(nullptr);
    return link.isOpen();
}

TransferLinkPolicy::Opening UsbLinkPolicy::open(TransferLink& link) const {
    if (!link.isOpen())
        link.open(nullptr);
    return link.hasDevice() ? Opening::Ready : Opening::NoDevice;
}

TransferLinkPolicy::Verdict UsbLinkPolicy::checkAtTick(const TransferLink& link) const {
    if (!link.hasDevice())
        return {Action::Abort, false};
    if (!link.isOpen())
        return {Action::Abort, true};
    if (link.deviceLost())
        return {Action::Lost, true};
    // A write that did not reach the cable leaves the unit's memory incomplete.
    if (!link.lastWriteOk())
        return {Action::Fail, true};
    return {};
}

TransferLinkPolicy::Verdict UsbLinkPolicy::checkAfterSend(const TransferLink& link) const {
    if (!link.lastWriteOk())
        return {Action::Fail, true};
    return {};
}

bool UsbLinkPolicy::closesAfter(Ending ending) const {
    switch (ending) {
    case Ending::Reply:
        return false; // a complete reply keeps the cable
    case Ending::NumbersComplete:
        return m_settings.closeAfterEveryTransfer;
    case Ending::Failure:
        return true;
    }
    return true;
}

} // namespace lumo
