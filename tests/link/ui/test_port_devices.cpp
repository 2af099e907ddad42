// The device chosen in the port dialog, as the local link's part keeps it: stored in
// Config.ini's Ports section, opened by the port from then on, kept by the close sequence,
// untouched by Storno, and a port that does not open on it says why at once.
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "platform/AppConfig.h"
#include "support/FakeDeviceTree.h"
#include "support/FileHelpers.h"
#include "support/LocalTransferRig.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
// Last: termios.h defines names (TAB1) that the texts table uses.
#include "link/test_serial_support.h"

namespace lumo {
namespace {

class PortDevices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
        ASSERT_TRUE(createConfig(folder.path(), 1, QStringLiteral("Cesky.lng")));
        for (const char* node : {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"})
            fake.file(QString::fromLatin1(node));
        rig.part.setDeviceTree(fake.tree());
        form().setDeviceProbe([](const QString&) { return SerialAvailability::Free; });
    }
    void TearDown() override {
        setPortDeviceOverride(3, {});
        QDir::setCurrent(previousFolder);
    }
    void onPort(int port) {
        rig.link.settings.comPort = port;
        rig.part.port().SetComNumber(port);
    }

    TForm5& form() { return rig.part.form5(); }
    QByteArray configBytes() const {
        return test::readFile(QDir(folder.path()).filePath("Config.ini"));
    }
    void choose(const QString& path) {
        const int index = form().deviceBox()->findData(path);
        ASSERT_GE(index, 0) << path.toStdString();
        form().deviceBox()->setCurrentIndex(index);
    }
    // Opens the port dialog as the menu does; `inside` runs in it.
    void portDialog(std::function<void()> inside) {
        QTimer::singleShot(0, &form(), [inside] { inside(); });
        rig.part.Nastavenportu1Click();
    }

    QTemporaryDir folder;
    QString previousFolder;
    test::FakeDeviceTree fake;
    test::LocalTransferRig rig;
};

TEST_F(PortDevices, AChosenDeviceIsStoredOpenedAndKeptByTheClose) {
    onPort(2);
    portDialog([this] {
        choose(QStringLiteral("/dev/ttyUSB0"));
        form().okButton()->click();
    });
    const QByteArray stored = configBytes();
    EXPECT_TRUE(stored.contains("[Ports]\r\nCOM2=/dev/ttyUSB0\r\n")) << stored.constData();
    EXPECT_TRUE(stored.contains("[Setup]")); // the rest of the file stays
    // The port opens the stored device from now on, read back from the file.
    EXPECT_EQ(portDevicePath(folder.path(), 2), "/dev/ttyUSB0");
    EXPECT_EQ(rig.part.port().DevicePath(), "/dev/ttyUSB0");
    EXPECT_EQ(rig.part.port().ComNumber(), 2);
    // COM1 keeps the default rule.
    EXPECT_EQ(portDevicePath(folder.path(), 1), "/dev/ttyS0");

    // The close sequence writes Setup again and keeps the mapping.
    ASSERT_TRUE(writeConfigOnClose(folder.path(), false, 2, QStringLiteral("Cesky.lng")));
    EXPECT_EQ(portDevicePath(folder.path(), 2), "/dev/ttyUSB0");

    // The next show selects it as the mapping in force.
    portDialog([this] {
        EXPECT_EQ(form().deviceBox()->currentData().toString(), "/dev/ttyUSB0");
        form().okButton()->click();
    });
    EXPECT_TRUE(rig.messenger.messages.empty());
}

TEST_F(PortDevices, StornoChangesNothing) {
    onPort(1);
    const QByteArray before = configBytes();
    portDialog([this] {
        form().portGroup()->Button(1)->click();
        choose(QStringLiteral("/dev/ttyUSB1"));
        form().usbBox()->click();
        form().stornoButton()->click();
    });
    EXPECT_EQ(configBytes(), before);
    EXPECT_EQ(rig.link.settings.comPort, 1);
    EXPECT_EQ(rig.part.port().ComNumber(), 1);
    EXPECT_FALSE(rig.link.settings.useUsbCable);
    EXPECT_EQ(rig.part.port().DevicePath(), "/dev/ttyS0");
}

TEST_F(PortDevices, AnOpenPortMovesToTheChosenDeviceOrSaysWhyItCannot) {
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_TRUE(
        test::writeFile(QDir(folder.path()).filePath("Config.ini"),
                        configBytes() + "[Ports]\r\nCOM1=" + pty.slavePath().toUtf8() + "\r\n"));
    onPort(1);
    rig.part.port().PortOpen();
    ASSERT_TRUE(rig.part.port().PortIsOpen());

    // The chosen device is closed to this user: the port is reopened on it and the user is
    // told why that failed, with the fix, instead of learning it at the next transfer.
    fake.denied << QStringLiteral("/dev/ttyUSB1");
    rig.part.setDeviceTree(fake.tree());
    portDialog([this] {
        choose(QStringLiteral("/dev/ttyUSB1"));
        form().okButton()->click();
    });
    EXPECT_FALSE(rig.part.port().PortIsOpen());
    ASSERT_EQ(rig.messenger.warnings.size(), 1u);
    const QString& warning = rig.messenger.warnings[0];
    EXPECT_TRUE(warning.startsWith("Chybné číslo portu, prosím nastavte správné\n"))
        << warning.toStdString();
    EXPECT_TRUE(warning.contains("/dev/ttyUSB1"));
    EXPECT_TRUE(warning.contains("dialout"));
}

TEST_F(PortDevices, AConfigThatCannotBeWrittenKeepsTheChoiceForTheRunAndSaysSo) {
    // A folder where Config.ini should be: nothing can be stored there.
    QDir(folder.path()).remove("Config.ini");
    ASSERT_TRUE(QDir(folder.path()).mkdir("Config.ini"));
    onPort(3);
    portDialog([this] {
        choose(QStringLiteral("/dev/ttyUSB0"));
        form().okButton()->click();
    });
    ASSERT_EQ(rig.messenger.warnings.size(), 1u);
    EXPECT_TRUE(rig.messenger.warnings[0].startsWith("Zařízení portu nelze uložit do"))
        << rig.messenger.warnings[0].toStdString();
    EXPECT_EQ(rig.part.port().DevicePath(), "/dev/ttyUSB0");
}

} // namespace
} // namespace lumo
