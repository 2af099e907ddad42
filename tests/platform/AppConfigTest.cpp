#include "platform/AppConfig.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

class AppConfigTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.path(); }
    QString configFile() const { return m_dir.filePath("Config.ini"); }
    void writeConfig(const QByteArray& bytes, const QString& name = QStringLiteral("Config.ini")) {
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(AppConfigTest, MissingFileGivesDefaults) {
    const AppConfig config = readConfig(folder());
    EXPECT_FALSE(config.existed);
    EXPECT_EQ(config.com, 1);
    EXPECT_FALSE(config.usb);
    EXPECT_EQ(config.lang, "Cesky.lng");
    EXPECT_EQ(config.closePort, "0");
    EXPECT_EQ(config.timeOutRS, 10);
}

TEST_F(AppConfigTest, FirstRunFileIsByteExact) {
    ASSERT_TRUE(createConfig(folder(), 1, folder() + "/Cesky.lng"));
    EXPECT_EQ(readFile(configFile()),
              readFile(QStringLiteral(LUMO_TEST_DATA_DIR "/platform/Config_first_run.ini")));
    const AppConfig config = readConfig(folder());
    EXPECT_TRUE(config.existed);
    EXPECT_EQ(config.com, 1);
    EXPECT_EQ(config.lang, "Cesky.lng");
}

TEST_F(AppConfigTest, ReadsHandEditedValuesCaseInsensitively) {
    writeConfig("[setup]\r\nusb=1\r\ncom=4\r\nLANG=English.lng\r\nClosePort=1\r\nTimeOutRS=25\r\n",
                "CONFIG.INI");
    const AppConfig config = readConfig(folder());
    EXPECT_TRUE(config.existed);
    EXPECT_TRUE(config.usb);
    EXPECT_EQ(config.com, 4);
    EXPECT_EQ(config.lang, "English.lng");
    EXPECT_EQ(config.closePort, "1");
    EXPECT_EQ(config.timeOutRS, 25);
}

TEST_F(AppConfigTest, UnusableValuesFallBackToDefaults) {
    writeConfig("[Setup]\nCOM=abc\nUSB=2\nLang=\nTimeOutRS=0\n");
    AppConfig config = readConfig(folder());
    EXPECT_EQ(config.com, 1);
    EXPECT_FALSE(config.usb);
    EXPECT_EQ(config.lang, "Cesky.lng");
    EXPECT_EQ(config.timeOutRS, 10);

    writeConfig("[Setup]\nTimeOutRS=-3\nLang=../../etc/x.lng\n");
    config = readConfig(folder());
    EXPECT_EQ(config.timeOutRS, 10);
    EXPECT_EQ(config.lang, "Cesky.lng");

    writeConfig(QByteArray("[Setup]\nLang=a\x01z.lng\n", 22));
    EXPECT_EQ(readConfig(folder()).lang, "Cesky.lng");
}

TEST_F(AppConfigTest, CloseKeepsHandEditedKeysAndPorts) {
    const QByteArray before = "[Setup]\r\n"
                              "USB=0\r\n"
                              "COM=1\r\n"
                              "Lang=Cesky.lng\r\n"
                              "ClosePort=1\r\n"
                              "TimeOutRS=30\r\n"
                              "; my note\r\n"
                              "\r\n"
                              "[Ports]\r\n"
                              "COM3=/dev/ttyUSB0\r\n";
    writeConfig(before);
    ASSERT_TRUE(writeConfigOnClose(folder(), true, 3, "/somewhere/English.lng"));
    const QByteArray after = readFile(configFile());
    EXPECT_TRUE(
        after.startsWith("[Setup]\r\nUSB=1\r\nCOM=3\r\nLang=English.lng\r\nClosePort=1\r\n"
                         "TimeOutRS=30\r\n; my note\r\n\r\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\n"))
        << after.constData();
    const AppConfig config = readConfig(folder());
    EXPECT_TRUE(config.usb);
    EXPECT_EQ(config.com, 3);
    EXPECT_EQ(config.lang, "English.lng");
    EXPECT_EQ(config.closePort, "1");
    EXPECT_EQ(config.timeOutRS, 30);
    IniFile ini(configFile());
    EXPECT_EQ(ini.readString("Info", "ClosePort"), config::kInfoClosePort);
    EXPECT_EQ(ini.readString("Info", "TimeOutRS"), config::kInfoTimeOutRS);
    EXPECT_EQ(ini.readString("-", "-"), "-");
    EXPECT_EQ(portDevicePath(folder(), 3), "/dev/ttyUSB0");
}

TEST_F(AppConfigTest, BackupSwitchesAreOnUnlessAZeroTurnsThemOffAndSurviveTheClose) {
    EXPECT_TRUE(readConfig(folder()).backup);
    EXPECT_TRUE(readConfig(folder()).backupBeforeWrite);
    writeConfig("[Setup]\r\nBackup=yes\r\nBackupBeforeWrite=2\r\n");
    EXPECT_TRUE(readConfig(folder()).backup);
    EXPECT_TRUE(readConfig(folder()).backupBeforeWrite);

    writeConfig("[Setup]\r\nCOM=1\r\nBackup=0\r\nBackupBeforeWrite=0\r\n");
    AppConfig config = readConfig(folder());
    EXPECT_FALSE(config.backup);
    EXPECT_FALSE(config.backupBeforeWrite);
    // Hand-edited like ClosePort: the close writes its own keys and leaves these.
    ASSERT_TRUE(writeConfigOnClose(folder(), false, 2, "Cesky.lng"));
    config = readConfig(folder());
    EXPECT_EQ(config.com, 2);
    EXPECT_FALSE(config.backup);
    EXPECT_FALSE(config.backupBeforeWrite);
}

TEST_F(AppConfigTest, CloseOverFirstRunFileChangesOnlySetupValues) {
    ASSERT_TRUE(createConfig(folder(), 1, "Cesky.lng"));
    QByteArray expected = readFile(configFile());
    ASSERT_TRUE(writeConfigOnClose(folder(), false, 2, "Deutsch.lng"));
    expected.replace("COM=1", "COM=2").replace("Lang=Cesky.lng", "Lang=Deutsch.lng");
    EXPECT_EQ(readFile(configFile()), expected);
}

TEST_F(AppConfigTest, GarbageFileDoesNotCrashAndIsReadableAfterClose) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>((i * 131 + 7) % 256));
    writeConfig(junk);
    const AppConfig config = readConfig(folder());
    EXPECT_TRUE(config.existed);
    EXPECT_EQ(config.timeOutRS, 10);
    EXPECT_GT(config.timeOutRS, 0);

    ASSERT_TRUE(writeConfigOnClose(folder(), true, 7, "Cesky.lng"));
    const QByteArray after = readFile(configFile());
    for (const char ch : after) {
        const auto byte = static_cast<unsigned char>(ch);
        EXPECT_TRUE(byte >= 0x20 || byte == '\r' || byte == '\n' || byte == '\t')
            << "control byte " << int(byte) << " left in the file";
    }
    const AppConfig reread = readConfig(folder());
    EXPECT_TRUE(reread.usb);
    EXPECT_EQ(reread.com, 7);
    EXPECT_EQ(reread.lang, "Cesky.lng");
}

