// The connection engine in virtual time against a scripted box: the connect sequence with its
// exact waits, every failure of the connect table, the keep-alive cycle and its limits,
// cancel, disconnect, suspend and resume.
#include "RemoteTestSupport.h"
#include "remote/ConnectionEngine.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

using test::BoxScript;
using Kind = ConnectionResult::Kind;

const QString kNoConnection = QStringLiteral("Není možné spojení s Vexo");

class ConnectionEngineTest : public ::testing::Test {
protected:
    ConnectionEngineTest() : bus(clock), link(bus, clock), engine(link, view, texts) {
        script = bus.add("Kavrostanel", "KAV001");
        script->respond = test::healthyBoxReply;
        link.ListBoxDevices();
        link.setSelectedIndex(0);
        link.OpenBoxLink("KAV001");
    }

    void connect() {
        ASSERT_TRUE(engine.connect(" 0601234567 ", "1234",
                                   [this](const ConnectionResult& r) { results.push_back(r); }));
    }
    // Runs until the engine reports the next result (or an hour of virtual time passes).
    void runUntilResult(std::size_t count = 1) {
        const qint64 end = clock.nowMs() + 3600 * 1000;
        while (results.size() < count && clock.nowMs() < end) {
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(next - clock.nowMs());
        }
        ASSERT_GE(results.size(), count);
    }
    std::vector<qint64> sendTimes(const QByteArray& line) const {
        std::vector<qint64> out;
        for (const auto& l : script->lines)
            if (l.text == line)
                out.push_back(l.atMs);
        return out;
    }

    VirtualClock clock;
    test::ScriptedBus bus;
    std::shared_ptr<BoxScript> script;
    RemoteLink link;
    test::RecordingConnectionView view;
    Texts texts;
    ConnectionEngine engine;
    std::vector<ConnectionResult> results;
};

TEST_F(ConnectionEngineTest, ConnectSequenceGoesOutWithItsExactBytesAndWaits) {
    connect();
    EXPECT_EQ(engine.state(), ConnectionState::Connecting);
    EXPECT_TRUE(link.Connecting);
    EXPECT_FALSE(view.connectButton);
    runUntilResult();
    ASSERT_EQ(results[0].kind, Kind::Connected);

    // Each command goes out one tick (50 ms) after the previous reply was taken, plus the
    // step's wait: 50 ms, 550 ms for steps 3, 5, 7, 11 and 2050 ms for 2, 4, 9; the first
    // after 100 ms, the first keep-alive 1000 ms after the last reply.
    const std::vector<std::pair<QByteArray, qint64>> expected = {
        {"AT@RESET\r\n", 100},  {"AT@DEFAULT\r\n", 200},      {"AT@NORM\r\n", 2300},
        {"ATA\r\n", 2900},      {"ATDE0601234567\r\n", 5000}, {"ATDEA\r\n", 5600},
        {"AT@RECE\r\n", 5700},  {"AT@RECN\r\n", 6300},        {"ATDE#1234\r\n", 6400},
        {"ATDE8*5\r\n", 8500},  {"AT@RECE\r\n", 8600},        {"AT@RECN\r\n", 9200},
        {"ATDE8*5\r\n", 10250},
    };
    ASSERT_EQ(script->lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(script->lines[i].text, expected[i].first) << i;
        EXPECT_EQ(script->lines[i].atMs, expected[i].second) << i;
    }

    EXPECT_EQ(engine.state(), ConnectionState::KeepAlive);
    EXPECT_TRUE(link.Connected);
    EXPECT_FALSE(link.Connecting);
    EXPECT_EQ(link.StepCount, 3);
    EXPECT_EQ(link.connectionStartMs, 9250);
    EXPECT_EQ(view.dialogCloses, 1);
    EXPECT_TRUE(view.connectButton);
    EXPECT_EQ(view.statusColours.back(), ConnectStatusColour::Fuchsia);
    EXPECT_EQ(view.statusText, "Connecting");
    EXPECT_EQ(view.lastStep, 11);
    EXPECT_EQ(view.progress, 13);
    RemoteMenuState connected;
    connected.connectEnabled = false;
    connected.readEnabled = connected.writeEnabled = connected.disconnectEnabled = true;
    connected.connect2Visible = true;
    EXPECT_EQ(view.menus, connected);
    // The trace memo: one line per exchange, the command with its CR LF.
    ASSERT_EQ(view.traces.size(), 12u);
    EXPECT_EQ(view.traces[0], QByteArray(" -p- RESET -v- AT@RESET\r\n"));
    EXPECT_EQ(view.traces[7], QByteArray(" -p- BOK -v- AT@RECN\r\n"));
}

