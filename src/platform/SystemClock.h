#pragma once
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <memory>

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

    // A test aid: clocks made after this call run `factor` times fast. Every wait is that
    // many times shorter in real time and nowMs() moves that many times quicker, so the
    // program's own waits keep their values while a test of minutes of time-outs takes
    // seconds. 1 (the default) is real time. Set once at start, before any clock is made.
    static void setTimeScale(int factor);
    static int timeScale();
    // For a clock running fast: the program has sent bytes and no answer has come yet (true),
    // or an answer came or nothing is asked (false). While an answer is due the time runs at
    // real speed, so the other side has as much real time to answer as at scale 1 however busy
    // the machine is; only the program's own waiting runs fast. No effect at scale 1. Called
    // on the thread that runs the clocks.
    static void setAnswerDue(bool due);

private:
    class Compressed;

    QElapsedTimer m_elapsed;
    QObject m_context; // parent of the timers; their callbacks die with it
    QHash<TaskId, QTimer*> m_timers;
    TaskId m_nextId = 1;
    int m_scale = 1;
    qint64 m_fastStartNs = 0;                 // the fast time when a fast clock was made
    std::unique_ptr<Compressed> m_compressed; // the scheduler of a clock running fast
};

} // namespace lumo
