#include "sim/UnitUsbDevice.h"
#include "link/FtdiVirtual.h"
#include <algorithm>

namespace lumo::sim {

UnitUsbDevice::UnitUsbDevice(VirtualUnit& unit, QString memoryFile, std::mutex* mutex,
                             Timing timing)
    : m_unit(unit), m_memoryFile(std::move(memoryFile)), m_mutex(mutex), m_timing(timing) {
    m_timing.unitDelayMs = std::max(0, m_timing.unitDelayMs);
    m_device = VirtualFtdiRegistry::instance().plug("Vexo-USB", "Vexo USB");
    if (!m_timing.baudPacing && m_timing.unitDelayMs == 0) {
        m_device->setHostWriteHandler([this](const QByteArray& bytes) {
            const QByteArray answer = feedUnit(bytes);
            if (!answer.isEmpty())
                m_device->sendToHost(answer);
        });
        return;
    }
    m_thread = std::thread([this] { run(); });
    m_device->setHostWriteHandler([this](const QByteArray& bytes) { fromHost(bytes); });
}

UnitUsbDevice::~UnitUsbDevice() {
    m_device->setHostWriteHandler({});
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_lineMutex);
            m_stop = true;
        }
        m_lineChanged.notify_all();
        m_thread.join();
    }
    VirtualFtdiRegistry::instance().unplug("Vexo-USB");
}

QByteArray UnitUsbDevice::feedUnit(const QByteArray& bytes) {
    std::unique_lock<std::mutex> lock;
    if (m_mutex)
        lock = std::unique_lock(*m_mutex);
    const QByteArray answer = m_unit.feed(bytes);
    if (m_unit.takeMemoryChanged() && !m_memoryFile.isEmpty())
        m_unit.save(m_memoryFile);
    return answer;
}

UnitUsbDevice::SteadyClock::duration UnitUsbDevice::byteTime() const {
    if (!m_timing.baudPacing)
        return SteadyClock::duration::zero();
    // Start bit, 8 data bits, stop bit at the rate the program set on the cable.
    const qint64 rate = std::max<qint64>(1, m_device->baudRate());
    return std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::nanoseconds(10LL * 1000000000 / rate));
}

void UnitUsbDevice::fromHost(const QByteArray& bytes) {
    // On the program's thread: the write returns at once, as the chip's buffer takes it.
    const auto now = SteadyClock::now();
    const auto perByte = byteTime();
    {
        std::lock_guard lock(m_lineMutex);
        for (char byte : bytes) {
            m_rxFree = std::max(m_rxFree, now) + perByte;
            m_inbound.push_back({m_rxFree, byte});
        }
    }
    m_lineChanged.notify_all();
}

void UnitUsbDevice::run() {
    const auto delay = std::chrono::milliseconds(m_timing.unitDelayMs);
    std::unique_lock lock(m_lineMutex);
    while (!m_stop) {
        auto next = SteadyClock::time_point::max();
        if (!m_inbound.empty())
            next = m_inbound.front().at;
        if (!m_outbound.empty())
            next = std::min(next, m_outbound.front().at);
        if (next == SteadyClock::time_point::max())
            m_lineChanged.wait(lock);
        else if (next > SteadyClock::now())
            m_lineChanged.wait_until(lock, next);
        if (m_stop)
            break;

        const auto now = SteadyClock::now();
        QByteArray arrived;
        while (!m_inbound.empty() && m_inbound.front().at <= now) {
            arrived += m_inbound.front().byte;
            m_inbound.pop_front();
        }
        QByteArray due;
        while (!m_outbound.empty() && m_outbound.front().at <= now) {
            due += m_outbound.front().byte;
            m_outbound.pop_front();
        }
        if (arrived.isEmpty() && due.isEmpty())
            continue;

        // The unit and the cable have locks of their own; neither is taken under this one.
        lock.unlock();
        if (!due.isEmpty())
            m_device->sendToHost(due);
        QByteArray answer;
        for (char byte : arrived)
            answer += feedUnit(QByteArray(1, byte));
        const auto perByte = byteTime();
        lock.lock();
        for (char byte : answer) {
            m_txFree = std::max(m_txFree, now + delay) + perByte;
            m_outbound.push_back({m_txFree, byte});
        }
    }
}

} // namespace lumo::sim