TEST_F(ConnectionEngineTest, ResetMayHaveTextBeforeItButResetXWaitsForTheTimeOut) {
    int resets = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@RESET\r\n")
            return ++resets == 1 ? "RESETX\r\n" : "\r\nAT@RESET\r\nRESET\r\n";
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Connected);
    // RESETX: olive, nothing re-sent until 100 silent ticks have passed.
    const auto times = sendTimes("AT@RESET\r\n");
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[0], 100);
    EXPECT_EQ(times[1], 150 + 101 * 50); // the 101st tick after the reply was taken
    EXPECT_EQ(view.statusColours.front(), ConnectStatusColour::Olive);
    EXPECT_EQ(link.counters.MismatchCount, 0);
}

TEST_F(ConnectionEngineTest, OkInsteadOfBokAtStepSevenGoesBackToTheWakeUp) {
    int reads = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECN\r\n")
            return ++reads == 1 ? "OK\r\n" : "BOK\r\n";
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Connected);
    const auto wakeUps = sendTimes("ATDEA\r\n");
    ASSERT_EQ(wakeUps.size(), 2u);
    // Reply to the first AT@RECN (sent at 6300) taken at 6350, then 550 ms before step 5.
    EXPECT_EQ(wakeUps[1], 6350 + 550);
    EXPECT_EQ(link.counters.MismatchCount, 0);
    EXPECT_NE(std::find(view.statusColours.begin(), view.statusColours.end(),
                        ConnectStatusColour::Purple),
              view.statusColours.end());
}

TEST_F(ConnectionEngineTest, ThereIsNoFortyFirstWakeUp) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECN\r\n")
            return "OK\r\n"; // the unit never answers "B"
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Failed);
    EXPECT_EQ(results[0].message, kNoConnection + "'A -> B'");
    EXPECT_EQ(script->count("ATDEA\r\n"), 40);
    EXPECT_EQ(script->count("ATDE#1234\r\n"), 0);
    // Cancelled: hung up, the dialog closed, the box item hidden.
    ASSERT_GE(script->lines.size(), 2u);
    EXPECT_EQ(script->lines[script->lines.size() - 2].text, QByteArray("ATH\r\n"));
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    EXPECT_EQ(view.dialogCloses, 1);
    EXPECT_FALSE(view.menus.n8Visible);
    EXPECT_FALSE(view.menus.n8Enabled);
    EXPECT_EQ(view.messages, std::vector<QString>{kNoConnection + "'A -> B'"});
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
    EXPECT_FALSE(engine.timerEnabled());
    EXPECT_EQ(clock.pendingCount(), 0u); // nothing more will be sent
}

TEST_F(ConnectionEngineTest, ElevenErrRepliesEndTheAttempt) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "AT@DEFAULT\r\n")
            return "ERR\r\n";
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Failed);
    EXPECT_EQ(results[0].message, kNoConnection + "'Timeout of ERR'");
    // Sent once, then again after each of the 11 "ERR"s.
    EXPECT_EQ(script->count("AT@DEFAULT\r\n"), 12);
    EXPECT_EQ(script->count("AT@NORM\r\n"), 0);
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    EXPECT_EQ(view.statusColours.back(), ConnectStatusColour::Red);
    // Disconnect: the menu back to its idle state.
    EXPECT_TRUE(view.menus.connectEnabled);
    EXPECT_FALSE(view.menus.disconnectEnabled);
    EXPECT_FALSE(view.menus.n8Visible);
    EXPECT_EQ(view.dialogCloses, 0); // Disconnect leaves the dialog to the user
}

