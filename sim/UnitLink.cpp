#include "sim/UnitLink.h"
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace lumo::sim {

UnitLink::UnitLink(Clock& clock, VirtualUnit& unit, Kind kind)
    : m_clock(clock), m_unit(unit), m_kind(kind) {}

UnitLink::~UnitLink() {
    for (Clock::TaskId id : m_tasks)
        m_clock.cancel(id);
}

bool UnitLink::isOpen() const {
    return m_kind == Kind::Serial ? m_portOpen : m_adapterOpen;
}

bool UnitLink::open(QString* error) {
    if (m_kind == Kind::Serial) {
        if (m_portOpen)
            return true;
        if (m_portMissing || m_lost) {
            if (error)
                *error = QStringLiteral("Invalid port number (COM1)");
            return false;
        }
        m_portOpen = true;
        ++m_opens;
        return true;
    }
    // The cable is opened afresh: a held device is released first.
    if (m_deviceHeld) {
        m_deviceHeld = false;
        ++m_closes;
    }
    m_adapterOpen = false;
    if (m_cableMissing || m_lost)
        return false;
    m_deviceHeld = true;
    m_adapterOpen = true;
    m_input.clear();
    ++m_opens;
    return true;
}

void UnitLink::close() {
    if (m_kind == Kind::Serial) {
        if (!m_portOpen)
            return;
        m_portOpen = false;
    } else {
        if (!m_deviceHeld)
            return;
        m_deviceHeld = false;
        m_adapterOpen = false;
    }
    ++m_closes;
    ++m_generation;
    m_input.clear();
}

int UnitLink::bytesWaiting() {
    return isOpen() && !m_lost ? int(m_input.size()) : 0;
}

QByteArray UnitLink::readAll() {
    if (m_kind == Kind::Usb && !m_adapterOpen) {
        // ReadUsbReply on a closed adapter reopens it; the running transfer then ends.
        close();
        open(nullptr);
        m_lastWriteOk = !m_adapterOpen;
        if (!m_adapterOpen)
            return {};
    }
    if (!isOpen())
        return {};
    return std::exchange(m_input, QByteArray());
}

bool UnitLink::writeByte(char byte) {
    const bool failing = m_kind == Kind::Usb && (m_writes == m_failWriteAt || !m_adapterOpen);
    ++m_writes;
    if (m_kind == Kind::Usb)
        m_lastWriteOk = !failing;
    if (failing || !isOpen() || m_lost)
        return !failing;
    m_sent += byte;
    if (++m_hostBytes == m_vanishAfter) {
        deliverToUnit(byte);
        vanish();
        return true;
    }
    const quint64 generation = m_generation;
    if (!m_pacing) {
        deliverToUnit(byte);
        return true;
    }
    const double now = double(m_clock.nowMs());
    m_txFreeAt = std::max(m_txFreeAt, now) + kByteMs;
    schedule(qint64(std::ceil(m_txFreeAt)), [this, byte, generation] {
        if (generation == m_generation)
            deliverToUnit(byte);
    });
    return true;
}

void UnitLink::vanish() {
    m_lost = true;
    ++m_generation; // whatever is on its way is lost
    m_input.clear();
    if (m_kind == Kind::Serial)
        m_portOpen = false; // the component closes a port that hung up
}

void UnitLink::deliverToUnit(char byte) {
    const QByteArray answer = m_unit.feedByte(static_cast<unsigned char>(byte));
    if (answer.isEmpty())
        return;
    const quint64 generation = m_generation;
    const double now = double(m_clock.nowMs()) + m_unitDelayMs;
    if (!m_pacing) {
        schedule(qint64(now), [this, answer, generation] {
            if (generation == m_generation)
                arrive(answer);
        });
        return;
    }
    for (char c : answer) {
        m_rxFreeAt = std::max(m_rxFreeAt, now) + kByteMs;
        schedule(qint64(std::ceil(m_rxFreeAt)), [this, c, generation] {
            if (generation == m_generation)
                arrive(QByteArray(1, c));
        });
    }
}

void UnitLink::arrive(const QByteArray& bytes) {
    if (!isOpen() && !(m_kind == Kind::Usb && m_deviceHeld))
        return;
    m_input += bytes;
    // The serial component reports the bytes now waiting.
    if (m_kind == Kind::Serial && m_handler)
        m_handler(int(m_input.size()));
}

void UnitLink::schedule(qint64 atMs, Clock::Task task) {
    const int delay = int(std::max<qint64>(0, atMs - m_clock.nowMs()));
    auto holder = std::make_shared<Clock::TaskId>(0);
    *holder = m_clock.runAfter(delay, [this, holder, task = std::move(task)] {
        m_tasks.removeOne(*holder);
        task();
    });
    m_tasks.append(*holder);
}

QList<int> UnitLink::requestedBlocks() const {
    // Walks the host's bytes as the unit parses them: "R" "T" b is a number read request.
    QList<int> blocks;
    for (int i = 0; i + 2 < m_sent.size(); ++i) {
        if (m_sent[i] == 'R' && m_sent[i + 1] == 'T') {
            blocks.append(static_cast<unsigned char>(m_sent[i + 2]));
            i += 2;
        }
    }
    return blocks;
}

} // namespace lumo::sim
