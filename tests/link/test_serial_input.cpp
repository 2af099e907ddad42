// Input of the serial component arriving while the owner is busy with an earlier event.
#include "link/AfComPort.h"
#include "test_serial_support.h"

#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <vector>

namespace lumo {
namespace {

using testing::PtyPair;
using testing::waitUntil;

TEST(SerialInput, ByteArrivingDuringAHandlerGetsALineEventOfItsOwn) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TAfComPort port;
    port.SetComNumber(3);
    port.SetDevicePath(pty.slavePath());
    port.SetBaudRate(TAfBaudrate::br2400);
    std::vector<TAfCoreEvent> kinds;
    std::vector<int> counts;
    port.OnSyncEvent = [&](TAfCustomSerialPort*, TAfCoreEvent kind, quint32) {
        kinds.push_back(kind);
    };
    port.OnDataRecived = [&](TAfCustomSerialPort*, int count) {
        counts.push_back(count);
        if (counts.size() > 1)
            return;
        // The next byte of the reply comes in while this handler runs; the first stays unread,
        // as the transfer window leaves an incomplete reply.
        pty.write("b");
        QDeadlineTimer deadline(5000);
        while (port.BytesWaiting() < 2 && !deadline.hasExpired())
            QThread::msleep(1);
    };
    port.PortOpen();
    pty.write("a");
    ASSERT_TRUE(waitUntil([&] { return counts.size() >= 2; }));
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 2);
    // Reported as it arrived, not only by the idle wake-up 200 ms later.
    ASSERT_GE(kinds.size(), 2u);
    EXPECT_EQ(kinds[1], TAfCoreEvent::ceLineEvent);
    EXPECT_EQ(port.ReadAllWaiting(), QByteArray("ab"));
}

} // namespace
} // namespace lumo
