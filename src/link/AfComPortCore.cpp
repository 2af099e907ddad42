#include "link/AfComPortCore.h"

#include "link/AfComPortErrors.h"
#include <chrono>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace lumo {

namespace {

constexpr int kThreadStartMs = 3000;
constexpr int kPurgeAckMs = 2000;
constexpr int kIdleWakeMs = 200;
// While the input queue is full, bytes left in the driver keep the device readable and poll()
// cannot wait on it; look this often instead.
constexpr int kPendingInputPollMs = 5;

qint64 nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int niceValue(TThreadPriority p) {
    switch (p) {
    case TThreadPriority::tpIdle:
        return 19;
    case TThreadPriority::tpLowest:
        return 10;
    case TThreadPriority::tpLower:
        return 5;
    case TThreadPriority::tpNormal:
        return 0;
    case TThreadPriority::tpHigher:
        return -5;
    case TThreadPriority::tpHighest:
        return -10;
    case TThreadPriority::tpTimeCritical:
        return -15;
    }
    return 0;
}

QString portLostText(int n) {
    return QStringLiteral("Device COM%1 was disconnected").arg(n);
}

} // namespace

// --- threads -------------------------------------------------------------------------------

TAfComPortCoreThread::~TAfComPortCoreThread() {
    if (m_thread.joinable()) {
        m_terminated = true;
        m_stop.set();
        m_thread.join();
    }
}

void TAfComPortCoreThread::Start() {
    m_thread = std::thread([this] { Run(); });
}

void TAfComPortCoreThread::Run() {
    m_tid = static_cast<int>(gettid());
    Execute();
}

void TAfComPortCoreThread::Stop() {
    m_terminated = true;
    m_stop.set();
    if (m_thread.joinable())
        m_thread.join();
}

void TAfComPortCoreThread::SetPriority(TThreadPriority priority) {
    // Linux threads have a nice value of their own; raising it needs privileges, so a refusal
    // leaves the thread at normal priority.
    const int tid = m_tid.load();
    if (tid > 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceValue(priority));
}

void TAfComPortEventThread::Execute() {
    TAfComPortCore& core = m_core;
    core.m_threadsStarted.set();

    qint64 lastEvent = nowMs();
    bool wokeForInput = false;
    quint64 ownerReads = core.OwnerReads(); // as seen before the last wait
    const WakeEvent* extra[] = {&m_stop, &core.m_outputEmpty};

    // Prime the modem-line and error baselines, so only changes raise events.
    CheckStatus(false);
    while (!Terminated()) {
        // Input is taken from the driver as it arrives and kept in the core's queue: a device
        // with unread input stays readable, so only an emptied driver lets poll() wake at the
        // very next byte. Every batch taken is one received-character event; bytes that come
        // while the owner handles it are taken and reported on the next round, never lost
        // between a count and its report.
        const int taken = core.DrainInput(wokeForInput, ownerReads);
        if (taken < 0) {
            core.MarkLost();
            return;
        }
        if (taken > 0) {
            core.RaiseEvent(TAfCoreEvent::ceLineEvent, afEvent::EV_RXCHAR);
            lastEvent = nowMs();
            wokeForInput = false;
            continue;
        }
        // Readable with nothing to take, no hang-up and no read of the owner in between:
        // spurious, do not spin on it.
        const bool quietInput = wokeForInput && core.OwnerReads() == ownerReads;
        wokeForInput = false;
        ownerReads = core.OwnerReads();
        // With the queue full new bytes stay in the driver, which keeps the device readable;
        // look now and then instead.
        const bool pollInput = !quietInput && !core.InputQueueFull();
        const qint64 remaining = qMax<qint64>(0, kIdleWakeMs - (nowMs() - lastEvent));
        const int timeout =
            static_cast<int>(pollInput ? remaining : qMin<qint64>(remaining, kPendingInputPollMs));
        const SerialFile::WaitResult r = core.m_file.waitFor(pollInput, false, extra, 2, timeout);
        if (Terminated() || (r.woken & 1))
            break;
        if (r.hangup) {
            core.MarkLost();
            return;
        }
        if (r.woken & 2) {
            core.m_outputEmpty.reset();
            core.RaiseEvent(TAfCoreEvent::ceOutFree, 0);
            lastEvent = nowMs();
            continue;
        }
        if (r.input) {
            wokeForInput = true; // taken at the top of the loop
            continue;
        }
        if (nowMs() - lastEvent >= kIdleWakeMs) {
            if (!CheckStatus()) {
                core.MarkLost();
                return;
            }
            const int n = core.BytesWaiting();
            if (n > 0)
                core.RaiseEvent(TAfCoreEvent::ceNeedReadData, static_cast<quint32>(n));
            lastEvent = nowMs();
        }
    }
}

