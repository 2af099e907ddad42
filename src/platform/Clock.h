#pragma once
#include <QtGlobal>
#include <functional>

namespace lumo {

// Time source and scheduler for every timer-driven procedure. Real runs use SystemClock
// (QTimer on the calling thread's event loop); tests use VirtualClock, which only moves when
// told to, so a 15-minute exchange runs in milliseconds.
class Clock {
public:
    using Task = std::function<void()>;
    using TaskId = quint64;

    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
    // Runs `task` once after `delayMs` on the owning thread; returns an id to cancel it.
    virtual TaskId runAfter(int delayMs, Task task) = 0;
    virtual void cancel(TaskId id) = 0;
};

} // namespace lumo
