#include "sim/PtyLink.h"
#include <QFile>
#include <cerrno>
#include <cstring>
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
            return fail(QStringLiteral("something other than a link is there"));
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
