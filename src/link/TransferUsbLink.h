#pragma once
#include "link/TransferLink.h"
#include "link/UsbCable.h"
#include <memory>

namespace lumo {

// The USB cable ("Vexo-USB") as the transfer engine's link: opened afresh by OpenUsbCable,
// polled at every tick (ReceiveCount, ReadUsbReply), one WriteByte per byte.
class TransferUsbLink : public TransferLink {
public:
    explicit TransferUsbLink(std::unique_ptr<UsbCable> cable = std::make_unique<UsbCable>());

    UsbCable& cable() { return *m_cable; }

    Kind kind() const override { return Kind::Usb; }
    bool isOpen() const override { return m_cable->AdapterOpen(); }
    bool open(QString* error) override;
    void close() override;
    bool hasDevice() const override { return m_cable->HasLink(); }
    int bytesWaiting() override;
    QByteArray readAll() override { return m_cable->ReadUsbReply(); }
    bool writeByte(char byte) override;
    bool lastWriteOk() const override { return m_cable->LastWriteOk(); }
    // A held cable that no longer answers a status query is gone (unplugged).
    bool deviceLost() const override;
    void setDataHandler(DataHandler) override {} // polled, never called back

    QString openProblem() const override { return m_openProblem; }
    void setExplainer(Explainer explainer) { m_explainer = std::move(explainer); }

private:
    std::unique_ptr<UsbCable> m_cable;
    Explainer m_explainer;
    QString m_openProblem;
};

} // namespace lumo
