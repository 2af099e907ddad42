#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

namespace {

// Creates a new file beside `target`; the mode goes through the umask like any new file.
int createBeside(const QString& target, mode_t mode, QByteArray* tempName) {
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/.%2.%3.tmp")
                .arg(folder, info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        *tempName = QFile::encodeName(name);
        const int fd = ::open(tempName->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool saveFileAtomically(const QString& path, const QByteArray& bytes, FileError* error) {
    auto fail = [&](const FileError& e) {
        if (error)
            *error = e;
        return false;
    };
    QString target;
    FileError resolveError;
    if (!resolveSaveTarget(path, &target, &resolveError))
        return fail(resolveError);

    const QByteArray nativeTarget = QFile::encodeName(target);
    struct stat existing {};
    const bool exists = ::stat(nativeTarget.constData(), &existing) == 0;
    QByteArray temp;
    const int fd = createBeside(target, exists ? (existing.st_mode & 07777) : 0666, &temp);
    if (fd < 0)
        return fail(FileError::fromErrno(errno));
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(temp.constData());
        return fail(FileError::fromErrno(err));
    };
    // A partial write (full disk, file-size limit) must never be committed as if complete.
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return abandon(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (exists) {
        // The umask may have narrowed the mode given at creation.
        [[maybe_unused]] const int ignored = ::fchmod(fd, existing.st_mode & 07777);
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return fail(FileError::fromErrno(err));
    }
    if (::rename(temp.constData(), nativeTarget.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return fail(FileError::fromErrno(err));
    }
    if (error)
        *error = FileError();
    return true;
}

QString plainFileErrorText(const FileError& error) {
    using P = FileError::Problem;
    switch (error.problem) {
    case P::None:
        return {};
    case P::Folder:
        return QStringLiteral("is a folder");
    case P::NotRegular:
        return QStringLiteral("not a regular file");
    case P::TooLarge:
        return QStringLiteral("%1 bytes, more than %2").arg(error.size).arg(error.limit);
    default:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(error.systemError ? error.systemError : EIO));
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    FileError e;
    if (saveFileAtomically(path, bytes, &e))
        return true;
    if (error)
        *error = plainFileErrorText(e);
    return false;
}

} // namespace lumo
