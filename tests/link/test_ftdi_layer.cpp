// The FT_* layer over the virtual device registry, TFT232, the enumeration functions and the
// USB cable operations.
#include "link/FT232.h"
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "link/UsbCable.h"

#include <gtest/gtest.h>
#include <vector>

namespace lumo {
namespace {

class FtdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    std::shared_ptr<VirtualFtdiDevice> plugCable() {
        return VirtualFtdiRegistry::instance().plug("Vexo-USB", "USB <-> Serial");
    }
    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    std::vector<int> pauses;
    TFT232::Pause recordPause = [this](int ms) { pauses.push_back(ms); };
};

TEST_F(FtdiTest, ListsDevicesByCountIndexAndAll) {
    auto& registry = VirtualFtdiRegistry::instance();
    registry.plug("KAV00017", "Kavrostanel");
    registry.plug("Vexo-USB", "USB <-> Serial");

    quint32 count = 99;
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u);

    char buffer[64];
    EXPECT_EQ(FT_ListDevices(reinterpret_cast<void*>(1), buffer,
                             FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER),
              FT_OK);
    EXPECT_STREQ(buffer, "Vexo-USB");
    EXPECT_EQ(FT_ListDevices(reinterpret_cast<void*>(0), buffer,
                             FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_OK);
    EXPECT_STREQ(buffer, "Kavrostanel");
    EXPECT_EQ(FT_ListDevices(reinterpret_cast<void*>(2), buffer,
                             FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER),
              FT_DEVICE_NOT_FOUND);

    char a[16], b[16];
    char* all[] = {a, b, nullptr};
    count = 0;
    EXPECT_EQ(FT_ListDevices(all, &count, FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER), FT_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_STREQ(a, "KAV00017");
    EXPECT_STREQ(b, "Vexo-USB");

    EXPECT_EQ(FT_ListDevices(&count, nullptr, 0), FT_INVALID_PARAMETER);
}

TEST_F(FtdiTest, OpensBySerialNumberOnlyOnceAndDrivesTheDevice) {
    auto device = plugCable();
    FT_HANDLE h = nullptr;
    EXPECT_EQ(FT_OpenEx("Nothing", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(FT_OpenEx("Vexo-USB", FT_OPEN_BY_SERIAL_NUMBER, &h), FT_OK);
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_OpenEx("Vexo-USB", FT_OPEN_BY_SERIAL_NUMBER, &second), FT_DEVICE_NOT_OPENED);

    EXPECT_EQ(FT_SetBaudRate(h, 2400), FT_OK);
    EXPECT_EQ(FT_SetDtr(h), FT_OK);
    EXPECT_EQ(FT_ClrRts(h), FT_OK);
    EXPECT_EQ(FT_SetBitMode(h, 0xF0, 0x20), FT_OK);
    EXPECT_EQ(device->baudRate(), 2400u);
    EXPECT_TRUE(device->dtr());
    EXPECT_FALSE(device->rts());
    EXPECT_EQ(device->bitMask(), 0xF0);
    EXPECT_EQ(device->bitMode(), 0x20);

    quint32 n = 0;
    EXPECT_EQ(FT_Write(h, "V", 1, &n), FT_OK);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(device->takeFromHost(), "V");
    device->sendToHost(QByteArray("\x00\xffZ", 3));
    quint32 rx = 0, tx = 0, ev = 0;
    EXPECT_EQ(FT_GetStatus(h, &rx, &tx, &ev), FT_OK);
    EXPECT_EQ(rx, 3u);
    char in[8] = {};
    EXPECT_EQ(FT_Read(h, in, 8, &n), FT_OK); // never waits for more than has arrived
    EXPECT_EQ(QByteArray(in, static_cast<int>(n)), QByteArray("\x00\xffZ", 3));

    EXPECT_EQ(FT_Close(h), FT_OK);
    EXPECT_EQ(FT_Close(h), FT_INVALID_HANDLE); // a closed handle is not used again
    EXPECT_EQ(FT_SetBaudRate(h, 9600), FT_INVALID_HANDLE);
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(FT_OpenEx("Vexo-USB", FT_OPEN_BY_SERIAL_NUMBER, &second), FT_OK);
    FT_Close(second);
}

TEST_F(FtdiTest, UnpluggedDeviceFailsWithStatusesNotExceptions) {
    plugCable();
    TFT232 link("Vexo-USB", recordPause);
    VirtualFtdiRegistry::instance().unplug("Vexo-USB");
    EXPECT_FALSE(link.WriteByte('V'));
    char byte = 0;
    EXPECT_FALSE(link.ReadByte(&byte));
    EXPECT_EQ(link.ReceiveCount(), 0);
    EXPECT_EQ(link.SetBaudRate(2400), FT_IO_ERROR);
    EXPECT_FALSE(link.SetBitMode(0, 0));
    EXPECT_EQ(link.Status(), FT_IO_ERROR);
}

TEST_F(FtdiTest, TFT232OpensBySerialAndRaisesTheExactText) {
    try {
        TFT232 link("Vexo-USB", recordPause);
        FAIL() << "opened a missing device";
    } catch (const TFT232Exception& e) {
        EXPECT_EQ(e.Message(), "Device Vexo-USB can not open");
    }
    auto device = plugCable();
    {
        TFT232 link("Vexo-USB", recordPause);
        EXPECT_EQ(link.Status(), FT_OK);
        EXPECT_TRUE(link.WriteByte('R'));
        device->sendToHost("D");
        EXPECT_EQ(link.ReceiveCount(), 1);
        char byte = 0;
        EXPECT_TRUE(link.ReadByte(&byte));
        EXPECT_EQ(byte, 'D');
        EXPECT_FALSE(link.ReadByte(&byte)); // nothing left
        EXPECT_EQ(link.DtrControl(true), FT_OK);
        EXPECT_FALSE(device->dtr());
        EXPECT_EQ(link.RtsControl(false), FT_OK);
        EXPECT_TRUE(device->rts());
    }
    EXPECT_EQ(device->takeFromHost(), "R");
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(pauses, std::vector<int>{10}); // the pause after closing
}

TEST_F(FtdiTest, EnumerationFunctionsKeepTheTextOnFailure) {
    auto& registry = VirtualFtdiRegistry::instance();
    registry.plug("Vexo-USB", "USB <-> Serial");
    // A description longer than 49 characters is cut there.
    registry.plug("KAV1", QByteArray(60, 'd'));

    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FTDeviceCount(), 2);
    EXPECT_EQ(GetFTDeviceSerialNo(0), FT_OK);
    EXPECT_EQ(FTDeviceText(), "Vexo-USB");
    EXPECT_EQ(GetFTDeviceDescription(1), FT_OK);
    EXPECT_EQ(FTDeviceText(), QString(49, QLatin1Char('d')));

    EXPECT_EQ(GetFTDeviceSerialNo(1), FT_OK);
    EXPECT_EQ(GetFTDeviceSerialNo(2), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(FTDeviceText(), "KAV1");
    EXPECT_EQ(GetFTDeviceDescription(7), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(GetFTDeviceSerialNo(-1), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(FTDeviceText(), "KAV1");

    registry.unplugAll();
    EXPECT_EQ(GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(FTDeviceCount(), 0);

    EXPECT_EQ(FTDeviceErrorText("GetFTDeviceSerialNo", 2),
              "GetFTDeviceSerialNo - Device Not Found....");
    EXPECT_EQ(FTDeviceErrorText("GetFTDeviceCount", 6), "GetFTDeviceCount - Invalid Parameter ...");
    EXPECT_EQ(FTDeviceErrorText("GetFTDeviceCount", 0), "");
}

TEST_F(FtdiTest, OpenUsbCableWithoutDeviceLeavesItClosedAfterTwoAttempts) {
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    EXPECT_EQ(cable.AdapterState(), "--");
    EXPECT_FALSE(cable.AdapterOpen());
    EXPECT_FALSE(cable.HasLink());
    EXPECT_TRUE(pauses.empty()); // neither attempt got as far as its settle pause
}

TEST_F(FtdiTest, OpenUsbCableSetsTheLineAndReportsOk) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    EXPECT_EQ(cable.AdapterState(), "OK");
    EXPECT_TRUE(cable.AdapterOpen());
    ASSERT_TRUE(cable.HasLink());
    EXPECT_EQ(device->baudRate(), 2400u);
    EXPECT_TRUE(device->dtr());
    EXPECT_FALSE(device->rts());
    EXPECT_EQ(device->bitMode(), 0);
    EXPECT_EQ(pauses, (std::vector<int>{20, 20}));
}

TEST_F(FtdiTest, OpenUsbCableTwiceReleasesTheHeldObjectAndStaysOk) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    pauses.clear();
    cable.OpenUsbCable();
    EXPECT_EQ(cable.AdapterState(), "OK");
    EXPECT_TRUE(cable.AdapterOpen());
    EXPECT_TRUE(cable.HasLink());
    EXPECT_EQ(device->openCount(), 2);
    // First attempt refused (device held), the old object closed (10), second attempt with
    // its 10 ms settle pauses.
    EXPECT_EQ(pauses, (std::vector<int>{10, 10, 10}));
}

TEST_F(FtdiTest, MarkUsbClosedKeepsTheLink) {
    plugCable();
    UsbCable cable(recordPause);
    cable.MarkUsbClosed(); // not open: nothing
    EXPECT_EQ(cable.AdapterState(), "");
    cable.OpenUsbCable();
    cable.MarkUsbClosed();
    EXPECT_EQ(cable.AdapterState(), "--");
    EXPECT_FALSE(cable.AdapterOpen());
    EXPECT_TRUE(cable.HasLink());
}

TEST_F(FtdiTest, ReadUsbReplyTakesEveryWaitingByte) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    EXPECT_EQ(cable.ReadUsbReply(), ""); // nothing waiting: empty, and no reopen
    EXPECT_EQ(device->openCount(), 1);
    device->sendToHost(QByteArray("V\x03N\x00S\x01U\xff", 8));
    EXPECT_EQ(cable.ReadUsbReply(), QByteArray("V\x03N\x00S\x01U\xff", 8));
    EXPECT_EQ(device->openCount(), 1);
}

TEST_F(FtdiTest, ReadUsbReplyReopensAClosedAdapter) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    cable.MarkUsbClosed();
    cable.SetLastWriteOk(true);
    EXPECT_EQ(cable.ReadUsbReply(), "");
    EXPECT_TRUE(cable.AdapterOpen());
    EXPECT_FALSE(cable.LastWriteOk());
    EXPECT_EQ(device->openCount(), 2);

    // Cable gone: stays closed, last write ok set, empty reply.
    cable.MarkUsbClosed();
    VirtualFtdiRegistry::instance().unplugAll();
    cable.SetLastWriteOk(false);
    EXPECT_EQ(cable.ReadUsbReply(), "");
    EXPECT_FALSE(cable.AdapterOpen());
    EXPECT_TRUE(cable.LastWriteOk());
    EXPECT_FALSE(cable.HasLink());
}

TEST_F(FtdiTest, ReadUsbReplyWithAReleasedLinkReopensInsteadOfFailing) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    cable.ReleaseLink(); // as the transfer window does after a communication error
    EXPECT_EQ(cable.ReadUsbReply(), "");
    EXPECT_TRUE(cable.HasLink());
    EXPECT_EQ(device->openCount(), 2);
}

TEST_F(FtdiTest, ReadUsbReplyReopensWhenMoreArrivedWhileReading) {
    auto device = plugCable();
    UsbCable cable(recordPause);
    cable.OpenUsbCable();
    device->sendToHost("ab");
    bool sent = false;
    device->setHostReadHandler([&] {
        if (!sent)
            device->sendToHost("c");
        sent = true;
    });
    // The counted bytes come back; the late one is dropped by reopening the device.
    EXPECT_EQ(cable.ReadUsbReply(), "ab");
    EXPECT_EQ(device->openCount(), 2);
    EXPECT_EQ(device->pendingToHost(), 0);
    EXPECT_EQ(cable.AdapterState(), "OK");
    device->sendToHost("xyz");
    EXPECT_EQ(cable.ReadUsbReply(), "xyz");
    EXPECT_EQ(device->openCount(), 2);
}

TEST(FtdiBackendChoice, EnvironmentSelectsTheVirtualRegistry) {
    qputenv("LUMO_FTDI", "virtual");
    EXPECT_EQ(ftdiBackendFromEnvironment(), FtdiBackendKind::Virtual);
    qputenv("LUMO_FTDI", "libftdi");
    EXPECT_EQ(ftdiBackendFromEnvironment(), FtdiBackendKind::LibFtdi);
    qunsetenv("LUMO_FTDI");
    EXPECT_EQ(ftdiBackendFromEnvironment(), FtdiBackendKind::LibFtdi);
}

} // namespace
} // namespace lumo
