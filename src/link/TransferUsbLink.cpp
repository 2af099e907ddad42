#include "link/TransferUsbLink.h"

namespace lumo {

TransferUsbLink::TransferUsbLink(std::unique_ptr<UsbCable> cable) : m_cable(std::move(cable)) {}

bool TransferUsbLink::open(QString* error) {
    m_cable->OpenUsbCable();
    if (!m_cable->AdapterOpen() && error)
        *error = QStringLiteral("Device %1 can not open").arg(UsbCable::kSerialNumber);
    return m_cable->AdapterOpen();
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
