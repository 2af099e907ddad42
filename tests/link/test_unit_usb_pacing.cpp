// The virtual cable's unit with baud pacing: its own thread delivers the host's bytes and the
// answers later, in order, and stops cleanly with answers still on their way.
#include "link/FtdiVirtual.h"
#include "sim/UnitUsbDevice.h"
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

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

    // A number write of one block, then the status again: every byte reaches the unit in turn.
    QByteArray block("WT\x05", 3);
    block += QByteArray(16, char(3));
    ASSERT_EQ(device.hostWrite(block.constData(), quint32(block.size()), &written), FT_OK);
    EXPECT_EQ(readWhenWaiting(device, 1), QByteArray("Z"));
    EXPECT_EQ(unit.numberWrites(), 1);
    EXPECT_EQ(unit.numberMemory(5), QByteArray(16, char(3)));

    // Leaving with an answer on its way stops the thread without delivering it.
    device.hostWrite("V", 1, &written);
}
