#include "remote/ReplyPickUp.h"
#include "remote/BoxProtocol.h"
#include "remote/RemoteLink.h"
#include <utility>

namespace lumo {

ReplyPickUp::ReplyPickUp(RemoteLink& link, int tickMs, Callbacks callbacks)
    : m_link(link), m_clock(link.clock()), m_tickMs(tickMs), m_callbacks(std::move(callbacks)) {}

ReplyPickUp::~ReplyPickUp() {
    stop();
}

void ReplyPickUp::continueTicking() {
    m_clock.cancel(m_tickTask);
    m_tickTask = m_clock.runAfter(m_tickMs, [this] {
        m_tickTask = 0;
        if (!m_callbacks.running())
            return;
        // A send that failed since the last tick, or a box that is gone now: nothing more can
        // come in, and repeating the request would only hide that.
        if (m_link.boxLost()) {
            m_callbacks.lost();
            return;
        }
        m_callbacks.tick();
    });
}

void ReplyPickUp::pickUp() {
    continueTicking();
    pass(m_tickMs / kPassMs - 1);
}

bool ReplyPickUp::receive() {
    m_link.ReceiveBuffer += m_link.BoxReceive();
    if (!m_link.boxLost())
        return true;
    m_callbacks.lost();
    return false;
}

void ReplyPickUp::poll() {
    if (!receive())
        return;
    if (!ReplyComplete(m_link.ReceiveBuffer)) {
        continueTicking();
        return;
    }
    m_callbacks.reply();
}

void ReplyPickUp::pass(int passesLeft) {
    m_clock.cancel(m_passTask);
    m_passTask = 0;
    if (passesLeft <= 0)
        return;
    m_passTask = m_clock.runAfter(kPassMs, [this, passesLeft] {
        m_passTask = 0;
        if (!m_callbacks.running() || !receive())
            return;
        if (!ReplyComplete(m_link.ReceiveBuffer)) {
            pass(passesLeft - 1);
            return;
        }
        // Handled now: the tick that was due for it would find the buffer taken.
        m_clock.cancel(m_tickTask);
        m_tickTask = 0;
        m_callbacks.reply();
    });
}

void ReplyPickUp::stop() {
    m_clock.cancel(m_tickTask);
    m_clock.cancel(m_passTask);
    m_tickTask = m_passTask = 0;
}

void ReplyPickUp::pause(int ms, std::function<void()> then) {
    m_clock.cancel(m_pauseTask);
    m_pauseTask = m_clock.runAfter(ms, [this, then = std::move(then)] {
        m_pauseTask = 0;
        then();
    });
}

void ReplyPickUp::cancelPause() {
    m_clock.cancel(m_pauseTask);
    m_pauseTask = 0;
}

void ReplyPickUp::waitPasses(int passes, std::function<bool(const QByteArray&)> done,
                             std::function<void()> then, std::function<void()> exhausted) {
    if (passes <= 0) {
        exhausted();
        return;
    }
    pause(kPassMs, [this, passes, done = std::move(done), then = std::move(then),
                    exhausted = std::move(exhausted)]() mutable {
        if (!receive())
            return;
        if (done(m_link.ReceiveBuffer))
            then();
        else
            waitPasses(passes - 1, std::move(done), std::move(then), std::move(exhausted));
    });
}

void ReplyPickUp::watchHalted(std::function<bool()> halted) {
    if (!halted())
        return;
    m_clock.cancel(m_tickTask);
    m_tickTask = m_clock.runAfter(m_tickMs, [this, halted = std::move(halted)]() mutable {
        m_tickTask = 0;
        if (!halted())
            return;
        if (!m_link.probeBox()) {
            m_callbacks.lost();
            return;
        }
        watchHalted(std::move(halted));
    });
}

} // namespace lumo
