#include "link/UsbCable.h"

#include <exception>

namespace lumo {

const QString UsbCable::kSerialNumber = QStringLiteral("Vexo-USB");

UsbCable::UsbCable(TFT232::Pause pause) : m_pause(std::move(pause)) {}

void UsbCable::ReleaseLink() {
    // Reset before the object dies, so the reference is empty even while it closes.
    std::unique_ptr<TFT232> link = std::move(m_link);
    link.reset();
}

void UsbCable::Attempt(int settleMs) {
    // The device is had by one holder: while the earlier cable object lives, this fails and
    // the caller's failure path releases that object.
    auto link = std::make_unique<TFT232>(kSerialNumber, m_pause);
    m_link = std::move(link);
    if (m_pause)
        m_pause(settleMs);
    m_link->SetBitMode(0, 0); // back to the plain serial mode
    m_link->DtrControl(false);
    m_link->RtsControl(true);
    m_link->SetBaudRate(2400);
    m_adapterState = QStringLiteral("OK");
    m_adapterOpen = true;
    if (m_pause)
        m_pause(settleMs);
}

void UsbCable::OpenUsbCable() {
    try {
        Attempt(20);
    } catch (const std::exception&) {
        m_adapterState = QStringLiteral("--");
        try {
            ReleaseLink();
        } catch (const std::exception&) {
        }
        m_adapterOpen = false;
    }
    if (m_adapterOpen)
        return;
    try {
        Attempt(10);
    } catch (const std::exception&) {
        m_adapterState = QStringLiteral("--");
        m_adapterOpen = false;
    }
}

void UsbCable::MarkUsbClosed() {
    if (!m_adapterOpen)
        return;
    m_adapterState = QStringLiteral("--");
    m_adapterOpen = false;
}

QByteArray UsbCable::ReadUsbReply() {
    QByteArray result;
    // A released cable object counts as closed too: there is nothing to read from.
    if (!m_adapterOpen || !m_link) {
        if (m_link)
            ReleaseLink();
        OpenUsbCable();
        if (!m_adapterOpen) {
            m_lastWriteOk = true;
            return result;
        }
        m_lastWriteOk = false;
    }
    const int n = m_link->ReceiveCount();
    for (int i = 0; i < n; ++i) {
        char byte = 0;
        if (!m_link->ReadByte(&byte))
            break;
        result.append(byte);
    }
    // More arrived meanwhile: reopening drops it, so the next reply starts clean.
    if (m_link->ReceiveCount() != 0)
        OpenUsbCable();
    return result;
}

} // namespace lumo
