// Virtual FTDI devices carried by a pseudo-terminal, and the device file of
// LUMO_FTDI=virtual:PATH that describes them.
// Before termios.h, whose TAB1..TAB3 macros would hide the texts' section names.
#include "texts/Texts.h"

#include "link/DeviceProblemText.h"
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
using FileProblem = DeviceFileError::Problem;

TEST(DeviceFile, ReadsTabSeparatedLinesAndSkipsCommentsAndBlankLines) {
    Devices devices;
    DeviceFileError error;
    ASSERT_TRUE(VirtualFtdiRegistry::parseDeviceFile("# boxes for the bench\n"
                                                     "Kavrostanel\tKAV00042\t/tmp/box\r\n"
                                                     "\n"
                                                     "   \n"
                                                     "Vexo USB\tVexo-USB\t/dev/pts/7\n"
                                                     "#Kavrostanel\tKAV1\t/x\n",
                                                     QStringLiteral("devices.txt"), &devices,
                                                     &error))
        << deviceFileErrorText(error, Texts()).toStdString();
    EXPECT_TRUE(error.ok());
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0]->description(), "Kavrostanel");
    EXPECT_EQ(devices[0]->serialNumber(), "KAV00042");
    EXPECT_EQ(devices[0]->terminalPath(), "/tmp/box");
    EXPECT_EQ(devices[1]->description(), "Vexo USB"); // spaces belong to the text
    EXPECT_EQ(devices[1]->terminalPath(), "/dev/pts/7");
}

TEST(DeviceFile, BadLinesAreNamedAndPlugNothing) {
    const Texts czech;
    const struct {
        QByteArray text;
        FileProblem problem;
        int line;
        const char* says; // the whole Czech message
    } cases[] = {
        {"Kavrostanel KAV1 /dev/pts/3\n", FileProblem::FieldCount, 1,
         "f, řádek 1: očekává se popis, sériové číslo a cesta k terminálu oddělené tabulátory, "
         "nalezeno polí: 1"},
        {"# c\nKavrostanel\tKAV1\n", FileProblem::FieldCount, 2,
         "f, řádek 2: očekává se popis, sériové číslo a cesta k terminálu oddělené tabulátory, "
         "nalezeno polí: 2"},
        {"Kavrostanel\tKAV1\t/a\tmore\n", FileProblem::FieldCount, 1,
         "f, řádek 1: očekává se popis, sériové číslo a cesta k terminálu oddělené tabulátory, "
         "nalezeno polí: 4"},
        {"\tKAV1\t/a\n", FileProblem::EmptyDescription, 1, "f, řádek 1: prázdný popis"},
        {"Kavrostanel\t\t/a\n", FileProblem::EmptySerialNumber, 1,
         "f, řádek 1: prázdné sériové číslo"},
        {"Kavrostanel\tKAV0123456789ABCD\t/a\n", FileProblem::SerialNumberTooLong, 1,
         "f, řádek 1: sériové číslo je delší než 15 bajtů"},
        {QByteArray(64, 'D') + "\tKAV1\t/a\n", FileProblem::DescriptionTooLong, 1,
         "f, řádek 1: popis je delší než 63 bajtů"},
        {"Kavrostanel\tKAV1\t \n", FileProblem::EmptyTerminalPath, 1,
         "f, řádek 1: prázdná cesta k terminálu"},
        {"Kavrostanel\tKAV1\t/a\nKavrostanel\tKAV1\t/b\n", FileProblem::SerialNumberTwice, 2,
         "f, řádek 2: sériové číslo KAV1 je uvedeno dvakrát"},
    };
    for (const auto& c : cases) {
        Devices devices;
        DeviceFileError error;
        EXPECT_FALSE(
            VirtualFtdiRegistry::parseDeviceFile(c.text, QStringLiteral("f"), &devices, &error));
        EXPECT_EQ(error.problem, c.problem) << c.says;
        EXPECT_EQ(error.line, c.line) << c.says;
        EXPECT_EQ(deviceFileErrorText(error, czech), QString::fromUtf8(c.says));
        EXPECT_TRUE(devices.empty());
    }

    // The longest allowed fit (a description of 63 bytes, a serial number of 15).
    Devices devices;
    DeviceFileError error;
    EXPECT_TRUE(VirtualFtdiRegistry::parseDeviceFile(
        QByteArray(63, 'D') + "\tKAV0123456789AB\t/a\n", QStringLiteral("f"), &devices, &error));
    EXPECT_EQ(devices.size(), 1u);

    // A file name with a "%" is quoted as it is, not taken for a placeholder.
    EXPECT_FALSE(
        VirtualFtdiRegistry::parseDeviceFile("x\n", QStringLiteral("/tmp/%2%3"), &devices, &error));
    EXPECT_EQ(deviceFileErrorText(error, czech).left(20), "/tmp/%2%3, řádek 1: ");

    auto& registry = VirtualFtdiRegistry::instance();
    registry.unplugAll();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices"));
    EXPECT_FALSE(registry.loadDeviceFile(path, &error));
    EXPECT_EQ(error.problem, FileProblem::Unreadable);
    EXPECT_EQ(deviceFileErrorText(error, czech),
              QStringLiteral("soubor se zařízeními %1 nelze přečíst: soubor neexistuje").arg(path));
    // A folder given as the file is refused, not read as empty.
    EXPECT_FALSE(registry.loadDeviceFile(dir.path(), &error));
    EXPECT_EQ(error.problem, FileProblem::Unreadable);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Kavrostanel\tKAV1\t/a\nbroken\n");
    file.close();
    EXPECT_FALSE(registry.loadDeviceFile(path, &error));
    EXPECT_EQ(error.file, path);
    EXPECT_EQ(error.line, 2);
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
    EXPECT_EQ(VirtualFtdiRegistry::instance().find("KAV9")->lastOpenError().problem,
              FileError::Problem::Missing);
    // The cable's explanation names the terminal and why it would not open.
    EXPECT_EQ(usbProblemText(QStringLiteral("KAV9"), Texts()),
              "zařízení USB KAV9 je připojeno, ale jeho terminál /nonexistent/lumo-pty nelze "
              "otevřít: soubor neexistuje");
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
    EXPECT_TRUE(err.contains(QStringLiteral("LUMO_FTDI: %1, řádek 1: očekává se popis")
                                 .arg(dir.filePath(QStringLiteral("devices.txt")))))
        << err.toStdString();
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
}

} // namespace
} // namespace lumo
