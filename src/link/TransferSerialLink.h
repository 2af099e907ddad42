#pragma once
#include "link/AfComPort.h"
#include "link/TransferLink.h"

namespace lumo {

// The serial port component as the transfer engine's link. Sets the component up as the
// transfer window does: 2400 Bd, 8N1, no flow control, DTR off, RTS on, event thread at the
// highest priority. The component is not owned.
class TransferSerialLink : public TransferLink {
public:
    explicit TransferSerialLink(TAfComPort& port);
    ~TransferSerialLink() override;

    TAfComPort& port() { return m_port; }

    Kind kind() const override { return Kind::Serial; }
    bool isOpen() const override { return m_port.PortIsOpen(); }
    bool open(QString* error) override;
    void close() override;
    bool hasDevice() const override { return true; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    bool writeByte(char byte) override;
    bool lastWriteOk() const override { return m_lastWriteOk; }
    bool deviceLost() const override { return m_deviceLost; }
    void setDataHandler(DataHandler handler) override;

    // The component's text of the last failed write, if any.
    const QString& writeError() const { return m_writeError; }

    QString openProblem() const override { return m_openProblem; }
    void setExplainer(Explainer explainer) { m_explainer = std::move(explainer); }

private:
    TAfComPort& m_port;
    DataHandler m_handler;
    bool m_lastWriteOk = true;
    bool m_deviceLost = false;
    QString m_writeError;
    Explainer m_explainer;
    QString m_openProblem;
};

} // namespace lumo