bool TAfComPortEventThread::CheckStatus(bool raiseEvents) {
    // The driver's status: line errors and modem lines, where the device has them (a
    // pseudo-terminal has neither).
    TAfComPortCore& core = m_core;
    quint32 events = 0;
    SerialFile::ErrorCounters c;
    if (core.m_file.errorCounters(&c)) {
        quint32 errors = 0;
        if (c.bufOverrun != m_lastCounters.bufOverrun)
            errors |= afEvent::CE_RXOVER;
        if (c.overrun != m_lastCounters.overrun)
            errors |= afEvent::CE_OVERRUN;
        if (c.parity != m_lastCounters.parity)
            errors |= afEvent::CE_RXPARITY;
        if (c.frame != m_lastCounters.frame)
            errors |= afEvent::CE_FRAME;
        if (c.brk != m_lastCounters.brk)
            errors |= afEvent::CE_BREAK;
        m_lastCounters = c;
        if (errors && raiseEvents) {
            core.m_errors |= errors;
            events |= afEvent::EV_ERR;
        }
    }
    unsigned lines = 0;
    if (core.m_file.modemLines(&lines)) {
        const unsigned changed = lines ^ m_lastLines;
        if (changed & SerialFile::LineCts)
            events |= afEvent::EV_CTS;
        if (changed & SerialFile::LineDsr)
            events |= afEvent::EV_DSR;
        if (changed & SerialFile::LineRlsd)
            events |= afEvent::EV_RLSD;
        if ((changed & SerialFile::LineRing) && (lines & SerialFile::LineRing))
            events |= afEvent::EV_RING;
        m_lastLines = lines;
    }
    if (core.BytesWaiting() < 0)
        return false;
    if (events && raiseEvents)
        core.RaiseEvent(TAfCoreEvent::ceLineEvent, events);
    return true;
}

void TAfComPortWriteThread::Purge() {
    m_purgeRequest.set();
    m_purgeAck.wait(kPurgeAckMs);
    m_purgeAck.reset();
}

void TAfComPortWriteThread::Execute() {
    TAfComPortCore& core = m_core;
    core.m_threadsStarted.set();
    const WakeEvent* wakers[] = {&m_stop, &m_purgeRequest, &m_dataReady};
    const WakeEvent* writeWakers[] = {&m_stop, &m_purgeRequest};
    bool gone = false;

    while (!Terminated()) {
        const int which = WakeEvent::waitAny(wakers, gone ? 2 : 3, -1);
        if (Terminated() || which == 0)
            break;
        if (which == 1) {
            m_purgeRequest.reset();
            m_purgeAck.set();
            continue;
        }
        if (which != 2)
            continue;
        m_dataReady.reset();

        const char* run = nullptr;
        int length = 0;
        {
            std::lock_guard lock(core.m_outputLock);
            length = core.m_ring->ContiguousRun(&run);
        }
        int written = 0;
        while (written < length) {
            int done = 0;
            if (core.m_file.write(run + written, length - written, &done) ==
                SerialFile::IoResult::Gone) {
                gone = true; // the event thread reports it; keep only stop and purge
                break;
            }
            written += done;
            if (written == length)
                break;
            const SerialFile::WaitResult r = core.m_file.waitFor(false, true, writeWakers, 2, -1);
            if (r.woken || Terminated())
                break; // stop or purge: the loop above handles it
            if (r.hangup) {
                gone = true;
                break;
            }
        }
        std::lock_guard lock(core.m_outputLock);
        // What went out leaves the buffer even when the run was cut short, so no byte is sent
        // twice.
        core.m_ring->Remove(written);
        if (written == length && !core.m_ring->IsEmpty())
            m_dataReady.set();
        else if (core.m_ring->IsEmpty())
            core.m_outputEmpty.set();
    }
}

