#include "remote/FtdiBoxBus.h"
#include "link/FT232.h"
#include "platform/SystemClock.h"

namespace lumo {

namespace {

class FtdiBoxDevice : public BoxDevice {
public:
    // No pause after closing: the box is released only when it is opened anew, and a blocking
    // pause of the GUI thread is what the remote procedures must never do.
    explicit FtdiBoxDevice(const QString& serialNumber) : m_link(serialNumber, TFT232::Pause{}) {}
    ~FtdiBoxDevice() override { SystemClock::setAnswerDue(false); }

    // On a fast clock the box gets the real time to answer that it has at real speed: the
    // passes of 1 ms that wait for a reply would otherwise end before a busy machine has
    // passed the command on.
    bool writeByte(char byte) override {
        SystemClock::setAnswerDue(true);
        return m_link.WriteByte(byte);
    }
    bool readByte(char* byte) override { return m_link.ReadByte(byte); }
    int receiveCount() override {
        // TFT232::ReceiveCount reports a failed status as 0; the box needs to know the
        // difference to notice a broken link.
        quint32 rx = 0, tx = 0, events = 0;
        if (FT_GetStatus(m_link.Handle(), &rx, &tx, &events) != FT_OK)
            return -1;
        if (rx > 0)
            SystemClock::setAnswerDue(false);
        return static_cast<int>(rx);
    }
    bool setBitMode(quint8 mask, quint8 mode) override { return m_link.SetBitMode(mask, mode); }
    void dtrControl(bool clear) override { m_link.DtrControl(clear); }
    void rtsControl(bool clear) override { m_link.RtsControl(clear); }
    void setBaudRate(int rate) override { m_link.SetBaudRate(rate); }

private:
    TFT232 m_link;
};

} // namespace

int FtdiBoxBus::deviceCount() {
    if (GetFTDeviceCount() != FT_OK)
        return -1;
    return FTDeviceCount();
}

QString FtdiBoxBus::description(int index) {
    return GetFTDeviceDescription(index) == FT_OK ? FTDeviceText() : QString();
}

QString FtdiBoxBus::serialNumber(int index) {
    return GetFTDeviceSerialNo(index) == FT_OK ? FTDeviceText() : QString();
}

std::unique_ptr<BoxDevice> FtdiBoxBus::open(const QString& serialNumber) {
    return std::make_unique<FtdiBoxDevice>(serialNumber);
}

} // namespace lumo
