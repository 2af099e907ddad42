// Virtual FTDI devices carried by a pseudo-terminal, and the device file of
// LUMO_FTDI=virtual:PATH that describes them.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "test_serial_support.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using Devices = std::vector<std::shared_ptr<VirtualFtdiDevice>>;

TEST(DeviceFile, ReadsTabSeparatedLinesAndSkipsCommentsAndBlankLines) {
    Devices devices;
    QString error;
    ASSERT_TRUE(VirtualFtdiRegistry::parseDeviceFile("# boxes for the bench\n"
                                                     "Kavrostanel\tKAV00042\t/tmp/box\r\n"
                                                     "\n"
                                                     "   \n"
                                                     "Vexo USB\tVexo-USB\t/dev/pts/7\n"
                                                     "#Kavrostanel\tKAV1\t/x\n",
                                                     QStringLiteral("devices.txt"), &devices,
                                                     &error))
        << error.toStdString();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0]->description(), "Kavrostanel");
    EXPECT_EQ(devices[0]->serialNumber(), "KAV00042");
    EXPECT_EQ(devices[0]->terminalPath(), "/tmp/box");
    EXPECT_EQ(devices[1]->description(), "Vexo USB"); // spaces belong to the text
    EXPECT_EQ(devices[1]->terminalPath(), "/dev/pts/7");
}

