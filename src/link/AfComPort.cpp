#include "link/AfComPort.h"

#include "link/AfUtils.h"

namespace lumo {

namespace {

const quint32 kBaudTable[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                              19200, 38400, 56000, 57600, 115200, 128000, 256000};

quint32 flowBits(TAfFlowControl flow) {
    switch (flow) {
    case TAfFlowControl::fwNone:
        return 0;
    case TAfFlowControl::fwXOnXOff:
        return 0x300;
    case TAfFlowControl::fwRtsCts:
        return 0x2004;
    case TAfFlowControl::fwDtrDsr:
        return 0x28;
    }
    return 0;
}

quint32 optionBits(TAfComOptions options) {
    quint32 bits = 0;
    if (options & coParityCheck)
        bits |= 0x2;
    if (options & coDsrSensitivity)
        bits |= 0x40;
    if (options & coIgnoreXOff)
        bits |= 0x80;
    if (options & coErrorChar)
        bits |= 0x400;
    if (options & coStripNull)
        bits |= 0x800;
    return bits;
}

} // namespace

TAfCustomSerialPort::TAfCustomSerialPort()
    : m_core(std::make_unique<TAfComPortCore>()),
      m_sync(std::make_unique<TAfSafeSync>([this](int kind, quint32 data, const QString& message) {
          Dispatch(kind, data, message);
      })) {
    m_core->SetEventHandler([this](TAfCoreEvent kind, quint32 data, const QString& message) {
        RaiseFromCore(kind, data, message);
    });
}

TAfCustomSerialPort::~TAfCustomSerialPort() {
    // No handler runs during destruction: the owner may be half gone.
    m_destroying = true;
    m_sync->Disable();
    m_core->CloseComPort();
}

void TAfCustomSerialPort::Fail(const QString& message) const {
    throw EAfComPortError(afTexts::componentError(message, m_name));
}

void TAfCustomSerialPort::PortOpen() {
    if (PortIsOpen())
        return;
    m_sync->Enable();
    m_core->SetDCB(BuildDCB()); // closed: only stored
    m_core->InBuffSize = m_inBufSize;
    m_core->OutBuffSize = m_outBufSize;
    m_core->EventThreadPriority = m_eventPriority;
    m_core->WriteThreadPriority = m_writePriority;
    try {
        m_core->OpenComPort(CorePortNumber(), CoreDevicePath());
    } catch (...) {
        m_sync->Disable();
        throw;
    }
    if (OnPortOpen)
        OnPortOpen(this);
}

void TAfCustomSerialPort::PortClose() {
    m_closing = true;
    // Disabling the relay first releases an event thread waiting on this thread, so closing
    // never waits out the relay's limit.
    m_sync->Disable();
    m_core->CloseComPort();
    if (OnPortClose && !m_destroying)
        OnPortClose(this);
    m_closing = false;
}

QByteArray TAfCustomSerialPort::ReadAllWaiting() {
    if (m_closing || !PortIsOpen())
        return QByteArray();
    const int waiting = m_core->BytesWaiting();
    if (waiting <= 0)
        return QByteArray();
    QByteArray bytes(waiting, '\0');
    const int got = m_core->ReadData(bytes.data(), waiting);
    bytes.truncate(got);
    return bytes;
}

void TAfCustomSerialPort::ReadBuffer(char* buffer, int count) {
    const int got = (m_closing || count <= 0) ? 0 : m_core->ReadData(buffer, count);
    if (got < count)
        Fail(afTexts::readDataError());
}

void TAfCustomSerialPort::WriteText(const QByteArray& text) {
    if (text.isEmpty())
        return;
    WriteBuffer(text.constData(), static_cast<int>(text.size()));
}

void TAfCustomSerialPort::WriteBuffer(const char* buffer, int count) {
    int freeSpace = 0;
    if (!m_core->WriteData(buffer, count, &freeSpace))
        Fail(afTexts::writeDataError(count, freeSpace));
}

SerialDcb TAfCustomSerialPort::BuildDCB() const {
    SerialDcb d;
    d.baudRate = m_baudRate == TAfBaudrate::brUser ? static_cast<quint32>(qMax(m_userBaudRate, 0))
                                                   : kBaudTable[static_cast<int>(m_baudRate)];
    d.byteSize = static_cast<quint8>(4 + static_cast<int>(m_databits));
    d.parity = static_cast<quint8>(m_parity);
    d.stopBits = static_cast<quint8>(m_stopbits);
    d.flags = SerialDcb::fBinary | flowBits(m_flowControl) | optionBits(m_options);
    if (m_dtr && m_flowControl != TAfFlowControl::fwDtrDsr)
        d.flags |= SerialDcb::fDtrControlEnable;
    if (m_rts && m_flowControl != TAfFlowControl::fwRtsCts)
        d.flags |= SerialDcb::fRtsControlEnable;
    d.xonChar = m_xonChar;
    d.xoffChar = m_xoffChar;
    d.xonLim = m_xonLim;
    d.xoffLim = m_xoffLim;
    if (m_flowControl != TAfFlowControl::fwNone && m_xonLim == 0 && m_xoffLim == 0) {
        d.xonLim = static_cast<quint16>(m_inBufSize / 4);
        d.xoffLim = static_cast<quint16>(m_inBufSize - m_inBufSize / 4);
    }
    return d;
}

template <typename T> void TAfCustomSerialPort::SetLineProperty(T& field, T value) {
    const T previous = field;
    field = value;
    if (!PortIsOpen())
        return;
    try {
        m_core->SetDCB(BuildDCB());
    } catch (...) {
        field = previous;
        throw;
    }
}

void TAfCustomSerialPort::SetBaudRate(TAfBaudrate value) {
    SetLineProperty(m_baudRate, value);
}
void TAfCustomSerialPort::SetUserBaudRate(int value) {
    SetLineProperty(m_userBaudRate, value);
}
void TAfCustomSerialPort::SetDatabits(TAfDatabits value) {
    SetLineProperty(m_databits, value);
}
void TAfCustomSerialPort::SetParity(TAfParity value) {
    SetLineProperty(m_parity, value);
}
void TAfCustomSerialPort::SetStopbits(TAfStopbits value) {
    SetLineProperty(m_stopbits, value);
}
void TAfCustomSerialPort::SetFlowControl(TAfFlowControl value) {
    SetLineProperty(m_flowControl, value);
}
void TAfCustomSerialPort::SetOptions(TAfComOptions value) {
    SetLineProperty(m_options, value);
}
void TAfCustomSerialPort::SetXOnChar(quint8 value) {
    SetLineProperty(m_xonChar, value);
}
void TAfCustomSerialPort::SetXOffChar(quint8 value) {
    SetLineProperty(m_xoffChar, value);
}
void TAfCustomSerialPort::SetXOnLim(quint16 value) {
    m_xonLim = value;
}
void TAfCustomSerialPort::SetXOffLim(quint16 value) {
    m_xoffLim = value;
}

void TAfCustomSerialPort::SetDTR(bool value) {
    m_dtr = value;
    if (PortIsOpen())
        m_core->EscapeComm(value ? TAfEscape::SetDtr : TAfEscape::ClrDtr);
}

void TAfCustomSerialPort::SetRTS(bool value) {
    m_rts = value;
    if (PortIsOpen())
        m_core->EscapeComm(value ? TAfEscape::SetRts : TAfEscape::ClrRts);
}

void TAfCustomSerialPort::SetInBufSize(int value) {
    if (PortIsOpen())
        Fail(afTexts::portNotClosed());
    m_inBufSize = value;
}

void TAfCustomSerialPort::SetOutBufSize(int value) {
    if (PortIsOpen())
        Fail(afTexts::portNotClosed());
    m_outBufSize = value;
}

void TAfCustomSerialPort::RaiseFromCore(TAfCoreEvent kind, quint32 data, const QString& message) {
    // Runs on the event thread.
    if (m_closing || m_destroying)
        return;
    if (kind != TAfCoreEvent::ceException && OnNonSyncEvent) {
        OnNonSyncEvent(this, kind, data);
        return;
    }
    // Not delivered within the limit: the event is dropped.
    m_sync->Relay(static_cast<int>(kind), data, message);
}

void TAfCustomSerialPort::Dispatch(int kindValue, quint32 data, const QString& message) {
    // Runs on the owner thread. A handler may close the port; nothing follows that.
    const auto kind = static_cast<TAfCoreEvent>(kindValue);
    auto live = [this] { return !m_closing && !m_destroying && PortIsOpen(); };
    if (!live())
        return;
    if (OnSyncEvent) {
        OnSyncEvent(this, kind, data);
        if (!live())
            return;
    }
    switch (kind) {
    case TAfCoreEvent::ceOutFree:
        if (OnOutBufFree)
            OnOutBufFree(this);
        break;
    case TAfCoreEvent::ceLineEvent: {
        if ((data & afEvent::EV_RXCHAR) && OnDataRecived) {
            OnDataRecived(this, m_core->BytesWaiting());
            if (!live())
                return;
        }
        if (data & afEvent::EV_ERR) {
            const quint32 errors = m_core->ReadAndClearErrors();
            if (OnLineError)
                OnLineError(this, errors);
            if (!live())
                return;
        }
        const std::pair<quint32, TNotifyEvent*> lineEvents[] = {
            {afEvent::EV_CTS, &OnCTSChanged},
            {afEvent::EV_DSR, &OnDSRChanged},
            {afEvent::EV_RING, &OnRINGDetected},
            {afEvent::EV_RLSD, &OnRLSDChanged},
        };
        for (const auto& [bit, handler] : lineEvents) {
            if ((data & bit) && *handler) {
                (*handler)(this);
                if (!live())
                    return;
            }
        }
        break;
    }
    case TAfCoreEvent::ceNeedReadData:
        if (OnDataRecived)
            OnDataRecived(this, static_cast<int>(data));
        break;
    case TAfCoreEvent::ceException:
        // The device is gone: close the port here, on the owner's thread, and tell the owner.
        PortClose();
        if (OnPortLost)
            OnPortLost(this, message);
        break;
    }
}

void TAfCustomComPort::SetComNumber(int value) {
    if (PortIsOpen()) {
        PortClose();
        m_comNumber = value;
        PortOpen();
        return;
    }
    m_comNumber = value;
}

QString TAfCustomComPort::DevicePath() const {
    if (!m_devicePath.isEmpty())
        return m_devicePath;
    return comPortDevicePath(m_comNumber);
}

} // namespace lumo
