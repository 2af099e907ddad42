#pragma once
#include "platform/DeviceHolders.h"
#include "platform/DeviceTree.h"
#include <QString>
#include <vector>

namespace lumo {

// Why a serial device cannot be used as a port, found by looking at it and trying to open it.
struct PortDiagnosis {
    enum class Problem { None, Missing, NotTerminal, Permission, InUse, Other };
    Problem problem = Problem::None;
    int systemError = 0;               // errno of the failed call, 0 when none
    QString group;                     // Permission: the group that owns the node ("dialout")
    std::vector<DeviceHolder> holders; // InUse: who holds it, when that can be seen
};

// Diagnoses the device at `path` (a system path; links such as /dev/serial/by-id are
// followed). The access check of `tree` decides permission before the device is opened, so a
// missing right is told apart from a busy device even for root.
PortDiagnosis diagnoseSerialPort(const QString& path, const DeviceTree& tree = {});

} // namespace lumo
