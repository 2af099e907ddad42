#include "platform/SystemClock.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <sys/timerfd.h>
#include <unistd.h>
#include <vector>

namespace lumo {

namespace {

int g_timeScale = 1;

qint64 monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The time of the fast clocks, one for the process: it runs g_timeScale times fast, and at
// real speed while an answer is due. Each change of speed starts a new piece at the point
// reached, so the time never jumps or goes back.
qint64 g_realBase = 0;
qint64 g_fastBase = 0;
bool g_answerDue = false;

int fastRate() {
    return g_answerDue ? 1 : g_timeScale;
}

qint64 fastNowNs(qint64 real) {
    return g_fastBase + (real - g_realBase) * fastRate();
}

qint64 fastNowNs() {
    return fastNowNs(monotonicNs());
}

} // namespace

// A clock running fast needs waits shorter than the millisecond a QTimer resolves: the
// serial tick of 10 ms is 0.5 ms at a factor of 20, and rounding it to 0 or 1 ms would change
// how many ticks fit in a time-out. One timerfd, armed for the earliest task to the
// nanosecond, drives the tasks instead.
class SystemClock::Compressed {
public:
    Compressed()
        : m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
          m_notifier(m_fd, QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier,
                         [this] { runDue(); });
        all().push_back(this);
    }
    ~Compressed() {
        std::erase(all(), this);
        *m_alive = false;
        m_notifier.setEnabled(false);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Compressed(const Compressed&) = delete;
    Compressed& operator=(const Compressed&) = delete;

    // Every scheduler of the process, to be armed anew when the speed changes.
    static std::vector<Compressed*>& all() {
        static std::vector<Compressed*> schedulers;
        return schedulers;
    }

    void add(TaskId id, int delayMs, Task task) {
        const qint64 due = fastNowNs() + qint64(std::max(0, delayMs)) * 1000000;
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

    void rearm() { arm(); }

private:
    void runDue() {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
        // A task may delete the clock; the flag outlives it.
        const std::shared_ptr<bool> alive = m_alive;
        while (!m_tasks.empty() && m_tasks.begin()->first.first <= fastNowNs()) {
            auto node = m_tasks.extract(m_tasks.begin());
            m_due.remove(node.key().second);
            node.mapped()();
            if (!*alive)
                return;
        }
        arm();
    }

    void arm() {
        itimerspec setting{}; // all zero disarms
        if (!m_tasks.empty()) {
            // The real time the earliest task is due at the present speed. Zero would disarm:
            // a task due at once is due one nanosecond in.
            const qint64 real = monotonicNs();
            const qint64 ahead =
                std::max<qint64>(0, m_tasks.begin()->first.first - fastNowNs(real));
            const qint64 due = std::max<qint64>(real + ahead / fastRate(), 1);
            setting.it_value.tv_sec = time_t(due / 1000000000);
            setting.it_value.tv_nsec = long(due % 1000000000);
        }
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &setting, nullptr);
    }

    const int m_fd;
    QSocketNotifier m_notifier;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // Ordered by (due time in the fast time, id): equal due times keep scheduling order.
    std::map<std::pair<qint64, TaskId>, Task> m_tasks;
    QHash<TaskId, qint64> m_due;
};

void SystemClock::setTimeScale(int factor) {
    g_timeScale = std::max(1, factor);
    g_realBase = monotonicNs();
    g_fastBase = g_realBase;
    g_answerDue = false;
}

void SystemClock::setAnswerDue(bool due) {
    if (g_timeScale == 1 || due == g_answerDue)
        return;
    const qint64 real = monotonicNs();
    g_fastBase = fastNowNs(real);
    g_realBase = real;
    g_answerDue = due;
    // Timers armed at the old speed would fire too early (harmless) or too late.
    for (Compressed* scheduler : Compressed::all())
        scheduler->rearm();
}

int SystemClock::timeScale() {
    return g_timeScale;
}

SystemClock::SystemClock() : m_scale(g_timeScale) {
    m_elapsed.start();
    if (m_scale != 1)
        m_fastStartNs = fastNowNs();
}

SystemClock::~SystemClock() {
    m_compressed.reset();
    // The timers are children of m_context and go with it; none can fire after this.
    m_timers.clear();
}

qint64 SystemClock::nowMs() const {
    if (m_scale == 1)
        return m_elapsed.elapsed();
    return (fastNowNs() - m_fastStartNs) / 1000000;
}

Clock::TaskId SystemClock::runAfter(int delayMs, Task task) {
    const TaskId id = m_nextId++;
    if (m_scale != 1) {
        // Made on first use, on the thread that runs the tasks.
        if (!m_compressed)
            m_compressed = std::make_unique<Compressed>();
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
