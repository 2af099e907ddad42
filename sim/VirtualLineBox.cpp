#include "sim/VirtualLineBox.h"
#include <algorithm>

namespace lumo::sim {

namespace {

// How the unit stores the value that follows a write address.
enum class Coding {
    Number,   // decimal value, one byte
    Choice,   // one digit, its value
    Key,      // "*" 11, "#" 12
    TalkTime, // "0" one half (10), "1".."9", "*" 15 min (11), "#" 30 min (12)
    Group,    // digit code, `size` bytes padded with 255
    Tone,     // high nibble = value + 5 (tone length / 10)
    Gap,      // low nibble = value + 5 (gap length / 10)
    Flash,    // high nibble = value (flash length / 100)
    Pause,    // low nibble = value, 0 standing for 10 (pause length / 100)
};

struct WriteAddress {
    const char* address;
    int position; // 1-based position in the settings image
    Coding coding;
    int maxLength; // characters of the value; a shorter value ends with the line's silence
    int size = 0;  // bytes of a group
    bool terminated = false; // a group value ends with "#" unless it has `maxLength` characters
};

constexpr WriteAddress kAddresses[] = {
    {"311", 37, Coding::Choice, 1},
    {"312", 38, Coding::Choice, 1},
    {"321", 39, Coding::Group, 6, 6, true},
    {"331", 51, Coding::Group, 6, 6, true},
    {"341", 63, Coding::Group, 6, 6, true},
    {"322", 45, Coding::Group, 6, 6, true},
    {"332", 57, Coding::Group, 6, 6, true},
    {"342", 69, Coding::Group, 6, 6, true},
    {"351", 29, Coding::Group, 2, 2},
    {"352", 33, Coding::Group, 2, 2},
    {"361", 31, Coding::Number, 2},
    {"362", 32, Coding::Number, 2},
    {"371", 35, Coding::Choice, 1},
    {"372", 36, Coding::Choice, 1},
    {"38", 28, Coding::Number, 2},
    {"41", 25, Coding::Choice, 1},
    {"42", 26, Coding::Key, 1},
    {"431", 17, Coding::Group, 2, 2},
    {"432", 19, Coding::Group, 2, 2},
    {"44", 21, Coding::Group, 4, 4},
    {"45", 10, Coding::Group, 2, 2},
    {"46", 12, Coding::Group, 2, 2},
    {"47", 27, Coding::Choice, 1},
    {"48", 14, Coding::Choice, 1},
    {"49", 15, Coding::Choice, 1},
    {"51", 2, Coding::Number, 2},
    {"52", 3, Coding::TalkTime, 1},
    {"53", 4, Coding::Number, 2},
    {"54", 5, Coding::Number, 2},
    {"55", 6, Coding::Number, 2},
    {"56", 7, Coding::Number, 2},
    {"57", 8, Coding::Tone, 2},
    {"58", 8, Coding::Gap, 2},
    {"59", 9, Coding::Flash, 2},
    {"50", 9, Coding::Pause, 2},
    {"6#", 128, Coding::Number, 3},
    {"6*", 124, Coding::Choice, 1},
    {"6", 125, Coding::Choice, 1},
};

constexpr int kFirmwarePosition = 119;
constexpr int kCommandLogLimit = 100000;

const WriteAddress* findAddress(const QByteArray& text) {
    for (const auto& a : kAddresses) {
        if (text == a.address)
            return &a;
    }
    return nullptr;
}

// The address at the start of `code` (the longest that matches), or null.
const WriteAddress* addressAt(const QByteArray& code) {
    for (int length = 3; length >= 1; --length) {
        if (code.size() >= length) {
            if (const auto* a = findAddress(code.left(length)))
                return a;
        }
    }
    return nullptr;
}

bool isPrefixOfAddress(const QByteArray& code) {
    for (const auto& a : kAddresses) {
        if (QByteArray(a.address).startsWith(code))
            return true;
    }
    return false;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digit code of the unit's memory: "1".."9" 1..9, "0" 10, "*" 11, "#" 12, "P" 13, "F" 14, "D" 0.
int digitCode(char c) {
    if (c >= '1' && c <= '9')
        return c - '0';
    switch (c) {
    case '0':
        return 10;
    case '*':
        return 11;
    case '#':
        return 12;
    case 'P':
        return 13;
    case 'F':
        return 14;
    case 'D':
        return 0;
    default:
        return -1;
    }
}

char codeDigit(int code) {
    if (code >= 1 && code <= 9)
        return char('0' + code);
    switch (code) {
    case 0:
        return 'D';
    case 10:
        return '0';
    case 11:
        return '*';
    case 12:
        return '#';
    case 13:
        return 'P';
    case 14:
        return 'F';
    default:
        return 0;
    }
}

// Undoes the escaping of a number sent to a memory: "*#" flash, "*0" pause, "**" a star.
// `complete` says whether `escaped` is all of it; when not, a trailing lone "*" stays open.
// Returns the characters decoded; `used` gets the escaped characters they took.
QByteArray unescapeNumber(const QByteArray& escaped, bool complete, int limit, int* used) {
    QByteArray number;
    int i = 0;
    while (i < escaped.size() && number.size() < limit) {
        const char c = escaped[i];
        if (c != '*') {
            number += c;
            ++i;
            continue;
        }
        if (i + 1 >= escaped.size()) {
            if (!complete)
                break;
            number += '*';
            ++i;
            continue;
        }
        const char next = escaped[i + 1];
        if (next == '#')
            number += 'F', i += 2;
        else if (next == '0')
            number += 'P', i += 2;
        else if (next == '*')
            number += '*', i += 2;
        else
            number += '*', ++i;
    }
    *used = i;
    return number;
}

} // namespace

char VirtualLineBox::dtmfChar(int value) {
    static constexpr char kChars[] = "D1234567890*#ABC";
    return kChars[std::clamp(value, 0, 15)];
}

VirtualLineBox::VirtualLineBox(Clock& clock, VirtualUnit& unit, std::mutex* unitMutex)
    : m_clock(clock), m_unit(unit), m_unitMutex(unitMutex) {}

VirtualLineBox::~VirtualLineBox() {
    std::lock_guard lock(m_mutex);
    if (m_recordTask)
        m_clock.cancel(m_recordTask);
    if (m_gapTask)
        m_clock.cancel(m_gapTask);
    for (Clock::TaskId id : m_delayed)
        m_clock.cancel(id);
}

void VirtualLineBox::setOutput(Output output) {
    std::lock_guard lock(m_mutex);
    m_output = std::move(output);
    if (m_output && !m_pending.isEmpty()) {
        m_output(m_pending);
        m_pending.clear();
    }
}

QByteArray VirtualLineBox::takeOutput() {
    std::lock_guard lock(m_mutex);
    QByteArray out;
    out.swap(m_pending);
    return out;
}

void VirtualLineBox::setMemoryChangedHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_memoryChangedHandler = std::move(handler);
}

void VirtualLineBox::setVanishedHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_vanishedHandler = std::move(handler);
}

