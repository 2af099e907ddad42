#include "link/FtdiLibBackend.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <libftdi1/ftdi.h>
#include <libusb-1.0/libusb.h>
#include <mutex>
#include <set>
#include <thread>

namespace lumo {

namespace {

// One-byte acknowledgements would otherwise wait for the chip's default 16 ms latency.
constexpr unsigned char kLatencyMs = 2;
constexpr int kReadChunk = 4096;

struct ContextDeleter {
    void operator()(ftdi_context* c) const { ftdi_free(c); }
};
using Context = std::unique_ptr<ftdi_context, ContextDeleter>;

struct ListDeleter {
    void operator()(ftdi_device_list* l) const { ftdi_list_free(&l); }
};
using DeviceList = std::unique_ptr<ftdi_device_list, ListDeleter>;

// Serial numbers this process holds open: a second open of one is refused at once, as D2XX
// does, without touching the device.
std::mutex g_heldMutex;
std::set<QByteArray> g_held;

FtdiDeviceInfo stringsOf(ftdi_context* ctx, libusb_device* dev) {
    char manufacturer[128] = {};
    char description[128] = {};
    char serial[128] = {};
    FtdiDeviceInfo info;
    if (ftdi_usb_get_strings2(ctx, dev, manufacturer, sizeof manufacturer, description,
                              sizeof description, serial, sizeof serial) == 0) {
        info.description = QByteArray(description);
        info.serialNumber = QByteArray(serial);
    }
    return info;
}

// The context only, or null when there is no USB at all (no bus to look at).
Context newContext() {
    return Context(ftdi_new());
}

class LibFtdiDevice : public FtdiOpenDevice {
public:
    LibFtdiDevice(Context ctx, QByteArray serial)
        : m_ctx(std::move(ctx)), m_serial(std::move(serial)) {
        m_thread = std::thread([this] { Run(); });
    }

    ~LibFtdiDevice() override {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
        // The kernel's serial driver is attached again on release (detach mode set at open).
        ftdi_usb_close(m_ctx.get());
        std::lock_guard lock(g_heldMutex);
        g_held.erase(m_serial);
    }

    FT_STATUS setBaudRate(quint32 rate) override {
        return Call(
            [rate](ftdi_context* c) { return ftdi_set_baudrate(c, static_cast<int>(rate)); });
    }
    FT_STATUS setBitMode(quint8 mask, quint8 mode) override {
        return Call([=](ftdi_context* c) { return ftdi_set_bitmode(c, mask, mode); });
    }
    FT_STATUS setDtr(bool on) override {
        return Call([on](ftdi_context* c) { return ftdi_setdtr(c, on ? 1 : 0); });
    }
    FT_STATUS setRts(bool on) override {
        return Call([on](ftdi_context* c) { return ftdi_setrts(c, on ? 1 : 0); });
    }
    FT_STATUS write(const char* data, quint32 count, quint32* written) override {
        int result = 0;
        const FT_STATUS status = Call([&](ftdi_context* c) {
            result = ftdi_write_data(c, reinterpret_cast<const unsigned char*>(data),
                                     static_cast<int>(count));
            return result;
        });
        *written = status == FT_OK ? static_cast<quint32>(result) : 0;
        return status;
    }
    FT_STATUS read(char* data, quint32 count, quint32* got) override {
        std::lock_guard lock(m_mutex);
        const quint32 n = std::min<quint32>(count, static_cast<quint32>(m_queue.size()));
        std::copy(m_queue.begin(), m_queue.begin() + n, data);
        m_queue.erase(m_queue.begin(), m_queue.begin() + n);
        *got = n;
        return n == 0 && m_failed ? FT_IO_ERROR : FT_OK;
    }
    FT_STATUS receiveCount(quint32* count) override {
        std::lock_guard lock(m_mutex);
        *count = static_cast<quint32>(m_queue.size());
        return m_failed ? FT_IO_ERROR : FT_OK;
    }

private:
    struct Job {
        std::function<int(ftdi_context*)> work;
        int result = 0;
        bool done = false;
    };

    // Runs `work` on the I/O thread and waits for it.
    FT_STATUS Call(std::function<int(ftdi_context*)> work) {
        auto job = std::make_shared<Job>();
        job->work = std::move(work);
        std::unique_lock lock(m_mutex);
        if (m_failed)
            return FT_IO_ERROR;
        m_jobs.push_back(job);
        m_changed.wait(lock, [&] { return job->done || m_stop; });
        if (!job->done)
            return FT_IO_ERROR;
        return job->result < 0 ? FT_IO_ERROR : FT_OK;
    }

