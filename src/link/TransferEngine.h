#pragma once
#include "link/TransferLink.h"
#include "link/TransferView.h"
#include "platform/Clock.h"
#include <QByteArray>
#include <QString>
#include <functional>

namespace lumo {

// The five transfers of the local link.
enum class TransferKind {
    None,          // no transfer window showing
    Status,        // "VER"
    SettingsRead,  // "PC"
    NumbersRead,   // "TC"
    SettingsWrite, // "PZ"
    NumbersWrite,  // "TZ"
};
QString transferKindCode(TransferKind kind); // "VER", "PC", ... or empty

// Where the bytes of a transfer come from and go to: the codec over the parameter set and the
// transfer buffer in real runs, a recorder in engine tests.
class TransferData {
public:
    virtual ~TransferData() = default;
    virtual void decodeStatus(const QByteArray& image, bool toSnapshot) = 0;
    virtual void decodeSettings(const QByteArray& image) = 0;
    virtual void decodeNumberMemory(const QByteArray& image, int memory) = 0;
    virtual void encodeSettings() = 0;
    virtual void encodeNumberMemory(int memory) = 0;
    virtual char bufferByte(int slot) const = 0; // transfer-buffer slot 1..127, low byte
};

// One transfer window show: sends the opening bytes, then runs on timer ticks (5 ms on the
// USB cable, the serial timeout on the serial port) and on the serial port's data events until
// the transfer is complete, fails or cannot start, and then closes. The flags that a command
// sequence shares with the window (failed, quiet, the port-check request, the pre-write
// check) live here too. Runs on one thread; time comes from the injected clock only.
class TransferEngine {
public:
    enum class State {
        Closed,   // no window
        Opening,  // the window is being shown
        Waiting,  // a request, block or byte is out, its answer is awaited
        NextStep, // the answer came, the next tick sends the next request, block or byte
        Retrying, // an "E" to a number read timed out, the next tick asks again
        Done,     // finished; the window is closing
        Failed,   // time-out, retries exhausted or a failed USB write; the window is closing
        Aborted,  // the link could not be opened; the window is closing
    };

    struct Texts {
        QString communicationError = QStringLiteral("Chyba komunikace");
        QString wrongPort = QStringLiteral("Chybné číslo portu, prosím nastavte správné");
        // Shown when the unit ends a number-memory write with "E" early; "%1" is the block.
        QString numberWriteRefused = QStringLiteral("Vrátný odmítl zápis paměti čísel, blok %1");
    };

    // A transfer as a command sets it up before showing the window.
    struct Request {
        TransferKind kind = TransferKind::None; // None: a status read (port check, pre-write)
        int expectedSize = 8;
        int blockIndex = 0;
    };

    TransferEngine(Clock& clock, TransferData& data, TransferView& view);
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // The link in use (not owned); the engine takes its data events while it is set.
    void setLink(TransferLink* link);
    TransferLink* link() const { return m_link; }
    // ClosePort "1" closes the link after every transfer; a serial timeout of 0 or less is
    // replaced by 10.
    void setClosePortMode(const QString& mode) { m_closePortMode = mode; }
    void setSerialTimeout(int ms) { m_serialTimeoutMs = ms > 0 ? ms : 10; }
    int serialTimeout() const { return m_serialTimeoutMs; }
    void setTexts(const Texts& texts) { m_texts = texts; }
    // The port-check request lives with the main window; the engine consumes it.
    void setPortCheckFlag(bool* flag) { m_portCheck = flag ? flag : &m_ownPortCheck; }

    // Shows the transfer window for one transfer; `closed` runs once when it has closed.
    // Returns false (and does nothing) while a window is already showing.
    bool start(const Request& request, std::function<void()> closed);
    bool isShowing() const { return m_state != State::Closed; }

    // The serial port's received-data event.
    void dataReceived(int count);
    // One timer tick (public for tests; the engine schedules its own ticks on the clock).
    void tick();

    // Shared flags.
    bool failed = false;
    bool quiet = false;
    bool preWriteCheck = false;
    bool portCheckRequested() const { return *m_portCheck; }
    void requestPortCheck(bool raise = true) { *m_portCheck = raise; }

    // Observed state.
    State state() const { return m_state; }
    State lastOutcome() const { return m_lastOutcome; }
    TransferKind kind() const { return m_kind; }
    int blockIndex() const { return m_blockIndex; }
    int progress() const { return m_progress; }
    int retryCount() const { return m_retryCount; }
    const QByteArray& replyText() const { return m_reply; }
    int tickInterval() const;
    int timeoutLimit() const; // ticks of silence tolerated

private:
    bool usb() const { return m_link && m_link->isUsb(); }
    void setState(State state);
    void scheduleTick();
    void send(char byte);
    void sendNumberBlock();
    void setProgress(int position);
    void indicate(TransferIndicator indicator);
    QByteArray takeInput(); // reads every waiting byte
    void handleReply(int count);
    void finishTransfer(); // "ending the transfer" of a complete reply
    void completeNumbers();
    void timeOut();
    void closeWindow(State outcome);

    Clock& m_clock;
    TransferData& m_data;
    TransferView& m_view;
    TransferLink* m_link = nullptr;
    QString m_closePortMode = QStringLiteral("0");
    int m_serialTimeoutMs = 10;
    Texts m_texts;
    bool m_ownPortCheck = false;
    bool* m_portCheck = &m_ownPortCheck;

    State m_state = State::Closed;
    State m_lastOutcome = State::Closed;
    std::function<void()> m_closed;
    Clock::TaskId m_timer = 0;
    bool m_timerOn = false;
    qint64 m_nextTickAt = 0; // when the pending tick is due

    // Transfer state, named as the main window keeps it.
    TransferKind m_kind = TransferKind::None;
    int m_expectedSize = 8;
    int m_blockIndex = 0;
    int m_byteIndex = 0;
    int m_tickCounter = 0;
    int m_countSeen = 0; // bytes waiting at the last reply handling
    bool m_active = false;
    bool m_requestNextBlock = false;
    bool m_sendNextBlock = false;
    bool m_sendNextByte = false;
    QByteArray m_reply;
    // Transfer-window state, fresh for every show.
    bool m_openFailed = false;
    int m_retryCount = 0;
    int m_progress = 0;
};

} // namespace lumo