void VirtualLineBox::setFaults(const LineBoxFaults& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
    m_sinceFaults = 0;
    m_writesHeard = 0;
    m_garbageGiven = false;
}

LineBoxFaults VirtualLineBox::faults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

void VirtualLineBox::setTiming(const LineBoxTiming& timing) {
    std::lock_guard lock(m_mutex);
    m_timing = timing;
    m_timing.unitReactionMs = std::max(0, m_timing.unitReactionMs);
    m_timing.dtmfCharMs = std::max(0, m_timing.dtmfCharMs);
    m_timing.codeGapMs = std::max(1, m_timing.codeGapMs);
}

LineBoxTiming VirtualLineBox::timing() const {
    std::lock_guard lock(m_mutex);
    return m_timing;
}

void VirtualLineBox::setUnitNumber(const QByteArray& number) {
    std::lock_guard lock(m_mutex);
    m_unitNumber = number.trimmed();
}

void VirtualLineBox::vanish() {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_mutex);
        if (m_vanished)
            return;
        hangUp();
        m_lineIn.clear();
        m_pending.clear();
        m_vanished = true;
        handler = m_vanishedHandler;
    }
    if (handler)
        handler();
}

void VirtualLineBox::reappear() {
    std::lock_guard lock(m_mutex);
    hangUp();
    m_lineIn.clear();
    m_vanished = false;
}

