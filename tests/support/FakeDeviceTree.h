#pragma once
#include "platform/DeviceTree.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace lumo::test {

// A fake system tree (/dev, /proc, /sys, /run/lock) in a temporary folder. Devices are plain
// files; which nodes this process may use is decided by the `denied` set, since the tests run
// as root and chmod would not stop them.
struct FakeDeviceTree {
    QTemporaryDir dir;
    QSet<QString> denied; // system paths without access

    DeviceTree tree() const {
        DeviceTree t;
        t.root = dir.path();
        const QString root = dir.path();
        const QSet<QString> refused = denied;
        t.mayReadWrite = [root, refused](const QString& hostPath) {
            return !refused.contains(hostPath.mid(root.size()));
        };
        return t;
    }
    QString host(const QString& path) const { return dir.path() + path; }

    // A file at a system path, with `content`.
    void file(const QString& path, const QByteArray& content = {}) const {
        QDir().mkpath(QFileInfo(host(path)).absolutePath());
        QFile f(host(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void folder(const QString& path) const { QDir().mkpath(host(path)); }
    // A symbolic link at a system path pointing to `target` (kept as given: relative, or an
    // absolute system path as in /proc/PID/fd).
    void link(const QString& path, const QString& target) const {
        QDir().mkpath(QFileInfo(host(path)).absolutePath());
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                            QFile::encodeName(host(path)).constData()),
                  0);
    }
    // A running process with a name and open files.
    void process(qint64 pid, const QString& name, const QStringList& openFiles = {}) const {
        file(QStringLiteral("/proc/%1/comm").arg(pid), name.toUtf8() + '\n');
        folder(QStringLiteral("/proc/%1/fd").arg(pid));
        int fd = 3;
        for (const QString& f : openFiles)
            link(QStringLiteral("/proc/%1/fd/%2").arg(pid).arg(fd++), f);
    }
};

} // namespace lumo::test
