// The line box link: listing, opening, sending, receiving with its reopen, and hanging up;
// over a scripted box and over the virtual FTDI devices.
#include "RemoteTestSupport.h"
#include "link/FtdiVirtual.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteLink.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

using test::ScriptedBus;

TEST(BoxList, ListsOnlyLineBoxesInDeviceOrder) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    bus.add("Vexo-USB", "Vexo-USB");
    bus.add("Kavrostanel", "KAV001");
    bus.add("Kavrostanel2", "KAV999"); // another product, even with a KAV serial
    bus.add("Kavrostanel", "XYZ002");  // listed, but not a KAV serial
    bus.add("Kavrostanel", "KAV003");
    RemoteLink link(bus, clock);
    link.setBoxSerial(10, "stale");
    EXPECT_EQ(link.ListBoxDevices(), 5);
    EXPECT_EQ(link.deviceCount(), 5);
    EXPECT_EQ(link.listedCount(), 3);
    EXPECT_EQ(link.boxSerial(0), "KAV001");
    EXPECT_EQ(link.boxSerial(1), "XYZ002");
    EXPECT_EQ(link.boxSerial(2), "KAV003");
    EXPECT_EQ(link.boxSerial(3), "");
    EXPECT_EQ(link.boxSerial(10), ""); // every slot is cleared
    EXPECT_EQ(link.kavCount(), 2);
}

TEST(BoxList, EmptyWithoutDevicesAndWhenTheAdapterCannotList) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    RemoteLink link(bus, clock);
    EXPECT_EQ(link.ListBoxDevices(), 0);
    EXPECT_EQ(link.listedCount(), 0);
    EXPECT_EQ(link.kavCount(), 0);
    bus.add("Kavrostanel", "KAV001");
    bus.listFails = true;
    EXPECT_EQ(link.ListBoxDevices(), 0);
    EXPECT_EQ(link.deviceCount(), 0);
    EXPECT_EQ(link.listedCount(), 0);
}

TEST(BoxList, NoMoreThanSixtyFiveSerials) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    for (int i = 0; i < 70; ++i)
        bus.add("Kavrostanel", QStringLiteral("KAV%1").arg(i, 3, 10, QLatin1Char('0')));
    RemoteLink link(bus, clock);
    EXPECT_EQ(link.ListBoxDevices(), 70);
    EXPECT_EQ(link.listedCount(), 65);
    EXPECT_EQ(link.boxSerial(64), "KAV064");
    EXPECT_EQ(link.boxSerial(65), ""); // out of range
}

TEST(BoxOpen, SetsBitModeDtrRtsAndBaudRate) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    link.OpenBoxLink("KAV001");
    ASSERT_TRUE(link.hasBoxLink());
    EXPECT_EQ(script->bitMask, 0);
    EXPECT_EQ(script->bitMode, 0);
    EXPECT_TRUE(script->dtrSet);
    EXPECT_TRUE(script->rtsCleared);
    EXPECT_EQ(script->baudRate, 9600);
    EXPECT_EQ(script->calls, (std::vector<QByteArray>{"bitmode", "setdtr", "clrrts", "baud"}));
}

TEST(BoxOpen, AbsentBoxRaisesAndKeepsTheOldLink) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    link.OpenBoxLink("KAV001");
    BoxDevice* old = link.boxLink();
    EXPECT_THROW(link.OpenBoxLink("KAV404"), TFT232Exception);
    EXPECT_EQ(link.boxLink(), old);
    link.releaseBoxLink();
    EXPECT_FALSE(link.hasBoxLink());
}

TEST(BoxOpen, DialogOpenPausesTenMsAfterOpeningAndAfterTheSettings) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    int result = -1;
    link.OpenBoxLinkPaced("KAV001", [&](bool ok) { result = ok; });
    EXPECT_TRUE(link.hasBoxLink());
    EXPECT_TRUE(script->calls.empty());
    clock.advance(9);
    EXPECT_TRUE(script->calls.empty());
    clock.advance(1);
    EXPECT_EQ(script->calls.size(), 4u);
    EXPECT_EQ(result, -1);
    clock.advance(10);
    EXPECT_EQ(result, 1);

    int absent = -1;
    link.OpenBoxLinkPaced("KAV404", [&](bool ok) { absent = ok; });
    EXPECT_EQ(absent, 0); // at once, without pauses
}

