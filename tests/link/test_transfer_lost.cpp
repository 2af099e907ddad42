// The two real links tell a device that went away from a unit that is silent: the serial
// port when its terminal hangs up, the USB cable when the adapter stops answering a status
// query (its terminal gone).
#include "link/AfComPort.h"
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "test_serial_support.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

using testing::PtyPair;
using testing::waitUntil;

TEST(LostDeviceSerial, AHungUpTerminalIsLostASilentOneIsNot) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TAfComPort port;
    port.SetComNumber(3);
    port.SetDevicePath(pty.slavePath());
    TransferSerialLink link(port);
    ASSERT_TRUE(link.open(nullptr));
    // Silence for a while is no loss.
    EXPECT_FALSE(waitUntil([&] { return link.deviceLost(); }, 100));
    EXPECT_TRUE(link.isOpen());

    pty.closeMaster();
    ASSERT_TRUE(waitUntil([&] { return link.deviceLost(); }));
    EXPECT_FALSE(link.isOpen()); // the component closed it
    // The loss outlives the close: the engine learns of it at its next tick.
    EXPECT_TRUE(link.deviceLost());
}

TEST(LostDeviceSerial, OpeningAgainStartsFresh) {
    PtyPair first;
    ASSERT_TRUE(first.ok());
    TAfComPort port;
    port.SetComNumber(3);
    port.SetDevicePath(first.slavePath());
    TransferSerialLink link(port);
    ASSERT_TRUE(link.open(nullptr));
    first.closeMaster();
    ASSERT_TRUE(waitUntil([&] { return link.deviceLost(); }));

    PtyPair second; // the device is back, as another terminal
    ASSERT_TRUE(second.ok());
    port.SetDevicePath(second.slavePath());
    ASSERT_TRUE(link.open(nullptr));
    EXPECT_FALSE(link.deviceLost());
}

class LostDeviceUsb : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        ASSERT_TRUE(pty.ok());
        VirtualFtdiRegistry::instance().plug(std::make_shared<VirtualFtdiDevice>(
            UsbCable::kSerialNumber.toLatin1(), "Vexo USB", pty.slavePath()));
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    PtyPair pty;
    TransferUsbLink link{std::make_unique<UsbCable>([](int) {})};
};

TEST_F(LostDeviceUsb, ACableWhoseTerminalWentIsLostASilentOneIsNot) {
    ASSERT_TRUE(link.open(nullptr));
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_FALSE(link.deviceLost());
    pty.write("Z");
    ASSERT_TRUE(waitUntil([&] { return link.bytesWaiting() == 1; }));
    EXPECT_FALSE(link.deviceLost());
    EXPECT_EQ(link.readAll(), "Z");

    pty.closeMaster();
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_TRUE(link.deviceLost());
    link.close();
    EXPECT_FALSE(link.deviceLost()); // released: no cable to judge
}

} // namespace
} // namespace lumo
