#include "remote/ConnectionEngine.h"
#include "remote/BoxProtocol.h"
#include "texts/MessageKeys.h"
#include <QLocale>
#include <QTime>
#include <algorithm>

namespace lumo {

namespace {
constexpr int kStartWaitMs = 100;
constexpr int kSendWaitMs = 50;
constexpr int kShortWaitMs = 500;
constexpr int kLongWaitMs = 2000;
constexpr int kConnectedWaitMs = 1000;
constexpr int kResumeWaitMs = 2000;
constexpr int kKeepAliveReadWaitMs = 500;
constexpr int kKeepAliveRetryWaitMs = 500;
const QByteArray kResetReply = QByteArrayLiteral("RESET");
} // namespace

QString connectionStateName(ConnectionState state) {
    switch (state) {
    case ConnectionState::Idle:
        return QStringLiteral("Idle");
    case ConnectionState::Connecting:
        return QStringLiteral("Connecting");
    case ConnectionState::KeepAlive:
        return QStringLiteral("KeepAlive");
    case ConnectionState::Quiet:
        return QStringLiteral("Quiet");
    case ConnectionState::Suspended:
        return QStringLiteral("Suspended");
    case ConnectionState::HangingUp:
        return QStringLiteral("HangingUp");
    }
    return {};
}

unsigned connectStatusRgb(ConnectStatusColour colour) {
    switch (colour) {
    case ConnectStatusColour::ButtonFace:
        return 0xF0F0F0;
    case ConnectStatusColour::Lime:
        return 0x00FF00;
    case ConnectStatusColour::Red:
        return 0xFF0000;
    case ConnectStatusColour::Olive:
        return 0x808000;
    case ConnectStatusColour::Purple:
        return 0x800080;
    case ConnectStatusColour::Fuchsia:
        return 0xFF00FF;
    }
    return 0;
}

unsigned keepAliveRgb(KeepAliveColour colour) {
    switch (colour) {
    case KeepAliveColour::Green:
        return 0x008000;
    case KeepAliveColour::Purple:
        return 0x800080;
    case KeepAliveColour::Fuchsia:
        return 0xFF00FF;
    case KeepAliveColour::Red:
        return 0xFF0000;
    }
    return 0;
}

ConnectionEngine::ConnectionEngine(RemoteLink& link, ConnectionView& view, const Texts& texts)
    : m_link(link), m_view(view), m_texts(texts), m_clock(link.clock()) {}

ConnectionEngine::~ConnectionEngine() {
    dropPending();
}

bool ConnectionEngine::isBusy() const {
    return m_waitTask != 0 || m_link.hangingUp() || m_state == ConnectionState::HangingUp;
}

void ConnectionEngine::setState(ConnectionState state) {
    m_state = state;
    m_link.Connected = isConnected();
    m_link.Connecting = state == ConnectionState::Connecting;
    m_link.IdleWait = state == ConnectionState::Quiet;
    m_view.stateChanged(state);
}

void ConnectionEngine::setMenus(const RemoteMenuState& menus) {
    m_menus = menus;
    m_view.menusChanged(m_menus);
}

void ConnectionEngine::setBoxCaption(const QString& serial, bool visibleAndEnabled) {
    RemoteMenuState menus = m_menus;
    menus.n8Caption = serial;
    if (visibleAndEnabled)
        menus.n8Visible = menus.n8Enabled = true;
    setMenus(menus);
}

// --- Timer2 and the waits -------------------------------------------------------------------

void ConnectionEngine::enableTimer() {
    // Enabling a running timer does not restart its interval.
    if (!m_timerEnabled) {
        m_timerEnabled = true;
        m_timerEnabledAt = m_clock.nowMs();
    }
    scheduleTick();
}

void ConnectionEngine::continueTicking() {
    // A path that ended the connection (a handler may disconnect from inside a tick) leaves
    // the timer stopped.
    if (m_state == ConnectionState::Connecting || isConnected())
        enableTimer();
}

void ConnectionEngine::scheduleTick() {
    // No tick while a wait is pending: the timer came due during the original's blocking
    // pauses and fired at once after them, which the delay of 0 reproduces.
    if (!m_timerEnabled || m_waitTask || m_tickTask)
        return;
    const qint64 due = m_timerEnabledAt + kTickMs;
    const int delay = int(std::max<qint64>(0, due - m_clock.nowMs()));
    m_tickTask = m_clock.runAfter(delay, [this] {
        m_tickTask = 0;
        tick();
    });
}

void ConnectionEngine::wait(int ms, std::function<void()> then) {
    m_waitTask = m_clock.runAfter(ms, [this, then = std::move(then)] {
        m_waitTask = 0;
        then();
        scheduleTick();
    });
}

void ConnectionEngine::dropPending() {
    if (m_waitTask)
        m_clock.cancel(m_waitTask);
    if (m_tickTask)
        m_clock.cancel(m_tickTask);
    m_waitTask = m_tickTask = 0;
    m_timerEnabled = false;
}

void ConnectionEngine::tick() {
    m_timerEnabled = false; // the tick stops its timer first
    ++m_ticks;
    // A box pulled out is given up at once, not after a minute of re-sends into nothing.
    if ((m_state == ConnectionState::Connecting || isConnected()) && !m_link.probeBox()) {
        lose(boxLostMessage());
        return;
    }
    switch (m_state) {
    case ConnectionState::KeepAlive:
    case ConnectionState::Quiet:
        tickConnected();
        return;
    case ConnectionState::Connecting:
        tickConnecting();
        return;
    case ConnectionState::Idle:
    case ConnectionState::Suspended:
    case ConnectionState::HangingUp:
        return; // nothing runs; the timer stays stopped
    }
}

// --- connecting -----------------------------------------------------------------------------

bool ConnectionEngine::connect(const QByteArray& telephoneNumber, const QByteArray& password,
                               ResultHandler onResult) {
    if (m_state != ConnectionState::Idle || !m_link.hasBoxLink() || isBusy())
        return false;
    m_onResult = std::move(onResult);
    BuildConnectSequence(m_link.table, telephoneNumber, password);
    RemoteCounters& c = m_link.counters;
    c.ReplyTimeouts = c.ErrCount = c.MismatchCount = c.PollTicks = 0;
    c.RetryLimit = 10;
    m_link.StepIndex = 0;
    m_link.StepCount = kConnectStepCount;
    m_view.setProgress(m_link.StepIndex + 2);
    setState(ConnectionState::Connecting);
    m_view.setConnectButtonEnabled(false);
    enableTimer();
    m_link.ReceiveBuffer += m_link.BoxReceive(); // kept: the first reply may already be on its way
    wait(kStartWaitMs, [this] { m_link.BoxSend(stepCommand()); });
    return true;
}

void ConnectionEngine::tickConnecting() {
    RemoteCounters& c = m_link.counters;
    m_view.setStep(m_link.StepIndex);
    m_view.setProgress(m_link.StepIndex + 2);

    if (++c.PollTicks > kReplyTimeoutTicks) {
        m_link.BoxSend(stepCommand());
        m_view.setStatus(ConnectStatusColour::Lime, nullptr);
        c.PollTicks = 0;
        if (++c.ReplyTimeouts > c.RetryLimit) {
            fail(QStringLiteral("'Timeout of Repeat'"));
            return;
        }
        m_link.DiscardInput();
        continueTicking();
        return;
    }

    QByteArray& buffer = m_link.ReceiveBuffer;
    buffer += m_link.BoxReceive();
    if (!ReplyComplete(buffer)) {
        continueTicking();
        return;
    }
    const QByteArray reply = ReplyText(buffer);
    m_view.trace(" -p- " + reply + " -v- " + stepCommand());
    c.ReplyTimeouts = 0;
    c.PollTicks = 0;

    if (reply == kErrReply) {
        buffer.clear();
        m_link.BoxSend(stepCommand());
        m_view.setStatus(ConnectStatusColour::Red, nullptr);
        if (++c.ErrCount > c.RetryLimit) {
            fail(QStringLiteral("'Timeout of ERR'"));
            return;
        }
        continueTicking();
        return;
    }
    c.ErrCount = 0;

    if (stepReply() == kResetReply) {
        const bool reset = IsResetReply(buffer);
        buffer.clear();
        if (reset) {
            const QString text = QStringLiteral("Connecting");
            m_view.setStatus(ConnectStatusColour::ButtonFace, &text);
            advanceConnecting();
        } else {
            // No re-send: the reply time-out brings the next "AT@RESET".
            m_view.setStatus(ConnectStatusColour::Olive, nullptr);
            continueTicking();
        }
        return;
    }
    if (reply == stepReply()) {
        buffer.clear();
        c.MismatchCount = 0;
        m_view.setStatus(ConnectStatusColour::ButtonFace, nullptr);
        advanceConnecting();
        return;
    }

    buffer.clear();
    if (m_link.StepIndex == 7 || m_link.StepIndex == 11) {
        // The unit has not answered "B" yet: wake it (or ask for "8*5") once more.
        m_link.StepIndex -= 2;
        m_view.setStatus(ConnectStatusColour::Purple, nullptr);
        sendConnectingStep();
        return;
    }
    if (++c.MismatchCount > c.RetryLimit) {
        fail(QStringLiteral("'Not replay ") + QString::fromLatin1(stepCommand()) +
             QStringLiteral("'"));
        return;
    }
    continueTicking(); // the reply time-out re-sends
}

void ConnectionEngine::advanceConnecting() {
    ++m_link.StepIndex;
    if (m_link.StepIndex >= m_link.StepCount) {
        enterConnected();
        m_view.setStatus(ConnectStatusColour::Fuchsia, nullptr);
        continueTicking();
        return;
    }
    sendConnectingStep();
}

void ConnectionEngine::sendConnectingStep() {
    const int step = m_link.StepIndex;
    int ms = kSendWaitMs;
    if (step == 3 || step == 5 || step == 7 || step == 11)
        ms += kShortWaitMs;
    else if (step == 2 || step == 4 || step == 9)
        ms += kLongWaitMs;
    wait(ms, [this] {
        RemoteCounters& c = m_link.counters;
        if (m_link.StepIndex < 5)
            c.AnswerWaits = 0;
        if (m_link.StepIndex == 5 && ++c.AnswerWaits > kWakeUpLimit) {
            fail(QStringLiteral("'A -> B'"), /*cancelInstead=*/true);
            return;
        }
        m_link.BoxSend(stepCommand());
        continueTicking();
    });
}

// --- connected ------------------------------------------------------------------------------

void ConnectionEngine::enterConnected() {
    BuildKeepAliveSequence(m_link.table);
    setState(ConnectionState::KeepAlive);
    m_link.connectionStartMs = m_clock.nowMs();
    RemoteCounters& c = m_link.counters;
    c.RepeatCount = 0;
    c.ReplyTimeouts = c.ErrCount = c.MismatchCount = c.PollTicks = c.IdleTicks = 0;
    c.RetryLimit = 10;
    m_link.StepIndex = 0;
    m_link.StepCount = kKeepAliveStepCount;

    RemoteMenuState menus = m_menus;
    menus.connectEnabled = false;
    menus.readEnabled = menus.writeEnabled = menus.disconnectEnabled = true;
    menus.connect2Visible = true;
    setMenus(menus);
    m_view.closeDialog();
    // The silence of the keep-alive counts from here: ticks run during the wait below, and a
    // stale start would end a connection made late in the run at its first tick.
    startKeepAliveWait();
    enableTimer();

    m_link.DiscardInput();
    wait(kConnectedWaitMs, [this] {
        startKeepAliveWait();
        m_link.BoxSend(stepCommand());
        m_view.setConnectButtonEnabled(true);
        ConnectionResult result;
        result.kind = ConnectionResult::Kind::Connected;
        report(result);
    });
}

void ConnectionEngine::startKeepAliveWait() {
    m_lastReplyAt = m_clock.nowMs();
}

void ConnectionEngine::tickConnected() {
    RemoteCounters& c = m_link.counters;
    if (m_state == ConnectionState::Quiet) {
        if (++c.IdleTicks > kQuietTicks) {
            setState(ConnectionState::KeepAlive);
            ++c.RepeatCount;
            startKeepAliveWait();
            m_link.BoxSend(stepCommand());
        }
        continueTicking();
        return;
    }

    QByteArray& buffer = m_link.ReceiveBuffer;
    buffer += m_link.BoxReceive();
    if (!ReplyComplete(buffer)) {
        // A box that went silent (or away) would otherwise keep the program "connected".
        if (m_clock.nowMs() - m_lastReplyAt > kKeepAliveSilenceMs) {
            fail(QStringLiteral("'Timeout of 8*5'"));
            return;
        }
        continueTicking();
        return;
    }
    startKeepAliveWait();
    const QByteArray reply = ReplyText(buffer);

    if (reply == kErrReply) {
        buffer.clear();
        m_link.BoxSend(stepCommand());
        if (++c.ErrCount > c.RetryLimit) {
            fail(QStringLiteral("'Timeout of ERR'"));
            return;
        }
        continueTicking();
        return;
    }
    c.ErrCount = 0;

    if (reply == stepReply()) {
        buffer.clear();
        m_view.setIndicator(KeepAliveColour::Green);
        if (m_link.StepIndex == 2)
            c.MismatchCount = 0;
        ++m_link.StepIndex;
        if (m_link.StepIndex >= m_link.StepCount) {
            m_view.setIndicator(KeepAliveColour::Purple);
            m_link.StepIndex = 0;
        }
        auto afterAdvance = [this] {
            if (m_link.StepIndex == 0) {
                m_link.counters.IdleTicks = 0;
                setState(ConnectionState::Quiet);
            } else {
                m_link.BoxSend(stepCommand());
            }
            continueTicking();
        };
        if (m_link.StepIndex == 2)
            wait(kKeepAliveReadWaitMs, afterAdvance);
        else
            afterAdvance();
        return;
    }

    buffer.clear();
    if (++c.MismatchCount > kKeepAliveMismatchLimit) {
        m_view.setIndicator(KeepAliveColour::Red);
        fail(QStringLiteral("'8*5 -> B'"));
        return;
    }
    m_view.setIndicator(KeepAliveColour::Fuchsia);
    m_link.StepIndex = 0;
    wait(kKeepAliveRetryWaitMs, [this] {
        m_link.BoxSend(stepCommand());
        continueTicking();
    });
}

bool ConnectionEngine::suspend() {
    if (!isConnected())
        return false;
    dropPending();
    setState(ConnectionState::Suspended);
    return true;
}

void ConnectionEngine::resumeKeepAlive() {
    if (m_state != ConnectionState::Suspended)
        return;
    BuildKeepAliveSequence(m_link.table);
    RemoteCounters& c = m_link.counters;
    c.ReplyTimeouts = c.ErrCount = c.MismatchCount = c.PollTicks = 0;
    c.RetryLimit = 10;
    m_link.StepIndex = 0;
    m_link.StepCount = kKeepAliveStepCount;
    // Awaiting the cycle's replies, whatever the quiet period was doing when the read or
    // write began.
    setState(ConnectionState::KeepAlive);
    m_link.DiscardInput();
    wait(kResumeWaitMs, [this] {
        enableTimer();
        startKeepAliveWait();
        m_link.BoxSend(stepCommand());
    });
}

// --- ending ---------------------------------------------------------------------------------

QString ConnectionEngine::failureText(const QString& suffix) const {
    return m_texts.get(TextSection::REMOTE, 27) + suffix;
}

void ConnectionEngine::fail(const QString& suffix, bool cancelInstead) {
    ConnectionResult result;
    result.kind = ConnectionResult::Kind::Failed;
    result.suffix = suffix;
    result.message = failureText(suffix);
    endConnection(result, cancelInstead, {});
}

QString ConnectionEngine::boxLostMessage() const {
    return m_texts.message(Msg::BoxLost).arg(m_link.selectedSerial());
}

void ConnectionEngine::lose(const QString& message) {
    if (m_state == ConnectionState::Idle || m_state == ConnectionState::HangingUp)
        return;
    const bool procedureRuns = m_state == ConnectionState::Suspended;
    dropPending();
    ConnectionResult result;
    result.kind = ConnectionResult::Kind::Failed;
    result.message = message;
    result.boxLost = true;
    result.repeatCount = m_link.counters.RepeatCount;
    RemoteMenuState menus = m_menus;
    menus.connectEnabled = true;
    menus.readEnabled = menus.writeEnabled = menus.disconnectEnabled = false;
    menus.connect2Visible = false;
    menus.n8Visible = false;
    setMenus(menus);
    if (!procedureRuns && m_stopProcedures)
        m_stopProcedures();
    if (isConnected() || procedureRuns)
        m_view.setIndicator(KeepAliveColour::Red);
    m_link.ReceiveBuffer.clear();
    setState(ConnectionState::Idle);
    if (!message.isEmpty())
        m_view.showMessage(message);
    report(result);
}

void ConnectionEngine::disconnect() {
    if (m_state == ConnectionState::HangingUp)
        return;
    ConnectionResult result;
    result.kind = ConnectionResult::Kind::Disconnected;
    endConnection(result, false, {});
}

void ConnectionEngine::cancel(std::function<void()> done) {
    if (m_state == ConnectionState::HangingUp) {
        m_link.HangUp(std::move(done)); // runs `done` once the line is free
        return;
    }
    ConnectionResult result;
    result.kind = ConnectionResult::Kind::Cancelled;
    endConnection(result, true, std::move(done));
}

void ConnectionEngine::endConnection(ConnectionResult result, bool asCancel,
                                     std::function<void()> done) {
    dropPending();
    result.repeatCount = m_link.counters.RepeatCount;
    RemoteMenuState menus = m_menus;
    if (asCancel) {
        menus.n8Visible = menus.n8Enabled = false;
        menus.connect2Visible = false;
    } else {
        menus.connectEnabled = true;
        menus.readEnabled = menus.writeEnabled = menus.disconnectEnabled = false;
        menus.connect2Visible = false;
        menus.n8Visible = false;
    }
    setMenus(menus);
    if (!asCancel && m_stopProcedures)
        m_stopProcedures();
    setState(ConnectionState::HangingUp);
    if (asCancel)
        m_view.closeDialog();
    // The message comes once the line is free, as after the original's blocking hang-up.
    m_link.HangUp([this, result, done = std::move(done)] {
        setState(ConnectionState::Idle);
        if (!result.message.isEmpty())
            m_view.showMessage(result.message);
        report(result);
        if (done)
            done();
    });
}

void ConnectionEngine::report(const ConnectionResult& result) {
    if (!m_onResult)
        return;
    // The handler may start the next attempt; a finished connection forgets its handler.
    ResultHandler handler = m_onResult;
    if (result.kind != ConnectionResult::Kind::Connected)
        m_onResult = {};
    handler(result);
}

// --- status items ---------------------------------------------------------------------------

qint64 ConnectionEngine::connectedForMs() const {
    return m_clock.nowMs() - m_link.connectionStartMs;
}

QString ConnectionEngine::connectionTimeCaption() const {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    // The long time format of a duration: no time zone.
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    const QTime elapsed = QTime(0, 0).addMSecs(int(connectedForMs() % (24LL * 3600 * 1000)));
    return m_texts.get(TextSection::REMOTE, 24) + QLatin1Char(' ') +
           QLocale::system().toString(elapsed, format);
}

QString ConnectionEngine::repeatCountCaption() const {
    return m_texts.get(TextSection::REMOTE, 23) + QLatin1Char(' ') +
           QString::number(m_link.counters.RepeatCount);
}

} // namespace lumo