TEST(BoxSend, EmptyTextWritesNothingAndFails) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    EXPECT_FALSE(link.BoxSend("ATA\r\n")); // no box yet
    link.OpenBoxLink("KAV001");
    EXPECT_FALSE(link.BoxSend(""));
    EXPECT_TRUE(script->written.isEmpty());
    EXPECT_TRUE(link.BoxSend("ATA\r\n"));
    EXPECT_EQ(script->written, QByteArray("ATA\r\n"));
    EXPECT_FALSE(link.boxLost()); // nothing to send is no sign of a lost box
    script->failWrites = true;
    EXPECT_FALSE(link.BoxSend("ATH\r\n"));
    EXPECT_EQ(script->written, QByteArray("ATA\r\n")); // stopped at the first byte
    EXPECT_TRUE(link.boxLost());
    link.OpenBoxLink("KAV001"); // opened anew: a box to talk to again
    EXPECT_FALSE(link.boxLost());
}

TEST(BoxReceive, YieldsWaitingBytesInOrder) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    EXPECT_EQ(link.BoxReceive(), QByteArray()); // no box
    link.OpenBoxLink("KAV001");
    link.setSelectedIndex(0);
    link.ListBoxDevices();
    EXPECT_EQ(link.BoxReceive(), QByteArray());
    script->toHost = "BO";
    EXPECT_EQ(link.BoxReceive(), QByteArray("BO"));
    script->toHost = "K\r\n";
    EXPECT_EQ(link.BoxReceive(), QByteArray("K\r\n"));
    EXPECT_EQ(bus.opens, 1); // an empty queue is no broken link
}

TEST(BoxReceive, BrokenLinkIsOpenedAnewAndAFailedReopenIsSwallowed) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    link.ListBoxDevices();
    link.setSelectedIndex(0);
    link.OpenBoxLink("KAV001");
    BoxDevice* first = link.boxLink();

    // A read fails although bytes are reported: what was read is kept, the box is reopened.
    script->toHost = "OK\r\n";
    script->failReadAfter = 2;
    EXPECT_EQ(link.BoxReceive(), QByteArray("OK"));
    EXPECT_EQ(bus.opens, 2);
    EXPECT_NE(link.boxLink(), first);
    EXPECT_EQ(link.reopenCount(), 1);
    EXPECT_EQ(link.BoxReceive(), QByteArray("\r\n"));

    // The box went away: the count cannot be had; the reopen fails and the old link stays.
    BoxDevice* second = link.boxLink();
    script->unplugged = true;
    bus.find("KAV001")->present = false;
    EXPECT_NO_THROW(EXPECT_EQ(link.BoxReceive(), QByteArray()));
    EXPECT_EQ(link.boxLink(), second);
    EXPECT_EQ(bus.opens, 3);
    EXPECT_TRUE(link.boxLost());
    EXPECT_FALSE(link.probeBox());
    // It comes back: the next receive reopens it.
    bus.find("KAV001")->present = true;
    EXPECT_EQ(link.BoxReceive(), QByteArray());
    EXPECT_EQ(link.reopenCount(), 2);
    EXPECT_FALSE(link.boxLost());
    // A read that fails while the box still tells its queue is no lost box, reopen or not.
    bus.find("KAV001")->present = false;
    script->unplugged = false;
    script->toHost = "OK\r\n";
    script->failReadAfter = script->bytesRead + 1;
    EXPECT_EQ(link.BoxReceive(), QByteArray("O"));
    EXPECT_FALSE(link.boxLost());
    EXPECT_TRUE(link.probeBox());
}

