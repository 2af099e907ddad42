#include "platform/VirtualClock.h"

#include <algorithm>

namespace lumo {

Clock::TaskId VirtualClock::runAfter(int delayMs, Task task) {
    const TaskId id = m_nextId++;
    m_tasks.emplace(std::make_pair(m_now + std::max(0, delayMs), id), std::move(task));
    return id;
}

void VirtualClock::cancel(TaskId id) {
    for (auto it = m_tasks.begin(); it != m_tasks.end(); ++it) {
        if (it->first.second == id) {
            m_tasks.erase(it);
            return;
        }
    }
}

qint64 VirtualClock::nextDueMs() const {
    return m_tasks.empty() ? -1 : m_tasks.begin()->first.first;
}

bool VirtualClock::runNext(qint64 limit) {
    if (m_tasks.empty() || m_tasks.begin()->first.first > limit)
        return false;
    auto node = m_tasks.extract(m_tasks.begin());
    m_now = std::max(m_now, node.key().first);
    node.mapped()();
    return true;
}

void VirtualClock::advance(qint64 ms) {
    const qint64 target = m_now + std::max<qint64>(0, ms);
    while (runNext(target)) {
    }
    m_now = target;
}

bool VirtualClock::runUntilIdle(qint64 limitMs) {
    const qint64 limit = m_now + std::max<qint64>(0, limitMs);
    while (runNext(limit)) {
    }
    return m_tasks.empty();
}

} // namespace lumo
