#pragma once
#include <QString>
#include <QtGlobal>
#include <memory>

namespace lumo {

// One open line box, as the remote procedures drive it: the byte-wise calls of the USB
// adapter. Real runs wrap a TFT232; tests put a scripted box in its place.
class BoxDevice {
public:
    virtual ~BoxDevice() = default;
    virtual bool writeByte(char byte) = 0;
    virtual bool readByte(char* byte) = 0;
    // Bytes waiting in the receive queue; negative when the count cannot be had (the device
    // went away), which tells a broken link from an empty queue.
    virtual int receiveCount() = 0;
    virtual bool setBitMode(quint8 mask, quint8 mode) = 0;
    virtual void dtrControl(bool clear) = 0;
    virtual void rtsControl(bool clear) = 0;
    virtual void setBaudRate(int rate) = 0;
};

// Where line boxes come from: the USB adapter's device list, and opening a device by its
// serial number.
class BoxBus {
public:
    virtual ~BoxBus() = default;
    // Number of attached USB devices of every kind; negative when the adapter cannot list.
    virtual int deviceCount() = 0;
    // Texts of device `index`; empty when the adapter cannot tell.
    virtual QString description(int index) = 0;
    virtual QString serialNumber(int index) = 0;
    // Opens the device; raises TFT232Exception when it is absent or held.
    virtual std::unique_ptr<BoxDevice> open(const QString& serialNumber) = 0;
};

} // namespace lumo
