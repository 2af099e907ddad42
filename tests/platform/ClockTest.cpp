#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace lumo {
namespace {

TEST(VirtualClock, RunsTasksInDueOrderAtTheirTime) {
    VirtualClock clock(1000);
    std::vector<std::pair<int, qint64>> runs;
    auto record = [&](int tag) { return [&, tag] { runs.emplace_back(tag, clock.nowMs()); }; };
    clock.runAfter(30, record(3));
    clock.runAfter(10, record(1));
    clock.runAfter(20, record(2));
    clock.runAfter(10, record(11)); // same due time: after the earlier one
    clock.advance(15);
    EXPECT_EQ(runs, (std::vector<std::pair<int, qint64>>{{1, 1010}, {11, 1010}}));
    EXPECT_EQ(clock.nowMs(), 1015);
    clock.advance(100);
    EXPECT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[2], std::make_pair(2, qint64(1020)));
    EXPECT_EQ(runs[3], std::make_pair(3, qint64(1030)));
    EXPECT_EQ(clock.nowMs(), 1115);
}

TEST(VirtualClock, TasksScheduleAndCancelFurtherTasks) {
    VirtualClock clock;
    std::vector<qint64> ticks;
    Clock::TaskId victim = 0;
    // A 300 ms tick that re-arms itself, as the port timer does.
    std::function<void()> tick = [&] {
        ticks.push_back(clock.nowMs());
        if (ticks.size() < 4)
            clock.runAfter(300, tick);
    };
    clock.runAfter(300, tick);
    victim = clock.runAfter(650, [&] { ticks.push_back(-1); });
    clock.runAfter(600, [&] { clock.cancel(victim); });
    clock.advance(1000);
    EXPECT_EQ(ticks, (std::vector<qint64>{300, 600, 900}));
    EXPECT_EQ(clock.pendingCount(), 1u);
    EXPECT_EQ(clock.nextDueMs(), 1200);
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(ticks.back(), 1200);
    EXPECT_EQ(clock.nowMs(), 1200);
}

TEST(VirtualClock, ZeroDelayRunsOnlyWhenDriven) {
    VirtualClock clock;
    int runs = 0;
    clock.runAfter(0, [&] { ++runs; });
    clock.runAfter(-5, [&] { ++runs; }); // negative delays count as zero
    EXPECT_EQ(runs, 0);
    clock.runDue();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(clock.nowMs(), 0);
}

TEST(VirtualClock, RunUntilIdleStopsAtLimit) {
    VirtualClock clock;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        clock.runAfter(100, again);
    };
    clock.runAfter(100, again);
    EXPECT_FALSE(clock.runUntilIdle(1000));
    EXPECT_EQ(runs, 10);
    EXPECT_EQ(clock.nowMs(), 1000);
}

// The real clock: only order and cancellation, never how long anything took.
TEST(SystemClock, RunsTasksFromEventLoopAndHonoursCancel) {
    SystemClock clock;
    QEventLoop loop;
    std::vector<int> order;
    const Clock::TaskId cancelled = clock.runAfter(0, [&] { order.push_back(99); });
    clock.runAfter(5, [&] { order.push_back(2); });
    clock.runAfter(0, [&] {
        order.push_back(1);
        clock.runAfter(0, [&] {
            order.push_back(3);
            clock.runAfter(20, [&] { loop.quit(); });
        });
    });
    clock.cancel(cancelled);
    const qint64 start = clock.nowMs();
    loop.exec();
    EXPECT_EQ(order.front(), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), 99), 0);
    EXPECT_EQ(order.size(), 3u);
    EXPECT_GE(clock.nowMs(), start);
}

// A clock made fast for tests: the same waits in its own time, order and cancellation as in
// real time, and a wait shorter than a millisecond of real time is kept, not rounded away.
class FastSystemClock : public ::testing::Test {
protected:
    void SetUp() override { SystemClock::setTimeScale(50); }
    void TearDown() override {
        SystemClock::setAnswerDue(false);
        SystemClock::setTimeScale(1);
    }
};

