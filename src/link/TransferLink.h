#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

namespace lumo {

// The local link as the transfer engine drives it: the serial port component or the USB cable.
// One interface for both, with the few places where the two differ made explicit, so that the
// engine follows the same steps over either and tests can put an in-memory link in its place.
class TransferLink {
public:
    enum class Kind { Serial, Usb };
    using DataHandler = std::function<void(int count)>;

    virtual ~TransferLink() = default;

    virtual Kind kind() const = 0;

    // Serial: the port is open. USB: the adapter is open (the last cable open succeeded).
    virtual bool isOpen() const = 0;
    // Serial: opens the port; false with the component's reason when that fails.
    // USB: opens the cable afresh (both attempts); false when it stays closed.
    virtual bool open(QString* error) = 0;
    // Serial: closes the port. USB: releases the cable link.
    virtual void close() = 0;
    // USB: the cable link is held (it may be held while the adapter is marked closed).
    // Serial: always true.
    virtual bool hasDevice() const = 0;

    // Bytes waiting in the input (USB: the receive count).
    virtual int bytesWaiting() = 0;
    // Takes every waiting byte (serial: ReadAllWaiting; USB: ReadUsbReply).
    virtual QByteArray readAll() = 0;
    // Queues (serial) or writes (USB) one byte; false when a USB write failed.
    virtual bool writeByte(char byte) = 0;
    // USB: the last write succeeded (ReadUsbReply clears it after reopening the cable).
    // Serial: always true.
    virtual bool lastWriteOk() const = 0;

    // Serial only: the received-data event (the number of bytes now waiting), delivered on
    // the thread that runs the engine. The USB link is polled and never calls it.
    virtual void setDataHandler(DataHandler handler) = 0;

    // The device went away while the link was open (the terminal hung up, the cable stopped
    // answering): the unit is not silent but gone. Cleared when the link opens again.
    virtual bool deviceLost() const { return false; }

    // Why the last open failed, in the user's words (what is wrong with the device and how to
    // fix it); empty when the link cannot tell.
    virtual QString openProblem() const { return {}; }
    // Finds that reason from the device (the port's device path, the cable's serial number).
    using Explainer = std::function<QString(const QString& device)>;
};

} // namespace lumo