    void Run() {
        unsigned char buffer[kReadChunk];
        for (;;) {
            std::deque<std::shared_ptr<Job>> jobs;
            {
                std::unique_lock lock(m_mutex);
                if (m_failed) // nothing to read any more: wait for calls or the end
                    m_changed.wait(lock, [&] { return m_stop || !m_jobs.empty(); });
                if (m_stop)
                    break;
                jobs.swap(m_jobs);
            }
            for (auto& job : jobs)
                job->result = m_failed ? -1 : job->work(m_ctx.get());
            if (!jobs.empty()) {
                std::lock_guard lock(m_mutex);
                for (auto& job : jobs)
                    job->done = true;
                m_changed.notify_all();
            }
            if (m_failed)
                continue;
            // Returns after the chip's latency time with whatever has arrived, often nothing.
            const int n = ftdi_read_data(m_ctx.get(), buffer, sizeof buffer);
            std::lock_guard lock(m_mutex);
            if (n < 0) {
                m_failed = true; // unplugged: every call reports an I/O error from now on
                for (auto& job : m_jobs)
                    job->done = true, job->result = -1;
                m_jobs.clear();
                m_changed.notify_all();
            } else if (n > 0) {
                m_queue.insert(m_queue.end(), buffer, buffer + n);
            }
        }
        std::lock_guard lock(m_mutex);
        for (auto& job : m_jobs)
            job->done = true, job->result = -1;
        m_jobs.clear();
        m_changed.notify_all();
    }

    Context m_ctx;
    QByteArray m_serial;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_jobs;
    std::deque<char> m_queue;
    bool m_stop = false;
    std::atomic<bool> m_failed{false};
};

class LibFtdiBackend : public FtdiBackend {
public:
    FT_STATUS list(std::vector<FtdiDeviceInfo>* devices) override {
        devices->clear();
        Context ctx = newContext();
        if (!ctx)
            return FT_OK; // no USB on this machine: no devices
        ftdi_device_list* raw = nullptr;
        const int found = ftdi_usb_find_all(ctx.get(), &raw, 0, 0);
        DeviceList list(raw);
        if (found < 0)
            return FT_IO_ERROR;
        for (ftdi_device_list* d = raw; d; d = d->next)
            devices->push_back(stringsOf(ctx.get(), d->dev));
        return FT_OK;
    }

    FT_STATUS open(const QByteArray& key, bool bySerialNumber,
                   std::unique_ptr<FtdiOpenDevice>* device) override {
        Context ctx = newContext();
        if (!ctx)
            return FT_DEVICE_NOT_FOUND;
        ftdi_device_list* raw = nullptr;
        const int found = ftdi_usb_find_all(ctx.get(), &raw, 0, 0);
        DeviceList list(raw);
        if (found < 0)
            return FT_IO_ERROR;
        for (ftdi_device_list* d = raw; d; d = d->next) {
            const FtdiDeviceInfo info = stringsOf(ctx.get(), d->dev);
            if ((bySerialNumber ? info.serialNumber : info.description) != key)
                continue;
            {
                std::lock_guard lock(g_heldMutex);
                if (!g_held.insert(info.serialNumber).second)
                    return FT_DEVICE_NOT_OPENED;
            }
            ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
            if (ftdi_usb_open_dev(ctx.get(), d->dev) < 0) {
                std::lock_guard lock(g_heldMutex);
                g_held.erase(info.serialNumber);
                return FT_DEVICE_NOT_OPENED;
            }
            // Opening resets the chip; put the line where D2XX leaves it after an open.
            ftdi_set_latency_timer(ctx.get(), kLatencyMs);
            ftdi_set_line_property(ctx.get(), BITS_8, STOP_BIT_1, NONE);
            ftdi_setflowctrl(ctx.get(), SIO_DISABLE_FLOW_CTRL);
            ftdi_set_baudrate(ctx.get(), 9600);
            ftdi_tcioflush(ctx.get());
            *device = std::make_unique<LibFtdiDevice>(std::move(ctx), info.serialNumber);
            return FT_OK;
        }
        return FT_DEVICE_NOT_FOUND;
    }
};

} // namespace

FtdiBackend& libFtdiBackend() {
    static LibFtdiBackend backend;
    return backend;
}

} // namespace lumo
