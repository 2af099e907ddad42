#include "link/FtdiApi.h"

#include "link/FtdiLibBackend.h"
#include "link/FtdiVirtual.h"
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>

namespace lumo {

namespace {

std::atomic<int> g_kind{-1}; // -1: not chosen yet, take the environment's choice

std::mutex g_handlesMutex;
std::set<FtdiOpenDevice*> g_handles;

FtdiBackend& backend() {
    return ftdiBackendKind() == FtdiBackendKind::Virtual ? VirtualFtdiRegistry::instance().backend()
                                                         : libFtdiBackend();
}

// A handle is only ever a pointer this module handed out and has not closed.
FtdiOpenDevice* lookup(FT_HANDLE handle) {
    std::lock_guard lock(g_handlesMutex);
    auto* device = static_cast<FtdiOpenDevice*>(handle);
    return g_handles.count(device) ? device : nullptr;
}

void copyText(char* buffer, const QByteArray& text, int bufferSize) {
    const int n = qMin(static_cast<int>(text.size()), bufferSize - 1);
    // Up to a NUL inside the text, as a C string would end there.
    const int len = static_cast<int>(qstrnlen(text.constData(), static_cast<uint>(n)));
    std::memcpy(buffer, text.constData(), static_cast<size_t>(len));
    buffer[len] = '\0';
}

} // namespace

FtdiBackendKind ftdiBackendFromEnvironment() {
    // "virtual", or "virtual:PATH" with a file of devices on terminals (FtdiVirtual.h).
    const QString setting = qEnvironmentVariable("LUMO_FTDI");
    return setting.compare(QLatin1String("virtual"), Qt::CaseInsensitive) == 0 ||
                   setting.startsWith(QLatin1String("virtual:"), Qt::CaseInsensitive)
               ? FtdiBackendKind::Virtual
               : FtdiBackendKind::LibFtdi;
}

FtdiBackendKind ftdiBackendKind() {
    int kind = g_kind.load();
    if (kind < 0) {
        kind = static_cast<int>(ftdiBackendFromEnvironment());
        int expected = -1;
        if (!g_kind.compare_exchange_strong(expected, kind))
            kind = expected;
    }
    return static_cast<FtdiBackendKind>(kind);
}

void selectFtdiBackend(FtdiBackendKind kind) {
    g_kind = static_cast<int>(kind);
}

FT_STATUS FT_ListDevices(void* arg1, void* arg2, quint32 flags) {
    std::vector<FtdiDeviceInfo> devices;
    if (flags & FT_LIST_NUMBER_ONLY) {
        if (!arg1)
            return FT_INVALID_PARAMETER;
        const FT_STATUS status = backend().list(&devices);
        if (status == FT_OK)
            *static_cast<quint32*>(arg1) = static_cast<quint32>(devices.size());
        return status;
    }
    const bool bySerial = flags & FT_OPEN_BY_SERIAL_NUMBER;
    const bool byDescription = flags & FT_OPEN_BY_DESCRIPTION;
    if (bySerial == byDescription)
        return FT_INVALID_PARAMETER;
    const int size = bySerial ? kFtSerialNumberBufferSize : kFtDescriptionBufferSize;
    auto textOf = [&](const FtdiDeviceInfo& d) {
        return bySerial ? d.serialNumber : d.description;
    };
    if (flags & FT_LIST_BY_INDEX) {
        if (!arg2)
            return FT_INVALID_PARAMETER;
        const auto index = reinterpret_cast<std::uintptr_t>(arg1);
        const FT_STATUS status = backend().list(&devices);
        if (status != FT_OK)
            return status;
        if (index >= devices.size())
            return FT_DEVICE_NOT_FOUND;
        copyText(static_cast<char*>(arg2), textOf(devices[index]), size);
        return FT_OK;
    }
    if (flags & FT_LIST_ALL) {
        if (!arg1 || !arg2)
            return FT_INVALID_PARAMETER;
        const FT_STATUS status = backend().list(&devices);
        if (status != FT_OK)
            return status;
        char** buffers = static_cast<char**>(arg1);
        quint32 n = 0;
        // Fill the buffers given, up to the null entry that ends the array.
        for (; n < devices.size() && buffers[n]; ++n)
            copyText(buffers[n], textOf(devices[n]), size);
        *static_cast<quint32*>(arg2) = static_cast<quint32>(devices.size());
        return FT_OK;
    }
    return FT_INVALID_PARAMETER;
}

FT_STATUS FT_OpenEx(const void* arg, quint32 flags, FT_HANDLE* handle) {
    if (!arg || !handle)
        return FT_INVALID_PARAMETER;
    *handle = nullptr;
    if (flags != FT_OPEN_BY_SERIAL_NUMBER && flags != FT_OPEN_BY_DESCRIPTION)
        return FT_INVALID_PARAMETER;
    const QByteArray key(static_cast<const char*>(arg));
    std::unique_ptr<FtdiOpenDevice> device;
    const FT_STATUS status = backend().open(key, flags == FT_OPEN_BY_SERIAL_NUMBER, &device);
    if (status != FT_OK)
        return status;
    std::lock_guard lock(g_handlesMutex);
    FtdiOpenDevice* raw = device.release();
    g_handles.insert(raw);
    *handle = raw;
    return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE handle) {
    FtdiOpenDevice* device = nullptr;
    {
        std::lock_guard lock(g_handlesMutex);
        auto* d = static_cast<FtdiOpenDevice*>(handle);
        if (!g_handles.erase(d))
            return FT_INVALID_HANDLE;
        device = d;
    }
    delete device;
    return FT_OK;
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, quint32 baudRate) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setBaudRate(baudRate) : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetBitMode(FT_HANDLE handle, quint8 mask, quint8 mode) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setBitMode(mask, mode) : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetDtr(FT_HANDLE handle) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setDtr(true) : FT_INVALID_HANDLE;
}

FT_STATUS FT_ClrDtr(FT_HANDLE handle) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setDtr(false) : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetRts(FT_HANDLE handle) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setRts(true) : FT_INVALID_HANDLE;
}

FT_STATUS FT_ClrRts(FT_HANDLE handle) {
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->setRts(false) : FT_INVALID_HANDLE;
}

FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, quint32 count, quint32* written) {
    if (!written || (!buffer && count > 0))
        return FT_INVALID_PARAMETER;
    *written = 0;
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->write(static_cast<const char*>(buffer), count, written) : FT_INVALID_HANDLE;
}

FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, quint32 count, quint32* read) {
    if (!read || (!buffer && count > 0))
        return FT_INVALID_PARAMETER;
    *read = 0;
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->read(static_cast<char*>(buffer), count, read) : FT_INVALID_HANDLE;
}

FT_STATUS FT_GetStatus(FT_HANDLE handle, quint32* rxBytes, quint32* txBytes, quint32* events) {
    if (!rxBytes || !txBytes || !events)
        return FT_INVALID_PARAMETER;
    *rxBytes = *txBytes = *events = 0;
    FtdiOpenDevice* d = lookup(handle);
    return d ? d->receiveCount(rxBytes) : FT_INVALID_HANDLE;
}

} // namespace lumo
