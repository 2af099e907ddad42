#pragma once
#include "platform/Clock.h"
#include "sim/VirtualUnit.h"
#include <QByteArray>
#include <QList>
#include <functional>
#include <mutex>
#include <vector>

namespace lumo::sim {

// Faults the virtual line box (and the unit behind it) can be told to commit.
struct LineBoxFaults {
    QList<QByteArray> silentPrefixes; // commands beginning with one of these get no answer
    // Counts below run from the moment the faults are set.
    int errEvery = 0;       // every n-th command is answered "ERR" and not carried out (0: never)
    int wakeUpsIgnored = 0; // wake-ups "A" the unit lets pass before it answers (negative: never)
    bool wrongPassword = false; // the unit refuses every log-in
    int splitBytes = 0; // replies handed to the host in pieces of this size, one a read (0: whole)
    int vanishAfter = -1;   // the box vanishes after answering this many commands (negative: never)
    QByteArray resetBanner; // text the box puts before "RESET" on the same line
    int replyDelayMs = 0;   // every line of the box comes this much later (order kept)
    int recordedShortBy = 0; // "AT@RECN" loses this many of the recorded characters (the last)
    // The N-th parameter or memory write code the unit hears (1-based) is lost: the box
    // answers as always, but the unit's memory keeps what it held (0: none).
    int dropWrite = 0;
    QByteArray garbage;      // bytes put before the next line ...
    bool garbageOnce = true; // ... before the next line only, or before every line
};

// How long the line takes, on the box's clock.
struct LineBoxTiming {
    int unitReactionMs = 200; // from the end of a code to the unit's first DTMF character
    int dtmfCharMs = 100;     // one DTMF character from the unit, as the box records it
    int codeGapMs = 600;      // quiet time on the line that ends a code of open length
};

// The line box "Kavrostanel" as the program sees it, with no I/O of its own: command bytes go
// in through feed(), reply lines come out through the output (or takeOutput()). It dials a
// VirtualUnit, plays the programming codes of "ATDE" to it, and records the DTMF characters
// the unit sends back. The unit's side works on the unit's memory: a log-in with the service
// password stored there, reads of settings blocks and number memories, and the parameter and
// number-memory writes, so what is written over the line can be read on the bench.
//
// Time comes from the clock: the unit's answer starts `unitReactionMs` after a code, each
// recorded character takes `dtmfCharMs`, and a code of open length ends after `codeGapMs` of
// silence. The recorder holds 16 characters: when it is full it reports "FULL" and takes no
// more until "AT@RECN" empties it; characters the unit has not yet sent wait on the line.
// Thread-safe; the output is called under the box's lock and must not call back into it.
class VirtualLineBox {
public:
    static constexpr const char* kDescription = "Kavrostanel";
    static constexpr int kRecorderSize = 16;
    using Output = std::function<void(const QByteArray& bytes)>;

    // `unitMutex` guards the unit when another server shares it (may be null).
    VirtualLineBox(Clock& clock, VirtualUnit& unit, std::mutex* unitMutex = nullptr);
    ~VirtualLineBox();
    VirtualLineBox(const VirtualLineBox&) = delete;
    VirtualLineBox& operator=(const VirtualLineBox&) = delete;

    // Where the reply bytes go; without an output they collect for takeOutput().
    void setOutput(Output output);
    QByteArray takeOutput();
    // Bytes from the program.
    void feed(const QByteArray& bytes);

    // Called (outside no lock guarantee: under the box's lock) after a code changed the
    // unit's memory, e.g. to save it.
    void setMemoryChangedHandler(std::function<void()> handler);
    // Called once when the box vanishes (fault or vanish()).
    void setVanishedHandler(std::function<void()> handler);

    // Configuration; set before use or between commands.
    void setFaults(const LineBoxFaults& faults);
    LineBoxFaults faults() const;
    void setTiming(const LineBoxTiming& timing);
    LineBoxTiming timing() const;
    // The number that reaches the unit; empty: every number does.
    void setUnitNumber(const QByteArray& number);

    // The box disappears: it answers nothing more and the call is lost.
    void vanish();
    // The box is back, freshly powered (no call, nothing recorded).
    void reappear();

    // State, for tests and traces.
    bool vanished() const;
    bool inCall() const;
    bool unitAwake() const;
    bool loggedIn() const;
    bool recording() const;
    int commandCount() const;
    int wakeUps() const;
    // The command lines received (the last 100000), without CR LF.
    QList<QByteArray> commands() const;
    QByteArray dtmfSent() const; // every DTMF character played to the unit in this call

    // The DTMF character of a value 0..15 (the inverse of the program's decoding).
    static char dtmfChar(int value);

private:
    void emitLine(const QByteArray& line);
    void deliver(const QByteArray& bytes);
    void handleLine(const QByteArray& line);
    void answerCommand(const QByteArray& command);
    void dial(const QByteArray& number);
    void hangUp();

    // The unit.
    void unitHears(const QByteArray& dtmf);
    void parseCodes(bool gapElapsed);
    // Returns the length of the code at the start of `m_code` when it is complete, 0 when more
    // characters may belong to it, -1 when the start is no code at all.
    int completeCode(bool gapElapsed) const;
    void runCode(const QByteArray& code);
    void unitSays(const QByteArray& dtmf);
    void scheduleRecord();
    void recordNext();
    void scheduleGap();
    void gapElapsed();

    bool writeParameter(const QByteArray& code);
    bool writeNumberMemory(const QByteArray& code);
    QByteArray settingsBlockDtmf(int block) const;
    QByteArray numberMemoryDtmf(int memory) const;
    QByteArray storedPassword() const;
    void memoryChanged();

    Clock& m_clock;
    VirtualUnit& m_unit;
    std::mutex* m_unitMutex;
    mutable std::recursive_mutex m_mutex;

    Output m_output;
    QByteArray m_pending;
    std::function<void()> m_memoryChangedHandler;
    std::function<void()> m_vanishedHandler;
    LineBoxFaults m_faults;
    LineBoxTiming m_timing;
    QByteArray m_unitNumber;

    QByteArray m_lineIn; // command being received
    QList<QByteArray> m_commands;
    int m_commandCount = 0;
    int m_sinceFaults = 0; // commands since the faults were set
    int m_writesHeard = 0; // write codes since the faults were set, for dropWrite
    bool m_garbageGiven = false;
    std::vector<Clock::TaskId> m_delayed; // lines on their way out (replyDelayMs)
    bool m_vanished = false;

    // Line and recorder.
    bool m_offHook = false;
    bool m_dialled = false; // a number was dialled on this line
    bool m_inCall = false;  // the number reached the unit
    bool m_recording = false;
    QByteArray m_recorded;
    QByteArray m_lineOut; // characters the unit has still to send
    qint64 m_unitReadyAt = 0;
    Clock::TaskId m_recordTask = 0;

    // Unit.
    bool m_awake = false;
    bool m_loggedIn = false;
    int m_wakeUps = 0;
    QByteArray m_code; // DTMF characters of codes not yet complete
    QByteArray m_dtmfSent;
    Clock::TaskId m_gapTask = 0;
};

} // namespace lumo::sim
