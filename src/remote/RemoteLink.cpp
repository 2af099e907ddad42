#include "remote/RemoteLink.h"
#include "link/FT232.h"
#include "remote/BoxProtocol.h"

namespace lumo {

namespace {
constexpr int kOpenPauseMs = 10;
constexpr int kAfterHangUpMs = 1000;
constexpr int kAfterBasicMs = 500;
const QString kEmpty;
} // namespace

RemoteLink::RemoteLink(BoxBus& bus, Clock& clock) : m_bus(bus), m_clock(clock) {}

RemoteLink::~RemoteLink() {
    if (m_hangUpTask)
        m_clock.cancel(m_hangUpTask);
    if (m_openTask)
        m_clock.cancel(m_openTask);
}

int RemoteLink::ListBoxDevices() {
    for (QString& s : m_serials)
        s.clear();
    m_listed = 0;
    const int count = m_bus.deviceCount();
    m_deviceCount = count > 0 ? count : 0;
    for (int i = 0; i < m_deviceCount && m_listed < kSerialSlots; ++i) {
        if (m_bus.description(i) != kBoxDescription)
            continue;
        m_serials[static_cast<std::size_t>(m_listed++)] = m_bus.serialNumber(i);
    }
    return m_deviceCount;
}

int RemoteLink::kavCount() const {
    int n = 0;
    for (int i = 0; i < m_listed; ++i)
        if (m_serials[static_cast<std::size_t>(i)].left(3) == kBoxSerialPrefix)
            ++n;
    return n;
}

const QString& RemoteLink::boxSerial(int slot) const {
    if (slot < 0 || slot >= kSerialSlots)
        return kEmpty;
    return m_serials[static_cast<std::size_t>(slot)];
}

void RemoteLink::setBoxSerial(int slot, const QString& serial) {
    if (slot >= 0 && slot < kSerialSlots)
        m_serials[static_cast<std::size_t>(slot)] = serial;
}

QString RemoteLink::selectedSerial() const {
    return boxSerial(m_selected);
}

void RemoteLink::releaseBoxLink() {
    m_box.reset();
    m_boxLost = false;
}

void RemoteLink::configure(BoxDevice& box) {
    // The results are not checked: a box that takes the open but not the settings still
    // answers at its default rate or fails the first exchange, which the procedures report.
    box.setBitMode(0, 0);
    box.dtrControl(false);
    box.rtsControl(true);
    box.setBaudRate(kBaudRate);
}

std::unique_ptr<BoxDevice> RemoteLink::openConfigured(const QString& serialNumber) {
    std::unique_ptr<BoxDevice> box = m_bus.open(serialNumber);
    configure(*box);
    return box;
}

void RemoteLink::OpenBoxLink(const QString& serialNumber) {
    std::unique_ptr<BoxDevice> box = openConfigured(serialNumber);
    m_box = std::move(box); // the old link is released only once the new one is open
    m_boxLost = false;
}

void RemoteLink::OpenBoxLinkPaced(const QString& serialNumber,
                                  std::function<void(bool opened)> done) {
    std::unique_ptr<BoxDevice> box;
    try {
        box = m_bus.open(serialNumber);
    } catch (const TFT232Exception&) {
        if (done)
            done(false);
        return;
    }
    m_box = std::move(box);
    m_boxLost = false;
    if (m_openTask)
        m_clock.cancel(m_openTask);
    m_openTask = m_clock.runAfter(kOpenPauseMs, [this, done = std::move(done)]() mutable {
        if (m_box)
            configure(*m_box);
        m_openTask = m_clock.runAfter(kOpenPauseMs, [this, done = std::move(done)] {
            m_openTask = 0;
            if (done)
                done(true);
        });
    });
}

bool RemoteLink::BoxSend(const QByteArray& text) {
    if (text.isEmpty() || !m_box)
        return false;
    bool written = false;
    for (char byte : text) {
        written = m_box->writeByte(byte);
        if (!written)
            break;
        ++m_bytesSent;
    }
    // A box that takes no command cannot carry a read or write any further; the procedures
    // end on it rather than repeating into nothing.
    if (!written)
        m_boxLost = true;
    return written;
}

QByteArray RemoteLink::BoxReceive() {
    QByteArray result;
    if (!m_box)
        return result;
    const int count = m_box->receiveCount();
    bool failed = count <= 0;
    for (int i = 0; i < count; ++i) {
        char byte = 0;
        if (!m_box->readByte(&byte)) {
            failed = true;
            break;
        }
        result.append(byte);
    }
    if (!failed)
        return result;
    const int again = m_box->receiveCount();
    if (again != 0)
        reopenBroken(again);
    return result;
}

void RemoteLink::reopenBroken(int count) {
    // Broken link: open the box anew; keep the old link when that fails.
    const QString serial = selectedSerial();
    if (!serial.isEmpty()) {
        try {
            std::unique_ptr<BoxDevice> fresh = openConfigured(serial);
            m_box = std::move(fresh);
            ++m_reopens;
            m_boxLost = false;
            return;
        } catch (const TFT232Exception&) {
        }
    }
    // A device that cannot even tell its queue and cannot be opened again is gone.
    if (count < 0)
        m_boxLost = true;
}

bool RemoteLink::probeBox() {
    if (m_box && !m_boxLost) {
        const int count = m_box->receiveCount();
        if (count < 0)
            reopenBroken(count);
    }
    return !m_boxLost;
}

void RemoteLink::DiscardInput() {
    ReceiveBuffer += BoxReceive();
    ReceiveBuffer.clear();
}

void RemoteLink::HangUp(std::function<void()> done) {
    if (m_hangUpTask) {
        // A hang-up already under way frees the line for this caller too.
        if (done)
            m_hangUpDone.push_back(std::move(done));
        return;
    }
    if (!m_box || m_boxLost) {
        // Nothing to hang up through: the line drops with the box.
        if (done)
            done();
        return;
    }
    if (done)
        m_hangUpDone.push_back(std::move(done));
    BoxSend(kHangUpCommand);
    m_hangUpTask = m_clock.runAfter(kAfterHangUpMs, [this] {
        BoxSend(kBasicCommand);
        m_hangUpTask = m_clock.runAfter(kAfterBasicMs, [this] {
            m_hangUpTask = 0;
            DiscardInput();
            std::vector<std::function<void()>> waiting;
            waiting.swap(m_hangUpDone);
            for (auto& f : waiting)
                f();
        });
    });
}

} // namespace lumo
