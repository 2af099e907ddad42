#include "platform/SystemClock.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <sys/timerfd.h>
#include <unistd.h>

namespace lumo {

namespace {

int g_timeScale = 1;

qint64 monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

// A clock running fast needs waits shorter than the millisecond a QTimer resolves: the
// serial tick of 10 ms is 0.5 ms at a factor of 20, and rounding it to 0 or 1 ms would change
// how many ticks fit in a time-out. One timerfd, armed for the earliest task to the
// nanosecond, drives the tasks instead.
class SystemClock::Compressed {
public:
    explicit Compressed(int factor)
        : m_factor(factor), m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
          m_notifier(m_fd, QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier,
                         [this] { runDue(); });
    }
    ~Compressed() {
        *m_alive = false;
        m_notifier.setEnabled(false);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Compressed(const Compressed&) = delete;
    Compressed& operator=(const Compressed&) = delete;

    void add(TaskId id, int delayMs, Task task) {
        const qint64 due = monotonicNs() + qint64(std::max(0, delayMs)) * 1000000 / m_factor;
        m_due.insert(id, due);
        m_tasks.emplace(std::make_pair(due, id), std::move(task));
        arm();
    }

    bool cancel(TaskId id) {
        const auto it = m_due.find(id);
        if (it == m_due.end())
            return false;
        m_tasks.erase(std::make_pair(it.value(), id));
        m_due.erase(it);
        arm();
        return true;
    }

private:
    void runDue() {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
        // A task may delete the clock; the flag outlives it.
        const std::shared_ptr<bool> alive = m_alive;
        while (!m_tasks.empty() && m_tasks.begin()->first.first <= monotonicNs()) {
            auto node = m_tasks.extract(m_tasks.begin());
            m_due.remove(node.key().second);
            node.mapped()();
            if (!*alive)
                return;
        }
        arm();
    }

    void arm() {
        itimerspec spec{}; // all zero disarms
        if (!m_tasks.empty()) {
            // Zero would disarm: a task due at once is due one nanosecond in.
            const qint64 due = std::max<qint64>(m_tasks.begin()->first.first, 1);
            spec.it_value.tv_sec = time_t(due / 1000000000);
            spec.it_value.tv_nsec = long(due % 1000000000);
        }
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &spec, nullptr);
    }

    const int m_factor;
    const int m_fd;
    QSocketNotifier m_notifier;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // Ordered by (real due time, id): equal due times keep scheduling order.
    std::map<std::pair<qint64, TaskId>, Task> m_tasks;
    QHash<TaskId, qint64> m_due;
};

void SystemClock::setTimeScale(int factor) {
    g_timeScale = std::max(1, factor);
}

int SystemClock::timeScale() {
    return g_timeScale;
}

SystemClock::SystemClock() : m_scale(g_timeScale) {
    m_elapsed.start();
}

SystemClock::~SystemClock() {
    m_compressed.reset();
    // The timers are children of m_context and go with it; none can fire after this.
    m_timers.clear();
}

qint64 SystemClock::nowMs() const {
    if (m_scale == 1)
        return m_elapsed.elapsed();
    return m_elapsed.nsecsElapsed() * m_scale / 1000000;
}

Clock::TaskId SystemClock::runAfter(int delayMs, Task task) {
    const TaskId id = m_nextId++;
    if (m_scale != 1) {
        // Made on first use, on the thread that runs the tasks.
        if (!m_compressed)
            m_compressed = std::make_unique<Compressed>(m_scale);
        m_compressed->add(id, delayMs, std::move(task));
        return id;
    }
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
    if (m_compressed && m_compressed->cancel(id))
        return;
    QTimer* timer = m_timers.take(id);
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater();
}

} // namespace lumo
