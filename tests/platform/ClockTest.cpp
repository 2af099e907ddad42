#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"

#include <QEventLoop>
#include <gtest/gtest.h>

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

} // namespace
} // namespace lumo
