// The port selection dialog: the USB cable box, the port list and the device behind a port.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "link/LocalLinkSettings.h"
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "params/ParameterModel.h"
#include "support/FakeDeviceTree.h"
#include "support/FileHelpers.h"
#include "texts/Texts.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace lumo;

TEST(TForm5, UsbBoxHidesThePortListAndIsTheLinkChoice) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    QList<bool> changes;
    TForm5 form(linkState, texts, [&changes](bool ticked) { changes << ticked; });
    EXPECT_EQ(form.portGroup()->MaxComPorts(), 16);
    EXPECT_EQ(form.portGroup()->Options(),
              unsigned(pcCheckExist | pcDisableOpen | pcHighlightOpen));
    EXPECT_EQ(form.windowTitle(), "Výběr sériového portu");

    form.usbBox()->click();
    EXPECT_TRUE(linkState.settings.useUsbCable);
    EXPECT_TRUE(form.portGroup()->isHidden());
    form.usbBox()->click();
    EXPECT_FALSE(linkState.settings.useUsbCable);
    EXPECT_FALSE(form.portGroup()->isHidden());
    EXPECT_EQ(changes, (QList<bool>{true, false}));

    // Start-up runs the effects even when the box already shows the choice.
    form.setUsbChosen(false);
    EXPECT_EQ(changes.size(), 3);
}

TEST(TForm5, ThePortNumberIsHeldByTheGroup) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm5 form(linkState, texts, {});
    form.portGroup()->SetPortNumber(5);
    EXPECT_EQ(form.portGroup()->PortNumber(), 5);
    EXPECT_EQ(form.portGroup()->ItemIndex(), 4);
}

TEST(TForm5, SixteenPortsInTwoColumns) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm5 form(linkState, texts, {});
    form.show();
    QRadioButton* first = form.portGroup()->Button(0);
    QRadioButton* eighth = form.portGroup()->Button(7);
    QRadioButton* ninth = form.portGroup()->Button(8);
    ASSERT_TRUE(first && eighth && ninth);
    EXPECT_EQ(ninth->x(), form.portGroup()->Button(15)->x());
    EXPECT_GT(ninth->x(), first->x());
    EXPECT_EQ(eighth->x(), first->x());
    EXPECT_EQ(ninth->y(), first->y());
}

// The device behind the selected COM number: listed from a fake /dev with the mapping in force
// selected, kept only when confirmed, and the cable's status in place of the list.
namespace {

struct DeviceDialog : ::testing::Test {
    QTemporaryDir folder;
    QString previousFolder;
    lumo::test::FakeDeviceTree fake;
    LocalLinkState linkState;
    Texts texts;
    QList<bool> usbChanges;
    std::unique_ptr<TForm5> form;
    FtdiBackendKind previousBackend = FtdiBackendKind::LibFtdi;

    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
        previousBackend = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        fake.link(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5X-if00-port0"),
                  QStringLiteral("../../ttyUSB0"));
        for (const char* node : {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0",
                                 "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"})
            fake.file(QString::fromLatin1(node));
        form = std::make_unique<TForm5>(linkState, texts,
                                        [this](bool ticked) { usbChanges << ticked; });
        form->setDeviceTree(fake.tree());
        // Fake nodes are plain files; every one counts as a free port.
        form->setDeviceProbe([](const QString&) { return SerialAvailability::Free; });
    }
    void TearDown() override {
        form.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previousBackend);
        QDir::setCurrent(previousFolder);
    }
    QStringList listed() const {
        QStringList paths;
        for (int i = 0; i < form->deviceBox()->count(); ++i)
            paths << form->deviceBox()->itemData(i).toString();
        return paths;
    }
    QString selected() const { return form->deviceBox()->currentData().toString(); }
    void choose(const QString& path) {
        const int index = form->deviceBox()->findData(path);
        ASSERT_GE(index, 0) << path.toStdString();
        form->deviceBox()->setCurrentIndex(index);
    }
    // Shows the dialog modally, runs `inside` in it and returns how it ended.
    int run(std::function<void()> inside) {
        QTimer::singleShot(0, form.get(), [inside] { inside(); });
        return form->exec();
    }
};

} // namespace