TEST_F(ConnectionEngineTest, ErrCountRestartsAfterAnyOtherReply) {
    int errs = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@DEFAULT\r\n" && errs < 10) {
            ++errs;
            return "ERR\r\n";
        }
        if (line == "AT@NORM\r\n" && errs < 20) {
            ++errs;
            return "ERR\r\n";
        }
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Connected); // 10 + 10 ERRs, never 11 in a row
}

TEST_F(ConnectionEngineTest, ElevenReplyTimeOutsEndTheAttempt) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "ATA\r\n")
            return {};
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Failed);
    EXPECT_EQ(results[0].message, kNoConnection + "'Timeout of Repeat'");
    const auto times = sendTimes("ATA\r\n");
    ASSERT_EQ(times.size(), 12u);
    // Each re-send after 101 ticks of 50 ms without a reply.
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_EQ(times[i] - times[i - 1], 101 * 50) << i;
    EXPECT_EQ(view.statusColours.back(), ConnectStatusColour::Lime);
}

TEST_F(ConnectionEngineTest, ElevenUnexpectedRepliesAtOneStepEndTheAttempt) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "AT@NORM\r\n")
            return "NO CARRIER\r\n";
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Failed);
    EXPECT_EQ(results[0].message, kNoConnection + "'Not replay AT@NORM\r\n'");
    // No re-send on a mismatch: each comes from a reply time-out.
    EXPECT_EQ(script->count("AT@NORM\r\n"), 11);
}

TEST_F(ConnectionEngineTest, SecondLoginLoopStepsBackToEightStarFive) {
    int reads = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECN\r\n")
            return ++reads == 2 ? "OK\r\n" : "BOK\r\n";
        return test::healthyBoxReply(line);
    };
    connect();
    runUntilResult();
    EXPECT_EQ(results[0].kind, Kind::Connected);
    // "8*5" twice during the log-in, then once as the first keep-alive.
    EXPECT_EQ(script->count("ATDE8*5\r\n"), 3);
    EXPECT_EQ(script->count("ATDEA\r\n"), 1);
}

TEST_F(ConnectionEngineTest, AConnectionMadeLateInTheRunIsKept) {
    clock.advance(10 * 60 * 1000); // the program has run for ten minutes
    connect();
    runUntilResult();
    ASSERT_EQ(results[0].kind, Kind::Connected);
    clock.advance(2000); // the first keep-alive cycle and into the quiet period
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(ConnectionEngineTest, RefusesToStartWithoutABoxOrWhileRunning) {
    link.releaseBoxLink();
    EXPECT_FALSE(engine.connect("1", "1234"));
    link.OpenBoxLink("KAV001");
    EXPECT_TRUE(engine.connect("1", "1234"));
    EXPECT_FALSE(engine.connect("1", "1234"));
    EXPECT_TRUE(engine.isBusy()); // the 100 ms before the first command
}

TEST_F(ConnectionEngineTest, CancelDuringAWaitDropsThePendingStep) {
    connect();
    clock.advance(2000); // inside the 2050 ms before AT@NORM
    ASSERT_TRUE(engine.isBusy());
    bool freed = false;
    engine.cancel([&] { freed = true; });
    EXPECT_EQ(engine.state(), ConnectionState::HangingUp);
    EXPECT_EQ(view.dialogCloses, 1);
    clock.advance(10000);
    EXPECT_TRUE(freed);
    EXPECT_EQ(script->count("AT@NORM\r\n"), 0);
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, Kind::Cancelled);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
    EXPECT_FALSE(link.Connecting);
    // Idle: the next attempt can start.
    EXPECT_TRUE(engine.connect("1", "1234"));
}

TEST_F(ConnectionEngineTest, CancelWithABoxButNoAttemptStillHangsUp) {
    bool freed = false;
    engine.cancel([&] { freed = true; });
    clock.advance(1500);
    EXPECT_TRUE(freed);
    EXPECT_EQ(script->texts(), (std::vector<QByteArray>{"ATH\r\n", "AT@BASIC\r\n"}));
}

