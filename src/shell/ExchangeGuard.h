#pragma once
#include <QString>

namespace lumo {

// One exchange with a device at a time, local or remote. Whoever starts an exchange (a local
// transfer, a port check, a remote connect, read or write) takes a ticket first and keeps it
// until the exchange has ended; while a ticket is out every other start is refused:
//
//     ExchangeGuard::Ticket ticket = shell.guard().acquire(QStringLiteral("remote"));
//     if (!ticket)
//         return;                       // another exchange runs
//     m_ticket = std::move(ticket);     // released by reset() or destruction when done
//
// A ticket is move-only and releases the guard when destroyed, so an exchange that ends by an
// exception or an early return cannot leave the guard locked.
class ExchangeGuard {
public:
    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket&& other) noexcept : m_guard(other.m_guard) { other.m_guard = nullptr; }
        Ticket& operator=(Ticket&& other) noexcept;
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket() { reset(); }

        explicit operator bool() const { return m_guard != nullptr; }
        // Ends the exchange: the guard takes the next start.
        void reset();

    private:
        friend class ExchangeGuard;
        explicit Ticket(ExchangeGuard* guard) : m_guard(guard) {}
        ExchangeGuard* m_guard = nullptr;
    };

    ExchangeGuard() = default;
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    // A ticket for `holder`, or an empty ticket while another exchange runs.
    [[nodiscard]] Ticket acquire(const QString& holder);
    bool busy() const { return !m_holder.isEmpty(); }
    // Who runs the exchange now ("local", "remote", ...); empty when free.
    const QString& holder() const { return m_holder; }

private:
    QString m_holder;
};

} // namespace lumo