TEST(BoxHangUp, ALostBoxFreesTheLineAtOnceAndSendsNothing) {
    VirtualClock clock;
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    RemoteLink link(bus, clock);
    link.ListBoxDevices();
    link.setSelectedIndex(0);
    link.OpenBoxLink("KAV001");
    script->unplugged = true;
    bus.find("KAV001")->present = false;
    EXPECT_FALSE(link.probeBox());
    bool freed = false;
    link.HangUp([&] { freed = true; });
    EXPECT_TRUE(freed);
    EXPECT_FALSE(link.hangingUp());
    EXPECT_TRUE(script->written.isEmpty());
}

TEST(BoxHangUp, SendsAthThenBasicAndDiscardsTheAnswers) {
    VirtualClock clock(1000);
    ScriptedBus bus(clock);
    auto script = bus.add("Kavrostanel", "KAV001");
    script->respond = [](const QByteArray&) { return QByteArray("OK\r\n"); };
    RemoteLink link(bus, clock);

    bool freed = false;
    link.HangUp([&] { freed = true; }); // no link: nothing to do
    EXPECT_TRUE(freed);
    EXPECT_TRUE(script->lines.empty());

    link.OpenBoxLink("KAV001");
    link.ReceiveBuffer = "half";
    freed = false;
    int second = 0;
    link.HangUp([&] { freed = true; });
    link.HangUp([&] { ++second; }); // a second caller waits for the same hang-up
    EXPECT_TRUE(link.hangingUp());
    clock.advance(999);
    ASSERT_EQ(script->lines.size(), 1u);
    EXPECT_EQ(script->lines[0].text, QByteArray("ATH\r\n"));
    EXPECT_EQ(script->lines[0].atMs, 1000);
    clock.advance(1);
    ASSERT_EQ(script->lines.size(), 2u);
    EXPECT_EQ(script->lines[1].text, QByteArray("AT@BASIC\r\n"));
    EXPECT_EQ(script->lines[1].atMs, 2000);
    clock.advance(499);
    EXPECT_FALSE(freed);
    clock.advance(1);
    EXPECT_TRUE(freed);
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(link.hangingUp());
    EXPECT_TRUE(link.ReceiveBuffer.isEmpty());
    EXPECT_TRUE(script->toHost.isEmpty());
    EXPECT_TRUE(link.hasBoxLink()); // the link stays open
}

// The same link over the FTDI layer's virtual devices.
class FtdiBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(m_previous);
    }
    FtdiBackendKind m_previous = FtdiBackendKind::LibFtdi;
};

TEST_F(FtdiBoxTest, ListsAndDrivesAVirtualLineBox) {
    auto& registry = VirtualFtdiRegistry::instance();
    registry.plug("Vexo-USB", "Vexo-USB");
    auto box = registry.plug("KAV12345", "Kavrostanel");
    registry.plug("KAV99999", "USB <-> Serial");
    VirtualClock clock;
    FtdiBoxBus bus;
    RemoteLink link(bus, clock);
    EXPECT_EQ(link.ListBoxDevices(), 3);
    EXPECT_EQ(link.listedCount(), 1);
    EXPECT_EQ(link.boxSerial(0), "KAV12345");
    link.setSelectedIndex(0);

    link.OpenBoxLink("KAV12345");
    EXPECT_EQ(box->baudRate(), 9600u);
    EXPECT_TRUE(box->dtr());
    EXPECT_FALSE(box->rts());
    EXPECT_EQ(box->bitMode(), 0);
    EXPECT_EQ(box->bitMask(), 0);
    EXPECT_TRUE(link.BoxSend("ATA\r\n"));
    EXPECT_EQ(box->takeFromHost(), QByteArray("ATA\r\n"));
    box->sendToHost("OK\r\n");
    EXPECT_EQ(link.BoxReceive(), QByteArray("OK\r\n"));

    // Held by us: a second open fails with the adapter's exception.
    EXPECT_THROW(link.OpenBoxLink("KAV12345"), TFT232Exception);
    // Pulled out: the receive finds the link broken, the reopen fails quietly.
    registry.unplug("KAV12345");
    EXPECT_NO_THROW(EXPECT_EQ(link.BoxReceive(), QByteArray()));
    EXPECT_FALSE(link.BoxSend("ATA\r\n"));
}

} // namespace
} // namespace lumo