TEST_F(AppConfigTest, CloseWritesIntoExistingFileOfOtherCase) {
    writeConfig("[Setup]\nCOM=2\n", "config.INI");
    ASSERT_TRUE(writeConfigOnClose(folder(), false, 5, "Cesky.lng"));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList({"config.INI"}));
    EXPECT_EQ(readConfig(folder()).com, 5);
}

TEST_F(AppConfigTest, PortDevicePathDefaultsAndOverrides) {
    EXPECT_EQ(portDevicePath(folder(), 1), "/dev/ttyS0");
    EXPECT_EQ(portDevicePath(folder(), 12), "/dev/ttyS11");
    EXPECT_EQ(portDevicePath(folder(), 0), "");
    writeConfig("[ports]\ncom2 = /dev/pts/7\nCOM4=\n");
    EXPECT_EQ(portDevicePath(folder(), 2), "/dev/pts/7");
    EXPECT_EQ(portDevicePath(folder(), 4), "/dev/ttyS3"); // empty value: default
}

TEST_F(AppConfigTest, StoringAPortDeviceChangesOnlyItsLine) {
    const QByteArray before = "; mine\n[Setup]\nCOM=2\nClosePort=1\n[Ports]\nCOM2=/dev/ttyS1\n";
    writeConfig(before);
    ASSERT_TRUE(storePortDevicePath(folder(), 2, QStringLiteral("/dev/ttyUSB0")));
    EXPECT_EQ(readFile(configFile()),
              "; mine\n[Setup]\nCOM=2\nClosePort=1\n[Ports]\nCOM2=/dev/ttyUSB0\n");
    ASSERT_TRUE(storePortDevicePath(folder(), 10, QStringLiteral("/dev/ttyACM0")));
    EXPECT_EQ(portDevicePath(folder(), 10), "/dev/ttyACM0");
    EXPECT_EQ(portDevicePath(folder(), 2), "/dev/ttyUSB0");

    // A path the file cannot hold would come back as another device: refused, file untouched.
    const QByteArray stored = readFile(configFile());
    FileError error;
    EXPECT_FALSE(
        storePortDevicePath(folder(), 3, QStringLiteral("/dev/serial/by-id/\u4e2d"), &error));
    EXPECT_FALSE(error.ok());
    EXPECT_FALSE(storePortDevicePath(folder(), 0, QStringLiteral("/dev/ttyS0")));
    EXPECT_EQ(readFile(configFile()), stored);
}

