#include "shell/PortTimer.h"

namespace lumo {

void PortTimer::start() {
    stop();
    m_phase = Phase::StartingUp;
    m_interval = kStartUpIntervalMs;
    m_handedOver = false;
    schedule();
}

void PortTimer::stop() {
    if (m_pending)
        m_clock.cancel(m_pending);
    m_pending = 0;
    m_phase = Phase::Stopped;
}

void PortTimer::schedule() {
    m_pending = m_clock.runAfter(m_interval, [this] { scheduledTick(); });
}

void PortTimer::scheduledTick() {
    m_pending = 0;
    // Periodic like the toolkit's timer: the next tick is due one interval after this one,
    // however long its handlers take.
    schedule();
    tick();
}

void PortTimer::tick() {
    if (m_inTick)
        return;
    m_inTick = true;
    ++m_ticks;
    if (m_onTick)
        m_onTick();
    if (m_requested && m_requested()) {
        if (!m_handedOver && m_phase == Phase::StartingUp) {
            m_handedOver = true;
            m_phase = Phase::Running;
            m_interval = kIntervalMs;
            // The new interval counts from now, as when a running timer gets a new one.
            if (m_pending) {
                m_clock.cancel(m_pending);
                schedule();
            }
            if (m_onHandOver)
                m_onHandOver();
        }
        if (m_onPortCheck)
            m_onPortCheck();
    }
    m_inTick = false;
}

} // namespace lumo