bool VirtualLineBox::vanished() const {
    std::lock_guard lock(m_mutex);
    return m_vanished;
}
bool VirtualLineBox::inCall() const {
    std::lock_guard lock(m_mutex);
    return m_inCall;
}
bool VirtualLineBox::unitAwake() const {
    std::lock_guard lock(m_mutex);
    return m_awake;
}
bool VirtualLineBox::loggedIn() const {
    std::lock_guard lock(m_mutex);
    return m_loggedIn;
}
bool VirtualLineBox::recording() const {
    std::lock_guard lock(m_mutex);
    return m_recording;
}
int VirtualLineBox::commandCount() const {
    std::lock_guard lock(m_mutex);
    return m_commandCount;
}
int VirtualLineBox::wakeUps() const {
    std::lock_guard lock(m_mutex);
    return m_wakeUps;
}
QList<QByteArray> VirtualLineBox::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}
QByteArray VirtualLineBox::dtmfSent() const {
    std::lock_guard lock(m_mutex);
    return m_dtmfSent;
}

// --- the box ---

void VirtualLineBox::emitLine(const QByteArray& line) {
    if (m_vanished)
        return;
    QByteArray bytes = line + "\r\n";
    if (!m_faults.garbage.isEmpty() && !(m_faults.garbageOnce && m_garbageGiven)) {
        bytes.prepend(m_faults.garbage);
        m_garbageGiven = true;
    }
    if (m_faults.replyDelayMs <= 0) {
        deliver(bytes);
        return;
    }
    // Equal delays keep the lines in the order they were said.
    auto id = std::make_shared<Clock::TaskId>(0);
    *id = m_clock.runAfter(m_faults.replyDelayMs, [this, bytes, id] {
        std::lock_guard lock(m_mutex);
        m_delayed.erase(std::remove(m_delayed.begin(), m_delayed.end(), *id), m_delayed.end());
        if (!m_vanished)
            deliver(bytes);
    });
    m_delayed.push_back(*id);
}

void VirtualLineBox::deliver(const QByteArray& bytes) {
    if (m_output)
        m_output(bytes);
    else
        m_pending += bytes;
}

void VirtualLineBox::feed(const QByteArray& bytes) {
    bool vanishNow = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_vanished)
            return;
        for (char c : bytes) {
            if (c != '\r' && c != '\n') {
                // A runaway line without an end is not a command; keep the tail only.
                if (m_lineIn.size() < 256)
                    m_lineIn += c;
                continue;
            }
            if (m_lineIn.isEmpty())
                continue; // the LF after a CR, or an empty line
            const QByteArray line = m_lineIn;
            m_lineIn.clear();
            handleLine(line);
            if (m_faults.vanishAfter >= 0 && m_sinceFaults >= m_faults.vanishAfter) {
                vanishNow = true;
                break;
            }
        }
    }
    if (vanishNow)
        vanish();
}

void VirtualLineBox::handleLine(const QByteArray& line) {
    ++m_commandCount;
    ++m_sinceFaults;
    if (m_commands.size() >= kCommandLogLimit)
        m_commands.removeFirst(); // a box served for days keeps the recent past only
    m_commands.append(line);
    for (const QByteArray& prefix : m_faults.silentPrefixes) {
        if (!prefix.isEmpty() && line.startsWith(prefix))
            return;
    }
    if (m_faults.errEvery > 0 && m_sinceFaults % m_faults.errEvery == 0) {
        emitLine("ERR");
        return;
    }
    answerCommand(line);
}