TEST_F(ConnectionEngineTest, BoxPulledOutWhileConnectingIsGivenUpAtOnce) {
    connect();
    clock.advance(3000); // into the dialling, long before any time-out
    ASSERT_EQ(engine.state(), ConnectionState::Connecting);
    script->unplugged = true;
    bus.find("KAV001")->present = false;
    const qint64 pulledAt = clock.nowMs();
    runUntilResult(1);
    // At the first tick after the step's pause, not after eleven time-outs of 5 s.
    EXPECT_LE(clock.nowMs() - pulledAt, 2550 + 2 * ConnectionEngine::kTickMs);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, Kind::Failed);
    EXPECT_TRUE(results[0].boxLost);
    EXPECT_EQ(view.messages,
              std::vector<QString>{QStringLiteral(
                  "Zařízení Telvox KAV001 bylo odpojeno, spojení s Vexo je ztraceno.")});
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
    EXPECT_TRUE(view.menus.connectEnabled);
    // The box is back and opened anew: the next attempt runs as ever.
    script->unplugged = false;
    bus.find("KAV001")->present = true;
    link.OpenBoxLink("KAV001");
    connect();
    runUntilResult(2);
    EXPECT_EQ(results[1].kind, Kind::Connected);
}

class ConnectedEngineTest : public ConnectionEngineTest {
protected:
    void SetUp() override {
        connect();
        runUntilResult();
        ASSERT_EQ(results[0].kind, Kind::Connected);
        ASSERT_EQ(clock.nowMs(), 10250); // the first keep-alive "8*5" has just gone out
        script->lines.clear();
    }
};

TEST_F(ConnectedEngineTest, KeepAliveCycleThenQuietPeriodOf301Ticks) {
    clock.advance(650); // to 10900: OK, OK, BOK taken
    EXPECT_EQ(script->texts(), (std::vector<QByteArray>{"AT@RECE\r\n", "AT@RECN\r\n"}));
    EXPECT_EQ(script->lines[0].atMs, 10300); // at once after the OK
    EXPECT_EQ(script->lines[1].atMs, 10850); // 500 ms after the second OK
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_TRUE(link.IdleWait);
    EXPECT_EQ(view.indicators,
              (std::vector<KeepAliveColour>{KeepAliveColour::Green, KeepAliveColour::Green,
                                            KeepAliveColour::Green, KeepAliveColour::Purple}));
    EXPECT_EQ(link.counters.RepeatCount, 0);

    // Ticks 1..301 of the quiet period send nothing; the 302nd starts the next cycle.
    clock.advance(301 * 50);
    EXPECT_EQ(script->lines.size(), 2u);
    EXPECT_EQ(link.counters.IdleTicks, 301);
    EXPECT_EQ(engine.repeatCountCaption(), QStringLiteral("Počet opakování: 0"));
    clock.advance(50);
    ASSERT_EQ(script->lines.size(), 3u);
    EXPECT_EQ(script->lines[2].text, QByteArray("ATDE8*5\r\n"));
    EXPECT_EQ(script->lines[2].atMs, 10900 + 302 * 50);
    EXPECT_EQ(link.counters.RepeatCount, 1);
    EXPECT_EQ(engine.state(), ConnectionState::KeepAlive);
    EXPECT_EQ(engine.repeatCountCaption(), QStringLiteral("Počet opakování: 1"));
}

TEST_F(ConnectedEngineTest, ConnectionTimeCaptionCountsFromTheLastReply) {
    clock.advance(3 * 3600 * 1000 + 25 * 60 * 1000 + 7000 - 1000); // 10250 - 9250 already passed
    EXPECT_EQ(engine.connectedForMs(), 3 * 3600 * 1000 + 25 * 60 * 1000 + 7000);
    const QString caption = engine.connectionTimeCaption();
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Čas připojení: "))) << caption.toStdString();
    EXPECT_TRUE(caption.contains(QStringLiteral("25:07"))) << caption.toStdString();
    EXPECT_TRUE(caption.contains(QLatin1Char('3'))) << caption.toStdString();
}

