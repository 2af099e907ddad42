#pragma once
#include "link/AfComPortCore.h"
#include "link/AfComPortErrors.h"
#include "link/AfSafeSync.h"
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace lumo {

enum class TAfBaudrate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brUser
};
enum class TAfDatabits { db4, db5, db6, db7, db8 };
enum class TAfParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TAfStopbits { sbOne, sbOneAndHalf, sbTwo };
enum class TAfFlowControl { fwNone, fwXOnXOff, fwRtsCts, fwDtrDsr };
enum TAfComOption : unsigned {
    coParityCheck = 0x1,
    coDsrSensitivity = 0x2,
    coIgnoreXOff = 0x4,
    coErrorChar = 0x8,
    coStripNull = 0x10
};
using TAfComOptions = unsigned; // a set of TAfComOption

class TAfCustomSerialPort;

using TNotifyEvent = std::function<void(TAfCustomSerialPort* sender)>;
using TAfCPTDataReceivedEvent = std::function<void(TAfCustomSerialPort* sender, int count)>;
using TAfCPTErrorEvent = std::function<void(TAfCustomSerialPort* sender, quint32 errors)>;
using TAfCPTCoreEvent =
    std::function<void(TAfCustomSerialPort* sender, TAfCoreEvent kind, quint32 data)>;
// The device went away while open (USB-serial adapter unplugged, pseudo-terminal master
// closed): the port has been closed already; `message` says which port.
using TAfCPTLostEvent = std::function<void(TAfCustomSerialPort* sender, const QString& message)>;

// Properties, DCB building, open/close, read/write and event dispatch of a serial port. The
// core's worker threads raise events; they are handed to the thread that created the
// component (the GUI thread) with a bounded blocking relay, so every handler runs there and
// none runs while the port is closing.
class TAfCustomSerialPort {
public:
    TAfCustomSerialPort();
    virtual ~TAfCustomSerialPort();
    TAfCustomSerialPort(const TAfCustomSerialPort&) = delete;
    TAfCustomSerialPort& operator=(const TAfCustomSerialPort&) = delete;

    // The component's name, used in its error texts.
    const QString& Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }

    void PortOpen();
    void PortClose();
    bool PortIsOpen() const { return m_core && m_core->IsOpen(); }

    // Every byte waiting in the input (empty while closing).
    QByteArray ReadAllWaiting();
    // Reads exactly `count` bytes or raises "Read data error".
    void ReadBuffer(char* buffer, int count);
    void WriteText(const QByteArray& text);
    // Queues the bytes for the write thread or raises "Write data error [...]".
    void WriteBuffer(const char* buffer, int count);
    int OutBufFree() const { return m_core->OutBufFree(); }
    int OutBufUsed() const { return m_core->OutBufUsed(); }
    int BytesWaiting() const { return m_closing ? 0 : m_core->BytesWaiting(); }

    TAfBaudrate BaudRate() const { return m_baudRate; }
    void SetBaudRate(TAfBaudrate value);
    int UserBaudRate() const { return m_userBaudRate; }
    void SetUserBaudRate(int value);
    TAfDatabits Databits() const { return m_databits; }
    void SetDatabits(TAfDatabits value);
    TAfParity Parity() const { return m_parity; }
    void SetParity(TAfParity value);
    TAfStopbits Stopbits() const { return m_stopbits; }
    void SetStopbits(TAfStopbits value);
    TAfFlowControl FlowControl() const { return m_flowControl; }
    void SetFlowControl(TAfFlowControl value);
    TAfComOptions Options() const { return m_options; }
    void SetOptions(TAfComOptions value);
    bool DTR() const { return m_dtr; }
    void SetDTR(bool value);
    bool RTS() const { return m_rts; }
    void SetRTS(bool value);
    quint8 XOnChar() const { return m_xonChar; }
    void SetXOnChar(quint8 value);
    quint8 XOffChar() const { return m_xoffChar; }
    void SetXOffChar(quint8 value);
    quint16 XOnLim() const { return m_xonLim; }
    void SetXOnLim(quint16 value);
    quint16 XOffLim() const { return m_xoffLim; }
    void SetXOffLim(quint16 value);
    int InBufSize() const { return m_inBufSize; }
    void SetInBufSize(int value);
    int OutBufSize() const { return m_outBufSize; }
    void SetOutBufSize(int value);
    TThreadPriority EventThreadPriority() const { return m_eventPriority; }
    void SetEventThreadPriority(TThreadPriority value) { m_eventPriority = value; }
    TThreadPriority WriteThreadPriority() const { return m_writePriority; }
    void SetWriteThreadPriority(TThreadPriority value) { m_writePriority = value; }
    bool AutoOpen() const { return m_autoOpen; }
    void SetAutoOpen(bool value) { m_autoOpen = value; }

    // The device control block the properties make.
    SerialDcb BuildDCB() const;
    const TAfComPortCore& Core() const { return *m_core; }
    // An event of the event thread waits for this thread's loop to deliver it.
    bool EventPending() const { return m_sync->Pending(); }

    TAfCPTDataReceivedEvent OnDataRecived;
    TAfCPTErrorEvent OnLineError;
    TNotifyEvent OnCTSChanged;
    TNotifyEvent OnDSRChanged;
    TNotifyEvent OnRINGDetected;
    TNotifyEvent OnRLSDChanged;
    TNotifyEvent OnOutBufFree;
    TNotifyEvent OnPortOpen;
    TNotifyEvent OnPortClose;
    TAfCPTCoreEvent OnSyncEvent;
    // Called on the event thread instead of relaying, when assigned.
    TAfCPTCoreEvent OnNonSyncEvent;
    TAfCPTLostEvent OnPortLost;

