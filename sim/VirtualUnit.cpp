#include "sim/VirtualUnit.h"
#include "platform/AtomicFile.h"
#include <QFile>

namespace lumo::sim {

namespace {

constexpr char kMagic[] = "VXUNIT1\n";
constexpr int kMagicSize = 8;
constexpr int kFileSize = kMagicSize + VirtualUnit::kSettingsSize +
                          VirtualUnit::kNumberCount * VirtualUnit::kNumberSize + 1;

// Image positions (1-based) of the values the status read reports.
constexpr int kPosFirmware = 119;
constexpr int kPosCounter = 126;
constexpr int kPosMode = 127;
constexpr int kPosUnfitted = 128;

QByteArray factorySettings() {
    QByteArray s(VirtualUnit::kSettingsSize, char(0xFF));
    auto put = [&s](int position, int value) { s[position - 1] = char(value & 0xFF); };
    put(1, 0x55);
    put(2, 1); // rings before answering
    put(3, 2); // call time 2 min
    put(4, 2);
    put(5, 2);
    put(6, 1);
    put(7, 12);              // rings before redial
    put(8, 170);             // DTMF 100/100 ms
    put(9, 24);              // flash 100 ms, pause 800 ms
    put(10, 1), put(11, 1);  // DAY code 11
    put(12, 1), put(13, 10); // NIGHT code 10
    put(14, 0), put(15, 0), put(16, 0);
    put(17, 5), put(18, 5);                          // hang-up code 55
    put(19, 6), put(20, 6);                          // hang-up code 66
    put(21, 7), put(22, 8), put(23, 5), put(24, 10); // service password 7850
    put(25, 0), put(26, 11), put(27, 0);
    put(28, 15);
    put(29, 2), put(30, 2); // switch 1 code 22
    put(31, 5), put(32, 5);
    put(33, 3), put(34, 3); // switch 2 code 33
    put(35, 0), put(36, 0), put(37, 1), put(38, 1);
    put(121, 3);   // busy tones "8"
    put(122, 7);   // band 350-500
    put(123, 100); // tone time 2 s
    put(124, 1);
    put(125, 3);
    put(kPosCounter, 0);
    put(kPosMode, 0);
    put(kPosUnfitted, 0);
    return s;
}

} // namespace

VirtualUnit::VirtualUnit() {
    resetMemory();
}

void VirtualUnit::resetMemory() {
    m_settings = factorySettings();
    for (QByteArray& memory : m_numbers)
        memory = QByteArray(kNumberSize, char(0xFF));
    m_firmware = 17;
}

void VirtualUnit::resetProtocol() {
    m_rx = Rx::Idle;
    m_incoming.clear();
}

void VirtualUnit::setSettings(const QByteArray& image) {
    if (image.size() == kSettingsSize)
        m_settings = image;
}

QByteArray VirtualUnit::numberMemory(int block) const {
    if (block < 0 || block >= kNumberCount)
        return {};
    return m_numbers[static_cast<size_t>(block)];
}

void VirtualUnit::setNumberMemory(int block, const QByteArray& image) {
    if (block >= 0 && block < kNumberCount && image.size() == kNumberSize)
        m_numbers[static_cast<size_t>(block)] = image;
}

int VirtualUnit::mode() const {
    return static_cast<unsigned char>(m_settings[kPosMode - 1]);
}
void VirtualUnit::setMode(int mode) {
    m_settings[kPosMode - 1] = char(mode & 0xFF);
}
int VirtualUnit::counter() const {
    return static_cast<unsigned char>(m_settings[kPosCounter - 1]);
}
void VirtualUnit::setCounter(int count) {
    m_settings[kPosCounter - 1] = char(count & 0xFF);
}
int VirtualUnit::unfitted() const {
    return static_cast<unsigned char>(m_settings[kPosUnfitted - 1]);
}
void VirtualUnit::setUnfitted(int count) {
    m_settings[kPosUnfitted - 1] = char(count & 0xFF);
}

void VirtualUnit::powerOn() {
    setCounter((counter() + 1) & 0xFF);
    resetProtocol();
}

bool VirtualUnit::takeMemoryChanged() {
    const bool changed = m_memoryChanged;
    m_memoryChanged = false;
    return changed;
}

QByteArray VirtualUnit::statusImage() const {
    QByteArray s;
    s += 'V';
    s += char(m_firmware);
    s += 'N';
    s += char(unfitted());
    s += 'S';
    s += char(mode());
    s += 'U';
    s += char(counter());
    return s;
}

QByteArray VirtualUnit::reply(QByteArray bytes, int delta) {
    if (m_faults.silent)
        return {};
    if (delta < 0)
        bytes.chop(qMin<int>(-delta, bytes.size()));
    else if (delta > 0)
        bytes.append(QByteArray(delta, bytes.isEmpty() ? char(0) : bytes.back()));
    if (!m_faults.garbage.isEmpty() && !(m_faults.garbageOnce && m_garbageGiven)) {
        m_garbageGiven = true;
        bytes.prepend(m_faults.garbage);
    }
    return applyAnswerFault(bytes);
}

QByteArray VirtualUnit::applyAnswerFault(QByteArray bytes) {
    using Answer = UnitFaults::Answer;
    const int number = ++m_answers;
    const bool hit = m_faults.answerFault != Answer::Normal &&
                     (m_faults.answerFaultAlways ? number >= m_faults.answerFaultAt
                                                 : number == m_faults.answerFaultAt);
    if (!hit)
        return bytes;
    switch (m_faults.answerFault) {
    case Answer::Normal:
        break;
    case Answer::Silence:
        return {};
    case Answer::Short:
        bytes.chop(1);
        break;
    case Answer::Long:
        bytes.append(bytes.isEmpty() ? char(0) : bytes.back());
        break;
    case Answer::E:
        return QByteArrayLiteral("E");
    case Answer::Garbage:
        bytes.prepend(QByteArray("\x00\x11\xFF", 3));
        break;
    }
    return bytes;
}

QByteArray VirtualUnit::ack(char letter) {
    return reply(QByteArray(1, letter), 0);
}

char VirtualUnit::received(unsigned char sent, char held) {
    ++m_writeBytesReceived;
    return m_writeBytesReceived == m_faults.dropWriteByte ? held : char(sent);
}

QByteArray VirtualUnit::feed(const QByteArray& bytes) {
    QByteArray out;
    for (char c : bytes)
        out += feedByte(static_cast<unsigned char>(c));
    return out;
}

QByteArray VirtualUnit::feedByte(unsigned char byte) {
    switch (m_rx) {
    case Rx::Idle:
        if (byte == 'V')
            return reply(statusImage(), m_faults.statusDelta);
        if (byte == 'R')
            m_rx = Rx::ReadWhat;
        else if (byte == 'W')
            m_rx = Rx::WriteWhat;
        // Anything else is line noise: the unit ignores it.
        return {};

    case Rx::ReadWhat:
        if (byte == 'P') {
            m_rx = Rx::Idle;
            QByteArray image = m_settings;
            image[kPosFirmware - 1] = char(m_firmware);
            return reply(image, m_faults.settingsDelta);
        }
        m_rx = byte == 'T' ? Rx::ReadBlock : Rx::Idle;
        return {};

    case Rx::ReadBlock: {
        m_rx = Rx::Idle;
        if (byte >= kNumberCount)
            return ack('E');
        if (byte == m_faults.readErrorBlock &&
            (m_faults.readErrorTimes < 0 || m_readErrorsGiven < m_faults.readErrorTimes)) {
            ++m_readErrorsGiven;
            return ack('E');
        }
        return reply(m_numbers[byte], m_faults.numberDelta);
    }

    case Rx::WriteWhat:
        if (byte == 'P')
            m_rx = Rx::SettingsMarker;
        else if (byte == 'T')
            m_rx = Rx::NumberBlock;
        else
            m_rx = Rx::Idle;
        return {};

    case Rx::SettingsMarker:
        if (byte != 0x55) {
            m_rx = Rx::Idle;
            return ack('E');
        }
        m_incoming = QByteArray(1, char(0x55));
        m_rx = Rx::SettingsBytes;
        return ack('D');

    case Rx::SettingsBytes:
        m_incoming += received(byte, m_settings[m_incoming.size()]);
        if (m_incoming.size() < kSettingsSize)
            return ack('D');
        m_rx = Rx::Idle;
        // The firmware version is the unit's own: the host's copy at position 119 is ignored.
        m_incoming[kPosFirmware - 1] = m_settings[kPosFirmware - 1];
        m_settings = m_incoming;
        m_incoming.clear();
        ++m_settingsWrites;
        m_memoryChanged = true;
        return ack(m_faults.settingsWriteNoEnd ? 'D' : 'Z');

    case Rx::NumberBlock:
        m_block = byte;
        m_incoming.clear();
        m_rx = Rx::NumberBytes;
        return {};

    case Rx::NumberBytes:
        m_incoming +=
            received(byte, m_block < kNumberCount
                               ? m_numbers[static_cast<size_t>(m_block)][m_incoming.size()]
                               : char(0xFF));
        if (m_incoming.size() < kNumberSize)
            return {};
        m_rx = Rx::Idle;
        if (m_block >= kNumberCount || m_block == m_faults.writeErrorBlock) {
            m_incoming.clear();
            return ack('E');
        }
        m_numbers[static_cast<size_t>(m_block)] = m_incoming;
        m_incoming.clear();
        ++m_numberWrites;
        m_memoryChanged = true;
        return ack('Z');
    }
    return {};
}

QByteArray VirtualUnit::serialize() const {
    QByteArray out(kMagic, kMagicSize);
    out += m_settings;
    for (const QByteArray& memory : m_numbers)
        out += memory;
    out += char(m_firmware);
    return out;
}

bool VirtualUnit::deserialize(const QByteArray& bytes) {
    if (bytes.size() != kFileSize || !bytes.startsWith(QByteArray(kMagic, kMagicSize)))
        return false;
    int at = kMagicSize;
    m_settings = bytes.mid(at, kSettingsSize);
    at += kSettingsSize;
    for (QByteArray& memory : m_numbers) {
        memory = bytes.mid(at, kNumberSize);
        at += kNumberSize;
    }
    m_firmware = static_cast<unsigned char>(bytes[at]);
    return true;
}

bool VirtualUnit::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (!deserialize(file.readAll())) {
        if (error)
            *error = QStringLiteral("%1 is not a unit memory file").arg(path);
        return false;
    }
    return true;
}

bool VirtualUnit::save(const QString& path, QString* error) const {
    return writeFileAtomically(path, serialize(), error);
}

} // namespace lumo::sim
