#include "platform/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

FileError FileError::fromErrno(int err) {
    FileError e;
    e.systemError = err;
    switch (err) {
    case 0:
        e.problem = Problem::None;
        break;
    case ENOENT:
        e.problem = Problem::Missing;
        break;
    case EISDIR:
        e.problem = Problem::Folder;
        break;
    case EACCES:
    case EPERM:
        e.problem = Problem::Permission;
        break;
    case EROFS:
        e.problem = Problem::ReadOnly;
        break;
    case ENOSPC:
    case EDQUOT:
        e.problem = Problem::NoSpace;
        break;
    case EIO:
        e.problem = Problem::InputOutput;
        break;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        e.problem = Problem::BadPath;
        break;
    case ENXIO:
    case ENODEV:
        e.problem = Problem::NotRegular;
        break;
    default:
        e.problem = Problem::Other;
        break;
    }
    return e;
}

namespace {

FileError problem(FileError::Problem p) {
    FileError e;
    e.problem = p;
    return e;
}

FileError typeProblem(mode_t mode) {
    return problem(S_ISDIR(mode) ? FileError::Problem::Folder : FileError::Problem::NotRegular);
}

} // namespace

bool readRegularFile(const QString& path, qint64 limit, QByteArray* bytes, FileError* error,
                     Oversize oversize) {
    auto fail = [&](const FileError& e) {
        if (error)
            *error = e;
        bytes->clear();
        return false;
    };
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return fail(problem(FileError::Problem::Missing));
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(FileError::fromErrno(errno));
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(FileError::fromErrno(errno));
    if (!S_ISREG(st.st_mode))
        return fail(typeProblem(st.st_mode));
    const bool prefix = oversize == Oversize::ReadPrefix;
    if (st.st_size > limit && !prefix) {
        FileError e = problem(FileError::Problem::TooLarge);
        e.size = st.st_size;
        e.limit = limit;
        return fail(e);
    }
    // Regular files ignore O_NONBLOCK; read until end of file, never past the limit (the file
    // may grow while it is read).
    QByteArray data;
    data.resize(qsizetype(std::min<qint64>(st.st_size, limit)) + 1);
    qint64 done = 0;
    for (;;) {
        if (done == data.size()) {
            if (done > limit)
                break;
            data.resize(qsizetype(std::min<qint64>(limit + 1, done * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, data.data() + done, size_t(data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(FileError::fromErrno(errno));
        }
        if (n == 0)
            break;
        done += n;
    }
    if (done > limit && prefix)
        done = limit;
    if (done > limit) {
        FileError e = problem(FileError::Problem::TooLarge);
        e.size = done;
        e.limit = limit;
        return fail(e);
    }
    data.truncate(qsizetype(done));
    *bytes = std::move(data);
    if (error)
        *error = FileError();
    return true;
}

bool resolveSaveTarget(const QString& path, QString* target, FileError* error) {
    auto fail = [&](const FileError& e) {
        if (error)
            *error = e;
        return false;
    };
    QString current = path;
    // The kernel gives up after 40 links; so do we.
    for (int hops = 0; hops <= 40; ++hops) {
        const QByteArray native = QFile::encodeName(current);
        if (native.isEmpty())
            return fail(problem(FileError::Problem::Missing));
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0) {
            if (errno == ENOENT) { // a new file (or a link to one still to be made)
                *target = current;
                if (error)
                    *error = FileError();
                return true;
            }
            return fail(FileError::fromErrno(errno));
        }
        if (S_ISLNK(st.st_mode)) {
            QByteArray link(4096, '\0');
            const ssize_t n = ::readlink(native.constData(), link.data(), size_t(link.size()));
            if (n < 0 || n >= link.size())
                return fail(FileError::fromErrno(n < 0 ? errno : ENAMETOOLONG));
            link.truncate(n);
            // A relative link counts from the folder that holds it.
            const QString next = QFile::decodeName(link);
            current = QDir::isAbsolutePath(next)
                          ? next
                          : QFileInfo(current).absoluteDir().absoluteFilePath(next);
            continue;
        }
        if (!S_ISREG(st.st_mode))
            return fail(typeProblem(st.st_mode));
        *target = current;
        if (error)
            *error = FileError();
        return true;
    }
    return fail(FileError::fromErrno(ELOOP));
}

} // namespace lumo
