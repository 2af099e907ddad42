#pragma once
#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace lumo::test {

// A character device node of our own (the null device's numbers) in a test folder, so that a
// save that wrongly replaces a device replaces this node and never the system's /dev/null.
// Empty when the process may not make device nodes (not root).
inline QString makePrivateDeviceNode(const QString& path) {
    if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        return {};
    return path;
}

inline bool isCharacterDevice(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace lumo::test
