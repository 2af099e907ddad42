#include "link/FtdiVirtual.h"

#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace lumo {

VirtualFtdiDevice::VirtualFtdiDevice(QByteArray serialNumber, QByteArray description)
    : m_serialNumber(std::move(serialNumber)), m_description(std::move(description)) {}

VirtualFtdiDevice::VirtualFtdiDevice(QByteArray serialNumber, QByteArray description,
                                     QString terminalPath)
    : m_serialNumber(std::move(serialNumber)), m_description(std::move(description)),
      m_terminalPath(std::move(terminalPath)) {}

VirtualFtdiDevice::~VirtualFtdiDevice() {
    if (m_fd >= 0)
        ::close(m_fd);
}

FileError VirtualFtdiDevice::lastOpenError() const {
    std::lock_guard lock(m_mutex);
    return m_openError;
}

bool VirtualFtdiDevice::pullTerminal() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_toHost.append(buffer, static_cast<int>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Nothing waiting is fine; end of file or an error means the other side is gone.
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

FT_STATUS VirtualFtdiDevice::writeTerminal(const char* data, quint32 count, quint32* written) {
    quint32 done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<quint32>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The terminal's buffer is full: give the other side a moment to read.
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0 && !(p.revents & (POLLERR | POLLHUP)))
                continue;
        }
        break;
    }
    *written = done;
    return done == count ? FT_OK : FT_IO_ERROR;
}

void VirtualFtdiDevice::sendToHost(const QByteArray& bytes) {
    std::lock_guard lock(m_mutex);
    m_toHost.append(bytes);
}

QByteArray VirtualFtdiDevice::takeFromHost() {
    std::lock_guard lock(m_mutex);
    QByteArray out;
    out.swap(m_fromHost);
    return out;
}

void VirtualFtdiDevice::setHostWriteHandler(HostWriteHandler handler) {
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void VirtualFtdiDevice::setHostReadHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_readHandler = std::move(handler);
}

void VirtualFtdiDevice::setFailWrites(bool fail) {
    std::lock_guard lock(m_mutex);
    m_failWrites = fail;
}

bool VirtualFtdiDevice::isOpen() const {
    std::lock_guard lock(m_mutex);
    return m_open;
}

int VirtualFtdiDevice::openCount() const {
    std::lock_guard lock(m_mutex);
    return m_openCount;
}

quint32 VirtualFtdiDevice::baudRate() const {
    std::lock_guard lock(m_mutex);
    return m_baudRate;
}

bool VirtualFtdiDevice::dtr() const {
    std::lock_guard lock(m_mutex);
    return m_dtr;
}

bool VirtualFtdiDevice::rts() const {
    std::lock_guard lock(m_mutex);
    return m_rts;
}

quint8 VirtualFtdiDevice::bitMask() const {
    std::lock_guard lock(m_mutex);
    return m_bitMask;
}

quint8 VirtualFtdiDevice::bitMode() const {
    std::lock_guard lock(m_mutex);
    return m_bitMode;
}

int VirtualFtdiDevice::pendingToHost() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_toHost.size());
}

bool VirtualFtdiDevice::tryOpen() {
    std::lock_guard lock(m_mutex);
    if (m_open || !m_plugged)
        return false;
    if (!m_terminalPath.isEmpty()) {
        const int fd = ::open(QFile::encodeName(m_terminalPath).constData(),
                              O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            m_openError = FileError::fromErrno(errno);
            return false;
        }
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            // Raw bytes both ways; other character devices have no line settings.
            ::cfmakeraw(&t);
            // With VMIN 1 a non-blocking read of an empty terminal says EAGAIN; with 0 it
            // would return 0, which could not be told from the other side going away.
            t.c_cc[VMIN] = 1;
            t.c_cc[VTIME] = 0;
            ::tcsetattr(fd, TCSANOW, &t);
            ::tcflush(fd, TCIFLUSH);
        }
        m_fd = fd;
        m_openError = {};
    }
    m_open = true;
    ++m_openCount;
    // Opening resets the chip: what was waiting is dropped, the line is back at its defaults.
    m_toHost.clear();
    m_baudRate = 9600;
    m_bitMask = 0;
    m_bitMode = 0;
    return true;
}

