// Checks against real devices. They skip unless the environment names the device:
//   LUMO_TEST_UNIT_PORT   a port with a unit attached (COM number, device path, or "usb")
//   LUMO_TEST_FTDI_SERIAL the serial number of an FTDI device plugged in (e.g. Vexo-USB)
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString runCli(const QStringList& args, int* status) {
    QProcess p;
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    p.waitForFinished(120000);
    *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()) +
           QString::fromUtf8(p.readAllStandardError());
}

} // namespace

TEST(Hardware, StatusAndSettingsReadFromAnAttachedUnit) {
    const QString port = qEnvironmentVariable("LUMO_TEST_UNIT_PORT");
    if (port.isEmpty())
        GTEST_SKIP() << "LUMO_TEST_UNIT_PORT names no port with a unit";
    int status = -1;
    const QString statusOut =
        runCli({QStringLiteral("status"), QStringLiteral("--port"), port}, &status);
    ASSERT_EQ(status, 0) << qPrintable(statusOut);
    EXPECT_TRUE(statusOut.contains(QStringLiteral("Firmware: "))) << qPrintable(statusOut);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("unit.json"));
    const QString readOut = runCli(
        {QStringLiteral("read"), QStringLiteral("settings"), QStringLiteral("--port"), port, out},
        &status);
    EXPECT_EQ(status, 0) << qPrintable(readOut);
}

TEST(Hardware, TheFtdiDeviceIsListed) {
    const QString serial = qEnvironmentVariable("LUMO_TEST_FTDI_SERIAL");
    if (serial.isEmpty())
        GTEST_SKIP() << "LUMO_TEST_FTDI_SERIAL names no plugged-in FTDI device";
    int status = -1;
    const QString out = runCli({QStringLiteral("usb")}, &status);
    ASSERT_EQ(status, 0) << qPrintable(out);
    EXPECT_TRUE(out.contains(QLatin1Char('\t') + serial + QLatin1Char('\t'))) << qPrintable(out);
}
