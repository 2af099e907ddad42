#pragma once
#include "link/TransferLink.h"
#include <memory>

namespace lumo {

// How the local link is set up for transfers (Config.ini's ClosePort and TimeOutRS).
struct TransferLinkSettings {
    bool closeAfterEveryTransfer = false; // ClosePort "1"
    int serialTimeoutMs = 10;             // TimeOutRS; 0 or less means the default
};

// Where the serial port and the USB cable differ for the transfer engine: tick and time-out,
// how the link is opened, what is checked at every tick, how replies arrive and when the link
// is closed. The engine follows the same states over either link and asks its policy at the
// few places where they part; the policy decides and the engine acts.
class TransferLinkPolicy {
public:
    // What showing the window found.
    enum class Opening {
        Ready,      // open; the opening bytes may go out
        OpenFailed, // the port could not be opened: close at the first tick with the port message
        NoDevice,   // no cable link: close at the first tick without a message
    };
    // What a tick (or a sent byte) found on the link.
    struct Verdict {
        enum class Action {
            Go,      // carry on
            Abort,   // the link is gone: close without a message
            Fail,    // a write failed: the transfer failed, no message
            TimeOut, // the unit will not answer: end as a time-out now
            Lost,    // the device went away: end with the message saying so
        };
        Action action = Action::Go;
        bool releaseLink = false; // close the link before acting
    };
    // How a transfer ended, for the question whether the link is closed after it.
    enum class Ending { Reply, NumbersComplete, Failure };

    static std::unique_ptr<TransferLinkPolicy> forKind(TransferLink::Kind kind,
                                                       const TransferLinkSettings& settings);
    virtual ~TransferLinkPolicy() = default;

    virtual int tickIntervalMs() const = 0;
    virtual int timeoutTicks() const = 0;        // ticks of silence tolerated
    virtual int partialSettingsStep() const = 0; // progress per partial settings reply
    // Replies are polled at every tick (USB) rather than delivered by data events (serial).
    virtual bool pollsAtTick() const = 0;

    // A command's first step: true when the link may be used (the cable is opened afresh).
    virtual bool prepareForCommand(TransferLink& link) const = 0;
    // Whether the port timer's status read may run now (on the cable: only while it is open).
    virtual bool readyForStatusRead(const TransferLink& link) const = 0;
    // The window is shown: opens the link as needed.
    virtual Opening open(TransferLink& link) const = 0;
    // The checks at the start of every tick.
    virtual Verdict checkAtTick(const TransferLink& link) const = 0;
    // Right after a settings byte went out.
    virtual Verdict checkAfterSend(const TransferLink& link) const = 0;
    virtual bool closesAfter(Ending ending) const = 0;
};

// The serial port: the tick is the serial timeout, about one second of silence is tolerated,
// replies come from the received-data event, a refused write ends as a time-out.
class SerialLinkPolicy : public TransferLinkPolicy {
public:
    explicit SerialLinkPolicy(const TransferLinkSettings& settings) : m_settings(settings) {}
    int tickIntervalMs() const override;
    int timeoutTicks() const override;
    int partialSettingsStep() const override { return 1; }
    bool pollsAtTick() const override { return false; }
    bool prepareForCommand(TransferLink&) const override { return true; }
    bool readyForStatusRead(const TransferLink&) const override { return true; }
    Opening open(TransferLink& link) const override;
    Verdict checkAtTick(const TransferLink& link) const override;
    Verdict checkAfterSend(const TransferLink&) const override { return {}; }
    bool closesAfter(Ending ending) const override;

private:
    const TransferLinkSettings& m_settings;
};

// The USB cable: 5 ms ticks, 100 of them of silence, replies polled at every tick, the cable
// checked at every tick and released after an error.
class UsbLinkPolicy : public TransferLinkPolicy {
public:
    static constexpr int kTickMs = 5;
    static constexpr int kTimeoutTicks = 100;

    explicit UsbLinkPolicy(const TransferLinkSettings& settings) : m_settings(settings) {}
    int tickIntervalMs() const override { return kTickMs; }
    int timeoutTicks() const override { return kTimeoutTicks; }
    int partialSettingsStep() const override { return 3; }
    bool pollsAtTick() const override { return true; }
    bool prepareForCommand(TransferLink& link) const override;
    bool readyForStatusRead(const TransferLink& link) const override { return link.isOpen(); }
    Opening open(TransferLink& link) const override;
    Verdict checkAtTick(const TransferLink& link) const override;
    Verdict checkAfterSend(const TransferLink& link) const override;
    bool closesAfter(Ending ending) const override;

private:
    const TransferLinkSettings& m_settings;
};

} // namespace lumo