void VirtualLineBox::answerCommand(const QByteArray& command) {
    const QByteArray upper = command.toUpper();
    if (upper == "AT@RESET") {
        hangUp();
        emitLine(m_faults.resetBanner + "RESET");
    } else if (upper == "AT@DEFAULT" || upper == "AT@NORM" || upper == "AT@BASIC" ||
               upper == "AT") {
        emitLine("OK");
    } else if (upper == "ATA") {
        m_offHook = true;
        emitLine("OK");
    } else if (upper == "ATH") {
        hangUp();
        emitLine("OK");
    } else if (upper == "AT@RECE") {
        m_recording = true;
        m_recorded.clear();
        scheduleRecord();
        emitLine("OK");
    } else if (upper == "AT@RECN") {
        const QByteArray recorded =
            m_recorded.left(std::max<qsizetype>(0, m_recorded.size() - m_faults.recordedShortBy));
        m_recorded.clear();
        m_recording = false;
        if (m_recordTask) {
            m_clock.cancel(m_recordTask);
            m_recordTask = 0;
        }
        emitLine(recorded + "OK");
    } else if (upper.startsWith("ATDE") && upper.size() > 4) {
        const QByteArray characters = upper.mid(4);
        // The first characters after the line is taken are the number; the rest go to the unit.
        if (!m_dialled)
            dial(characters);
        else
            unitHears(characters);
        emitLine("OK");
    } else {
        emitLine("ERR");
    }
}

void VirtualLineBox::dial(const QByteArray& number) {
    m_offHook = true;
    m_dialled = true;
    m_inCall = m_unitNumber.isEmpty() || number == m_unitNumber;
    m_wakeUps = 0;
    m_dtmfSent.clear();
}

void VirtualLineBox::hangUp() {
    m_offHook = false;
    m_dialled = false;
    m_inCall = false;
    m_awake = false;
    m_loggedIn = false;
    m_recording = false;
    m_recorded.clear();
    m_lineOut.clear();
    m_code.clear();
    m_wakeUps = 0;
    if (m_recordTask) {
        m_clock.cancel(m_recordTask);
        m_recordTask = 0;
    }
    if (m_gapTask) {
        m_clock.cancel(m_gapTask);
        m_gapTask = 0;
    }
}

// --- the recorder ---

void VirtualLineBox::scheduleRecord() {
    if (m_recordTask || !m_recording || m_lineOut.isEmpty() || m_recorded.size() >= kRecorderSize)
        return;
    const qint64 now = m_clock.nowMs();
    const qint64 due = std::max(now, m_unitReadyAt) + m_timing.dtmfCharMs;
    m_recordTask = m_clock.runAfter(int(due - now), [this] { recordNext(); });
}

void VirtualLineBox::recordNext() {
    std::lock_guard lock(m_mutex);
    m_recordTask = 0;
    if (m_vanished || !m_recording || m_lineOut.isEmpty())
        return;
    m_recorded += m_lineOut[0];
    m_lineOut.remove(0, 1);
    if (m_recorded.size() >= kRecorderSize)
        emitLine("FULL");
    else
        scheduleRecord();
}

// --- the unit ---

void VirtualLineBox::unitHears(const QByteArray& dtmf) {
    m_dtmfSent += dtmf;
    if (!m_inCall)
        return; // the call went nowhere
    // A new code interrupts whatever the unit was saying.
    m_lineOut.clear();
    if (m_recordTask) {
        m_clock.cancel(m_recordTask);
        m_recordTask = 0;
    }
    m_code += dtmf;
    parseCodes(false);
    scheduleGap();
}

void VirtualLineBox::scheduleGap() {
    if (m_gapTask) {
        m_clock.cancel(m_gapTask);
        m_gapTask = 0;
    }
    if (m_code.isEmpty())
        return;
    m_gapTask = m_clock.runAfter(m_timing.codeGapMs, [this] { gapElapsed(); });
}

void VirtualLineBox::gapElapsed() {
    std::lock_guard lock(m_mutex);
    m_gapTask = 0;
    if (m_vanished)
        return;
    parseCodes(true);
    m_code.clear();
}

void VirtualLineBox::parseCodes(bool gapElapsed) {
    while (!m_code.isEmpty()) {
        const int length = completeCode(gapElapsed);
        if (length == 0)
            return;
        if (length < 0) {
            m_code.remove(0, 1); // not the start of any code
            continue;
        }
        const QByteArray code = m_code.left(length);
        m_code.remove(0, length);
        runCode(code);
    }
}