TEST(DeviceFile, BadLinesAreNamedAndPlugNothing) {
    const struct {
        QByteArray text;
        const char* says;
    } cases[] = {
        {"Kavrostanel KAV1 /dev/pts/3\n", "line 1: expected description, serial number and "
                                          "terminal path separated by tabs, found 1 field(s)"},
        {"# c\nKavrostanel\tKAV1\n", "line 2: expected"},
        {"Kavrostanel\tKAV1\t/a\tmore\n", "found 4 field(s)"},
        {"\tKAV1\t/a\n", "line 1: empty description"},
        {"Kavrostanel\t\t/a\n", "empty serial number"},
        {"Kavrostanel\tKAV0123456789ABCD\t/a\n", "serial number longer than 15 bytes"},
        {"Kavrostanel\tKAV1\t \n", "empty terminal path"},
        {"Kavrostanel\tKAV1\t/a\nKavrostanel\tKAV1\t/b\n", "line 2: serial number KAV1 given "
                                                           "twice"},
    };
    for (const auto& c : cases) {
        Devices devices;
        QString error;
        EXPECT_FALSE(
            VirtualFtdiRegistry::parseDeviceFile(c.text, QStringLiteral("f"), &devices, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        EXPECT_TRUE(devices.empty());
    }

    auto& registry = VirtualFtdiRegistry::instance();
    registry.unplugAll();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices"));
    QString error;
    EXPECT_FALSE(registry.loadDeviceFile(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot read the device file")))
        << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Kavrostanel\tKAV1\t/a\nbroken\n");
    file.close();
    EXPECT_FALSE(registry.loadDeviceFile(path, &error));
    EXPECT_TRUE(registry.devices().empty());
}

class TerminalDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        ASSERT_TRUE(pty.ok());
        VirtualFtdiRegistry::instance().plug(
            std::make_shared<VirtualFtdiDevice>("KAV9", "Kavrostanel", pty.slavePath()));
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    // Reads from the device until `count` bytes came (a safety limit, not a measured time).
    static QByteArray readDevice(FT_HANDLE handle, int count) {
        QByteArray got;
        QDeadlineTimer deadline(5000);
        while (got.size() < count && !deadline.hasExpired()) {
            quint32 waiting = 0, tx = 0, events = 0;
            if (FT_GetStatus(handle, &waiting, &tx, &events) != FT_OK)
                break;
            if (waiting == 0) {
                ::usleep(1000);
                continue;
            }
            QByteArray chunk(int(waiting), '\0');
            quint32 n = 0;
            if (FT_Read(handle, chunk.data(), waiting, &n) != FT_OK)
                break;
            got += chunk.left(int(n));
        }
        return got;
    }
    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    testing::PtyPair pty;
};

TEST_F(TerminalDeviceTest, CarriesRawBytesBothWaysAndOnlyRecordsTheLineSettings) {
    // Start from a cooked terminal (echo, CR/LF translation, lines): opening makes it raw.
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios cooked{};
    ASSERT_EQ(tcgetattr(fd, &cooked), 0);
    cooked.c_iflag |= ICRNL;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &cooked), 0);
    ::close(fd);

    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx("KAV9", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
    EXPECT_EQ(FT_SetBitMode(handle, 0, 0), FT_OK);
    EXPECT_EQ(FT_SetDtr(handle), FT_OK);
    EXPECT_EQ(FT_ClrRts(handle), FT_OK);
    EXPECT_EQ(FT_SetBaudRate(handle, 9600), FT_OK);
    auto device = VirtualFtdiRegistry::instance().find("KAV9");
    EXPECT_TRUE(device->dtr());
    EXPECT_FALSE(device->rts());
    EXPECT_EQ(device->baudRate(), 9600u);

    // No line discipline in either direction: CR, LF and every byte value pass unchanged.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QByteArray command = "AT@RESET\r\n" + all;
    quint32 written = 0;
    ASSERT_EQ(FT_Write(handle, command.constData(), quint32(command.size()), &written), FT_OK);
    EXPECT_EQ(written, quint32(command.size()));
    EXPECT_EQ(pty.read(command.size()), command);

    pty.write("RESET\r\n\rOK\n" + all);
    EXPECT_EQ(readDevice(handle, 11 + 256), "RESET\r\n\rOK\n" + all);
    FT_Close(handle);
}

TEST_F(TerminalDeviceTest, AGoneTerminalFailsLikeAnUnpluggedDevice) {
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx("KAV9", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_OpenEx("KAV9", FT_OPEN_BY_SERIAL_NUMBER, &second), FT_DEVICE_NOT_OPENED);
    pty.write("OK\r\n");
    EXPECT_EQ(readDevice(handle, 4), "OK\r\n");
    pty.closeMaster();
    quint32 waiting = 0, tx = 0, events = 0;
    EXPECT_NE(FT_GetStatus(handle, &waiting, &tx, &events), FT_OK);
    char byte = 0;
    quint32 n = 0;
    EXPECT_NE(FT_Read(handle, &byte, 1, &n), FT_OK);
    FT_Close(handle);

    VirtualFtdiRegistry::instance().plug(
        std::make_shared<VirtualFtdiDevice>("KAV9", "Kavrostanel", "/nonexistent/lumo-pty"));
    EXPECT_EQ(FT_OpenEx("KAV9", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_OPENED);
    EXPECT_TRUE(VirtualFtdiRegistry::instance().find("KAV9")->lastOpenError().contains(
        QStringLiteral("/nonexistent/lumo-pty")));
}

// The environment variable as a separate program sees it.
class DeviceFileCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(QStringLiteral(LUMO_CLI_PATH)))
            GTEST_SKIP() << "lumo-cli not built";
        ASSERT_TRUE(dir.isValid());
    }
    QProcess& run(const QByteArray& fileText) {
        const QString path = dir.filePath(QStringLiteral("devices.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(fileText);
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUMO_FTDI"), QStringLiteral("virtual:") + path);
        process.setWorkingDirectory(dir.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LUMO_CLI_PATH), {QStringLiteral("usb")});
        EXPECT_TRUE(process.waitForFinished(30000));
        return process;
    }
    QTemporaryDir dir;
    QProcess process;
};

TEST_F(DeviceFileCliTest, ListsTheFilesDevicesOrSaysWhichLineIsBad) {
    QProcess& good =
        run("# line boxes\nKavrostanel\tKAV00001\t/dev/null\nVexo USB\tVexo-USB\t/x\n");
    EXPECT_EQ(good.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(good.readAllStandardOutput()),
              "0\tKAV00001\tKavrostanel\n1\tVexo-USB\tVexo USB\n");
}

TEST_F(DeviceFileCliTest, SaysWhenNoDeviceIsFound) {
    QProcess& none = run("# nothing attached\n");
    EXPECT_EQ(none.exitCode(), 0);
    EXPECT_TRUE(none.readAllStandardOutput().isEmpty());
    EXPECT_EQ(QString::fromUtf8(none.readAllStandardError()),
              "Nebylo nalezeno žádné zařízení FTDI\n");
}

TEST_F(DeviceFileCliTest, BadFileFailsWithItsReason) {
    QProcess& bad = run("Kavrostanel\tKAV00001\n");
    EXPECT_EQ(bad.exitCode(), 1);
    const QString err = QString::fromUtf8(bad.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("devices.txt, line 1: expected description")))
        << err.toStdString();
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
}

} // namespace
} // namespace lumo
