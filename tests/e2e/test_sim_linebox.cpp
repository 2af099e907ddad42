// lumo-sim serving a line box (and the USB cable) on pseudo-terminals, reached by the programs
// of the tree through LUMO_FTDI=virtual:PATH. Real time, with generous safety limits only.
#include "link/FtdiApi.h"
#include "sim/VirtualUnit.h"
#include "support/ServedSim.h"
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using lumo::test::CliRun;
using lumo::test::ServedSim;

QString writeDeviceFile(const QTemporaryDir& dir, const QByteArray& lines) {
    const QString path = dir.filePath(QStringLiteral("devices.txt"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(lines);
    return path;
}

CliRun cli(const QStringList& args, const QString& deviceFile) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMO_FTDI"), QStringLiteral("virtual:") + deviceFile);
    return lumo::test::runCli(args, env);
}

// The box through the FTDI calls of this process, as the remote procedures use them.
class BoxLine {
public:
    explicit BoxLine(const QByteArray& serial) {
        m_status = lumo::FT_OpenEx(serial.constData(), lumo::FT_OPEN_BY_SERIAL_NUMBER, &m_handle);
    }
    ~BoxLine() {
        if (m_handle)
            lumo::FT_Close(m_handle);
    }
    bool ok() const { return m_status == lumo::FT_OK; }
    // Sends a command and collects what comes back within `ms` (or until a full line when
    // `line` is set).
    QByteArray say(const QByteArray& command, int ms = 3000, bool line = true) {
        const QByteArray bytes = command + "\r\n";
        quint32 written = 0;
        if (lumo::FT_Write(m_handle, bytes.constData(), quint32(bytes.size()), &written) !=
            lumo::FT_OK)
            return "<write failed>";
        return listen(ms, line);
    }
    QByteArray listen(int ms, bool line = true) {
        QByteArray got;
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && !(line && got.endsWith("\r\n"))) {
            char buffer[256];
            quint32 n = 0;
            if (lumo::FT_Read(m_handle, buffer, sizeof buffer, &n) != lumo::FT_OK)
                return got + "<read failed>";
            if (n > 0)
                got.append(buffer, int(n));
            else
                QThread::msleep(5);
        }
        return got;
    }

private:
    lumo::FT_HANDLE m_handle = nullptr;
    lumo::FT_STATUS m_status = lumo::FT_DEVICE_NOT_FOUND;
};

class SimLineBox : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(QStringLiteral(LUMO_SIM_PATH)) ||
            !QFileInfo::exists(QStringLiteral(LUMO_CLI_PATH)))
            GTEST_SKIP() << "programs not built";
        ASSERT_TRUE(dir.isValid());
        link = dir.filePath(QStringLiteral("box"));
        memory = dir.filePath(QStringLiteral("unit.img"));
    }
    QTemporaryDir dir;
    QString link;
    QString memory;
};

