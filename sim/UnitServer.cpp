#include "sim/UnitServer.h"
#include "sim/PtyLink.h"
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace lumo::sim {

namespace {
using SteadyClock = std::chrono::steady_clock;
// One byte of 8N1 at 2400 Bd: start bit, 8 data bits, stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(10LL * 1000000000 / 2400);

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

UnitServer::UnitServer() = default;

UnitServer::~UnitServer() {
    stop();
}

bool UnitServer::start(const Options& options, QString* error) {
    if (running())
        return true;
    m_options = options;
    m_unit.faults() = options.faults;
    if (!options.memoryFile.isEmpty() && QFileInfo::exists(options.memoryFile)) {
        if (!m_unit.load(options.memoryFile, error))
            return false;
    }

    if (!openPseudoTerminal(m_master, m_slaveKeep, m_slaveName, B2400, error)) {
        stop();
        return false;
    }

    if (!options.linkPath.isEmpty()) {
        if (!makePtyLink(m_slaveName, options.linkPath, error)) {
            m_options.linkPath.clear(); // not ours: stop() must leave it alone
            stop();
            return false;
        }
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        if (error)
            *error = systemError("pipe");
        stop();
        return false;
    }
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void UnitServer::stop() {
    m_stop = true;
    if (m_wakeWrite >= 0) {
        const char c = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeWrite, &c, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int* fd : {&m_master, &m_slaveKeep, &m_wakeRead, &m_wakeWrite}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!m_options.linkPath.isEmpty())
        removePtyLink(m_slaveName, m_options.linkPath);
}

ssize_t UnitServer::bytesBeforeVanishing(ssize_t n) {
    const int limit = m_options.vanishAfterBytes;
    if (limit < 0 || n <= 0)
        return n;
    const qint64 left = std::max<qint64>(0, limit - m_bytesFromHost);
    const ssize_t taken = static_cast<ssize_t>(std::min<qint64>(left, n));
    m_bytesFromHost += taken;
    return taken;
}

void UnitServer::vanish() {
    // As a USB adapter pulled out: the host's open terminal hangs up, and the path goes with
    // it, so that a terminal number handed out again is never reached through the old link.
    for (int* fd : {&m_master, &m_slaveKeep}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!m_options.linkPath.isEmpty())
        removePtyLink(m_slaveName, m_options.linkPath);
    m_vanished = true;
}

QString UnitServer::devicePath() const {
    return m_options.linkPath.isEmpty() ? m_slaveName : m_options.linkPath;
}

void UnitServer::run() {
    // Bytes from the host waiting to "arrive" at the unit, and answers waiting to go out,
    // each with the time it is due (now for an unpaced line).
    std::deque<std::pair<SteadyClock::time_point, char>> inbound;
    std::deque<std::pair<SteadyClock::time_point, char>> outbound;
    SteadyClock::time_point rxFree = SteadyClock::now();
    SteadyClock::time_point txFree = SteadyClock::now();
    const bool paced = m_options.baudPacing;
    const auto delay = std::chrono::milliseconds(m_options.unitDelayMs);

    while (!m_stop) {
        const auto now = SteadyClock::now();
        auto nextDue = now + std::chrono::milliseconds(200);
        if (!inbound.empty())
            nextDue = std::min(nextDue, inbound.front().first);
        if (!outbound.empty())
            nextDue = std::min(nextDue, outbound.front().first);
        // Wait to the microsecond: a wait rounded up to whole milliseconds makes every paced
        // byte up to a millisecond late, which is a quarter of a byte time at 2400 Bd.
        const auto wait = std::max<std::chrono::nanoseconds::rep>(
            0, std::chrono::duration_cast<std::chrono::nanoseconds>(nextDue - now).count());
        const timespec timeout{static_cast<time_t>(wait / 1000000000),
                               static_cast<long>(wait % 1000000000)};
        // A vanished device waits for the stop only (poll skips a negative descriptor).
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        const int ready = ::ppoll(fds, 2, m_vanished ? nullptr : &timeout, nullptr);
        if (m_stop)
            break;
        if (m_vanished)
            continue;
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            char buffer[512];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            const ssize_t n = bytesBeforeVanishing(got);
            const auto at = SteadyClock::now();
            for (ssize_t i = 0; i < n; ++i) {
                if (paced) {
                    rxFree = std::max(rxFree, at) + kByteTime;
                    inbound.emplace_back(rxFree, buffer[i]);
                } else {
                    inbound.emplace_back(at, buffer[i]);
                }
            }
        } else if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR))) {
            // No host holds the terminal; avoid spinning on the hang-up.
            ::usleep(5000);
        }

        const auto t = SteadyClock::now();
        while (!inbound.empty() && inbound.front().first <= t) {
            const char byte = inbound.front().second;
            inbound.pop_front();
            QByteArray answer;
            {
                std::lock_guard lock(m_mutex);
                answer = m_unit.feedByte(static_cast<unsigned char>(byte));
                if (m_unit.takeMemoryChanged() && !m_options.memoryFile.isEmpty())
                    m_unit.save(m_options.memoryFile);
            }
            for (char c : answer) {
                if (paced) {
                    txFree = std::max(txFree, t + delay) + kByteTime;
                    outbound.emplace_back(txFree, c);
                } else {
                    outbound.emplace_back(t + delay, c);
                }
            }
        }
        // The last byte the device takes has reached the unit: what it answers is lost.
        if (m_options.vanishAfterBytes >= 0 && m_bytesFromHost >= m_options.vanishAfterBytes &&
            inbound.empty()) {
            vanish();
            outbound.clear();
            continue;
        }
        QByteArray out;
        while (!outbound.empty() && outbound.front().first <= t) {
            out += outbound.front().second;
            outbound.pop_front();
        }
        if (!out.isEmpty()) {
            int written = 0;
            while (written < out.size() && !m_stop) {
                const ssize_t n =
                    ::write(m_master, out.constData() + written, size_t(out.size() - written));
                if (n > 0)
                    written += int(n);
                else if (errno == EAGAIN)
                    ::usleep(1000);
                else
                    break;
            }
        }
    }
}

} // namespace lumo::sim
