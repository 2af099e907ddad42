#include "link/AfComPortCore.h"

#include "link/AfComPortErrors.h"
#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

namespace lumo {

namespace {

constexpr int kThreadStartMs = 3000;
constexpr int kPurgeAckMs = 2000;
constexpr int kIdleWakeMs = 200;
// While unread input sits in the driver, new bytes cannot wake poll(); look this often.
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

    int seen = 0; // bytes waiting when the last input was reported
    qint64 lastEvent = nowMs();
    bool quietInput = false;
    const WakeEvent* extra[] = {&m_stop, &core.m_outputEmpty};

    auto reportInput = [&] {
        core.RaiseEvent(TAfCoreEvent::ceLineEvent, afEvent::EV_RXCHAR);
        seen = qMax(core.BytesWaiting(), 0);
        lastEvent = nowMs();
    };

    // Prime the modem-line and error baselines, so only changes raise events.
    CheckStatus(false);
    while (!Terminated()) {
        const int waiting = core.BytesWaiting();
        if (waiting < 0) {
            core.MarkLost();
            return;
        }
        if (waiting < seen)
            seen = waiting;
        if (waiting > seen) {
            reportInput();
            continue;
        }
        const qint64 remaining = qMax<qint64>(0, kIdleWakeMs - (nowMs() - lastEvent));
        const bool pollInput = waiting == 0 && !quietInput;
        const int timeout =
            static_cast<int>(pollInput ? remaining : qMin<qint64>(remaining, kPendingInputPollMs));
        const SerialFile::WaitResult r = core.m_file.waitFor(pollInput, false, extra, 2, timeout);
        quietInput = false;
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
            if (core.BytesWaiting() > 0)
                continue; // reported at the top of the loop
            // Readable with nothing queued: either a hang-up (end of file) or a race. Take
            // one byte to tell, keeping it for the next read.
            bool gone = false;
            {
                std::lock_guard lock(core.m_inputLock);
                char byte = 0;
                int got = 0;
                if (core.m_file.read(&byte, 1, &got) == SerialFile::IoResult::Gone)
                    gone = true;
                else if (got == 1)
                    core.m_pushback.append(byte);
                else
                    quietInput = true; // spurious: do not spin on it
            }
            if (gone) {
                core.MarkLost();
                return;
            }
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
        m_pushback.clear();
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
    m_pushback.clear();
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
    return n < 0 ? -1 : n + static_cast<int>(m_pushback.size());
}

int TAfComPortCore::BytesWaiting() {
    std::lock_guard lock(m_inputLock);
    return BytesWaitingLocked();
}

int TAfComPortCore::ReadData(char* buffer, int count) {
    std::lock_guard lock(m_inputLock);
    if (!m_file.isOpen() || count <= 0)
        return 0;
    int total = 0;
    while (total < count && !m_pushback.isEmpty()) {
        buffer[total++] = m_pushback.at(0);
        m_pushback.remove(0, 1);
    }
    while (total < count) {
        int got = 0;
        if (m_file.read(buffer + total, count - total, &got) == SerialFile::IoResult::Gone)
            break;
        if (got == 0)
            break;
        total += got;
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
