#pragma once
// Pseudo-terminal pairs and event-loop waits for the serial component tests.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace lumo::testing {

// A pseudo-terminal: the test holds the master, the component opens the slave by its path.
class PtyPair {
public:
    PtyPair() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
        // Keep a slave open so the master does not see a hang-up while the port is closed.
        m_slaveKeeper = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        tcgetattr(m_slaveKeeper, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_slaveKeeper, TCSANOW, &tio);
    }
    ~PtyPair() {
        closeMaster();
        if (m_slaveKeeper >= 0)
            ::close(m_slaveKeeper);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0 && m_slaveKeeper >= 0; }
    const QString& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }

    void write(const QByteArray& bytes) const {
        ssize_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n <= 0)
                return;
            done += n;
        }
    }
    // Reads what the port sent until `count` bytes arrived or `timeoutMs` passed.
    QByteArray read(int count, int timeoutMs = 5000) const {
        QByteArray out;
        QDeadlineTimer deadline(timeoutMs);
        while (out.size() < count && !deadline.hasExpired()) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, static_cast<int>(n));
        }
        return out;
    }
    void closeMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    void closeKeeper() {
        if (m_slaveKeeper >= 0)
            ::close(m_slaveKeeper);
        m_slaveKeeper = -1;
    }

private:
    int m_master = -1;
    int m_slaveKeeper = -1;
    QString m_slavePath;
};

// Runs this thread's event loop until `done` holds or `timeoutMs` passed (a safety net, not a
// time being tested).
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::usleep(200);
    }
    return true;
}

// Waits without running this thread's event loop until `done` holds or `timeoutMs` passed
// (a safety net, not a time being tested).
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(200);
    }
    return true;
}

} // namespace lumo::testing
