#pragma once
#include "link/FtdiApi.h"
#include <QByteArray>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace lumo {

// A virtual FTDI device: a description, a serial number, a byte pipe each way and the modem
// lines. The program reaches it through the FT_* calls of the virtual back end; a simulator or
// a test holds the device side. Thread-safe.
class VirtualFtdiDevice {
public:
    using HostWriteHandler = std::function<void(const QByteArray& bytes)>;

    VirtualFtdiDevice(QByteArray serialNumber, QByteArray description);

    const QByteArray& serialNumber() const { return m_serialNumber; }
    const QByteArray& description() const { return m_description; }

    // --- device side ---
    // Queues bytes for the program to read.
    void sendToHost(const QByteArray& bytes);
    // Takes the bytes the program has written so far.
    QByteArray takeFromHost();
    // Called after every write of the program, on the writer's thread, with the bytes just
    // written (they are also kept for takeFromHost unless the handler is set). The handler may
    // call sendToHost.
    void setHostWriteHandler(HostWriteHandler handler);
    // Called after every read of the program, on the reader's thread (bytes may be sent from
    // it, to arrive "while" the program reads).
    void setHostReadHandler(std::function<void()> handler);
    // Fault injection: writes of the program fail (status FT_IO_ERROR).
    void setFailWrites(bool fail);

    bool isOpen() const;
    int openCount() const;
    quint32 baudRate() const;
    bool dtr() const;
    bool rts() const;
    quint8 bitMask() const;
    quint8 bitMode() const;
    int pendingToHost() const;

    // --- host side (the virtual back end) ---
    bool tryOpen();
    void close();
    bool plugged() const;
    void setPlugged(bool plugged);
    FT_STATUS hostWrite(const char* data, quint32 count, quint32* written);
    FT_STATUS hostRead(char* data, quint32 count, quint32* got);
    FT_STATUS hostReceiveCount(quint32* count) const;
    FT_STATUS hostSetBaudRate(quint32 rate);
    FT_STATUS hostSetBitMode(quint8 mask, quint8 mode);
    FT_STATUS hostSetDtr(bool on);
    FT_STATUS hostSetRts(bool on);

private:
    const QByteArray m_serialNumber;
    const QByteArray m_description;
    mutable std::mutex m_mutex;
    QByteArray m_toHost;
    QByteArray m_fromHost;
    HostWriteHandler m_handler;
    std::function<void()> m_readHandler;
    bool m_open = false;
    bool m_plugged = true;
    bool m_failWrites = false;
    int m_openCount = 0;
    quint32 m_baudRate = 9600;
    bool m_dtr = false;
    bool m_rts = false;
    quint8 m_bitMask = 0;
    quint8 m_bitMode = 0;
};

// The devices plugged into the virtual back end, in plugging order (the enumeration order).
class VirtualFtdiRegistry {
public:
    static VirtualFtdiRegistry& instance();

    // Plugs a device in; a device with the same serial number is replaced.
    std::shared_ptr<VirtualFtdiDevice> plug(const QByteArray& serialNumber,
                                            const QByteArray& description);
    void plug(std::shared_ptr<VirtualFtdiDevice> device);
    // Pulls a device out: it leaves the list, and calls on a handle still open fail.
    void unplug(const QByteArray& serialNumber);
    void unplugAll();
    std::shared_ptr<VirtualFtdiDevice> find(const QByteArray& serialNumber) const;
    std::vector<std::shared_ptr<VirtualFtdiDevice>> devices() const;

    // The back end over this registry.
    FtdiBackend& backend();

private:
    VirtualFtdiRegistry();
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<VirtualFtdiDevice>> m_devices;
    std::unique_ptr<FtdiBackend> m_backend;
};

} // namespace lumo