TEST_F(SimLineBox, AProgramConnectsLogsInAndWritesThroughTheServedBox) {
    ServedSim sim({QStringLiteral("linebox"), QStringLiteral("--pty-link"), link,
                   QStringLiteral("--memory"), memory});
    ASSERT_EQ(sim.printed(), link);
    const QString devices =
        writeDeviceFile(dir, "# the served box\nKavrostanel\tKAV00001\t" + link.toUtf8() + "\n");

    const CliRun usb = cli({QStringLiteral("usb")}, devices);
    EXPECT_EQ(usb.status, 0) << usb.err.toStdString();
    EXPECT_EQ(usb.out, "0\tKAV00001\tKavrostanel\n");

    // This test program is the host: the same environment, the same FTDI calls.
    qputenv("LUMO_FTDI", (QStringLiteral("virtual:") + devices).toUtf8());
    ASSERT_EQ(lumo::ftdiBackendFromEnvironment(), lumo::FtdiBackendKind::Virtual);
    lumo::selectFtdiBackend(lumo::FtdiBackendKind::Virtual);
    BoxLine box("KAV00001");
    ASSERT_TRUE(box.ok());
    EXPECT_EQ(box.say("AT@RESET"), "RESET\r\n");
    EXPECT_EQ(box.say("AT@DEFAULT"), "OK\r\n");
    EXPECT_EQ(box.say("AT@NORM"), "OK\r\n");
    EXPECT_EQ(box.say("ATA"), "OK\r\n");
    EXPECT_EQ(box.say("ATDE603123456"), "OK\r\n");
    EXPECT_EQ(box.say("ATDEA"), "OK\r\n");
    EXPECT_EQ(box.say("AT@RECE"), "OK\r\n");
    QThread::msleep(600);
    EXPECT_EQ(box.say("AT@RECN"), "BOK\r\n");
    EXPECT_EQ(box.say("ATDE#7850"), "OK\r\n");
    EXPECT_EQ(box.say("ATDE8*5"), "OK\r\n");
    EXPECT_EQ(box.say("AT@RECE"), "OK\r\n");
    QThread::msleep(600);
    EXPECT_EQ(box.say("AT@RECN"), "BOK\r\n");

    // A settings block in two recorded halves.
    EXPECT_EQ(box.say("ATDE8*#1"), "OK\r\n");
    EXPECT_EQ(box.say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(box.listen(5000), "FULL\r\n");
    const QByteArray first = box.say("AT@RECN");
    EXPECT_EQ(box.say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(box.listen(5000), "FULL\r\n");
    const QByteArray second = box.say("AT@RECN");
    ASSERT_EQ(first.size(), 20);
    ASSERT_EQ(second.size(), 20);
    // Block 1 starts at position 17: hang-up code 1 "55" is 5, 5 -> "5D5D".
    EXPECT_EQ(first.left(4), "5D5D");

    // A split memory entry, as the write procedure sends it.
    EXPECT_EQ(box.say("ATDE2011234567890"), "OK\r\n");
    QThread::msleep(300);
    EXPECT_EQ(box.say("ATDE12*0"), "OK\r\n");
    QThread::msleep(1200);
    EXPECT_EQ(box.say("ATH"), "OK\r\n");

    lumo::sim::VirtualUnit saved;
    ASSERT_TRUE(saved.load(memory));
    EXPECT_EQ(saved.numberMemory(64),
              QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x01\x02\x0D\xFF\xFF\xFF", 16));
}

TEST_F(SimLineBox, FaultsFromTheCommandLineReachTheHost) {
    ServedSim sim({QStringLiteral("linebox"), QStringLiteral("--pty-link"), link,
                   QStringLiteral("--err-every"), QStringLiteral("2"),
                   QStringLiteral("--vanish-after"), QStringLiteral("4"),
                   QStringLiteral("--split-replies"), QStringLiteral("2")});
    ASSERT_EQ(sim.printed(), link);
    const QString devices = writeDeviceFile(dir, "Kavrostanel\tKAV7\t" + link.toUtf8() + "\n");
    qputenv("LUMO_FTDI", (QStringLiteral("virtual:") + devices).toUtf8());
    lumo::selectFtdiBackend(lumo::FtdiBackendKind::Virtual);
    BoxLine box("KAV7");
    ASSERT_TRUE(box.ok());
    EXPECT_EQ(box.say("AT@RESET"), "RESET\r\n"); // in pieces, put together again
    EXPECT_EQ(box.say("AT"), "ERR\r\n");
    EXPECT_EQ(box.say("AT"), "OK\r\n");
    // The 4th command is the last: the box is gone, its terminal with it.
    EXPECT_TRUE(box.say("AT", 2000).endsWith("<read failed>"));
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST_F(SimLineBox, TheServedUnitIsTheUsbCableThroughADeviceFile) {
    ServedSim sim({QStringLiteral("unit"), QStringLiteral("--pty-link"), link});
    ASSERT_EQ(sim.printed(), link);
    const QString devices = writeDeviceFile(dir, "Vexo USB\tVexo-USB\t" + link.toUtf8() + "\n");
    const QString json = dir.filePath(QStringLiteral("read.json"));
    const CliRun read = cli({QStringLiteral("read"), QStringLiteral("settings"),
                             QStringLiteral("--port"), QStringLiteral("usb"), json},
                            devices);
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    QFile file(json);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"Edit144\": \"7850\"")); // the unit's password
}

} // namespace
