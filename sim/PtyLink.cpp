#include "sim/PtyLink.h"
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo::sim {

namespace {
QString linkTarget(const QByteArray& link) {
    char buffer[4096];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, n));
}
} // namespace

bool openPseudoTerminal(int& master, int& slaveKeep, QString& name, speed_t speed, QString* error) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (error)
            *error = QStringLiteral("pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    name = QString::fromLocal8Bit(ptsname(master));
    slaveKeep = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slaveKeep >= 0) {
        termios tio{};
        tcgetattr(slaveKeep, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(slaveKeep, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool makePtyLink(const QString& terminal, const QString& linkPath, QString* error) {
    const QByteArray link = QFile::encodeName(linkPath);
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("cannot create the link %1: %2").arg(linkPath, why);
        return false;
    };
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            return fail(QStringLiteral("%1 is not a link").arg(linkPath));
        if (::unlink(link.constData()) != 0 && errno != ENOENT)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (::symlink(QFile::encodeName(terminal).constData(), link.constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

void removePtyLink(const QString& terminal, const QString& linkPath) {
    const QByteArray link = QFile::encodeName(linkPath);
    if (linkTarget(link) == terminal)
        ::unlink(link.constData());
}

} // namespace lumo::sim