TEST_F(ConnectedEngineTest, UnexpectedKeepAliveReplyRetriesFromStepZero) {
    int reads = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECN\r\n")
            return ++reads == 1 ? "OK\r\n" : "BOK\r\n";
        return test::healthyBoxReply(line);
    };
    clock.advance(650); // BOK expected at 10900, "OK" came: fuchsia, step 0 again after 500 ms
    EXPECT_EQ(view.indicators.back(), KeepAliveColour::Fuchsia);
    EXPECT_EQ(link.counters.MismatchCount, 1);
    clock.advance(500);
    EXPECT_EQ(script->lines.back().text, QByteArray("ATDE8*5\r\n"));
    EXPECT_EQ(script->lines.back().atMs, 11400);
    clock.advance(2000);
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_EQ(link.counters.MismatchCount, 0); // a completed cycle clears it
}

TEST_F(ConnectedEngineTest, TwentyOneUnexpectedRepliesDisconnect) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECN\r\n")
            return "OK\r\n";
        return test::healthyBoxReply(line);
    };
    runUntilResult(2);
    EXPECT_EQ(results[1].kind, Kind::Failed);
    EXPECT_EQ(results[1].message, kNoConnection + "'8*5 -> B'");
    EXPECT_EQ(script->count("AT@RECN\r\n"), 21);
    EXPECT_EQ(view.indicators.back(), KeepAliveColour::Red);
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    EXPECT_TRUE(view.menus.connectEnabled);
    EXPECT_FALSE(view.menus.readEnabled);
    EXPECT_FALSE(view.menus.connect2Visible);
    EXPECT_FALSE(view.menus.n8Visible);
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
}

TEST_F(ConnectedEngineTest, ElevenKeepAliveErrsDisconnect) {
    script->respond = [](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECE\r\n")
            return "ERR\r\n";
        return test::healthyBoxReply(line);
    };
    runUntilResult(2);
    EXPECT_EQ(results[1].message, kNoConnection + "'Timeout of ERR'");
    EXPECT_EQ(script->count("AT@RECE\r\n"), 12);
}

TEST_F(ConnectedEngineTest, SilentBoxIsGivenUpAfterSixtySeconds) {
    script->respond = [](const QByteArray&) { return QByteArray(); };
    // The "OK" to the "8*5" of 10250 is on its way; "AT@RECE" at 10300 stays unanswered.
    clock.advance(60050);
    EXPECT_EQ(engine.state(), ConnectionState::KeepAlive);
    EXPECT_EQ(results.size(), 1u);
    clock.advance(50);
    EXPECT_EQ(engine.state(), ConnectionState::HangingUp);
    runUntilResult(2);
    EXPECT_EQ(results[1].kind, Kind::Failed);
    EXPECT_EQ(results[1].message, kNoConnection + "'Timeout of 8*5'");
    EXPECT_EQ(view.messages.back(), kNoConnection + "'Timeout of 8*5'");
}

TEST_F(ConnectedEngineTest, UnpluggedBoxEndsTheConnectionAtOnceWithoutAHangUp) {
    const QString lost =
        QStringLiteral("Zařízení Telvox KAV001 bylo odpojeno, spojení s Vexo je ztraceno.");
    // Pulled out during the quiet period, when nothing is being sent or read.
    clock.advance(1000);
    ASSERT_EQ(engine.state(), ConnectionState::Quiet);
    const QByteArray written = script->written;
    script->unplugged = true;
    bus.find("KAV001")->present = false;
    clock.advance(50);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].kind, Kind::Failed);
    EXPECT_TRUE(results[1].boxLost);
    EXPECT_EQ(results[1].message, lost);
    EXPECT_EQ(view.messages, std::vector<QString>{lost});
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
    EXPECT_TRUE(view.menus.connectEnabled);
    EXPECT_FALSE(view.menus.readEnabled || view.menus.writeEnabled);
    EXPECT_EQ(view.indicators.back(), KeepAliveColour::Red);
    // Nothing runs on afterwards: no hang-up, no keep-alive, no reopen every tick.
    const int opens = bus.opens;
    clock.advance(60000);
    EXPECT_EQ(script->written, written);
    EXPECT_EQ(bus.opens, opens);
    EXPECT_FALSE(engine.timerEnabled());
    EXPECT_EQ(results.size(), 2u);
}

