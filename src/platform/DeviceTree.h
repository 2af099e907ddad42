#pragma once
#include <QString>
#include <functional>

namespace lumo {

// Where device files, /proc and /sys are looked up, and whether this process may read and write
// a device. The real system by default; tests point `root` at a fake tree and decide access
// themselves (they run as root, for whom every node is accessible).
struct DeviceTree {
    QString root; // empty: the real root
    // Host path of a node -> this process may read and write it. Empty: access(2).
    std::function<bool(const QString& hostPath)> mayReadWrite;

    // The host path of a system path ("/dev/ttyUSB0" under the root).
    QString host(const QString& path) const;
    // The system path of a host path under the root (the root's prefix taken off).
    QString guest(const QString& hostPath) const;
    bool accessible(const QString& hostPath) const;
    // The node a path stands for after following every link, as a system path; empty when the
    // path or its link target does not exist.
    QString resolve(const QString& path) const;
};

} // namespace lumo
