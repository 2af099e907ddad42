#include "platform/DeviceHolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace lumo {

namespace {

QString readLink(const QString& hostPath) {
    char target[4096];
    const ssize_t n =
        ::readlink(QFile::encodeName(hostPath).constData(), target, sizeof target - 1);
    return n > 0 ? QFile::decodeName(QByteArray(target, static_cast<int>(n))) : QString();
}

QString programOf(const DeviceTree& tree, qint64 pid) {
    QFile comm(tree.host(QStringLiteral("/proc/%1/comm").arg(pid)));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.read(256)).trimmed();
    return {};
}

bool running(const DeviceTree& tree, qint64 pid) {
    return pid > 0 && QFileInfo(tree.host(QStringLiteral("/proc/%1").arg(pid))).isDir();
}

// A lock file holds the process id as text ("      1234\n"), or in old programs as a binary
// integer of four bytes.
qint64 lockPid(const QString& hostPath) {
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.read(64);
    bool ok = false;
    const qint64 pid = bytes.trimmed().toLongLong(&ok);
    if (ok)
        return pid;
    if (bytes.size() == 4) {
        qint32 binary = 0;
        std::memcpy(&binary, bytes.constData(), 4);
        return binary;
    }
    return 0;
}

} // namespace

std::vector<DeviceHolder> findDeviceHolders(const QString& devicePath, const DeviceTree& tree) {
    std::vector<DeviceHolder> holders;
    auto add = [&](qint64 pid) {
        for (const DeviceHolder& h : holders)
            if (h.pid == pid)
                return;
        holders.push_back({pid, programOf(tree, pid)});
    };
    const QString node = tree.resolve(devicePath);
    if (node.isEmpty())
        return holders;

    QDir proc(tree.host(QStringLiteral("/proc")));
    for (const QString& name : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = name.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QString fdFolder = proc.filePath(name) + QStringLiteral("/fd");
        QDir fds(fdFolder);
        for (const QString& fd :
             fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = readLink(fdFolder + '/' + fd);
            if (target == node || target == devicePath) {
                add(pid);
                break;
            }
        }
    }

    const QString lockName = QStringLiteral("LCK..") + QFileInfo(node).fileName();
    for (const char* folder : {"/run/lock/", "/var/lock/"}) {
        const qint64 pid = lockPid(tree.host(QString::fromLatin1(folder) + lockName));
        if (running(tree, pid))
            add(pid);
    }
    std::sort(holders.begin(), holders.end(),
              [](const DeviceHolder& a, const DeviceHolder& b) { return a.pid < b.pid; });
    return holders;
}

} // namespace lumo