void VirtualFtdiDevice::close() {
    std::lock_guard lock(m_mutex);
    m_open = false;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool VirtualFtdiDevice::plugged() const {
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

void VirtualFtdiDevice::setPlugged(bool plugged) {
    std::lock_guard lock(m_mutex);
    m_plugged = plugged;
}

FT_STATUS VirtualFtdiDevice::hostWrite(const char* data, quint32 count, quint32* written) {
    *written = 0;
    HostWriteHandler handler;
    const QByteArray bytes(data, static_cast<int>(count));
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged || m_failWrites)
            return FT_IO_ERROR;
        if (m_fd >= 0)
            return writeTerminal(data, count, written);
        *written = count;
        if (m_handler)
            handler = m_handler;
        else
            m_fromHost.append(bytes);
    }
    // Outside the lock: the handler answers through sendToHost.
    if (handler)
        handler(bytes);
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostRead(char* data, quint32 count, quint32* got) {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_mutex);
        *got = 0;
        if (!m_plugged)
            return FT_IO_ERROR;
        if (m_fd >= 0 && !pullTerminal() && m_toHost.isEmpty())
            return FT_IO_ERROR;
        const quint32 n = std::min<quint32>(count, static_cast<quint32>(m_toHost.size()));
        std::memcpy(data, m_toHost.constData(), n);
        m_toHost.remove(0, static_cast<int>(n));
        *got = n;
        handler = m_readHandler;
    }
    if (handler)
        handler();
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostReceiveCount(quint32* count) {
    std::lock_guard lock(m_mutex);
    *count = 0;
    if (!m_plugged)
        return FT_IO_ERROR;
    if (m_fd >= 0 && !pullTerminal() && m_toHost.isEmpty())
        return FT_IO_ERROR;
    *count = static_cast<quint32>(m_toHost.size());
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostSetBaudRate(quint32 rate) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return FT_IO_ERROR;
    if (rate == 0)
        return FT_INVALID_PARAMETER;
    m_baudRate = rate;
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostSetBitMode(quint8 mask, quint8 mode) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return FT_IO_ERROR;
    m_bitMask = mask;
    m_bitMode = mode;
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostSetDtr(bool on) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return FT_IO_ERROR;
    m_dtr = on;
    return FT_OK;
}

FT_STATUS VirtualFtdiDevice::hostSetRts(bool on) {
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return FT_IO_ERROR;
    m_rts = on;
    return FT_OK;
}

namespace {

std::mutex g_fileMutex;
DeviceFileError g_fileError;

QString g_fileSetting; // the LUMO_FTDI value whose file was loaded

// LUMO_FTDI=virtual:PATH plugs in the devices of PATH at the first use of the back end (and
// again should the variable name another file later, as tests do).
bool loadEnvironmentDevices(VirtualFtdiRegistry& registry) {
    const QString setting = qEnvironmentVariable("LUMO_FTDI");
    const QLatin1String prefix("virtual:");
    std::lock_guard lock(g_fileMutex);
    if (!setting.startsWith(prefix, Qt::CaseInsensitive)) {
        // No file named now: an earlier file's trouble is no longer the reason for anything.
        g_fileSetting.clear();
        g_fileError = {};
        return true;
    }
    if (setting == g_fileSetting)
        return g_fileError.ok();
    g_fileSetting = setting;
    g_fileError = {};
    const QString path = setting.mid(prefix.size());
    // No warning here: whoever lists or opens the devices says why, in the run's language.
    if (path.isEmpty())
        g_fileError.problem = DeviceFileError::Problem::NotNamed;
    else
        registry.loadDeviceFile(path, &g_fileError);
    return g_fileError.ok();
}

class VirtualOpenDevice : public FtdiOpenDevice {
public:
    explicit VirtualOpenDevice(std::shared_ptr<VirtualFtdiDevice> device)
        : m_device(std::move(device)) {}
    ~VirtualOpenDevice() override { m_device->close(); }
    FT_STATUS setBaudRate(quint32 rate) override { return m_device->hostSetBaudRate(rate); }
    FT_STATUS setBitMode(quint8 mask, quint8 mode) override {
        return m_device->hostSetBitMode(mask, mode);
    }
    FT_STATUS setDtr(bool on) override { return m_device->hostSetDtr(on); }
    FT_STATUS setRts(bool on) override { return m_device->hostSetRts(on); }
    FT_STATUS write(const char* data, quint32 count, quint32* written) override {
        return m_device->hostWrite(data, count, written);
    }
    FT_STATUS read(char* data, quint32 count, quint32* got) override {
        return m_device->hostRead(data, count, got);
    }
    FT_STATUS receiveCount(quint32* count) override { return m_device->hostReceiveCount(count); }

private:
    std::shared_ptr<VirtualFtdiDevice> m_device;
};

class VirtualBackend : public FtdiBackend {
public:
    explicit VirtualBackend(VirtualFtdiRegistry& registry) : m_registry(registry) {}

    FT_STATUS list(std::vector<FtdiDeviceInfo>* devices) override {
        devices->clear();
        if (!loadEnvironmentDevices(m_registry))
            return FT_OTHER_ERROR;
        for (const auto& d : m_registry.devices())
            devices->push_back({d->serialNumber(), d->description()});
        return FT_OK;
    }

    FT_STATUS open(const QByteArray& key, bool bySerialNumber,
                   std::unique_ptr<FtdiOpenDevice>* device) override {
        if (!loadEnvironmentDevices(m_registry))
            return FT_OTHER_ERROR;
        for (const auto& d : m_registry.devices()) {
            if ((bySerialNumber ? d->serialNumber() : d->description()) != key)
                continue;
            if (!d->tryOpen())
                return FT_DEVICE_NOT_OPENED;
            *device = std::make_unique<VirtualOpenDevice>(d);
            return FT_OK;
        }
        return FT_DEVICE_NOT_FOUND;
    }

private:
    VirtualFtdiRegistry& m_registry;
};

} // namespace