protected:
    // The port number and device path the core opens.
    virtual int CorePortNumber() const = 0;
    virtual QString CoreDevicePath() const = 0;
    // Raises EAfComPortError with the component's composition of the text.
    [[noreturn]] void Fail(const QString& message) const;

private:
    template <typename T> void SetLineProperty(T& field, T value);
    void RaiseFromCore(TAfCoreEvent kind, quint32 data, const QString& message);
    void Dispatch(int kind, quint32 data, const QString& message);

    QString m_name = QStringLiteral("AfComPort1");
    TAfBaudrate m_baudRate = TAfBaudrate::br115200;
    int m_userBaudRate = 0;
    TAfDatabits m_databits = TAfDatabits::db8;
    TAfParity m_parity = TAfParity::paNone;
    TAfStopbits m_stopbits = TAfStopbits::sbOne;
    TAfFlowControl m_flowControl = TAfFlowControl::fwNone;
    TAfComOptions m_options = 0;
    bool m_dtr = true;
    bool m_rts = true;
    quint8 m_xonChar = 17;
    quint8 m_xoffChar = 19;
    quint16 m_xonLim = 0;
    quint16 m_xoffLim = 0;
    int m_inBufSize = 4096;
    int m_outBufSize = 2048;
    TThreadPriority m_eventPriority = TThreadPriority::tpNormal;
    TThreadPriority m_writePriority = TThreadPriority::tpHighest;
    bool m_autoOpen = false;

    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_destroying{false};
    std::unique_ptr<TAfComPortCore> m_core;
    std::unique_ptr<TAfSafeSync> m_sync;
};

// Adds the port number and its naming: COM n opens the device comPortDevicePath(n) gives,
// unless a device path is set explicitly.
class TAfCustomComPort : public TAfCustomSerialPort {
public:
    int ComNumber() const { return m_comNumber; }
    // When open: close, set, open again.
    void SetComNumber(int value);
    // An explicit device (a pseudo-terminal, say) for this port; empty: the naming rule.
    const QString& DevicePathOverride() const { return m_devicePath; }
    void SetDevicePath(const QString& path) { m_devicePath = path; }
    // The device the port opens.
    QString DevicePath() const;

protected:
    int CorePortNumber() const override { return m_comNumber; }
    QString CoreDevicePath() const override { return DevicePath(); }

private:
    int m_comNumber = 0;
    QString m_devicePath;
};

// The serial port component as forms place it.
class TAfComPort : public TAfCustomComPort {};

} // namespace lumo