int VirtualLineBox::completeCode(bool gapElapsed) const {
    const QByteArray& c = m_code;
    const int size = int(c.size());
    const char first = c[0];
    const int whole = gapElapsed ? size : 0;
    switch (first) {
    case 'A':
        return 1;
    case '#':
        return size >= 5 ? 5 : whole;
    case '8':
        if (size < 2)
            return whole;
        if (c[1] != '*')
            return -1;
        if (size < 3)
            return whole;
        if (c[2] == '5')
            return 3;
        if (c[2] == '#')
            return size >= 4 ? 4 : whole;
        if (c[2] == '1' || c[2] == '2')
            return size >= 5 ? 5 : whole;
        return -1;
    case '1':
    case '2': {
        if (size < 3)
            return whole;
        int used = 0;
        const QByteArray number =
            unescapeNumber(c.mid(3), gapElapsed, VirtualUnit::kNumberSize, &used);
        if (number.size() >= VirtualUnit::kNumberSize)
            return 3 + used;
        return whole;
    }
    case '3':
    case '4':
    case '5':
    case '6': {
        const WriteAddress* a = addressAt(c);
        if (!a)
            return isPrefixOfAddress(c) ? whole : -1;
        const int addressLength = int(qstrlen(a->address));
        const QByteArray value = c.mid(addressLength);
        if (value.isEmpty())
            return whole; // "6" may still become "6#" or "6*"
        if (a->terminated) {
            const int hash = int(value.indexOf('#'));
            if (hash >= 0 && hash < a->maxLength)
                return addressLength + hash + 1;
        }
        if (value.size() >= a->maxLength)
            return addressLength + a->maxLength;
        return whole;
    }
    default:
        return -1;
    }
}

void VirtualLineBox::runCode(const QByteArray& code) {
    if (code == "A") {
        ++m_wakeUps;
        const int ignored = m_faults.wakeUpsIgnored;
        if (ignored >= 0 && m_wakeUps > ignored) {
            m_awake = true;
            unitSays("B");
        }
        return;
    }
    if (code.startsWith('#')) {
        if (!m_awake)
            return;
        m_loggedIn = !m_faults.wrongPassword && code.size() == 5 && code.mid(1) == storedPassword();
        return;
    }
    if (!m_loggedIn)
        return; // a unit that is not logged in ignores everything else
    if (code == "8*5") {
        unitSays("B");
    } else if (code.startsWith("8*#") && code.size() == 4) {
        const int block = code[3] - '0';
        if (block >= 0 && block < VirtualUnit::kSettingsSize / 16)
            unitSays(settingsBlockDtmf(block));
    } else if (code.startsWith("8*") && code.size() == 5) {
        const int group = code[2] - '1';
        const int high = code[3] - '0';
        const int low = code[4] - '0';
        if (high >= 0 && high < 8 && low >= 0 && low < 8)
            unitSays(numberMemoryDtmf(group * 64 + high * 8 + low));
    } else if (++m_writesHeard == m_faults.dropWrite) {
        return; // heard, never stored
    } else if (code[0] == '1' || code[0] == '2') {
        if (writeNumberMemory(code))
            memoryChanged();
    } else if (writeParameter(code)) {
        memoryChanged();
    }
}

void VirtualLineBox::unitSays(const QByteArray& dtmf) {
    m_lineOut = dtmf;
    m_unitReadyAt = m_clock.nowMs() + m_timing.unitReactionMs;
    scheduleRecord();
}

QByteArray VirtualLineBox::storedPassword() const {
    std::unique_lock<std::mutex> lock;
    if (m_unitMutex)
        lock = std::unique_lock(*m_unitMutex);
    const QByteArray& s = m_unit.settings();
    QByteArray password;
    for (int position = 21; position <= 24; ++position) {
        if (const char c = codeDigit(static_cast<unsigned char>(s[position - 1])))
            password += c;
    }
    return password;
}

QByteArray VirtualLineBox::settingsBlockDtmf(int block) const {
    std::unique_lock<std::mutex> lock;
    if (m_unitMutex)
        lock = std::unique_lock(*m_unitMutex);
    QByteArray s = m_unit.settings();
    s[kFirmwarePosition - 1] = char(m_unit.firmwareByte()); // as the unit reports it locally
    QByteArray out;
    for (int j = 0; j < 16; ++j) {
        const auto byte = static_cast<unsigned char>(s[16 * block + j]);
        out += dtmfChar(byte & 0x0F); // the low nibble goes first
        out += dtmfChar(byte >> 4);
    }
    return out;
}

