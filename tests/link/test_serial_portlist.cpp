// The port list: captions, availability of real devices through the naming rule, and how the
// options show each availability.
#include "link/AfComPort.h"
#include "link/AfPortControls.h"
#include "test_serial_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace lumo {
namespace {

using testing::PtyPair;

// Runs the test in a working folder whose Config.ini maps COM ports to devices.
class PortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = QDir::currentPath();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(pty.ok());
        QFile ini(dir.filePath(QStringLiteral("Config.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Ports]\r\nCOM1=" + pty.slavePath().toLocal8Bit() +
                  "\r\nCOM2=/dev/lumo-missing\r\nCOM3=" + pty.slavePath().toLocal8Bit() + "\r\n");
        ini.close();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }

    QString previous;
    QTemporaryDir dir;
    PtyPair pty;
};

TEST_F(PortListTest, AvailabilityFollowsTheDevice) {
    EXPECT_EQ(PortAvailability(1), SerialAvailability::Free);
    EXPECT_EQ(PortAvailability(2), SerialAvailability::Missing);

    // Held by the program's own component: in use, for every user (root included).
    TAfComPort port;
    port.SetComNumber(1);
    port.PortOpen();
    ASSERT_TRUE(port.PortIsOpen());
    EXPECT_EQ(port.DevicePath(), pty.slavePath());
    EXPECT_EQ(PortAvailability(1), SerialAvailability::InUse);
    EXPECT_EQ(PortAvailability(3), SerialAvailability::InUse); // same device, other number
    port.PortClose();
    EXPECT_EQ(PortAvailability(1), SerialAvailability::Free);

    // Held by another holder's lock.
    const int other = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(PortAvailability(1), SerialAvailability::InUse);
    ::close(other);
}

TEST_F(PortListTest, NoPermissionIsInUseNotMissing) {
    // A device file that exists but cannot be opened: never reported as missing.
    const QString path = dir.filePath(QStringLiteral("locked"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    f.setPermissions(QFileDevice::Permissions());
    // Not a terminal (and, for ordinary users, not readable): it exists, so in use.
    EXPECT_EQ(SerialFile::probe(path), SerialAvailability::InUse);
    TAfComPort port;
    port.SetComNumber(5);
    port.SetDevicePath(path);
    try {
        port.PortOpen();
        FAIL() << "opened a file that is no port";
    } catch (const EAfComPortCoreError& e) {
        EXPECT_EQ(e.Message(), "Can't open device COM5");
    }
}

TEST(PortListItems, CaptionsUseTheAcceleratorBelowTen) {
    const auto items =
        BuildPortItems(12, pcCheckExist, [](int) { return SerialAvailability::Free; });
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0].caption, "COM &1");
    EXPECT_EQ(items[8].caption, "COM &9");
    EXPECT_EQ(items[9].caption, "COM 10");
    EXPECT_EQ(items[11].caption, "COM 12");
    EXPECT_EQ(items[11].port, 12);
    EXPECT_TRUE(
        BuildPortItems(0, pcCheckExist, [](int) { return SerialAvailability::Free; }).empty());
}

TEST(PortListItems, OptionsDecideHowEachAvailabilityShows) {
    auto source = [](int port) {
        return port == 1 ? SerialAvailability::Free
                         : (port == 2 ? SerialAvailability::Missing : SerialAvailability::InUse);
    };
    struct Case {
        TAfPortCtlOptions options;
        bool missingEnabled, inUseEnabled, inUseGrey;
    };
    const Case cases[] = {
        {0, true, true, false},
        {pcCheckExist, false, true, false},
        {pcHighlightOpen, true, true, true},
        {pcCheckExist | pcDisableOpen | pcHighlightOpen, false, false, false},
        {pcDisableOpen, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const auto items = BuildPortItems(3, c.options, source);
        EXPECT_TRUE(items[0].enabled);
        EXPECT_FALSE(items[0].grey);
        EXPECT_EQ(items[1].enabled, c.missingEnabled);
        EXPECT_FALSE(items[1].grey);
        EXPECT_EQ(items[2].enabled, c.inUseEnabled);
        EXPECT_EQ(items[2].grey, c.inUseGrey);
    }
}

} // namespace
} // namespace lumo
