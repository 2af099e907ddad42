#pragma once
#include "platform/Clock.h"
#include <functional>

namespace lumo {

// The port timer of the main window (`Timer1`) as an engine on the injected clock. It ticks
// every 8000 ms from start() until the first tick that finds a port check requested; that tick
// hands the start-up over (the warning window closes, the start-up question is asked) and the
// timer ticks every 300 ms from then on. Each tick runs the tick handler, then, while a port
// check is requested, the port-check handler. A tick never runs inside a tick (the handlers
// may run nested event loops).
class PortTimer {
public:
    enum class Phase { Stopped, StartingUp, Running };
    static constexpr int kStartUpIntervalMs = 8000;
    static constexpr int kIntervalMs = 300;

    explicit PortTimer(Clock& clock) : m_clock(clock) {}
    ~PortTimer() { stop(); }
    PortTimer(const PortTimer&) = delete;
    PortTimer& operator=(const PortTimer&) = delete;

    void setTickHandler(std::function<void()> handler) { m_onTick = std::move(handler); }
    void setPortCheckRequest(std::function<bool()> requested) {
        m_requested = std::move(requested);
    }
    void setHandOverHandler(std::function<void()> handler) { m_onHandOver = std::move(handler); }
    void setPortCheckHandler(std::function<void()> handler) { m_onPortCheck = std::move(handler); }

    // Starts (or restarts) in the start-up phase: the first tick comes after 8000 ms.
    void start();
    void stop();
    // One tick now, as the clock would run it (the window's tests and a status-bar click
    // call it directly). The schedule is not moved.
    void tick();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase != Phase::Stopped; }
    int intervalMs() const { return m_interval; }
    int tickCount() const { return m_ticks; }

private:
    void schedule();
    void scheduledTick();

    Clock& m_clock;
    std::function<void()> m_onTick;
    std::function<bool()> m_requested;
    std::function<void()> m_onHandOver;
    std::function<void()> m_onPortCheck;
    Phase m_phase = Phase::Stopped;
    int m_interval = kStartUpIntervalMs;
    int m_ticks = 0;
    bool m_inTick = false;
    bool m_handedOver = false;
    Clock::TaskId m_pending = 0;
};

} // namespace lumo
