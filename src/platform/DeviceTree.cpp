#include "platform/DeviceTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace lumo {

QString DeviceTree::host(const QString& path) const {
    if (root.isEmpty() || !path.startsWith('/'))
        return path;
    return root + path;
}

QString DeviceTree::guest(const QString& hostPath) const {
    if (root.isEmpty() || !hostPath.startsWith(root))
        return hostPath;
    const QString rest = hostPath.mid(root.size());
    return rest.isEmpty() ? QStringLiteral("/") : rest;
}

bool DeviceTree::accessible(const QString& hostPath) const {
    if (mayReadWrite)
        return mayReadWrite(hostPath);
    return ::access(QFile::encodeName(hostPath).constData(), R_OK | W_OK) == 0;
}

QString DeviceTree::resolve(const QString& path) const {
    // Links inside a fake tree point to absolute system paths or relative ones; both are
    // followed within the tree.
    QString current = host(path);
    for (int hops = 0; hops < 16; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return info.exists() ? guest(QDir::cleanPath(info.absoluteFilePath())) : QString();
        const QByteArray native = QFile::encodeName(current);
        char target[4096];
        const ssize_t n = ::readlink(native.constData(), target, sizeof target - 1);
        if (n <= 0)
            return {};
        const QString link = QFile::decodeName(QByteArray(target, static_cast<int>(n)));
        current =
            link.startsWith('/') ? host(link) : QDir::cleanPath(info.absolutePath() + '/' + link);
    }
    return {};
}

} // namespace lumo
