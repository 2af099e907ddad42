// The virtual cable's unit in real time: its own thread delivers the host's bytes and the
// answers later, in order, at the baud rate set, and stops at once with answers still on their
// way, dropping them.
#include "link/FtdiVirtual.h"
#include "sim/UnitUsbDevice.h"
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

using namespace lumo;

namespace {

QByteArray readWhenWaiting(VirtualFtdiDevice& device, quint32 count) {
    // A safety limit only: at 2400 Bd the answers below take some tens of milliseconds.
    QDeadlineTimer deadline(5000);
    quint32 waiting = 0;
    while (device.hostReceiveCount(&waiting) == FT_OK && waiting < count && !deadline.hasExpired())
        QThread::msleep(1);
    QByteArray bytes(int(waiting), '\0');
    quint32 got = 0;
    device.hostRead(bytes.data(), waiting, &got);
    bytes.truncate(int(got));
    return bytes;
}

} // namespace

TEST(UnitUsbPacing, PacedCableAnswersInOrderAtTheRateSet) {
    sim::VirtualUnit unit;
    sim::UnitUsbTiming timing;
    timing.baudPacing = true;
    sim::UnitUsbDevice cable(unit, {}, nullptr, timing);
    VirtualFtdiDevice& device = cable.device();
    ASSERT_TRUE(device.tryOpen());
    ASSERT_EQ(device.hostSetBaudRate(9600), FT_OK);
    quint32 written = 0;
    ASSERT_EQ(device.hostWrite("V", 1, &written), FT_OK);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(readWhenWaiting(device, 8), unit.statusImage());

    // A number write of one block: every byte reaches the unit in turn, the "Z" comes back.
    QByteArray block("WT\x05", 3);
    block += QByteArray(16, char(3));
    ASSERT_EQ(device.hostWrite(block.constData(), quint32(block.size()), &written), FT_OK);
    EXPECT_EQ(readWhenWaiting(device, 1), QByteArray("Z"));
    EXPECT_EQ(unit.numberWrites(), 1);
    EXPECT_EQ(unit.numberMemory(5), QByteArray(16, char(3)));
}

TEST(UnitUsbPacing, StoppingWithAnAnswerOnItsWayDropsItAndDoesNotWait) {
    // The unit answers a minute after each request; the cable goes away before that, at once,
    // and the answer never reaches the host.
    sim::VirtualUnit unit;
    std::mutex unitMutex;
    sim::UnitUsbTiming timing;
    timing.unitDelayMs = 60000;
    auto cable = std::make_unique<sim::UnitUsbDevice>(unit, QString(), &unitMutex, timing);
    const std::shared_ptr<VirtualFtdiDevice> kept =
        VirtualFtdiRegistry::instance().find("Vexo-USB");
    ASSERT_TRUE(kept);
    ASSERT_TRUE(kept->tryOpen());
    QByteArray block("WT\x05", 3);
    block += QByteArray(16, char(3));
    quint32 written = 0;
    ASSERT_EQ(kept->hostWrite(block.constData(), quint32(block.size()), &written), FT_OK);
    auto written1 = [&] {
        std::lock_guard lock(unitMutex);
        return unit.numberWrites() == 1;
    };
    QDeadlineTimer deadline(5000);
    while (!written1() && !deadline.hasExpired())
        QThread::msleep(1);
    ASSERT_TRUE(written1()); // the unit took the block; its "Z" is on its way

    QElapsedTimer stopping;
    stopping.start();
    cable.reset();
    // A generous bound, far below the reaction time the thread would otherwise sleep out.
    EXPECT_LT(stopping.elapsed(), 30000);
    EXPECT_EQ(VirtualFtdiRegistry::instance().find("Vexo-USB"), nullptr); // unplugged
    // What reached the device's receive side by now, read from the unplugged object.
    kept->setPlugged(true);
    quint32 waiting = 99;
    ASSERT_EQ(kept->hostReceiveCount(&waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
}
