#pragma once
#include <QByteArray>
#include <QString>

namespace lumo {

// Why a file could not be read or written, without any wording: the texts layer turns it into
// a message (see texts/FileErrorText.h), so the platform layer stays free of language.
struct FileError {
    enum class Problem {
        None,
        Missing,     // no such file (or a dangling link when reading)
        Folder,      // a folder where a file was wanted
        NotRegular,  // a FIFO, a device node or a socket (or a link to one)
        TooLarge,    // larger than the limit the caller gave
        Permission,  // EACCES / EPERM
        ReadOnly,    // EROFS
        NoSpace,     // ENOSPC / EDQUOT
        InputOutput, // EIO
        BadPath,     // ENOTDIR, ENAMETOOLONG, ELOOP
        Other,       // any other system error; systemError holds errno
    };
    Problem problem = Problem::None;
    int systemError = 0; // errno when the system gave one
    qint64 size = 0;     // TooLarge: the file's size
    qint64 limit = 0;    // TooLarge: the limit

    bool ok() const { return problem == Problem::None; }
    static FileError fromErrno(int err);
};

// What to do with a file larger than the limit.
enum class Oversize { Refuse, ReadPrefix };

// Reads a regular file of at most `limit` bytes (or, with ReadPrefix, its first `limit` bytes).
// The file is opened without blocking and its type checked on the open descriptor, so a FIFO or
// a device given as a file is refused at once instead of hanging in open() or read().
bool readRegularFile(const QString& path, qint64 limit, QByteArray* bytes, FileError* error,
                     Oversize oversize = Oversize::Refuse);

// Where a save to `path` must really go: `path` itself, or, when it is a symbolic link (a
// chain of them), the final target, so that saving keeps the link. Fails when that target
// exists and is not a regular file, or the chain is broken in a way no save can mend.
bool resolveSaveTarget(const QString& path, QString* target, FileError* error);

} // namespace lumo
