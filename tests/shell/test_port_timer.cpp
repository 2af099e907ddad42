// The port timer in virtual time: the 8000 ms start-up interval, the hand-over at the first
// tick that finds a port check requested, the 300 ms interval after it, and a tick that never
// runs inside another.
#include "platform/VirtualClock.h"
#include "shell/PortTimer.h"
#include <QStringList>
#include <gtest/gtest.h>

namespace lumo {
namespace {

struct TimerRig {
    VirtualClock clock;
    PortTimer timer{clock};
    bool requested = false;
    QStringList trace;
    TimerRig() {
        timer.setTickHandler([this] { trace << QStringLiteral("tick@%1").arg(clock.nowMs()); });
        timer.setPortCheckRequest([this] { return requested; });
        timer.setHandOverHandler([this] { trace << QStringLiteral("handover"); });
        timer.setPortCheckHandler([this] { trace << QStringLiteral("check"); });
    }
};

TEST(PortTimer, StartsSlowAndHandsOverAtTheFirstTickWithARequest) {
    TimerRig rig;
    rig.timer.start();
    EXPECT_EQ(rig.timer.phase(), PortTimer::Phase::StartingUp);
    rig.clock.advance(7999);
    EXPECT_TRUE(rig.trace.isEmpty());
    rig.clock.advance(1);
    // No request yet: the start-up phase goes on at 8000 ms.
    EXPECT_EQ(rig.trace, QStringList{"tick@8000"});
    EXPECT_EQ(rig.timer.intervalMs(), 8000);

    rig.requested = true;
    rig.clock.advance(8000);
    EXPECT_EQ(rig.trace, (QStringList{"tick@8000", "tick@16000", "handover", "check"}));
    EXPECT_EQ(rig.timer.phase(), PortTimer::Phase::Running);
    EXPECT_EQ(rig.timer.intervalMs(), 300);

    rig.trace.clear();
    rig.clock.advance(600);
    // The hand-over happens once; every tick with a request checks the port.
    EXPECT_EQ(rig.trace, (QStringList{"tick@16300", "check", "tick@16600", "check"}));
    rig.requested = false;
    rig.trace.clear();
    rig.clock.advance(300);
    EXPECT_EQ(rig.trace, QStringList{"tick@16900"});
}

TEST(PortTimer, StopCancelsTheScheduleAndStartBeginsAgain) {
    TimerRig rig;
    rig.requested = true;
    rig.timer.start();
    rig.clock.advance(8000);
    rig.timer.stop();
    EXPECT_FALSE(rig.timer.isRunning());
    rig.trace.clear();
    rig.clock.advance(100000);
    EXPECT_TRUE(rig.trace.isEmpty());
    EXPECT_EQ(rig.clock.pendingCount(), 0u);

    rig.timer.start();
    EXPECT_EQ(rig.timer.intervalMs(), 8000);
    rig.clock.advance(8000);
    EXPECT_EQ(rig.trace, (QStringList{"tick@116000", "handover", "check"}));
}

TEST(PortTimer, DirectTicksCheckThePortButHandOverOnlyWhileStartingUp) {
    TimerRig rig;
    rig.requested = true;
    rig.timer.tick(); // stopped: the window's tests and clicks tick by hand
    EXPECT_EQ(rig.trace, (QStringList{"tick@0", "check"}));
    EXPECT_EQ(rig.timer.phase(), PortTimer::Phase::Stopped);
    EXPECT_EQ(rig.clock.pendingCount(), 0u);
}

TEST(PortTimer, ATickNeverRunsInsideATick) {
    VirtualClock clock;
    PortTimer timer{clock};
    int ticks = 0;
    timer.setTickHandler([&] {
        ++ticks;
        timer.tick(); // a nested event loop reaching the timer again
    });
    timer.tick();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(timer.tickCount(), 1);
}

TEST(PortTimer, TicksStayPeriodicWhenAHandlerTakesTime) {
    VirtualClock clock;
    PortTimer timer{clock};
    QList<qint64> at;
    timer.setPortCheckRequest([] { return true; });
    timer.setTickHandler([&] { at << clock.nowMs(); });
    timer.start();
    clock.advance(8000 + 3 * 300);
    EXPECT_EQ(at, (QList<qint64>{8000, 8300, 8600, 8900}));
}

} // namespace
} // namespace lumo
