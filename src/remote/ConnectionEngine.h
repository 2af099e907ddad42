#pragma once
#include "platform/Clock.h"
#include "remote/ConnectionView.h"
#include "remote/RemoteLink.h"
#include "texts/Texts.h"
#include <functional>

namespace lumo {

// The connection to the unit through the line box: the 50 ms tick `Timer2Timer` that walks
// the connect sequence and, once connected, runs the keep-alive cycle after each quiet period;
// EnterConnected, Disconnect and the connect dialog's cancel action.
//
// Every wait of the protocol is a task on the injected clock: while one is pending no tick
// runs (as the timer stood still during the original blocking pauses), but the event loop
// keeps running, and cancel or disconnect drop the pending step. Ticks never overlap: a tick
// stops the timer first and every path that goes on re-enables it.
class ConnectionEngine {
public:
    using ResultHandler = std::function<void(const ConnectionResult&)>;

    static constexpr int kTickMs = 50;
    static constexpr int kReplyTimeoutTicks = 100; // re-send after this many silent ticks
    static constexpr int kQuietTicks = 301;        // the cycle restarts on the tick after
    static constexpr int kKeepAliveMismatchLimit = 20;
    static constexpr int kWakeUpLimit = 40;
    // A connected box that sends no complete reply for this long is given up.
    static constexpr qint64 kKeepAliveSilenceMs = 60000;

    ConnectionEngine(RemoteLink& link, ConnectionView& view, const Texts& texts);
    ~ConnectionEngine();
    ConnectionEngine(const ConnectionEngine&) = delete;
    ConnectionEngine& operator=(const ConnectionEngine&) = delete;

    ConnectionState state() const { return m_state; }
    bool isConnected() const {
        return m_state == ConnectionState::KeepAlive || m_state == ConnectionState::Quiet;
    }
    // A wait of the protocol or a hang-up is under way: nothing else may use the line.
    bool isBusy() const;

    // `Button4Click`: builds the connect sequence with the trimmed number and password and
    // starts it. `onResult` gets the end of the attempt (Connected, Failed, Cancelled) and,
    // after Connected, the end of the connection (Failed, Disconnected, Cancelled). Returns
    // false, doing nothing, unless the engine is idle and a box is open.
    bool connect(const QByteArray& telephoneNumber, const QByteArray& password,
                 ResultHandler onResult = {});
    // `Unconnect1Click`.
    void disconnect();
    // `TForm10.Button1Click`, also run by the closing main window: hangs up and stops.
    // `done` runs when the line is free.
    void cancel(std::function<void()> done = {});

    // Remote read and write pause the keep-alive while they run and restore it when their
    // dialogs close (after 2000 ms of quiet on the line).
    bool suspend();
    void resumeKeepAlive();
    // The line box went away (RemoteLink::boxLost): the connection ends at once, without a
    // hang-up (nothing reaches the line any more), and nothing resumes. The connection's own
    // ticks notice it while connecting and connected; a read or write that notices it ends
    // itself first and then calls this with an empty `message` (it says what it lost itself).
    void lose(const QString& message);
    QString boxLostMessage() const;
    // Stops a running read or write when the connection ends.
    void setProcedureStopper(std::function<void()> stop) { m_stopProcedures = std::move(stop); }

    // The remote menu and its status items; the connect dialog sets the box caption.
    const RemoteMenuState& menus() const { return m_menus; }
    void setBoxCaption(const QString& serial, bool visibleAndEnabled);
    // `N8Click` and `Connect2Click`: the captions of the two status sub-items.
    QString connectionTimeCaption() const;
    QString repeatCountCaption() const;
    qint64 connectedForMs() const;

    // Observation for tests and traces.
    int ticks() const { return m_ticks; }
    bool timerEnabled() const { return m_timerEnabled; }

private:
    void setState(ConnectionState state);
    void setMenus(const RemoteMenuState& menus);
    QByteArray stepCommand() const { return m_link.table.command(m_link.StepIndex); }
    QByteArray stepReply() const { return m_link.table.reply(m_link.StepIndex); }

    // Timer2 and the waits.
    void enableTimer();
    void continueTicking(); // "continue": re-enable the timer and end the tick
    void scheduleTick();
    void wait(int ms, std::function<void()> then);
    void dropPending();
    void tick();

    void tickConnecting();
    void tickConnected();
    void advanceConnecting();
    void sendConnectingStep();
    void enterConnected();
    void startKeepAliveWait();

    // Ends the connection: Disconnect (with a failure message when given) or cancel.
    void fail(const QString& suffix, bool cancelInstead = false);
    void endConnection(ConnectionResult result, bool asCancel, std::function<void()> done);
    void report(const ConnectionResult& result);
    QString failureText(const QString& suffix) const;

    RemoteLink& m_link;
    ConnectionView& m_view;
    const Texts& m_texts;
    Clock& m_clock;
    ConnectionState m_state = ConnectionState::Idle;
    RemoteMenuState m_menus;
    ResultHandler m_onResult;
    std::function<void()> m_stopProcedures;

    bool m_timerEnabled = false;
    qint64 m_timerEnabledAt = 0;
    Clock::TaskId m_tickTask = 0;
    Clock::TaskId m_waitTask = 0;
    qint64 m_lastReplyAt = 0; // the keep-alive's last complete reply (or the start of its wait)
    int m_ticks = 0;
};

} // namespace lumo
