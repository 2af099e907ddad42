#pragma once
#include "sim/VirtualLineBox.h"
#include <QByteArray>
#include <QString>
#include <deque>
#include <memory>
#include <mutex>

namespace lumo {
class VirtualFtdiDevice;
}

namespace lumo::sim {

// A virtual line box plugged into the virtual FTDI registry of this process as the device
// "Kavrostanel" with a serial number beginning "KAV": every byte the program writes to it goes
// to the box, every reply line waits in the device for the program to read. With the fault
// `splitBytes` a reply is handed over in pieces, one piece after each read of the program.
// When the box vanishes the device is pulled out; reappear() plugs a fresh one in under the
// same serial number.
class LineBoxUsbDevice {
public:
    static constexpr const char* kDefaultSerial = "KAV00001";

    // `unitMutex` guards the unit when another server shares it (may be null). With a memory
    // file the unit's memory is saved there after every code that changed it.
    LineBoxUsbDevice(Clock& clock, VirtualUnit& unit, std::mutex* unitMutex = nullptr,
                     QByteArray serialNumber = kDefaultSerial, QString memoryFile = {});
    ~LineBoxUsbDevice();
    LineBoxUsbDevice(const LineBoxUsbDevice&) = delete;
    LineBoxUsbDevice& operator=(const LineBoxUsbDevice&) = delete;

    VirtualLineBox& box() { return m_box; }
    VirtualFtdiDevice& device() { return *m_device; }
    const QByteArray& serialNumber() const { return m_serial; }

    // The box disappears from the bus (its device is pulled out) and comes back.
    void vanish() { m_box.vanish(); }
    void reappear();

private:
    void plugDevice();
    void toHost(const QByteArray& bytes);
    void releasePiece();

    VirtualLineBox m_box;
    VirtualUnit& m_unit;
    std::mutex* m_unitMutex;
    QByteArray m_serial;
    QString m_memoryFile;
    std::shared_ptr<VirtualFtdiDevice> m_device;
    std::mutex m_splitMutex;
    QByteArray m_held; // reply bytes not yet handed over (split replies)
};

} // namespace lumo::sim
