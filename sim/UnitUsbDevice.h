#pragma once
#include "sim/VirtualUnit.h"
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace lumo {
class VirtualFtdiDevice;
}

namespace lumo::sim {

// How the virtual cable's unit answers: at once, or in real time at the pace of the line.
struct UnitUsbTiming {
    bool baudPacing = false;
    int unitDelayMs = 0; // the unit's reaction time before each answer
};

// A virtual unit behind the virtual FTDI device "Vexo-USB" of this process: every byte the
// program writes to the cable goes to the unit. Without timing the unit's answer waits in the
// cable at once (on the writer's thread, so it runs in virtual time too); with baud pacing or a
// reaction time a thread of its own delivers each byte to the unit and each answer byte to the
// cable when it is due, at the pace of the line at the baud rate the program set (10 bits a
// byte), in real time.
class UnitUsbDevice {
public:
    using Timing = UnitUsbTiming;

    // `mutex` guards the unit when another server shares it (may be null).
    explicit UnitUsbDevice(VirtualUnit& unit, QString memoryFile = {}, std::mutex* mutex = nullptr,
                           Timing timing = {});
    ~UnitUsbDevice();
    UnitUsbDevice(const UnitUsbDevice&) = delete;
    UnitUsbDevice& operator=(const UnitUsbDevice&) = delete;

    VirtualFtdiDevice& device() { return *m_device; }
    const Timing& timing() const { return m_timing; }

private:
    using SteadyClock = std::chrono::steady_clock;
    struct Due {
        SteadyClock::time_point at;
        char byte;
    };

    QByteArray feedUnit(const QByteArray& bytes);
    SteadyClock::duration byteTime() const;
    void fromHost(const QByteArray& bytes); // timed: queues the bytes on their way to the unit
    void run();

    VirtualUnit& m_unit;
    QString m_memoryFile;
    std::mutex* m_mutex;
    Timing m_timing;
    std::shared_ptr<VirtualFtdiDevice> m_device;

    // Timed delivery; all under m_lineMutex.
    std::mutex m_lineMutex;
    std::condition_variable m_lineChanged;
    std::deque<Due> m_inbound;  // host bytes on their way to the unit
    std::deque<Due> m_outbound; // answer bytes on their way to the cable
    SteadyClock::time_point m_rxFree{};
    SteadyClock::time_point m_txFree{};
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace lumo::sim
