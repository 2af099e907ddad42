// `lumo-cli ports` and `lumo-cli usb` as a script sees them.
#include "test_serial_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

struct CliResult {
    int exitCode = -1;
    QStringList lines;
};

CliResult runCli(const QStringList& args, const QString& folder,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    CliResult r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return r;
}

class DeviceCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test program depends on lumo-cli, so a missing program is a fault of the build.
        ASSERT_TRUE(QFileInfo::exists(QStringLiteral(LUMO_CLI_PATH))) << LUMO_CLI_PATH;
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

TEST_F(DeviceCliTest, PortsListsSixteenPortsThroughConfigIni) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QFile ini(dir.filePath(QStringLiteral("CONFIG.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Ports]\r\nCOM2=" + pty.slavePath().toLocal8Bit() + "\r\nCOM16=/dev/lumo-none\r\n");
    ini.close();

    const CliResult r = runCli({QStringLiteral("ports")}, dir.path());
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.lines.size(), 16);
    EXPECT_EQ(r.lines[1], QStringLiteral("COM2 %1 free").arg(pty.slavePath()));
    EXPECT_EQ(r.lines[15], "COM16 /dev/lumo-none missing");
    EXPECT_TRUE(r.lines[2].startsWith("COM3 /dev/ttyS2 "));
    EXPECT_EQ(runCli({QStringLiteral("ports"), QStringLiteral("extra")}, dir.path()).exitCode, 2);
}

TEST_F(DeviceCliTest, UsbListsNothingWhenTheVirtualRegistryIsEmpty) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMO_FTDI"), QStringLiteral("virtual"));
    const CliResult r = runCli({QStringLiteral("usb")}, dir.path(), env);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.lines.isEmpty());
}

} // namespace
} // namespace lumo