TEST_F(FastSystemClock, TasksRunInOrderNoEarlierThanTheirTimeAndCancelHolds) {
    SystemClock clock;
    QEventLoop loop;
    std::vector<std::pair<int, qint64>> runs;
    const qint64 start = clock.nowMs();
    auto record = [&](int tag) { return [&, tag] { runs.emplace_back(tag, clock.nowMs()); }; };
    clock.runAfter(300, record(3));
    clock.runAfter(100, record(1));
    clock.runAfter(100, record(11)); // same due time: after the earlier one
    const Clock::TaskId cancelled = clock.runAfter(200, record(99));
    clock.runAfter(200, record(2));
    clock.runAfter(400, [&] { loop.quit(); });
    clock.cancel(cancelled);
    // A guard in real time far beyond the 8 ms the 400 ms take at this speed.
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(runs.size(), 4u);
    const std::vector<int> tags{runs[0].first, runs[1].first, runs[2].first, runs[3].first};
    EXPECT_EQ(tags, (std::vector<int>{1, 11, 2, 3}));
    EXPECT_GE(runs[0].second - start, 100);
    EXPECT_GE(runs[2].second - start, 200);
    EXPECT_GE(runs[3].second - start, 300);
}

TEST_F(FastSystemClock, ATickOfAFifthOfAMillisecondCountsItsWholeTimeOut) {
    // The serial tick of 10 ms and its time-out of 101 ticks, at 50 times the speed: every
    // tick a wait of 0.2 ms. The ticks must add up to the time-out in the clock's time, as
    // they would in real time (a tick rounded to no wait would end it far sooner).
    SystemClock clock;
    QEventLoop loop;
    int ticks = 0;
    const qint64 start = clock.nowMs();
    std::function<void()> tick = [&] {
        if (++ticks > 101)
            loop.quit();
        else
            clock.runAfter(10, tick);
    };
    clock.runAfter(10, tick);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ticks, 102);
    EXPECT_GE(clock.nowMs() - start, 1020);
}

TEST_F(FastSystemClock, ATaskMayDeleteItsClock) {
    auto clock = std::make_unique<SystemClock>();
    QEventLoop loop;
    bool laterRan = false;
    clock->runAfter(0, [&] {
        clock.reset();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    clock->runAfter(0, [&] { laterRan = true; });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(clock);
    EXPECT_FALSE(laterRan);
}

// While an answer is due the fast clock runs at real speed: the other side, slowed by a busy
// machine, keeps the real time it has at scale 1. A change of speed holds for waits already
// scheduled, and the clock's time neither jumps nor goes back.
TEST_F(FastSystemClock, RunsAtRealSpeedWhileAnAnswerIsDue) {
    SystemClock clock;
    QEventLoop loop;
    QElapsedTimer real;
    const qint64 start = clock.nowMs();
    SystemClock::setAnswerDue(true);
    real.start();
    qint64 ranAtReal = -1;
    qint64 ranAt = -1;
    clock.runAfter(150, [&] {
        ranAtReal = real.elapsed();
        ranAt = clock.nowMs();
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    SystemClock::setAnswerDue(false);
    // At 50 times the speed the wait would take 3 ms of real time.
    EXPECT_GE(ranAtReal, 150);
    EXPECT_GE(ranAt - start, 150);
    EXPECT_LT(ranAt - start, ranAtReal + 100); // no jump: the time it stood for, about
}

TEST_F(FastSystemClock, AWaitScheduledBeforeTheSpeedChangesEndsAtTheNewSpeed) {
    SystemClock clock;
    QEventLoop loop;
    const qint64 start = clock.nowMs();
    // Scheduled at real speed, 30 s away; the answer then comes at once: the wait is 0.6 s at
    // 50 times the speed, and must not stay armed for 30 s.
    SystemClock::setAnswerDue(true);
    qint64 ranAt = -1;
    clock.runAfter(30000, [&] {
        ranAt = clock.nowMs();
        loop.quit();
    });
    SystemClock::setAnswerDue(false);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(ranAt - start, 30000);

    // Scheduled fast, then an answer is due: it runs no earlier in the clock's time.
    const qint64 from = clock.nowMs();
    qint64 slowRanAt = -1;
    clock.runAfter(200, [&] {
        slowRanAt = clock.nowMs();
        loop.quit();
    });
    SystemClock::setAnswerDue(true);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    SystemClock::setAnswerDue(false);
    EXPECT_GE(slowRanAt - from, 200);
}

} // namespace
} // namespace lumo
