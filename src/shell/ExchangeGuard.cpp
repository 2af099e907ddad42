#include "shell/ExchangeGuard.h"
#include <utility>

namespace lumo {

ExchangeGuard::Ticket& ExchangeGuard::Ticket::operator=(Ticket&& other) noexcept {
    if (this != &other) {
        reset();
        m_guard = std::exchange(other.m_guard, nullptr);
    }
    return *this;
}

void ExchangeGuard::Ticket::reset() {
    if (m_guard)
        m_guard->m_holder.clear();
    m_guard = nullptr;
}

ExchangeGuard::Ticket ExchangeGuard::acquire(const QString& holder) {
    if (busy())
        return Ticket();
    // An unnamed holder would look free.
    m_holder = holder.isEmpty() ? QStringLiteral("?") : holder;
    return Ticket(this);
}

} // namespace lumo
