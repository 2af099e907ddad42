#pragma once
#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace lumo {

// The small FTDI call set the program uses, with the D2XX names, arguments and status codes.
// Calls go to one of two back ends chosen at run time:
//   - libftdi1, for real devices (the default);
//   - a registry of virtual devices that simulators and tests plug into (FtdiVirtual.h).
// The environment variable LUMO_FTDI=virtual selects the virtual registry at start, and
// LUMO_FTDI=virtual:PATH also plugs in the devices on terminals that PATH describes;
// selectFtdiBackend() switches in code (the simulator does so for `lumo --simulate`).
// Every failure is a status; no call throws.

using FT_HANDLE = void*;
using FT_STATUS = quint32;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_OTHER_ERROR = 18,
};

constexpr quint32 FT_LIST_NUMBER_ONLY = 0x80000000u;
constexpr quint32 FT_LIST_BY_INDEX = 0x40000000u;
constexpr quint32 FT_LIST_ALL = 0x20000000u;
constexpr quint32 FT_OPEN_BY_SERIAL_NUMBER = 1;
constexpr quint32 FT_OPEN_BY_DESCRIPTION = 2;

// Longest texts FT_ListDevices writes, the terminating NUL included.
constexpr int kFtSerialNumberBufferSize = 16;
constexpr int kFtDescriptionBufferSize = 64;

// FT_LIST_NUMBER_ONLY: arg1 is a quint32* for the count.
// FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER or _DESCRIPTION: arg1 is the index (as an
// integer cast to a pointer), arg2 a buffer for the NUL-terminated text.
// FT_LIST_ALL | ...: arg1 is a null-terminated array of buffers, arg2 a quint32* for the count.
FT_STATUS FT_ListDevices(void* arg1, void* arg2, quint32 flags);
// Opens the device whose serial number (FT_OPEN_BY_SERIAL_NUMBER) or description
// (FT_OPEN_BY_DESCRIPTION) is the NUL-terminated text `arg`. A device is had by one holder at a
// time: FT_DEVICE_NOT_OPENED while another holds it, FT_DEVICE_NOT_FOUND when absent.
FT_STATUS FT_OpenEx(const void* arg, quint32 flags, FT_HANDLE* handle);
FT_STATUS FT_Close(FT_HANDLE handle);
FT_STATUS FT_SetBaudRate(FT_HANDLE handle, quint32 baudRate);
FT_STATUS FT_SetBitMode(FT_HANDLE handle, quint8 mask, quint8 mode);
FT_STATUS FT_SetDtr(FT_HANDLE handle);
FT_STATUS FT_ClrDtr(FT_HANDLE handle);
FT_STATUS FT_SetRts(FT_HANDLE handle);
FT_STATUS FT_ClrRts(FT_HANDLE handle);
FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, quint32 count, quint32* written);
// Never waits: reads what has arrived, up to `count` bytes.
FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, quint32 count, quint32* read);
FT_STATUS FT_GetStatus(FT_HANDLE handle, quint32* rxBytes, quint32* txBytes, quint32* events);

// --- back ends ---------------------------------------------------------------------------

// One open device of a back end.
class FtdiOpenDevice {
public:
    virtual ~FtdiOpenDevice() = default;
    virtual FT_STATUS setBaudRate(quint32 rate) = 0;
    virtual FT_STATUS setBitMode(quint8 mask, quint8 mode) = 0;
    virtual FT_STATUS setDtr(bool on) = 0;
    virtual FT_STATUS setRts(bool on) = 0;
    virtual FT_STATUS write(const char* data, quint32 count, quint32* written) = 0;
    virtual FT_STATUS read(char* data, quint32 count, quint32* got) = 0;
    virtual FT_STATUS receiveCount(quint32* count) = 0;
};

struct FtdiDeviceInfo {
    QByteArray serialNumber;
    QByteArray description;
};

class FtdiBackend {
public:
    virtual ~FtdiBackend() = default;
    virtual FT_STATUS list(std::vector<FtdiDeviceInfo>* devices) = 0;
    virtual FT_STATUS open(const QByteArray& key, bool bySerialNumber,
                           std::unique_ptr<FtdiOpenDevice>* device) = 0;
};

enum class FtdiBackendKind { LibFtdi, Virtual };

FtdiBackendKind ftdiBackendKind();
void selectFtdiBackend(FtdiBackendKind kind);
// The back end named by LUMO_FTDI ("virtual", "virtual:PATH", or anything else for libftdi1).
FtdiBackendKind ftdiBackendFromEnvironment();

} // namespace lumo
