#include "link/TransferSerialLink.h"
#include "platform/SystemClock.h"

namespace lumo {

TransferSerialLink::TransferSerialLink(TAfComPort& port) : m_port(port) {
    m_port.SetBaudRate(TAfBaudrate::br2400);
    m_port.SetDatabits(TAfDatabits::db8);
    m_port.SetParity(TAfParity::paNone);
    m_port.SetStopbits(TAfStopbits::sbOne);
    m_port.SetFlowControl(TAfFlowControl::fwNone);
    m_port.SetDTR(false);
    m_port.SetRTS(true);
    m_port.SetEventThreadPriority(TThreadPriority::tpHighest);
    // The component has closed the port when it says so.
    m_port.OnPortLost = [this](TAfCustomSerialPort*, const QString&) { m_deviceLost = true; };
}

TransferSerialLink::~TransferSerialLink() {
    m_port.OnDataRecived = nullptr;
    m_port.OnPortLost = nullptr;
}

bool TransferSerialLink::open(QString* error) {
    m_openProblem.clear();
    m_deviceLost = false;
    auto failed = [&](const QString& message) {
        if (error)
            *error = message;
        // The component's text says only that it failed; the device itself says why.
        if (m_explainer)
            m_openProblem = m_explainer(m_port.DevicePath());
        return false;
    };
    try {
        m_port.PortOpen();
    } catch (const EAfError& e) {
        return failed(e.Message());
    } catch (const std::exception& e) {
        return failed(QString::fromLocal8Bit(e.what()));
    }
    m_lastWriteOk = true;
    m_writeError.clear();
    return m_port.PortIsOpen();
}

void TransferSerialLink::close() {
    SystemClock::setAnswerDue(false);
    m_port.PortClose();
}

int TransferSerialLink::bytesWaiting() {
    return m_port.PortIsOpen() ? m_port.BytesWaiting() : 0;
}

QByteArray TransferSerialLink::readAll() {
    return m_port.PortIsOpen() ? m_port.ReadAllWaiting() : QByteArray();
}

bool TransferSerialLink::writeByte(char byte) {
    // A write the component refuses (ring buffer full, port gone) would otherwise escape a
    // timer callback; it is kept and ends the transfer at the next tick instead.
    SystemClock::setAnswerDue(true);
    try {
        m_port.WriteText(QByteArray(1, byte));
    } catch (const EAfError& e) {
        m_lastWriteOk = false;
        m_writeError = e.Message();
        return false;
    }
    return true;
}

void TransferSerialLink::setDataHandler(DataHandler handler) {
    m_handler = std::move(handler);
    if (m_handler)
        m_port.OnDataRecived = [this](TAfCustomSerialPort*, int count) {
            if (count > 0)
                SystemClock::setAnswerDue(false);
            if (m_handler)
                m_handler(count);
        };
    else
        m_port.OnDataRecived = nullptr;
}

} // namespace lumo
