#include "sim/LineBoxUsbDevice.h"
#include "link/FtdiVirtual.h"

namespace lumo::sim {

LineBoxUsbDevice::LineBoxUsbDevice(Clock& clock, VirtualUnit& unit, std::mutex* unitMutex,
                                   QByteArray serialNumber, QString memoryFile)
    : m_box(clock, unit, unitMutex), m_unit(unit), m_unitMutex(unitMutex),
      m_serial(std::move(serialNumber)), m_memoryFile(std::move(memoryFile)) {
    m_box.setOutput([this](const QByteArray& bytes) { toHost(bytes); });
    m_box.setVanishedHandler([this] {
        {
            std::lock_guard lock(m_splitMutex);
            m_held.clear();
        }
        VirtualFtdiRegistry::instance().unplug(m_serial);
    });
    if (!m_memoryFile.isEmpty()) {
        m_box.setMemoryChangedHandler([this] {
            std::unique_lock<std::mutex> lock;
            if (m_unitMutex)
                lock = std::unique_lock(*m_unitMutex);
            m_unit.save(m_memoryFile);
        });
    }
    plugDevice();
}

LineBoxUsbDevice::~LineBoxUsbDevice() {
    m_device->setHostWriteHandler({});
    m_device->setHostReadHandler({});
    m_box.setOutput({});
    m_box.setVanishedHandler({});
    VirtualFtdiRegistry::instance().unplug(m_serial);
}

void LineBoxUsbDevice::plugDevice() {
    if (m_device) {
        m_device->setHostWriteHandler({});
        m_device->setHostReadHandler({});
    }
    m_device = VirtualFtdiRegistry::instance().plug(m_serial, VirtualLineBox::kDescription);
    m_device->setHostWriteHandler([this](const QByteArray& bytes) { m_box.feed(bytes); });
    m_device->setHostReadHandler([this] { releasePiece(); });
}

void LineBoxUsbDevice::reappear() {
    {
        std::lock_guard lock(m_splitMutex);
        m_held.clear();
    }
    m_box.reappear();
    plugDevice();
}

void LineBoxUsbDevice::toHost(const QByteArray& bytes) {
    const int piece = m_box.faults().splitBytes;
    if (piece <= 0) {
        m_device->sendToHost(bytes);
        return;
    }
    std::lock_guard lock(m_splitMutex);
    const bool idle = m_held.isEmpty();
    m_held += bytes;
    if (idle) {
        m_device->sendToHost(m_held.left(piece));
        m_held.remove(0, piece);
    }
}

void LineBoxUsbDevice::releasePiece() {
    // After each read of the program the next piece of a split reply is there. The box's lock
    // is never taken under the split lock (the box calls toHost under its own).
    const int piece = std::max(1, m_box.faults().splitBytes);
    std::lock_guard lock(m_splitMutex);
    if (m_held.isEmpty() || m_device->pendingToHost() > 0)
        return;
    m_device->sendToHost(m_held.left(piece));
    m_held.remove(0, piece);
}

} // namespace lumo::sim
