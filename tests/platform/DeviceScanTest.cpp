// Finding serial devices, the programs that hold one, why a port does not open and the FTDI
// devices the kernel lists, all in a fake system tree.
#include "platform/DeviceHolders.h"
#include "platform/PortDiagnosis.h"
#include "platform/SerialDeviceScan.h"
#include "platform/UsbDeviceScan.h"
#include "support/FakeDeviceTree.h"
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace lumo;
using lumo::test::FakeDeviceTree;
using P = PortDiagnosis::Problem;

namespace {

QStringList paths(const std::vector<SerialDeviceEntry>& entries) {
    QStringList result;
    for (const SerialDeviceEntry& e : entries)
        result << e.path + QStringLiteral(" -> ") + e.device;
    return result;
}

} // namespace

TEST(SerialDeviceScan, StableNamesFirstThenAdaptersThenBuiltInPortsInNumericOrder) {
    FakeDeviceTree fake;
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyUSB10", "ttyUSB2", "ttyACM0",
                             "ttySAC0", "tty1", "console"})
        fake.file(QStringLiteral("/dev/") + QLatin1String(name));
    fake.folder(QStringLiteral("/dev/ttyS9x")); // not a number: left out
    fake.link(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"),
              QStringLiteral("../../ttyUSB2"));
    // Unplugged adapter whose link udev has not removed yet.
    fake.link(QStringLiteral("/dev/serial/by-id/usb-Gone-if00"), QStringLiteral("../../ttyUSB7"));

    EXPECT_EQ(paths(listSerialDevices(fake.tree())),
              (QStringList{"/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 -> /dev/ttyUSB2",
                           "/dev/ttyUSB2 -> /dev/ttyUSB2", "/dev/ttyUSB10 -> /dev/ttyUSB10",
                           "/dev/ttyACM0 -> /dev/ttyACM0", "/dev/ttyS0 -> /dev/ttyS0",
                           "/dev/ttyS2 -> /dev/ttyS2", "/dev/ttyS10 -> /dev/ttyS10"}));
}

TEST(SerialDeviceScan, AnEmptyTreeHasNoDevices) {
    FakeDeviceTree fake;
    EXPECT_TRUE(listSerialDevices(fake.tree()).empty());
}

TEST(DeviceHolders, FoundByOpenFilesAndLiveLockFilesThroughLinks) {
    FakeDeviceTree fake;
    fake.file(QStringLiteral("/dev/ttyUSB0"));
    fake.file(QStringLiteral("/dev/ttyUSB1"));
    fake.link(QStringLiteral("/dev/serial/by-id/usb-X"), QStringLiteral("../../ttyUSB0"));
    fake.process(4711, QStringLiteral("minicom"),
                 {QStringLiteral("/dev/pts/3"), QStringLiteral("/dev/ttyUSB0")});
    fake.process(52, QStringLiteral("bash"), {QStringLiteral("/dev/ttyUSB1")});
    fake.process(200, QStringLiteral("screen"));
    fake.file(QStringLiteral("/run/lock/LCK..ttyUSB0"), "       200\n");
    // A lock left by a program that has ended says nothing.
    fake.file(QStringLiteral("/var/lock/LCK..ttyUSB0"), "       999\n");
    fake.file(QStringLiteral("/proc/self/comm"), "lumo\n"); // not a process number

    const std::vector<DeviceHolder> expected{{200, "screen"}, {4711, "minicom"}};
    EXPECT_EQ(findDeviceHolders(QStringLiteral("/dev/ttyUSB0"), fake.tree()), expected);
    EXPECT_EQ(findDeviceHolders(QStringLiteral("/dev/serial/by-id/usb-X"), fake.tree()), expected);
    EXPECT_TRUE(findDeviceHolders(QStringLiteral("/dev/ttyUSB9"), fake.tree()).empty());
}

TEST(DeviceHolders, OldBinaryLockFilesAreRead) {
    FakeDeviceTree fake;
    fake.file(QStringLiteral("/dev/ttyS1"));
    fake.process(321, QStringLiteral("cu"));
    const qint32 pid = 321;
    fake.file(QStringLiteral("/var/lock/LCK..ttyS1"),
              QByteArray(reinterpret_cast<const char*>(&pid), 4));
    EXPECT_EQ(findDeviceHolders(QStringLiteral("/dev/ttyS1"), fake.tree()),
              (std::vector<DeviceHolder>{{321, "cu"}}));
}

