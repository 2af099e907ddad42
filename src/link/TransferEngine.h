#pragma once
#include "link/TransferLink.h"
#include "link/TransferLinkPolicy.h"
#include "link/TransferView.h"
#include "params/ParameterSet.h"
#include "platform/Clock.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace lumo {

// Where the bytes of a transfer come from and go to: the codec over the parameter set and the
// transfer buffer in real runs, a recorder in engine tests.
class TransferData {
public:
    virtual ~TransferData() = default;
    // With a snapshot, the unit's mode, unfitted-button count and power-on count go there
    // instead of the fields.
    virtual void decodeStatus(const QByteArray& image, UnitSnapshot* snapshot) = 0;
    virtual void decodeSettings(const QByteArray& image) = 0;
    virtual void decodeNumberMemory(const QByteArray& image, int memory) = 0;
    virtual void encodeSettings() = 0;
    virtual void encodeNumberMemory(int memory) = 0;
    virtual char bufferByte(int slot) const = 0; // transfer-buffer slot 1..127, low byte
};

// One transfer as its starter asks for it.
struct TransferRequest {
    TransferKind kind = TransferKind::Status;
    bool toSnapshot = false; // a status read before a write: decode into the result's snapshot
    bool quiet = false;      // no time-out message (the automatic first port check)
};

// How one transfer ended, handed to whoever started it.
struct TransferResult {
    enum class Outcome {
        NotRun,  // nothing was started
        Done,    // complete
        Failed,  // time-out, retries exhausted, a refused or failed write
        Aborted, // the link could not be opened or lost its device
        Stopped, // the user stopped it between two exchanges
    };
    Outcome outcome = Outcome::NotRun;
    TransferKind kind = TransferKind::None;
    QByteArray reply;                     // the last reply read, byte for byte
    std::optional<UnitSnapshot> snapshot; // the unit's values, from a status read to snapshot
    bool quiet = false;                   // a failure message was held back because it was quiet
    int retries = 0;                      // number-read retries after "E"
    int memoriesRead = 0;                 // number read: memories 0..memoriesRead-1 decoded

    bool ok() const { return outcome == Outcome::Done; }
    bool failed() const { return outcome == Outcome::Failed; }
    bool aborted() const { return outcome == Outcome::Aborted; }
    bool stopped() const { return outcome == Outcome::Stopped; }
};

// One transfer window show: sends the opening bytes, then runs on timer ticks and on the
// serial port's data events until the transfer is complete, fails or cannot start, and then
// closes and hands its result to the starter. What it does at a tick or on a reply follows
// from its state; where the serial port and the USB cable differ, it asks its link policy.
// Runs on one thread; time comes from the injected clock only.
class TransferEngine {
public:
    using State = TransferState;
    using Finished = std::function<void(const TransferResult&)>;

    struct Texts {
        QString communicationError = QStringLiteral("Chyba komunikace");
        QString wrongPort = QStringLiteral("Chybné číslo portu, prosím nastavte správné");
        // Shown when the unit ends a number-memory write with "E" early; "%1" is the block.
        QString numberWriteRefused = QStringLiteral("Vrátný odmítl zápis paměti čísel, blok %1");
        // Shown when the device went away mid-transfer (the unit is not silent but gone).
        QString deviceLost =
            QStringLiteral("Spojení s vrátným bylo přerušeno: zařízení se odpojilo (kabel vytažen "
                           "nebo port zmizel). Připojte je znovu a akci opakujte.");
    };

    TransferEngine(Clock& clock, TransferData& data, TransferView& view);
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // The link in use (not owned); the engine takes its data events while it is set. Not
    // changed while a window is showing.
    void setLink(TransferLink* link);
    TransferLink* link() const { return m_link; }
    // Where decoded bytes go and encoded bytes come from (not owned). A read into a side
    // buffer swaps it for the time of its transfers; not changed while a window is showing.
    void setData(TransferData& data) { m_data = &data; }
    TransferData& data() const { return *m_data; }
    const TransferLinkPolicy* policy() const { return m_policy.get(); }
    // ClosePort "1" closes the link after every transfer; a serial timeout of 0 or less is
    // replaced by 10.
    void setClosePortMode(const QString& mode) {
        m_settings.closeAfterEveryTransfer = mode == QLatin1String("1");
    }
    void setSerialTimeout(int ms) { m_settings.serialTimeoutMs = ms; }
    void setTexts(const Texts& texts) { m_texts = texts; }

    // Shows the transfer window for one transfer; `finished` gets the result once it has
    // closed. Returns the state the transfer is in once the window is shown: Closed when
    // nothing started (a window is showing already, no link, no kind); OpenFailed or Closing
    // when the first tick will close it; otherwise the opening bytes are out.
    State start(const TransferRequest& request, Finished finished);
    bool isShowing() const { return m_state != State::Closed; }
    // The user wants the transfer to end: it stops once the exchange in flight is over
    // (a number memory received or acknowledged, a retry due) and ends as Stopped; what was
    // decoded so far stays. A settings write is not cut: a half-sent image would leave the
    // unit with a mixed memory, so it runs to its end. Does nothing when no window shows.
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }
    // Tells the view which transfers a command is about to run (empty when it ended).
    void planCommand(const std::vector<TransferKind>& plan) { m_view.commandPlanned(plan); }

    // The serial port's received-data event.
    void dataReceived(int count);
    // One timer tick (public for tests; the engine schedules its own ticks on the clock).
    void tick();

    // Observed state.
    State state() const { return m_state; }
    TransferKind kind() const { return m_kind; }
    int blockIndex() const { return m_blockIndex; }
    int progress() const { return m_progress; }
    int tickInterval() const;
    int timeoutLimit() const; // ticks of silence tolerated

private:
    using Verdict = TransferLinkPolicy::Verdict;
    void setState(State state);
    bool awaitsReplies() const;
    bool stopsHere() const; // a stop was asked for and may take effect now
    void scheduleTick();
    void cancelTick();
    void send(char byte);
    void sendOpening();
    void requestBlock();
    void sendNumberBlock();
    bool nextBlock(); // false when block 127 was the last and the transfer is complete
    void sendSettingsByte();
    void setProgress(int position);
    void indicate(TransferIndicator indicator);
    QByteArray takeInput(); // reads every waiting byte
    void handleReply(int count);
    bool act(const Verdict& verdict); // false when the transfer ended
    void timeOut();
    void lost();
    void end(TransferLinkPolicy::Ending ending, State outcome);
    void close(State outcome);

    Clock& m_clock;
    TransferData* m_data;
    TransferView& m_view;
    TransferLink* m_link = nullptr;
    TransferLinkSettings m_settings;
    std::unique_ptr<TransferLinkPolicy> m_policy;
    Texts m_texts;

    State m_state = State::Closed;
    TransferRequest m_request;
    TransferResult m_result;
    Finished m_finished;
    Clock::TaskId m_timer = 0;
    bool m_timerOn = false;
    qint64 m_nextTickAt = 0; // when the pending tick is due

    // The running transfer.
    TransferKind m_kind = TransferKind::None;
    int m_expectedSize = 0;
    int m_blockIndex = 0;
    int m_byteIndex = 0;   // settings write: 0 the marker "U", 1..127 the slot to send next
    int m_tickCounter = 0; // ticks since the last sign of life
    int m_countSeen = 0;   // bytes waiting at the last reply handling
    QByteArray m_reply;
    QString m_openProblem; // why the link did not open, for the port message
    int m_retryCount = 0;
    int m_progress = 0;
    int m_memoriesRead = 0;
    bool m_stopRequested = false;
};

} // namespace lumo