QByteArray VirtualLineBox::numberMemoryDtmf(int memory) const {
    std::unique_lock<std::mutex> lock;
    if (m_unitMutex)
        lock = std::unique_lock(*m_unitMutex);
    const QByteArray image = m_unit.numberMemory(memory);
    QByteArray out;
    for (char b : image)
        out += dtmfChar(std::min(15, int(static_cast<unsigned char>(b))));
    return out;
}

bool VirtualLineBox::writeNumberMemory(const QByteArray& code) {
    if (code.size() < 3 || !isDigit(code[1]) || !isDigit(code[2]))
        return false;
    const int button = (code[1] - '0') * 10 + (code[2] - '0');
    if (button < 1 || button > 64)
        return false;
    const int memory = (code[0] == '1' ? 0 : 64) + button - 1;
    int used = 0;
    const QByteArray number = unescapeNumber(code.mid(3), true, VirtualUnit::kNumberSize, &used);
    QByteArray image(VirtualUnit::kNumberSize, char(0xFF));
    int j = 0;
    for (char c : number) {
        const int digit = digitCode(c);
        if (digit >= 0)
            image[j++] = char(digit);
    }
    std::unique_lock<std::mutex> lock;
    if (m_unitMutex)
        lock = std::unique_lock(*m_unitMutex);
    m_unit.setNumberMemory(memory, image);
    return true;
}

bool VirtualLineBox::writeParameter(const QByteArray& code) {
    const WriteAddress* a = addressAt(code);
    if (!a)
        return false;
    QByteArray value = code.mid(int(qstrlen(a->address)));
    if (a->terminated && value.endsWith('#'))
        value.chop(1);
    if (value.isEmpty() && a->coding != Coding::Group)
        return false;
    bool numeric = !value.isEmpty();
    int number = 0;
    for (char c : value) {
        if (!isDigit(c))
            numeric = false;
        else
            number = number * 10 + (c - '0');
    }

    std::unique_lock<std::mutex> lock;
    if (m_unitMutex)
        lock = std::unique_lock(*m_unitMutex);
    QByteArray image = m_unit.settings();
    auto at = [&](int position) -> char& { return image[position - 1]; };
    auto byteAt = [&](int position) { return static_cast<unsigned char>(image[position - 1]); };
    switch (a->coding) {
    case Coding::Number:
    case Coding::Choice:
        if (!numeric || number > 255)
            return false;
        at(a->position) = char(number);
        break;
    case Coding::Key:
        if (value != "*" && value != "#")
            return false;
        at(a->position) = char(value == "*" ? 11 : 12);
        break;
    case Coding::TalkTime: {
        const char c = value[0];
        int byte = 0;
        if (c == '0')
            byte = 10;
        else if (c >= '1' && c <= '9')
            byte = c - '0';
        else if (c == '*')
            byte = 11;
        else if (c == '#')
            byte = 12;
        else
            return false;
        at(a->position) = char(byte);
        break;
    }
    case Coding::Group:
        for (int j = 0; j < a->size; ++j) {
            const int digit = j < value.size() ? digitCode(value[j]) : 255;
            at(a->position + j) = char(digit < 0 ? 255 : digit);
        }
        break;
    case Coding::Tone:
    case Coding::Gap: {
        if (!numeric || number + 5 > 15)
            return false;
        const int nibble = number + 5;
        const int old = byteAt(a->position);
        at(a->position) =
            char(a->coding == Coding::Tone ? (nibble << 4) | (old & 0x0F) : (old & 0xF0) | nibble);
        break;
    }
    case Coding::Flash:
    case Coding::Pause: {
        if (!numeric || number > 15)
            return false;
        const int nibble = a->coding == Coding::Pause && number == 0 ? 10 : number;
        const int old = byteAt(a->position);
        at(a->position) =
            char(a->coding == Coding::Flash ? (nibble << 4) | (old & 0x0F) : (old & 0xF0) | nibble);
        break;
    }
    }
    m_unit.setSettings(image);
    return true;
}

void VirtualLineBox::memoryChanged() {
    if (m_memoryChangedHandler)
        m_memoryChangedHandler();
}

} // namespace lumo::sim
