#pragma once
#include "link/FT232.h"
#include <QByteArray>
#include <QString>
#include <memory>

namespace lumo {

// The USB cable of the local link: the one cable link object (a TFT232 on the device with the
// serial number "Vexo-USB", or none), the adapter-open flag, the adapter state shown in the
// status bar ("OK", "--" or empty) and the last-write-ok flag shared with the transfer. At
// most one cable object exists at a time; releasing it closes the device.
class UsbCable {
public:
    static const QString kSerialNumber; // "Vexo-USB"

    explicit UsbCable(TFT232::Pause pause = TFT232::SleepPause);

    // Opens the cable afresh, in at most two attempts; never raises for errors of the
    // standard exception family.
    void OpenUsbCable();
    // Marks the adapter closed ("--") when it is open; the cable link is kept.
    void MarkUsbClosed();
    // Every byte waiting in the cable, in order; reopens the cable when it is not open.
    QByteArray ReadUsbReply();

    TFT232* Link() const { return m_link.get(); }
    bool HasLink() const { return m_link != nullptr; }
    // Destroys the cable object (closing the device) and empties the reference.
    void ReleaseLink();

    bool AdapterOpen() const { return m_adapterOpen; }
    const QString& AdapterState() const { return m_adapterState; }
    void SetAdapterState(const QString& state) { m_adapterState = state; }
    bool LastWriteOk() const { return m_lastWriteOk; }
    void SetLastWriteOk(bool ok) { m_lastWriteOk = ok; }

private:
    void Attempt(int settleMs);

    TFT232::Pause m_pause;
    std::unique_ptr<TFT232> m_link;
    bool m_adapterOpen = false;
    QString m_adapterState;
    bool m_lastWriteOk = true;
};

} // namespace lumo
