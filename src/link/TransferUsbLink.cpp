#include "link/TransferUsbLink.h"

namespace lumo {

TransferUsbLink::TransferUsbLink(std::unique_ptr<UsbCable> cable) : m_cable(std::move(cable)) {}

bool TransferUsbLink::open(QString* error) {
    m_cable->OpenUsbCable();
    m_openProblem.clear();
    if (!m_cable->AdapterOpen()) {
        if (error)
            *error = QStringLiteral("Device %1 can not open").arg(UsbCable::kSerialNumber);
        if (m_explainer)
            m_openProblem = m_explainer(UsbCable::kSerialNumber);
    }
    return m_cable->AdapterOpen();
}

bool TransferUsbLink::deviceLost() const {
    const TFT232* link = m_cable->Link();
    return link && link->StatusFailed();
}

int TransferUsbLink::bytesWaiting() {
    TFT232* link = m_cable->Link();
    return link ? link->ReceiveCount() : 0;
}

bool TransferUsbLink::writeByte(char byte) {
    TFT232* link = m_cable->Link();
    const bool ok = link && link->WriteByte(byte);
    m_cable->SetLastWriteOk(ok);
    return ok;
}

} // namespace lumo