VirtualFtdiRegistry::VirtualFtdiRegistry() : m_backend(std::make_unique<VirtualBackend>(*this)) {}

VirtualFtdiRegistry& VirtualFtdiRegistry::instance() {
    static VirtualFtdiRegistry registry;
    return registry;
}

std::shared_ptr<VirtualFtdiDevice> VirtualFtdiRegistry::plug(const QByteArray& serialNumber,
                                                             const QByteArray& description) {
    auto device = std::make_shared<VirtualFtdiDevice>(serialNumber, description);
    plug(device);
    return device;
}

void VirtualFtdiRegistry::plug(std::shared_ptr<VirtualFtdiDevice> device) {
    std::lock_guard lock(m_mutex);
    for (auto& d : m_devices) {
        if (d->serialNumber() == device->serialNumber()) {
            d->setPlugged(false);
            d = std::move(device);
            return;
        }
    }
    m_devices.push_back(std::move(device));
}

void VirtualFtdiRegistry::unplug(const QByteArray& serialNumber) {
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_devices.begin(), m_devices.end(),
                           [&](const auto& d) { return d->serialNumber() == serialNumber; });
    if (it == m_devices.end())
        return;
    (*it)->setPlugged(false);
    m_devices.erase(it);
}

void VirtualFtdiRegistry::unplugAll() {
    std::lock_guard lock(m_mutex);
    for (auto& d : m_devices)
        d->setPlugged(false);
    m_devices.clear();
}

std::shared_ptr<VirtualFtdiDevice> VirtualFtdiRegistry::find(const QByteArray& serialNumber) const {
    std::lock_guard lock(m_mutex);
    for (const auto& d : m_devices) {
        if (d->serialNumber() == serialNumber)
            return d;
    }
    return nullptr;
}

std::vector<std::shared_ptr<VirtualFtdiDevice>> VirtualFtdiRegistry::devices() const {
    std::lock_guard lock(m_mutex);
    return m_devices;
}

bool VirtualFtdiRegistry::parseDeviceFile(const QByteArray& text, const QString& name,
                                          std::vector<std::shared_ptr<VirtualFtdiDevice>>* devices,
                                          DeviceFileError* error) {
    using P = DeviceFileError::Problem;
    devices->clear();
    *error = {};
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        DeviceFileError found;
        found.file = name;
        found.line = i + 1;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3) {
            found.problem = P::FieldCount;
            found.fields = static_cast<int>(fields.size());
            *error = found;
            return false;
        }
        const QByteArray description = fields[0].trimmed();
        const QByteArray serial = fields[1].trimmed();
        const QString terminal = QString::fromUtf8(fields[2].trimmed());
        if (description.isEmpty()) {
            found.problem = P::EmptyDescription;
        } else if (description.size() >= kFtDescriptionBufferSize) {
            found.problem = P::DescriptionTooLong;
            found.limit = kFtDescriptionBufferSize - 1;
        } else if (serial.isEmpty()) {
            found.problem = P::EmptySerialNumber;
        } else if (serial.size() >= kFtSerialNumberBufferSize) {
            found.problem = P::SerialNumberTooLong;
            found.limit = kFtSerialNumberBufferSize - 1;
        } else if (terminal.isEmpty()) {
            found.problem = P::EmptyTerminalPath;
        } else if (std::any_of(devices->begin(), devices->end(),
                               [&](const auto& d) { return d->serialNumber() == serial; })) {
            found.problem = P::SerialNumberTwice;
            found.serialNumber = QString::fromUtf8(serial);
        }
        if (!found.ok()) {
            *error = found;
            devices->clear();
            return false;
        }
        devices->push_back(std::make_shared<VirtualFtdiDevice>(serial, description, terminal));
    }
    return true;
}

bool VirtualFtdiRegistry::loadDeviceFile(const QString& path, DeviceFileError* error) {
    // A few lines a device; a FIFO or a device node given by mistake must not hang the open.
    constexpr qint64 kLargestDeviceFile = 1024 * 1024;
    QByteArray text;
    *error = {};
    if (!readRegularFile(path, kLargestDeviceFile, &text, &error->fileError)) {
        error->problem = DeviceFileError::Problem::Unreadable;
        error->file = path;
        return false;
    }
    std::vector<std::shared_ptr<VirtualFtdiDevice>> devices;
    if (!parseDeviceFile(text, path, &devices, error))
        return false;
    for (auto& d : devices)
        plug(std::move(d));
    return true;
}

DeviceFileError virtualDeviceFileError() {
    std::lock_guard lock(g_fileMutex);
    return g_fileError;
}

FtdiBackend& VirtualFtdiRegistry::backend() {
    return *m_backend;
}

} // namespace lumo
