#pragma once
#include "platform/Clock.h"
#include <QByteArray>
#include <functional>

namespace lumo {

class RemoteLink;

// The reply watch shared by the remote read and the remote write: a tick every `tickMs`, and
// after each step of an exchange 1 ms passes until the next tick that take what the box has
// sent, so that a reply arriving within that tick is handled at once. The passes count no
// tick, so a time-out comes after the same ticks as without them. It also holds the one pause
// between the steps (a fixed wait, or the passes that wait for an acknowledgement). Every task
// runs on the link's clock.
class ReplyPickUp {
public:
    static constexpr int kPassMs = 1;

    struct Callbacks {
        // While false, a due tick or pass does nothing.
        std::function<bool()> running;
        // The engine's own tick (time-outs, re-sends); the box is known to be there.
        std::function<void()> tick;
        // The line box went away.
        std::function<void()> lost;
        // ReceiveBuffer holds a complete reply.
        std::function<void()> reply;
    };

    ReplyPickUp(RemoteLink& link, int tickMs, Callbacks callbacks);
    ~ReplyPickUp();
    ReplyPickUp(const ReplyPickUp&) = delete;
    ReplyPickUp& operator=(const ReplyPickUp&) = delete;

    // The next tick after `tickMs`, no passes.
    void continueTicking();
    // The next tick, and the passes before it.
    void pickUp();
    // Receive into ReceiveBuffer: lost, a complete reply, or else the next tick.
    void poll();
    // Cancels the tick and the passes; the pause goes on.
    void stop();
    // Runs `then` after `ms`; replaces the pause under way.
    void pause(int ms, std::function<void()> then);
    void cancelPause();
    // As the pause: up to `passes` of 1 ms, each followed by a receive, until `done` holds for
    // ReceiveBuffer; then `then`, or `exhausted` when none did. No tick runs meanwhile.
    void waitPasses(int passes, std::function<bool(const QByteArray&)> done,
                    std::function<void()> then, std::function<void()> exhausted);
    // A halted exchange waits with nothing on the line; the box is still asked every tick, so
    // that one pulled out meanwhile is noticed. Stops once `halted` is false.
    void watchHalted(std::function<bool()> halted);

private:
    bool receive(); // false when the box was lost (and `lost` was called)
    void pass(int passesLeft);

    RemoteLink& m_link;
    Clock& m_clock;
    const int m_tickMs;
    Callbacks m_callbacks;
    Clock::TaskId m_tickTask = 0;
    Clock::TaskId m_passTask = 0;
    Clock::TaskId m_pauseTask = 0;
};

} // namespace lumo