TEST_F(DeviceDialog, ListsTheDetectedDevicesWithTheMappingInForceSelected) {
    ASSERT_TRUE(
        lumo::test::writeFile(folder.filePath("Config.ini"), "[Ports]\r\nCOM2=/dev/ttyUSB0\r\n"));
    form->portGroup()->SetPortNumber(2);
    form->show();
    const QString byId =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5X-if00-port0");
    EXPECT_EQ(listed(), (QStringList{byId, "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0",
                                     "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
    EXPECT_EQ(selected(), "/dev/ttyUSB0");
    // The stable name says which node it is.
    EXPECT_TRUE(form->deviceBox()->itemText(0).endsWith("/dev/ttyUSB0"));
    EXPECT_EQ(form->statusLabel()->text(), "/dev/ttyUSB0 není sériový port ani terminál");

    // Another port number shows its own device: the default rule where Config.ini has none.
    form->portGroup()->Button(0)->click();
    EXPECT_EQ(selected(), "/dev/ttyS0");
    // A mapped device that is not there is still shown, with why it cannot be used.
    form->portGroup()->Button(5)->click();
    EXPECT_EQ(listed().first(), "/dev/ttyS5");
    EXPECT_EQ(selected(), "/dev/ttyS5");
    EXPECT_EQ(form->statusLabel()->text(), "port /dev/ttyS5 neexistuje");
}

TEST_F(DeviceDialog, AMissingRightIsToldWithTheDialoutHint) {
    fake.denied << QStringLiteral("/dev/ttyUSB1");
    form->setDeviceTree(fake.tree());
    form->portGroup()->SetPortNumber(1);
    form->show();
    choose(QStringLiteral("/dev/ttyUSB1"));
    EXPECT_TRUE(form->statusLabel()->text().contains("/dev/ttyUSB1"));
    EXPECT_TRUE(form->statusLabel()->text().contains("dialout"));
    EXPECT_TRUE(form->statusLabel()->isVisible());
}

TEST_F(DeviceDialog, OkKeepsTheChoicesOfChangedPortsOnly) {
    form->portGroup()->SetPortNumber(1);
    EXPECT_EQ(run([this] {
                  choose(QStringLiteral("/dev/ttyUSB1"));
                  form->portGroup()->Button(2)->click();
                  choose(QStringLiteral("/dev/ttyACM0"));
                  // COM4 chosen and put back: no change.
                  form->portGroup()->Button(3)->click();
                  choose(QStringLiteral("/dev/ttyUSB0"));
                  choose(QStringLiteral("/dev/ttyS3"));
                  // Back on COM1 the choice made there is still shown.
                  form->portGroup()->Button(0)->click();
                  EXPECT_EQ(selected(), "/dev/ttyUSB1");
                  form->okButton()->click();
              }),
              QDialog::Accepted);
    EXPECT_EQ(form->deviceChoices(),
              (std::map<int, QString>{{1, "/dev/ttyUSB1"}, {3, "/dev/ttyACM0"}}));
    EXPECT_EQ(form->portGroup()->PortNumber(), 1);
}

TEST_F(DeviceDialog, StornoPutsBackPortDevicesAndCable) {
    form->portGroup()->SetPortNumber(2);
    EXPECT_EQ(run([this] {
                  form->portGroup()->Button(4)->click();
                  choose(QStringLiteral("/dev/ttyUSB0"));
                  form->usbBox()->click();
                  form->stornoButton()->click();
              }),
              QDialog::Rejected);
    EXPECT_TRUE(form->deviceChoices().empty());
    EXPECT_EQ(form->portGroup()->PortNumber(), 2);
    EXPECT_FALSE(form->usbBox()->isChecked());
    EXPECT_FALSE(linkState.settings.useUsbCable);
    // The cable was opened by the tick and is marked closed again.
    EXPECT_EQ(usbChanges, (QList<bool>{true, false}));

    // The close button keeps what the dialog holds, as the dialog without buttons did.
    run([this] {
        form->portGroup()->Button(4)->click();
        form->close();
    });
    EXPECT_EQ(form->portGroup()->PortNumber(), 5);
}

TEST_F(DeviceDialog, TheCableBoxShowsWhichCableIsFoundInsteadOfThePortList) {
    form->portGroup()->SetPortNumber(1);
    form->show();
    form->usbBox()->click();
    EXPECT_TRUE(form->portGroup()->isHidden());
    EXPECT_TRUE(form->deviceBox()->isHidden());
    EXPECT_TRUE(form->statusLabel()->isVisible());
    EXPECT_EQ(form->statusLabel()->text(), "Kabel USB Vexo-USB nebyl nalezen");

    VirtualFtdiRegistry::instance().plug("Vexo-USB", "USB <-> Serial");
    form->usbBox()->click();
    EXPECT_FALSE(form->deviceBox()->isHidden());
    form->usbBox()->click();
    EXPECT_EQ(form->statusLabel()->text(),
              "Nalezen kabel USB: USB <-> Serial, sériové číslo Vexo-USB");
    // Nothing is cut: the dialog grows for a long status rather than clipping it.
    EXPECT_GE(form->height(), form->layout()->totalHeightForWidth(form->width()));
}
