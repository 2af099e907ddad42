#pragma once
#include "link/FtdiApi.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <stdexcept>

namespace lumo {

// Raised by the TFT232 constructor when the device cannot be opened.
class TFT232Exception : public std::runtime_error {
public:
    explicit TFT232Exception(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

// The link over one FTDI device, opened by its serial number: byte-wise read and write,
// receive count, baud rate, DTR/RTS and bit mode, each one FT_* call. Nothing is raised after
// construction; failures are results.
class TFT232 {
public:
    // A blocking pause of the calling thread (ms); tests pass one that does not sleep.
    using Pause = std::function<void(int ms)>;
    static void SleepPause(int ms);

    explicit TFT232(const QString& serialNumber, Pause pause = SleepPause);
    // FT_Close, then a pause of 10 ms.
    ~TFT232();
    TFT232(const TFT232&) = delete;
    TFT232& operator=(const TFT232&) = delete;

    FT_STATUS SetBaudRate(int rate);
    bool ReadByte(char* byte);
    bool WriteByte(char byte);
    // Bytes waiting (0 when the status cannot be had).
    int ReceiveCount();
    // The last ReceiveCount could not have the status: the device is gone.
    bool StatusFailed() const { return m_statusFailed; }
    FT_STATUS DtrControl(bool clear);
    FT_STATUS RtsControl(bool clear);
    bool SetBitMode(quint8 mask, quint8 mode);

    FT_STATUS Status() const { return m_status; }
    FT_HANDLE Handle() const { return m_handle; }

private:
    FT_HANDLE m_handle = nullptr;
    FT_STATUS m_status = FT_OK;
    bool m_statusFailed = false;
    Pause m_pause;
};

// Device enumeration. Each returns the FT_ListDevices status (0: success) and, on success,
// stores the count or the text below; on failure both keep what they held.
FT_STATUS GetFTDeviceCount();
FT_STATUS GetFTDeviceSerialNo(int index);
FT_STATUS GetFTDeviceDescription(int index);
// The count found by the last successful GetFTDeviceCount.
int FTDeviceCount();
// The serial number or description asked for last: up to the first NUL, at most 49 characters.
QString FTDeviceText();
// The enumeration's failure text for a status 1..6, e.g. "GetFTDeviceSerialNo - Device Not
// Found...."; empty for other statuses.
QString FTDeviceErrorText(const QString& function, FT_STATUS status);

} // namespace lumo