TEST(PortDiagnosis, TellsMissingFolderPermissionAndNotATerminalApart) {
    FakeDeviceTree fake;
    fake.file(QStringLiteral("/dev/ttyUSB0"));
    fake.file(QStringLiteral("/dev/ttyUSB1"));
    fake.folder(QStringLiteral("/dev/serial"));
    fake.link(QStringLiteral("/dev/serial/by-id/usb-Gone"), QStringLiteral("../../ttyUSB7"));
    fake.denied << QStringLiteral("/dev/ttyUSB1");
    const DeviceTree tree = fake.tree();

    EXPECT_EQ(diagnoseSerialPort(QStringLiteral("/dev/ttyUSB5"), tree).problem, P::Missing);
    EXPECT_EQ(diagnoseSerialPort(QStringLiteral("/dev/serial/by-id/usb-Gone"), tree).problem,
              P::Missing);
    EXPECT_EQ(diagnoseSerialPort(QString(), tree).problem, P::Missing);
    EXPECT_EQ(diagnoseSerialPort(QStringLiteral("/dev/serial"), tree).problem, P::NotTerminal);
    const PortDiagnosis denied = diagnoseSerialPort(QStringLiteral("/dev/ttyUSB1"), tree);
    EXPECT_EQ(denied.problem, P::Permission);
    EXPECT_FALSE(denied.group.isEmpty()); // the node's owning group, whatever it is here
    // A plain file opens but is no terminal.
    EXPECT_EQ(diagnoseSerialPort(QStringLiteral("/dev/ttyUSB0"), tree).problem, P::NotTerminal);
}

TEST(PortDiagnosis, ALockedDeviceIsInUseAndNamesItsHolder) {
    FakeDeviceTree fake;
    fake.file(QStringLiteral("/dev/ttyUSB0"));
    fake.process(4711, QStringLiteral("minicom"), {QStringLiteral("/dev/ttyUSB0")});
    // Another holder's exclusive lock, as an open port of another program has it.
    QFile held(fake.host(QStringLiteral("/dev/ttyUSB0")));
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);

    const PortDiagnosis d = diagnoseSerialPort(QStringLiteral("/dev/ttyUSB0"), fake.tree());
    EXPECT_EQ(d.problem, P::InUse);
    EXPECT_EQ(d.holders, (std::vector<DeviceHolder>{{4711, "minicom"}}));
}

TEST(PortDiagnosis, ARealTerminalHasNoProblem) {
    // A pseudo-terminal is a terminal like a port.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    EXPECT_EQ(diagnoseSerialPort(slave).problem, P::None);
    ::close(master);
}

TEST(UsbDeviceScan, ListsTheVendorsDevicesWithTheirStringsAndNodes) {
    FakeDeviceTree fake;
    auto device = [&](const QString& name, const char* vendor, const char* product,
                      const char* serial, const char* description, int bus, int address) {
        const QString d = QStringLiteral("/sys/bus/usb/devices/") + name + '/';
        fake.file(d + "idVendor", QByteArray(vendor) + '\n');
        fake.file(d + "idProduct", QByteArray(product) + '\n');
        fake.file(d + "serial", QByteArray(serial) + '\n');
        fake.file(d + "product", QByteArray(description) + '\n');
        fake.file(d + "busnum", QByteArray::number(bus) + '\n');
        fake.file(d + "devnum", QByteArray::number(address) + '\n');
    };
    device("1-2", "0403", "6001", "Vexo-USB", "USB <-> Serial", 1, 7);
    device("1-3", "046d", "c52b", "X", "Receiver", 1, 9);
    device("2-1", "0403", "6015", "KAV00017", "Kavrostanel", 2, 12);
    fake.folder(QStringLiteral("/sys/bus/usb/devices/1-2:1.0")); // an interface, no idVendor

    const std::vector<UsbDeviceEntry> ftdi = listUsbDevices(0x0403, fake.tree());
    ASSERT_EQ(ftdi.size(), 2u);
    EXPECT_EQ(ftdi[0].serialNumber, "Vexo-USB");
    EXPECT_EQ(ftdi[0].description, "USB <-> Serial");
    EXPECT_EQ(ftdi[0].productId, 0x6001);
    EXPECT_EQ(ftdi[0].node, "/dev/bus/usb/001/007");
    EXPECT_EQ(ftdi[1].serialNumber, "KAV00017");
    EXPECT_EQ(ftdi[1].node, "/dev/bus/usb/002/012");
    EXPECT_EQ(listUsbDevices(0, fake.tree()).size(), 3u);
}
