#pragma once
#include "link/FtdiApi.h"
#include "platform/FileAccess.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace lumo {

// A virtual FTDI device: a description, a serial number, a byte pipe each way and the modem
// lines. The program reaches it through the FT_* calls of the virtual back end; a simulator or
// a test holds the device side. Thread-safe.
//
// A device on a terminal carries its byte stream through a pseudo-terminal (or any character
// device) instead: opening the device opens the terminal in raw mode, the program's writes go
// to it and its reads come from it; baud rate, bit mode, DTR and RTS are only recorded. A
// terminal that cannot be opened makes the open fail; one whose other side went away makes
// reads and writes fail, as an unplugged device does.
class VirtualFtdiDevice {
public:
    using HostWriteHandler = std::function<void(const QByteArray& bytes)>;

    VirtualFtdiDevice(QByteArray serialNumber, QByteArray description);
    VirtualFtdiDevice(QByteArray serialNumber, QByteArray description, QString terminalPath);
    ~VirtualFtdiDevice();
    VirtualFtdiDevice(const VirtualFtdiDevice&) = delete;
    VirtualFtdiDevice& operator=(const VirtualFtdiDevice&) = delete;

    const QString& terminalPath() const { return m_terminalPath; }
    // Why the last open of the terminal failed (none after a successful open).
    FileError lastOpenError() const;

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
    FT_STATUS hostReceiveCount(quint32* count);
    FT_STATUS hostSetBaudRate(quint32 rate);
    FT_STATUS hostSetBitMode(quint8 mask, quint8 mode);
    FT_STATUS hostSetDtr(bool on);
    FT_STATUS hostSetRts(bool on);

private:
    // Terminal devices: moves what the terminal has into m_toHost; false when it is gone.
    bool pullTerminal();
    FT_STATUS writeTerminal(const char* data, quint32 count, quint32* written);

    const QByteArray m_serialNumber;
    const QByteArray m_description;
    const QString m_terminalPath;
    int m_fd = -1;
    FileError m_openError;
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

// What is wrong with a device file, without wording: link/DeviceProblemText.h says it in the
// run's language.
struct DeviceFileError {
    enum class Problem {
        None,
        NotNamed,   // LUMO_FTDI=virtual: with no path after the colon
        Unreadable, // fileError says why
        FieldCount, // fields: how many tab-separated fields the line has
        EmptyDescription,
        DescriptionTooLong, // limit: the longest description, in bytes
        EmptySerialNumber,
        SerialNumberTooLong, // limit: the longest serial number, in bytes
        EmptyTerminalPath,
        SerialNumberTwice, // serialNumber: the one given again
    };
    Problem problem = Problem::None;
    QString file; // the file's name as given
    int line = 0; // the bad line, from 1; 0 when the whole file is at fault
    int fields = 0;
    int limit = 0;
    QString serialNumber;
    FileError fileError;

    bool ok() const { return problem == Problem::None; }
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

    // Plugs in the devices a device file describes: one a line, description, serial number
    // and terminal path separated by tabs; empty lines and lines starting with "#" are
    // skipped. A file with any bad line plugs nothing and gives the reason.
    bool loadDeviceFile(const QString& path, DeviceFileError* error);
    // Parses a device file's text; `name` goes into the error.
    static bool parseDeviceFile(const QByteArray& text, const QString& name,
                                std::vector<std::shared_ptr<VirtualFtdiDevice>>* devices,
                                DeviceFileError* error);

    // The back end over this registry. With LUMO_FTDI=virtual:PATH its first use loads PATH.
    FtdiBackend& backend();

private:
    VirtualFtdiRegistry();
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<VirtualFtdiDevice>> m_devices;
    std::unique_ptr<FtdiBackend> m_backend;
};

// Why the device file named by LUMO_FTDI=virtual:PATH could not be loaded; ok() when there is
// none or it loaded.
DeviceFileError virtualDeviceFileError();

} // namespace lumo