TEST_F(ConnectedEngineTest, BoxThatTakesNoCommandIsLostWhileABoxThatComesBackIsKept) {
    // A reopen that succeeds keeps the connection.
    clock.advance(1000);
    ASSERT_EQ(engine.state(), ConnectionState::Quiet);
    script->unplugged = true;
    clock.advance(50);
    script->unplugged = false;
    EXPECT_FALSE(link.boxLost());
    EXPECT_GE(link.reopenCount(), 1);
    clock.advance(1000);
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_EQ(results.size(), 1u);
    // The next cycle's command cannot be written: the connection ends on the tick after it.
    script->failWrites = true;
    clock.advance(16000);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[1].boxLost);
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
}

TEST_F(ConnectedEngineTest, ErrRepliesCountAsSignsOfLife) {
    // An "ERR" is a complete reply: the silence limit starts again after it.
    int erred = 0;
    script->respond = [&](const QByteArray& line) -> QByteArray {
        if (line == "AT@RECE\r\n" && erred++ == 0)
            return "ERR\r\n";
        return test::healthyBoxReply(line);
    };
    clock.advance(5000);
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(ConnectedEngineTest, DisconnectHangsUpAndRestoresTheMenu) {
    bool stopped = false;
    engine.setProcedureStopper([&] { stopped = true; });
    clock.advance(100);
    engine.disconnect();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(view.menus.connectEnabled);
    EXPECT_FALSE(view.menus.writeEnabled);
    clock.advance(1500);
    EXPECT_EQ(engine.state(), ConnectionState::Idle);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].kind, Kind::Disconnected);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    const std::size_t sent = script->lines.size();
    clock.advance(60000);
    EXPECT_EQ(script->lines.size(), sent); // no tick runs any more
}

TEST_F(ConnectedEngineTest, SuspendStopsTheKeepAliveAndResumeRestartsItAfterTwoSeconds) {
    clock.advance(700); // into the quiet period
    ASSERT_EQ(engine.state(), ConnectionState::Quiet);
    ASSERT_TRUE(engine.suspend());
    EXPECT_EQ(engine.state(), ConnectionState::Suspended);
    EXPECT_FALSE(link.Connected);
    const std::size_t sent = script->lines.size();
    clock.advance(60000);
    EXPECT_EQ(script->lines.size(), sent);
    EXPECT_EQ(engine.state(), ConnectionState::Suspended); // no silence limit while suspended

    const qint64 resumedAt = clock.nowMs();
    engine.resumeKeepAlive();
    EXPECT_TRUE(link.Connected);
    EXPECT_FALSE(link.IdleWait); // awaiting the cycle, not in the quiet period
    clock.advance(2000);
    ASSERT_EQ(script->lines.back().text, QByteArray("ATDE8*5\r\n"));
    EXPECT_EQ(script->lines.back().atMs, resumedAt + 2000);
    clock.advance(1000);
    EXPECT_EQ(engine.state(), ConnectionState::Quiet);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(ConnectedEngineTest, DisconnectFromAHandlerInsideTheConnectedReportStopsTicking) {
    // A fresh attempt whose handler disconnects as soon as it is told "Connected".
    engine.disconnect();
    clock.advance(1500);
    results.clear();
    script->lines.clear();
    ASSERT_TRUE(engine.connect("1", "1234", [this](const ConnectionResult& r) {
        results.push_back(r);
        if (r.kind == Kind::Connected)
            engine.disconnect();
    }));
    runUntilResult(2);
    EXPECT_EQ(results[1].kind, Kind::Disconnected);
    clock.advance(60000);
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    EXPECT_FALSE(engine.timerEnabled());
}

} // namespace
} // namespace lumo
