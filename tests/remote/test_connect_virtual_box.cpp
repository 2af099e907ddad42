// The connection engine against the virtual line box of the simulator, through the FTDI
// layer's virtual devices, in virtual time: the whole connect sequence with its exact bytes
// and waits, the keep-alive, and the box's faults.
#include "RemoteTestSupport.h"
#include "link/FtdiVirtual.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "sim/LineBoxUsbDevice.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

using Kind = ConnectionResult::Kind;
const QString kNoConnection = QStringLiteral("Není možné spojení s Vexo");

class VirtualBoxConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        device = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);
        link = std::make_unique<RemoteLink>(bus, clock);
        engine = std::make_unique<ConnectionEngine>(*link, view, texts);
        link->ListBoxDevices();
        ASSERT_EQ(link->listedCount(), 1);
        link->setSelectedIndex(0);
        link->OpenBoxLink(link->boxSerial(0));
    }
    void TearDown() override {
        engine.reset();
        link.reset();
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(m_previous);
    }
    QByteArray password() const {
        // The service password the unit keeps (positions 21..24, digit code).
        QByteArray p;
        for (int position = 21; position <= 24; ++position) {
            const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
            p += code == 10 ? '0' : char('0' + code);
        }
        return p;
    }
    void connect(const QByteArray& pw) {
        ASSERT_TRUE(engine->connect("0601234567", pw,
                                    [this](const ConnectionResult& r) { results.push_back(r); }));
    }
    void runUntilResult(std::size_t count, qint64 limitMs = 3600 * 1000) {
        const qint64 end = clock.nowMs() + limitMs;
        while (results.size() < count && clock.nowMs() < end) {
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(std::min(next, end) - clock.nowMs());
        }
    }

    VirtualClock clock;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;
    FtdiBoxBus bus;
    std::unique_ptr<RemoteLink> link;
    test::RecordingConnectionView view;
    Texts texts;
    std::unique_ptr<ConnectionEngine> engine;
    std::vector<ConnectionResult> results;
    FtdiBackendKind m_previous = FtdiBackendKind::LibFtdi;
};

TEST_F(VirtualBoxConnectTest, WholeSequenceWithItsBytesAndWaitsThenKeepAlive) {
    const QByteArray pw = password();
    ASSERT_EQ(pw.size(), 4);
    connect(pw);
    runUntilResult(1);
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].kind, Kind::Connected) << results[0].message.toStdString();
    EXPECT_TRUE(device->box().loggedIn());
    EXPECT_EQ(device->box().commands().mid(0, 13),
              (QList<QByteArray>{"AT@RESET", "AT@DEFAULT", "AT@NORM", "ATA", "ATDE0601234567",
                                 "ATDEA", "AT@RECE", "AT@RECN", "ATDE#" + pw, "ATDE8*5", "AT@RECE",
                                 "AT@RECN", "ATDE8*5"}));
    // The box answers at once: the reply to "AT@RESET" is taken by the tick that follows it
    // at once, every other one by the next 50 ms tick, so the times are the protocol's waits
    // plus one tick per step after the first.
    EXPECT_EQ(link->connectionStartMs, 9200);
    EXPECT_EQ(clock.nowMs(), 10200);
    EXPECT_EQ(view.traces[7], QByteArray(" -p- BOK -v- AT@RECN\r\n"));

    // One keep-alive cycle, the quiet period, and the next cycle on its 302nd tick.
    clock.advance(600 + 302 * 50); // the cycle ends at 10800, the quiet period 302 ticks later
    EXPECT_EQ(link->counters.RepeatCount, 1);
    EXPECT_EQ(device->box().commands().size(), 13 + 2 + 1);
    EXPECT_EQ(device->box().commands().back(), QByteArray("ATDE8*5"));
    clock.advance(5000);
    EXPECT_EQ(engine->state(), ConnectionState::Quiet);

    engine->disconnect();
    clock.advance(1500);
    EXPECT_EQ(results.back().kind, Kind::Disconnected);
    EXPECT_EQ(device->box().commands().mid(device->box().commands().size() - 2),
              (QList<QByteArray>{"ATH", "AT@BASIC"}));
    EXPECT_FALSE(device->box().inCall());
}

TEST_F(VirtualBoxConnectTest, UnitThatNeverWakesEndsAfterFortyWakeUps) {
    sim::LineBoxFaults faults;
    faults.wakeUpsIgnored = -1;
    device->box().setFaults(faults);
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].message, kNoConnection + "'A -> B'");
    EXPECT_EQ(device->box().commands().count("ATDEA"), 40);
}

TEST_F(VirtualBoxConnectTest, UnitThatWakesLateIsWokenAgain) {
    sim::LineBoxFaults faults;
    faults.wakeUpsIgnored = 3;
    device->box().setFaults(faults);
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results[0].kind, Kind::Connected);
    EXPECT_EQ(device->box().wakeUps(), 4);
}

TEST_F(VirtualBoxConnectTest, WrongPasswordKeepsAskingUntilCancelled) {
    connect("0000" == password() ? "1111" : "0000");
    runUntilResult(1, 10 * 60 * 1000);
    EXPECT_TRUE(results.empty()); // the "8*5" loop has no limit of its own
    EXPECT_EQ(engine->state(), ConnectionState::Connecting);
    EXPECT_GT(device->box().commands().count("ATDE8*5"), 100);
    engine->cancel();
    runUntilResult(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, Kind::Cancelled);
    EXPECT_EQ(device->box().commands().back(), QByteArray("AT@BASIC"));
}

TEST_F(VirtualBoxConnectTest, ErrEveryThirdCommandIsSentAgain) {
    sim::LineBoxFaults faults;
    faults.errEvery = 3;
    device->box().setFaults(faults);
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results[0].kind, Kind::Connected) << results[0].message.toStdString();
    EXPECT_GT(device->box().commandCount(), 13);
}

TEST_F(VirtualBoxConnectTest, RepliesSplitAcrossReadsStillConnect) {
    sim::LineBoxFaults faults;
    faults.splitBytes = 2;
    device->box().setFaults(faults);
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results[0].kind, Kind::Connected) << results[0].message.toStdString();
}

TEST_F(VirtualBoxConnectTest, SilentDialCommandTimesOut) {
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"ATDE06"};
    device->box().setFaults(faults);
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].message, kNoConnection + "'Timeout of Repeat'");
    EXPECT_EQ(device->box().commands().count("ATDE0601234567"), 12);
}

TEST_F(VirtualBoxConnectTest, BoxVanishingWhileConnectedIsGivenUp) {
    connect(password());
    runUntilResult(1);
    ASSERT_EQ(results[0].kind, Kind::Connected);
    clock.advance(2000);
    device->vanish();
    const qint64 vanishedAt = clock.nowMs();
    runUntilResult(2);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[1].boxLost);
    const QString lost = QStringLiteral("Zařízení Telvox ") +
                         QString::fromLatin1(device->serialNumber()) +
                         QStringLiteral(" bylo odpojeno, spojení s Vexo je ztraceno.");
    EXPECT_EQ(results[1].message, lost);
    EXPECT_EQ(view.messages.back(), lost);
    EXPECT_LE(clock.nowMs() - vanishedAt, ConnectionEngine::kTickMs); // not after a minute
    EXPECT_TRUE(view.menus.connectEnabled);
}

} // namespace
} // namespace lumo
