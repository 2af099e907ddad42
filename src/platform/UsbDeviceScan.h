#pragma once
#include "platform/DeviceTree.h"
#include <QString>
#include <vector>

namespace lumo {

// One USB device as the kernel describes it in /sys/bus/usb/devices. The kernel shows the
// strings to everyone, even when the device node is closed to this user, so a device that
// libusb cannot open is still recognised by its serial number.
struct UsbDeviceEntry {
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber;
    QString description; // the product string
    int bus = 0;
    int address = 0;
    QString node; // /dev/bus/usb/BBB/DDD
};

// The USB devices of `vendorId` (every device for 0), in the kernel's order of names.
std::vector<UsbDeviceEntry> listUsbDevices(quint16 vendorId, const DeviceTree& tree = {});

} // namespace lumo
