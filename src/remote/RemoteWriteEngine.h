#pragma once
#include "params/ParameterSet.h"
#include "platform/Clock.h"
#include "remote/RemoteReadView.h"
#include "remote/RemoteReport.h"
#include "remote/ReplyPickUp.h"
#include "remote/UnitRecord.h"
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace lumo {

class ConnectionEngine;
class RemoteLink;
class Texts;

enum class RemoteWriteState {
    Idle,
    Starting, // keep-alive suspended, the first group about to be built
    Writing,  // entries of a group are being sent and acknowledged
    Halted,   // the first part of a split entry was not acknowledged; open until closed
    Done,
    Stopped, // the user stopped between entries
    Failed,
    Cancelled,
};
QString remoteWriteStateName(RemoteWriteState state);

// Colours of the write dialog's group label `Label1` and entry label `Label2`.
enum class WriteLabelColour { ButtonFace, Lime, MoneyGreen, Green, Red, SkyBlue };

class RemoteWriteView {
public:
    virtual ~RemoteWriteView() = default;
    virtual void stateChanged(RemoteWriteState, RemoteWriteState) {}
    virtual void setGroupLabel(int, WriteLabelColour) {}            // Label1: group number, colour
    virtual void setEntryLabel(const QString&, WriteLabelColour) {} // Label2
    virtual void setProgressRange(int) {}                           // ProgressBar1 0..max
    virtual void setProgressBar(int) {}
    virtual void progress(const RemoteProgress&) {}
    virtual void closeDialog() {}
    virtual void showMessage(const QString& text) = 0;
};

// Groups by number: 1 basic, 2 time, 3 switches, 4 memories.
struct RemoteWriteRequest {
    std::array<bool, 4> groups{true, true, true, true};
    // Only changed memories: what the unit holds (read in this connection or loaded from the
    // file of its current contents). The memory group then holds only the number fields whose
    // text differs from it; a memory whose contents are not known is always written. Unset:
    // every non-empty memory, as always.
    std::optional<HeldMemories> unitContents;
    // Resume: groups before `resumeGroup` are skipped and that group starts at entry
    // `resumeStep` (0-based). 0 = from the start.
    int resumeGroup = 0;
    int resumeStep = 0;
};

struct RemoteWriteResult {
    RemoteWriteState outcome = RemoteWriteState::Idle; // Done, Stopped, Failed, Halted, Cancelled
    QString message;
    std::array<int, 4> entries{};      // entries of each group (without its terminator)
    std::array<int, 4> acknowledged{}; // entries the unit acknowledged, counted from entry 0
    // The first entry not acknowledged (group 1..4, 0-based entry); group 0 when all were.
    int resumeGroup = 0;
    int resumeStep = 0;
    int sent = 0; // entries (or first parts) put on the line, re-sends included
    // The memories (0..127) of the acknowledged memory entries, in the order written.
    std::vector<int> acknowledgedMemories;
    // What was to be written (`planKey`): a resume must find the same.
    QByteArray planKey;
    bool boxLost = false; // Failed because the line box went away
};

// The remote write of the dialog `TForm12`: `autopora`, `autoporadi` and the 100 ms tick
// `Timer1Timer`, group after group from the command table, each entry acknowledged by "OK",
// with the fixed pauses of the protocol as clock tasks. The parameters are checked before
// anything is sent; a stop requested by the user ends the write after the entry in flight.
class RemoteWriteEngine {
public:
    using Finished = std::function<void(const RemoteWriteResult&)>;
    static constexpr int kTickMs = 100;
    // Passes between the steps of an exchange and the next tick, for replies that come early.
    static constexpr int kPickUpMs = ReplyPickUp::kPassMs;
    static constexpr int kReplyTimeoutTicks = 100;
    static constexpr int kGroupWaitMs = 1000;
    static constexpr int kAckWaitMs = 50;
    static constexpr int kEntryWaitMs = 1000;
    static constexpr int kMemoryWaitMs = 7100;
    static constexpr int kSplitWaitMs = 300;
    static constexpr int kSplitPasses = 5000;
    static constexpr int kStartWaitMs = 100;

    RemoteWriteEngine(RemoteLink& link, ConnectionEngine& connection, const ParameterSet& params,
                      const Texts& texts, RemoteWriteView& view);
    ~RemoteWriteEngine();
    RemoteWriteEngine(const RemoteWriteEngine&) = delete;
    RemoteWriteEngine& operator=(const RemoteWriteEngine&) = delete;

    // Fields the unit cannot take, named by caption and value; empty when the set may be sent.
    QString validationMessage() const;
    // `Button1Click`. Refused (false, nothing sent, the keep-alive untouched) unless idle and
    // connected and the parameters pass the check (the view is shown the message). When there
    // is nothing to write, `finished` gets Done at once, nothing is sent.
    bool start(const RemoteWriteRequest& request, RemoteReport* report, Finished finished);
    // Stop between entries: at once during a pause, else when the entry in flight is
    // acknowledged.
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }
    // `Button2Click` / `FormClose`.
    void close();
    void abort();

    RemoteWriteState state() const { return m_state; }
    bool running() const { return m_state != RemoteWriteState::Idle; }

    // The memory group's source: the parameters, limited to changed memories when asked.
    static ParameterSet memorySource(const ParameterSet& params,
                                     const std::optional<HeldMemories>& unitContents);
    // Sum of the fixed pauses of writing the request's entries from its resume point.
    qint64 fixedPausesMs(const RemoteWriteRequest& request) const;
    // Every command the request would send from its first entry on, with its groups: equal
    // keys mean a resume continues the very same write.
    QByteArray planKey(const RemoteWriteRequest& request) const;
    // What the unit acknowledged, for people: "Spínače 3 z 15, …; potvrzené paměti: DEN 1, …".
    static QString acknowledgedSummary(const RemoteWriteResult& result,
                                       const std::array<bool, 4>& groups, const Texts& texts);

private:
    struct Plan {
        std::array<std::vector<bool>, 4> split; // per entry: sent in two parts
        std::vector<int> memoryOf;              // the memory of each memory entry
        QByteArray key;
    };
    Plan plan(const RemoteWriteRequest& request) const;
    static qint64 pausesFrom(const Plan& plan, const std::array<bool, 4>& groups, int group,
                             int step, bool groupStarted);

    void setState(RemoteWriteState state);
    void log(const QByteArray& line);
    void onReply();
    void autopora();
    void autoporadi();
    void sendEntry();
    void tick();
    void acknowledged();
    void fail(const QString& suffix);
    void halt(const QString& message);
    void loseBox();
    void finish(RemoteWriteState outcome, bool resume);
    // `pauseAhead`: the pause before the next entry is still to come.
    void reportProgress(bool pauseAhead);
    QByteArray stepCommand() const;
    bool buildGroup(int group);

    RemoteLink& m_link;
    ConnectionEngine& m_connection;
    const ParameterSet& m_params;
    const Texts& m_texts;
    RemoteWriteView& m_view;
    RemoteWriteState m_state = RemoteWriteState::Idle;
    RemoteWriteRequest m_request;
    RemoteReport* m_report = nullptr;
    Finished m_finished;
    RemoteWriteResult m_result;
    Plan m_plan;

    int m_group = 0;
    bool m_finishedFlag = false;
    int m_memoryCounter = 0;
    bool m_inFlight = false;
    bool m_stopRequested = false;
    bool m_entryToggle = false;
    ReplyPickUp m_pickUp;
};

} // namespace lumo
