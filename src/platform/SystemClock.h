#pragma once
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTimer;

namespace lumo {

// The real-time clock: tasks run from the event loop of the thread that owns the clock, on
// precise single-shot timers. Create and use it on one thread.
class SystemClock : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    qint64 nowMs() const override;
    TaskId runAfter(int delayMs, Task task) override;
    void cancel(TaskId id) override;

private:
    QElapsedTimer m_elapsed;
    QObject m_context; // parent of the timers; their callbacks die with it
    QHash<TaskId, QTimer*> m_timers;
    TaskId m_nextId = 1;
};

} // namespace lumo
