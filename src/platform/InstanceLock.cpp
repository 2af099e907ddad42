#include "platform/InstanceLock.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lumo {

namespace {

QString lockFolder() {
    // XDG_RUNTIME_DIR is the per-user runtime folder; asking QStandardPaths for it when it is
    // unset prints a warning and invents one, so fall back to the temporary folder ourselves.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QString();
}

// A name from the environment must not reach outside the lock folder.
QString safeFileName(QString name) {
    name.replace('/', '_').replace('\\', '_');
    if (name.isEmpty() || name == "." || name == "..")
        name = QStringLiteral("Lumo");
    return name;
}

} // namespace

InstanceLock::InstanceLock(const QString& name) : m_name(name) {
    const QByteArray override = qgetenv("LUMO_INSTANCE_NAME");
    if (!override.isEmpty())
        m_name = QString::fromLocal8Bit(override);
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor releases the lock
}

bool InstanceLock::acquire() {
    if (m_fd >= 0)
        return true;
    QString folder = lockFolder();
    QString fileName = safeFileName(m_name);
    if (folder.isEmpty()) {
        // The temporary folder is shared by all users; another user's lock file must not
        // look like a running instance of ours.
        folder = QDir::tempPath();
        fileName += QStringLiteral("-%1").arg(::getuid());
    }
    const QString path = QDir(folder).filePath(fileName + ".lock");
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // flock locks belong to the open file description, so a second open of the same file, in
    // this process or another, is refused while this one holds it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace lumo
