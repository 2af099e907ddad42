#pragma once
#include "platform/DeviceTree.h"
#include <QString>
#include <vector>

namespace lumo {

// A program that holds a device open.
struct DeviceHolder {
    qint64 pid = 0;
    QString program; // its command name, empty when it cannot be read
    bool operator==(const DeviceHolder&) const = default;
};

// The programs that hold `devicePath` (links followed) open, as far as this process can see:
// the open files of every process in /proc (other users' processes are hidden from a normal
// user) and the UUCP lock files in /run/lock and /var/lock ("LCK..ttyUSB0" with the holder's
// process id) of processes still running. Sorted by process id, each once.
std::vector<DeviceHolder> findDeviceHolders(const QString& devicePath, const DeviceTree& tree = {});

} // namespace lumo
