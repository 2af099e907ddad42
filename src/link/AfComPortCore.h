#pragma once
#include "link/AfCircularBuffer.h"
#include "platform/SerialFile.h"
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace lumo {

// Kinds of event the core raises on its event thread.
enum class TAfCoreEvent { ceOutFree = 0, ceLineEvent = 1, ceNeedReadData = 2, ceException = 3 };

enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Line-event bits (as in the Win32 comm event mask) and line-error bits.
namespace afEvent {
constexpr quint32 EV_RXCHAR = 0x1;
constexpr quint32 EV_CTS = 0x8;
constexpr quint32 EV_DSR = 0x10;
constexpr quint32 EV_RLSD = 0x20;
constexpr quint32 EV_ERR = 0x80;
constexpr quint32 EV_RING = 0x100;
constexpr quint32 kEventMask = 0x1B9;

constexpr quint32 CE_RXOVER = 0x1;
constexpr quint32 CE_OVERRUN = 0x2;
constexpr quint32 CE_RXPARITY = 0x4;
constexpr quint32 CE_FRAME = 0x8;
constexpr quint32 CE_BREAK = 0x10;
} // namespace afEvent

// Line-control functions of EscapeComm.
enum class TAfEscape { SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6 };

class TAfComPortCore;

// Common base of the two worker threads: the stop event, the terminated mark, the core.
class TAfComPortCoreThread {
public:
    explicit TAfComPortCoreThread(TAfComPortCore& core) : m_core(core) {}
    virtual ~TAfComPortCoreThread();
    TAfComPortCoreThread(const TAfComPortCoreThread&) = delete;
    TAfComPortCoreThread& operator=(const TAfComPortCoreThread&) = delete;

    void Start();
    // Marks it terminated, sets the stop event and waits for the thread to end.
    void Stop();
    void SetPriority(TThreadPriority priority);
    bool Terminated() const { return m_terminated.load(); }

protected:
    virtual void Execute() = 0;
    TAfComPortCore& m_core;
    WakeEvent m_stop;

private:
    void Run();
    std::thread m_thread;
    std::atomic<bool> m_terminated{false};
    std::atomic<int> m_tid{0};
};

// Takes input from the driver as it arrives and reports it; wakes at least every 200 ms to
// report input still unread and line-status changes.
class TAfComPortEventThread : public TAfComPortCoreThread {
public:
    using TAfComPortCoreThread::TAfComPortCoreThread;

protected:
    void Execute() override;

private:
    bool CheckStatus(bool raiseEvents = true); // false when the device is gone
    SerialFile::ErrorCounters m_lastCounters;
    unsigned m_lastLines = 0;
};

// Drains the core's output ring buffer into the device.
class TAfComPortWriteThread : public TAfComPortCoreThread {
public:
    using TAfComPortCoreThread::TAfComPortCoreThread;
    // Asks the thread to drop what it is writing; waits up to 2000 ms for its answer.
    void Purge();
    void DataReady() { m_dataReady.set(); }

protected:
    void Execute() override;

private:
    WakeEvent m_purgeRequest;
    WakeEvent m_purgeAck;
    WakeEvent m_dataReady;
};

// The open device of a serial component with its two worker threads, its locks and its
// ring buffer. Events are raised on the event thread through the handler given to it; the
// component relays them to its own thread.
class TAfComPortCore {
public:
    using EventHandler =
        std::function<void(TAfCoreEvent kind, quint32 data, const QString& message)>;

    TAfComPortCore();
    ~TAfComPortCore();
    TAfComPortCore(const TAfComPortCore&) = delete;
    TAfComPortCore& operator=(const TAfComPortCore&) = delete;

    // Called on the event thread; set it while the port is closed.
    void SetEventHandler(EventHandler handler) { m_handler = std::move(handler); }

    // Opens `devicePath` as port `comNumber` (the number is for checks and messages). Raises
    // EAfComPortCoreError; on error everything opened so far is closed again.
    void OpenComPort(int comNumber, const QString& devicePath);
    void CloseComPort();
    bool IsOpen() const { return m_open.load(); }
    bool IsPseudoTerminal() const { return m_file.isPseudoTerminal(); }
    int ComNumber() const { return m_comNumber; }

    const SerialDcb& DCB() const { return m_dcb; }
    // Applies the DCB at once when open; on refusal reads the port's current DCB back and
    // raises "Error setting parameters from DCB".
    void SetDCB(const SerialDcb& dcb);

    int InBuffSize = 4096;
    int OutBuffSize = 2048;
    TThreadPriority EventThreadPriority = TThreadPriority::tpNormal;
    TThreadPriority WriteThreadPriority = TThreadPriority::tpHighest;
    quint32 EventMask() const { return m_eventMask; }

    // Accumulated line-error bits, cleared by reading them.
    quint32 ReadAndClearErrors();
    // Bytes waiting in the input; 0 when closed.
    int BytesWaiting();
    // Reads up to `count` bytes without waiting; returns how many were read.
    int ReadData(char* buffer, int count);
    // Queues the bytes for the write thread; false when they do not fit (*freeSpace gets the
    // room there was; 0 when closed).
    bool WriteData(const char* data, int count, int* freeSpace);
    int OutBufFree();
    int OutBufUsed();
    bool EscapeComm(TAfEscape function);
    // True once the device has gone away (the event thread has stopped).
    bool DeviceLost() const { return m_lost.load(); }

private:
    friend class TAfComPortEventThread;
    friend class TAfComPortWriteThread;

    void RaiseEvent(TAfCoreEvent kind, quint32 data, const QString& message = {});
    int BytesWaitingLocked() const;
    void MarkLost();
    void CloseHandles();

    SerialFile m_file;
    int m_comNumber = 0;
    SerialDcb m_dcb;
    quint32 m_eventMask = 0;
    EventHandler m_handler;

    std::atomic<bool> m_active{false};
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_lost{false};
    std::atomic<quint32> m_errors{0};

    WakeEvent m_threadsStarted;
    WakeEvent m_outputEmpty;
    std::mutex m_inputLock;
    std::mutex m_outputLock;
    // Moves what the driver holds into the input queue (at most InBuffSize bytes in all);
    // returns the number taken, or -1 when the device is gone. `readable`: poll() said so
    // while the owner's reads stood at `ownerReadsBefore`. Event thread.
    int DrainInput(bool readable, quint64 ownerReadsBefore);
    bool InputQueueFull();
    // Reads of the owner that took bytes straight from the driver.
    quint64 OwnerReads();

    // Input taken from the driver and not yet read, oldest first; under the input lock.
    QByteArray m_input;
    quint64 m_ownerReads = 0; // under the input lock

    std::unique_ptr<TAfCircularBuffer> m_ring;
    std::unique_ptr<TAfComPortWriteThread> m_writeThread;
    std::unique_ptr<TAfComPortEventThread> m_eventThread;
};

} // namespace lumo
