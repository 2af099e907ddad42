#pragma once
#include "platform/DeviceTree.h"
#include <QString>
#include <vector>

namespace lumo {

// One serial device found on the system: the path to offer and the node it leads to.
struct SerialDeviceEntry {
    QString path;   // e.g. /dev/serial/by-id/usb-FTDI_...-if00-port0 or /dev/ttyUSB0
    QString device; // the node after following links, e.g. /dev/ttyUSB0
};

// The serial devices worth offering for a COM port, in this order: the stable names of
// /dev/serial/by-id (they survive replugging), then /dev/ttyUSB*, /dev/ttyACM* and the
// built-in /dev/ttyS*, each group in numeric order. A by-id link whose target is gone is left
// out.
std::vector<SerialDeviceEntry> listSerialDevices(const DeviceTree& tree = {});

} // namespace lumo
