#pragma once
#include "platform/Clock.h"

#include <map>
#include <utility>

namespace lumo {

// A clock for tests: time stands still until advance() moves it; due tasks then run in the
// order of their due time (tasks due at the same time in the order they were scheduled), each
// with the clock set to its due time. Tasks may schedule and cancel further tasks.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(qint64 startMs = 0) : m_now(startMs) {}

    qint64 nowMs() const override { return m_now; }
    TaskId runAfter(int delayMs, Task task) override;
    void cancel(TaskId id) override;

    // Moves time forward by `ms`, running every task that falls due on the way (including
    // tasks those tasks schedule within the interval).
    void advance(qint64 ms);
    // Runs tasks in due order until none is left or the next one lies more than `limitMs`
    // ahead of the time at the call. Returns true when no task is left.
    bool runUntilIdle(qint64 limitMs = 24LL * 3600 * 1000);
    // Runs the tasks already due (delay 0) without moving time.
    void runDue() { advance(0); }

    std::size_t pendingCount() const { return m_tasks.size(); }
    // Due time of the next task, or -1 when none is pending.
    qint64 nextDueMs() const;

private:
    // Runs the earliest task due at or before `limit`; false when there is none.
    bool runNext(qint64 limit);

    qint64 m_now;
    TaskId m_nextId = 1;
    // Ordered by (due time, id): ids grow, so equal due times keep scheduling order.
    std::map<std::pair<qint64, TaskId>, Task> m_tasks;
};

} // namespace lumo
