#include "platform/SystemClock.h"

#include <QTimer>

namespace lumo {

SystemClock::SystemClock() {
    m_elapsed.start();
}

SystemClock::~SystemClock() {
    // The timers are children of m_context and go with it; none can fire after this.
    m_timers.clear();
}

qint64 SystemClock::nowMs() const {
    return m_elapsed.elapsed();
}

Clock::TaskId SystemClock::runAfter(int delayMs, Task task) {
    const TaskId id = m_nextId++;
    auto* timer = new QTimer(&m_context);
    timer->setSingleShot(true);
    // Wire timing needs millisecond intervals; coarse timers may be 5 % late.
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &m_context,
                     [this, id, timer, task = std::move(task)] {
                         // Forget the timer before running the task, so the task may cancel or
                         // schedule freely.
                         m_timers.remove(id);
                         timer->deleteLater();
                         task();
                     });
    m_timers.insert(id, timer);
    timer->start(qMax(0, delayMs));
    return id;
}

void SystemClock::cancel(TaskId id) {
    QTimer* timer = m_timers.take(id);
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater();
}

} // namespace lumo