// --- core ----------------------------------------------------------------------------------

TAfComPortCore::TAfComPortCore() = default;

TAfComPortCore::~TAfComPortCore() {
    CloseComPort();
}

void TAfComPortCore::OpenComPort(int comNumber, const QString& devicePath) {
    if (m_file.isOpen())
        return;
    if (comNumber <= 0)
        throw EAfComPortCoreError(afTexts::invalidPortNumber(comNumber));
    m_comNumber = comNumber;
    try {
        switch (m_file.open(devicePath)) {
        case SerialFile::OpenResult::Ok:
            break;
        case SerialFile::OpenResult::NotFound:
            throw EAfComPortCoreError(afTexts::invalidPortNumber(comNumber));
        case SerialFile::OpenResult::Failed:
            throw EAfComPortCoreError(afTexts::cantOpenDevice(comNumber));
        }
        if (!m_file.makeRaw())
            throw EAfComPortCoreError(afTexts::errorSettingTimeouts());
        if (InBuffSize <= 0 || OutBuffSize <= 0)
            throw EAfComPortCoreError(afTexts::errorInitializingBuffers());
        m_eventMask = afEvent::kEventMask;
        if (!m_file.applyDcb(m_dcb)) {
            m_file.readDcb(&m_dcb);
            throw EAfComPortCoreError(afTexts::errorSettingDcb());
        }

        m_errors = 0;
        m_lost = false;
        m_input.clear();
        m_outputEmpty.reset();
        m_threadsStarted.reset();
        m_ring = std::make_unique<TAfCircularBuffer>(OutBuffSize);

        m_writeThread = std::make_unique<TAfComPortWriteThread>(*this);
        m_writeThread->Start();
        if (!m_threadsStarted.wait(kThreadStartMs))
            throw EAfComPortCoreError(afTexts::errorCreatingThreads());
        m_threadsStarted.reset();
        m_writeThread->SetPriority(WriteThreadPriority);
        m_active = true;

        m_eventThread = std::make_unique<TAfComPortEventThread>(*this);
        m_eventThread->Start();
        if (!m_threadsStarted.wait(kThreadStartMs))
            throw EAfComPortCoreError(afTexts::errorCreatingThreads());
        m_threadsStarted.reset();
        m_eventThread->SetPriority(EventThreadPriority);
        m_open = true;
    } catch (...) {
        CloseHandles();
        throw;
    }
}

void TAfComPortCore::CloseComPort() {
    if (!m_file.isOpen())
        return;
    CloseHandles();
}

void TAfComPortCore::CloseHandles() {
    m_active = false;
    {
        std::lock_guard lock(m_inputLock);
        m_file.purge(true, true);
        m_input.clear();
    }
    // The threads are stopped outside the input lock: the event thread takes it for its
    // status reads, and the handle stays valid until both have ended.
    if (m_writeThread) {
        m_writeThread->Purge();
        {
            std::lock_guard lock(m_outputLock);
            if (m_ring)
                m_ring->Clear();
            m_file.purge(false, true);
        }
        m_writeThread->Stop();
        m_writeThread.reset();
    }
    if (m_eventThread) {
        m_eventThread->Stop();
        m_eventThread.reset();
    }
    std::lock_guard lock(m_inputLock);
    m_file.purge(true, false);
    m_file.close();
    m_input.clear();
    m_open = false;
    std::lock_guard outLock(m_outputLock);
    m_ring.reset();
}

void TAfComPortCore::SetDCB(const SerialDcb& dcb) {
    m_dcb = dcb;
    if (!m_file.isOpen())
        return;
    if (!m_file.applyDcb(dcb)) {
        m_file.readDcb(&m_dcb);
        throw EAfComPortCoreError(afTexts::errorSettingDcb());
    }
}

quint32 TAfComPortCore::ReadAndClearErrors() {
    return m_errors.exchange(0);
}

