#include "sim/UnitUsbDevice.h"
#include "link/FtdiVirtual.h"

namespace lumo::sim {

UnitUsbDevice::UnitUsbDevice(VirtualUnit& unit, QString memoryFile, std::mutex* mutex)
    : m_unit(unit), m_memoryFile(std::move(memoryFile)), m_mutex(mutex) {
    m_device = VirtualFtdiRegistry::instance().plug("Vexo-USB", "Vexo USB");
    m_device->setHostWriteHandler([this](const QByteArray& bytes) {
        QByteArray answer;
        {
            std::unique_lock<std::mutex> lock;
            if (m_mutex)
                lock = std::unique_lock(*m_mutex);
            answer = m_unit.feed(bytes);
            if (m_unit.takeMemoryChanged() && !m_memoryFile.isEmpty())
                m_unit.save(m_memoryFile);
        }
        if (!answer.isEmpty())
            m_device->sendToHost(answer);
    });
}

UnitUsbDevice::~UnitUsbDevice() {
    m_device->setHostWriteHandler({});
    VirtualFtdiRegistry::instance().unplug("Vexo-USB");
}

} // namespace lumo::sim