TEST_F(AppConfigTest, StoringAPortDeviceStartsAMissingFileAndLeavesAnUnreadableOne) {
    ASSERT_TRUE(storePortDevicePath(folder(), 1, QStringLiteral("/dev/ttyUSB1")));
    EXPECT_EQ(portDevicePath(folder(), 1), "/dev/ttyUSB1");
    // The first-start defaults still apply to everything else.
    EXPECT_EQ(readConfig(folder()).com, 1);

    QFile::remove(configFile());
    ASSERT_TRUE(QDir(folder()).mkdir("Config.ini"));
    FileError error;
    EXPECT_FALSE(storePortDevicePath(folder(), 1, QStringLiteral("/dev/ttyUSB1"), &error));
    EXPECT_EQ(error.problem, FileError::Problem::Folder);
}

TEST_F(AppConfigTest, VerifyIsKeptOnlyWhenOnOrAlreadyThere) {
    ASSERT_TRUE(createConfig(folder(), 1, "Cesky.lng"));
    const QByteArray first = readFile(configFile());
    EXPECT_FALSE(readConfig(folder()).verify);
    // Off in a file that never had it: the file stays as it was.
    ASSERT_TRUE(writeConfigOnClose(folder(), false, 1, "Cesky.lng", nullptr, false));
    EXPECT_EQ(readFile(configFile()), first);

    ASSERT_TRUE(writeConfigOnClose(folder(), false, 1, "Cesky.lng", nullptr, true));
    EXPECT_TRUE(readFile(configFile()).contains("\r\nVerify=1\r\n"));
    EXPECT_TRUE(readConfig(folder()).verify);
    // Switched off again: the key says so.
    ASSERT_TRUE(writeConfigOnClose(folder(), false, 1, "Cesky.lng", nullptr, false));
    EXPECT_TRUE(readFile(configFile()).contains("\r\nVerify=0\r\n"));
    EXPECT_FALSE(readConfig(folder()).verify);

    writeConfig("[Setup]\r\nVerify=yes\r\n");
    EXPECT_FALSE(readConfig(folder()).verify) << "only 1 turns it on";
}

} // namespace
} // namespace lumo
