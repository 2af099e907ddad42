#include "link/TransferUsbLink.h"
#include "platform/SystemClock.h"

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

void TransferUsbLink::close() {
    SystemClock::setAnswerDue(false);
    m_cable->ReleaseLink();
}

int TransferUsbLink::bytesWaiting() {
    TFT232* link = m_cable->Link();
    const int count = link ? link->ReceiveCount() : 0;
    if (count > 0)
        SystemClock::setAnswerDue(false);
    return count;
}

bool TransferUsbLink::writeByte(char byte) {
    TFT232* link = m_cable->Link();
    SystemClock::setAnswerDue(true);
    const bool ok = link && link->WriteByte(byte);
    m_cable->SetLastWriteOk(ok);
    return ok;
}

} // namespace lumo
