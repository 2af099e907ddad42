#include "link/FT232.h"

#include "platform/Cp1250.h"
#include <QThread>
#include <cstdint>

namespace lumo {

namespace {

int g_deviceCount = 0;
QString g_deviceText;

// The name buffer is larger than any text FT_ListDevices writes; only 49 characters are used.
constexpr int kNameBufferSize = 128;
constexpr int kTextLimit = 49;

FT_STATUS listText(int index, quint32 what) {
    if (index < 0)
        return FT_DEVICE_NOT_FOUND;
    char buffer[kNameBufferSize] = {};
    const FT_STATUS status =
        FT_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)), buffer,
                       FT_LIST_BY_INDEX | what);
    if (status != FT_OK)
        return status;
    buffer[kTextLimit] = '\0'; // the 50th byte
    g_deviceText = cp1250::toUnicode(QByteArray(buffer));
    return FT_OK;
}

} // namespace

void TFT232::SleepPause(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

TFT232::TFT232(const QString& serialNumber, Pause pause) : m_pause(std::move(pause)) {
    const QByteArray key = cp1250::fromUnicode(serialNumber); // NUL-terminated by QByteArray
    m_status = FT_OpenEx(key.constData(), FT_OPEN_BY_SERIAL_NUMBER, &m_handle);
    if (m_status != FT_OK) {
        m_handle = nullptr;
        throw TFT232Exception(QStringLiteral("Device ") + serialNumber +
                              QStringLiteral(" can not open"));
    }
}

TFT232::~TFT232() {
    FT_Close(m_handle);
    if (m_pause)
        m_pause(10);
}

FT_STATUS TFT232::SetBaudRate(int rate) {
    return FT_SetBaudRate(m_handle, static_cast<quint32>(rate));
}

bool TFT232::ReadByte(char* byte) {
    quint32 got = 0;
    return FT_Read(m_handle, byte, 1, &got) == FT_OK && got == 1;
}

bool TFT232::WriteByte(char byte) {
    quint32 written = 0;
    return FT_Write(m_handle, &byte, 1, &written) == FT_OK && written == 1;
}

int TFT232::ReceiveCount() {
    quint32 rx = 0, tx = 0, events = 0;
    m_statusFailed = FT_GetStatus(m_handle, &rx, &tx, &events) != FT_OK;
    if (m_statusFailed)
        return 0;
    return static_cast<int>(rx);
}

FT_STATUS TFT232::DtrControl(bool clear) {
    return clear ? FT_ClrDtr(m_handle) : FT_SetDtr(m_handle);
}

FT_STATUS TFT232::RtsControl(bool clear) {
    return clear ? FT_ClrRts(m_handle) : FT_SetRts(m_handle);
}

bool TFT232::SetBitMode(quint8 mask, quint8 mode) {
    m_status = FT_SetBitMode(m_handle, mask, mode);
    return m_status == FT_OK;
}

FT_STATUS GetFTDeviceCount() {
    quint32 count = 0;
    const FT_STATUS status = FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    if (status == FT_OK)
        g_deviceCount = static_cast<int>(count);
    return status;
}

FT_STATUS GetFTDeviceSerialNo(int index) {
    return listText(index, FT_OPEN_BY_SERIAL_NUMBER);
}

FT_STATUS GetFTDeviceDescription(int index) {
    return listText(index, FT_OPEN_BY_DESCRIPTION);
}

int FTDeviceCount() {
    return g_deviceCount;
}

QString FTDeviceText() {
    return g_deviceText;
}

QString FTDeviceErrorText(const QString& function, FT_STATUS status) {
    static const char* const texts[] = {
        " - Invalid Handle...",   " - Device Not Found....",      " - Device Not Opened...",
        " - General IO Error...", " - Insufficient Resources...", " - Invalid Parameter ...",
    };
    if (status < 1 || status > 6)
        return QString();
    return function + QLatin1String(texts[status - 1]);
}

} // namespace lumo
