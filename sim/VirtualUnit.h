#pragma once
#include <QByteArray>
#include <QString>
#include <array>

namespace lumo::sim {

// Faults the virtual unit can be told to commit, so every failure path of the host is testable.
struct UnitFaults {
    bool silent = false;      // answers nothing at all
    int statusDelta = 0;      // bytes added to (or, negative, taken from) the 8-byte status reply
    int settingsDelta = 0;    // the same for the 128-byte settings reply
    int numberDelta = 0;      // the same for the 16-byte number-memory reply
    int readErrorBlock = -1;  // number-memory read of this block answered "E" ...
    int readErrorTimes = 0;   // ... this many times (negative: always)
    int writeErrorBlock = -1; // number-memory write of this block answered "E"
    bool settingsWriteNoEnd = false; // answers "D" instead of "Z" after the last settings byte
    // The N-th memory byte received in writes (1-based, counted over every write from the
    // start: the 127 settings bytes after the marker, then 16 per number memory) is lost
    // silently: acknowledged as usual, but its cell keeps what it held. 0: none.
    int dropWriteByte = 0;
    QByteArray garbage;      // bytes put before a reply ...
    bool garbageOnce = true; // ... before the next reply only, or before every reply

    // A fault on one of the unit's answers (status and memory images, "D", "Z", "E"), or on
    // every answer from there on. Answers are counted from 1 since the unit started.
    enum class Answer {
        Normal,
        Silence, // nothing is sent
        Short,   // the last byte is missing
        Long,    // one byte too many
        E,       // "E" instead of the answer
        Garbage, // line noise (NUL, XON, 0xFF) before the answer
    };
    Answer answerFault = Answer::Normal;
    int answerFaultAt = 1;
    bool answerFaultAlways = false;
};

// The door-entry unit as the local protocol sees it, with no I/O of its own: bytes from the
// host go in through feed(), the reply bytes come out. It keeps a real memory (settings image,
// 128 number memories, firmware version byte); mode, power-on count and unfitted-button count
// live in the settings image at positions 127, 126 and 128, as in the unit.
class VirtualUnit {
public:
    static constexpr int kSettingsSize = 128;
    static constexpr int kNumberSize = 16;
    static constexpr int kNumberCount = 128;

    VirtualUnit();

    // One chunk of bytes from the host; returns what the unit answers, in order.
    QByteArray feed(const QByteArray& bytes);
    QByteArray feedByte(unsigned char byte);
    // Forgets a half-received command (the line went quiet, the unit timed out).
    void resetProtocol();

    // Memory.
    const QByteArray& settings() const { return m_settings; }
    void setSettings(const QByteArray& image); // 128 bytes; the marker is kept as given
    QByteArray numberMemory(int block) const;
    void setNumberMemory(int block, const QByteArray& image);
    unsigned char firmwareByte() const { return m_firmware; }
    void setFirmwareByte(unsigned char version) { m_firmware = version; }
    int mode() const; // 0 DAY, 1 NIGHT
    void setMode(int mode);
    int counter() const; // power-on count
    void setCounter(int count);
    int unfitted() const; // unfitted buttons on the base board
    void setUnfitted(int count);
    // A power cycle: the unit counts it.
    void powerOn();
    // Restores the factory memory.
    void resetMemory();

    // The 8-byte status image the unit sends for "V".
    QByteArray statusImage() const;

    UnitFaults& faults() { return m_faults; }
    const UnitFaults& faults() const { return m_faults; }

    // Counters of completed exchanges, for tests and benchmarks.
    int settingsWrites() const { return m_settingsWrites; }
    int numberWrites() const { return m_numberWrites; }
    // Raised each time a write changes the memory (a completed settings write, a number memory).
    bool takeMemoryChanged();

    // The memory as a file: "VXUNIT1\n", the settings image, the 128 number memories and the
    // firmware byte. Load refuses a file of any other shape and leaves the memory as it was.
    QByteArray serialize() const;
    bool deserialize(const QByteArray& bytes);
    bool load(const QString& path, QString* error = nullptr);
    bool save(const QString& path, QString* error = nullptr) const;

private:
    enum class Rx {
        Idle,
        ReadWhat,       // "R" received
        ReadBlock,      // "R" "T" received, block number next
        WriteWhat,      // "W" received
        SettingsMarker, // "W" "P" received, "U" next
        SettingsBytes,  // settings bytes 2..128
        NumberBlock,    // "W" "T" received, block number next
        NumberBytes,    // 16 bytes of a number memory
    };

    QByteArray reply(QByteArray bytes, int delta);
    QByteArray applyAnswerFault(QByteArray bytes);
    // A memory byte of a write as it reaches the cell: `sent`, or `held` when it is the one lost.
    char received(unsigned char sent, char held);
    QByteArray ack(char letter);

    QByteArray m_settings;
    std::array<QByteArray, kNumberCount> m_numbers;
    unsigned char m_firmware = 17;
    UnitFaults m_faults;
    Rx m_rx = Rx::Idle;
    QByteArray m_incoming; // settings image or number memory being written
    int m_block = 0;
    int m_readErrorsGiven = 0;
    int m_writeBytesReceived = 0; // memory bytes of writes, for dropWriteByte
    bool m_garbageGiven = false;
    int m_answers = 0; // answers given since start, for the answer fault
    int m_settingsWrites = 0;
    int m_numberWrites = 0;
    bool m_memoryChanged = false;
};

} // namespace lumo::sim
