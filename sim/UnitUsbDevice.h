#pragma once
#include "sim/VirtualUnit.h"
#include <QString>
#include <memory>
#include <mutex>

namespace lumo {
class VirtualFtdiDevice;
}

namespace lumo::sim {

// A virtual unit behind the virtual FTDI device "Vexo-USB" of this process: every byte the
// program writes to the cable goes to the unit, the unit's answer waits in the cable at once.
class UnitUsbDevice {
public:
    // `mutex` guards the unit when another server shares it (may be null).
    explicit UnitUsbDevice(VirtualUnit& unit, QString memoryFile = {}, std::mutex* mutex = nullptr);
    ~UnitUsbDevice();
    UnitUsbDevice(const UnitUsbDevice&) = delete;
    UnitUsbDevice& operator=(const UnitUsbDevice&) = delete;

    VirtualFtdiDevice& device() { return *m_device; }

private:
    VirtualUnit& m_unit;
    QString m_memoryFile;
    std::mutex* m_mutex;
    std::shared_ptr<VirtualFtdiDevice> m_device;
};

} // namespace lumo::sim