int TAfComPortCore::BytesWaitingLocked() const {
    if (!m_file.isOpen())
        return 0;
    const int n = m_file.bytesWaiting();
    return n < 0 ? -1 : n + static_cast<int>(m_input.size());
}

int TAfComPortCore::DrainInput(bool readable, quint64 ownerReadsBefore) {
    std::lock_guard lock(m_inputLock);
    if (!m_file.isOpen())
        return 0;
    // The owner may have read the bytes poll() woke for; then there is nothing to tell.
    if (m_ownerReads != ownerReadsBefore)
        readable = false;
    const int available = m_file.bytesWaiting();
    if (available < 0)
        return -1;
    const int room = qMax(InBuffSize, 1) - static_cast<int>(m_input.size());
    int want = qMin(available, room);
    // A raw read with nothing waiting returns 0 exactly as at end of file, so read only what
    // the driver counts, except to tell a hang-up from a race when poll() said readable.
    if (want == 0 && readable && room > 0)
        want = 1;
    int taken = 0;
    char buffer[512];
    while (taken < want) {
        int got = 0;
        const int size = qMin(want - taken, static_cast<int>(sizeof buffer));
        if (m_file.read(buffer, size, &got) == SerialFile::IoResult::Gone)
            return taken > 0 ? taken : -1; // what came before the end still counts
        if (got == 0)
            break;
        m_input.append(buffer, got);
        taken += got;
    }
    return taken;
}

bool TAfComPortCore::InputQueueFull() {
    std::lock_guard lock(m_inputLock);
    return static_cast<int>(m_input.size()) >= qMax(InBuffSize, 1);
}

quint64 TAfComPortCore::OwnerReads() {
    std::lock_guard lock(m_inputLock);
    return m_ownerReads;
}

int TAfComPortCore::BytesWaiting() {
    std::lock_guard lock(m_inputLock);
    return BytesWaitingLocked();
}

int TAfComPortCore::ReadData(char* buffer, int count) {
    std::lock_guard lock(m_inputLock);
    if (!m_file.isOpen() || count <= 0)
        return 0;
    // The queue holds the oldest bytes; the driver's follow.
    int total = qMin(count, static_cast<int>(m_input.size()));
    if (total > 0) {
        std::memcpy(buffer, m_input.constData(), static_cast<size_t>(total));
        m_input.remove(0, total);
    }
    while (total < count) {
        int got = 0;
        if (m_file.read(buffer + total, count - total, &got) == SerialFile::IoResult::Gone)
            break;
        if (got == 0)
            break;
        total += got;
        ++m_ownerReads;
    }
    return total;
}

bool TAfComPortCore::WriteData(const char* data, int count, int* freeSpace) {
    std::lock_guard lock(m_outputLock);
    if (!m_ring || !m_open) {
        *freeSpace = 0;
        return count <= 0;
    }
    *freeSpace = m_ring->Free();
    if (!m_ring->Write(data, count))
        return false;
    if (count > 0 && m_writeThread)
        m_writeThread->DataReady();
    return true;
}

int TAfComPortCore::OutBufFree() {
    std::lock_guard lock(m_outputLock);
    return m_ring ? m_ring->Free() : 0;
}

int TAfComPortCore::OutBufUsed() {
    std::lock_guard lock(m_outputLock);
    return m_ring ? m_ring->Used() : 0;
}

bool TAfComPortCore::EscapeComm(TAfEscape function) {
    if (!m_file.isOpen())
        return false;
    switch (function) {
    case TAfEscape::SetRts:
        return m_file.setRts(true);
    case TAfEscape::ClrRts:
        return m_file.setRts(false);
    case TAfEscape::SetDtr:
        return m_file.setDtr(true);
    case TAfEscape::ClrDtr:
        return m_file.setDtr(false);
    }
    return false;
}

void TAfComPortCore::RaiseEvent(TAfCoreEvent kind, quint32 data, const QString& message) {
    if (m_handler)
        m_handler(kind, data, message);
}

void TAfComPortCore::MarkLost() {
    m_lost = true;
    RaiseEvent(TAfCoreEvent::ceException, 0, portLostText(m_comNumber));
}

} // namespace lumo
