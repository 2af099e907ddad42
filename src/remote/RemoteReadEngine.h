#pragma once
#include "params/Codec.h"
#include "params/ParameterSet.h"
#include "platform/Clock.h"
#include "remote/RemoteReadView.h"
#include "remote/RemoteReport.h"
#include "remote/ReplyPickUp.h"
#include <array>
#include <functional>
#include <vector>

namespace lumo {

class ConnectionEngine;
class RemoteLink;
class Texts;

// What to read: the settings (blocks 0..4 besides block 7, which is always read) and any of
// the 128 number memories (1..64 DAY, 65..128 NIGHT).
struct RemoteReadRequest {
    bool settings = true;
    std::array<bool, 128> memories{}; // index k-1 for memory k
    int selectedCount() const;
};

struct RemoteReadResult {
    RemoteReadState outcome = RemoteReadState::Idle; // Done, Failed, Halted or Cancelled
    QString message;
    bool settingsDecoded = false;
    DecodeReport decodeReport;
    std::vector<int> memoriesRead; // 1..128, in the order received
    // Settings blocks received whole, in order; in the set only once settingsDecoded.
    std::vector<int> blocksRead;
    int resends = 0;      // requests sent again after a silence or a short reply
    bool boxLost = false; // Failed because the line box went away
};

// The remote read of the dialog `TForm11`: its 50 ms tick `Timer1Timer` with `urciporadi`,
// `provadimcisla`, `cislaporadi` and `cislaporadipok`. The keep-alive of the connection is
// suspended while it runs and resumed when it closes. Received data goes into the parameter
// set only when complete: the settings once every requested block is in (overlaid on the
// set's own image, so blocks not read keep their values), each memory once its 16 characters
// are in. Every wait is a task on the link's clock.
class RemoteReadEngine {
public:
    using Finished = std::function<void(const RemoteReadResult&)>;
    static constexpr int kTickMs = 50;
    // Passes between the steps of an exchange and the next tick, for replies that come early.
    static constexpr int kPickUpMs = ReplyPickUp::kPassMs;
    static constexpr int kReplyTimeoutTicks = 100;
    static constexpr int kMismatchLimit = 10;
    static constexpr int kStartWaitMs = 100;
    static constexpr int kBlockWaitMs = 100;
    static constexpr int kNextBlockWaitMs = 1000;
    static constexpr int kMemoryWaitMs = 1200;

    RemoteReadEngine(RemoteLink& link, ConnectionEngine& connection, ParameterSet& params,
                     const Texts& texts, RemoteReadView& view);
    ~RemoteReadEngine();
    RemoteReadEngine(const RemoteReadEngine&) = delete;
    RemoteReadEngine& operator=(const RemoteReadEngine&) = delete;

    // `Button1Click`. Refused (false) unless idle and connected. `report` (may be null) is
    // written while the read runs; it must outlive it.
    bool start(const RemoteReadRequest& request, RemoteReport* report, Finished finished);
    // `Button2Click` / `FormClose`: stops the read, resumes the keep-alive, hands the result.
    void close();
    // The connection ended under the read: stop without resuming anything.
    void abort();

    RemoteReadState state() const { return m_state; }
    bool running() const { return m_state != RemoteReadState::Idle; }
    // Fixed pauses of a read of `request` from its start, for estimates and benchmarks.
    static qint64 fixedPausesMs(const RemoteReadRequest& request);

private:
    void setState(RemoteReadState state);
    void log(const QByteArray& line);
    void send(const QByteArray& command);
    void waitPasses(int passes, bool untilOk, std::function<void()> then, QString failure);
    bool exchanging() const;
    void onReply();
    void tick();
    void onFull();
    void onRecorded();
    void onOk();
    void resend();
    void resetRequest();
    QByteArray currentRequest() const;
    void urciporadi();
    void settingsDone();
    void provadimcisla();
    void cislaporadi();
    void cislaporadipok();
    void halt(const QString& suffix);
    void loseBox();
    void fail(const QString& message);
    void finish(RemoteReadState outcome, bool resume);
    void reportProgress(bool pauseAhead);
    void setCounter(int value);

    RemoteLink& m_link;
    ConnectionEngine& m_connection;
    ParameterSet& m_params;
    const Texts& m_texts;
    RemoteReadView& m_view;
    RemoteReadState m_state = RemoteReadState::Idle;
    RemoteReadRequest m_request;
    RemoteReport* m_report = nullptr;
    Finished m_finished;
    RemoteReadResult m_result;

    QByteArray m_image; // the settings image being filled
    int m_block = 7;
    int m_halves = 0;
    bool m_receSent = false;
    QByteArray m_received;
    int m_memory = 0;  // 1..128
    int m_counter = 0; // Label5
    int m_progressBar = 0;
    int m_exchangesDone = 0;
    int m_exchangesTotal = 0;
    int m_blocksLeft = 0;
    ReplyPickUp m_pickUp;
};

} // namespace lumo
