// What the user is told when a serial port or the USB cable cannot be had, and what the port
// dialog says of the cable: the diagnosis turned into the message table's texts.
#include "link/AfComPort.h"
#include "link/DeviceProblemText.h"
#include "link/FtdiVirtual.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "support/FakeDeviceTree.h"
#include "support/FileHelpers.h"
#include "texts/Texts.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumo;
using lumo::test::FakeDeviceTree;
using P = PortDiagnosis::Problem;

namespace {

PortDiagnosis problem(P p) {
    PortDiagnosis d;
    d.problem = p;
    return d;
}

// A kernel listing of one FTDI device at bus 1, address 7.
void plugInSysfs(const FakeDeviceTree& fake, const char* serial) {
    const QString d = QStringLiteral("/sys/bus/usb/devices/1-2/");
    fake.file(d + "idVendor", "0403\n");
    fake.file(d + "idProduct", "6001\n");
    fake.file(d + "serial", QByteArray(serial) + '\n');
    fake.file(d + "product", "USB <-> Serial\n");
    fake.file(d + "busnum", "1\n");
    fake.file(d + "devnum", "7\n");
    fake.file(QStringLiteral("/dev/bus/usb/001/007"));
}

class VirtualFtdi : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    Texts texts;
};

} // namespace

TEST(PortProblemText, EachProblemHasItsTextWithTheFix) {
    const Texts texts;
    const QString port = QStringLiteral("/dev/ttyUSB0");
    EXPECT_TRUE(portDiagnosisText(problem(P::None), port, texts).isEmpty());
    EXPECT_EQ(portDiagnosisText(problem(P::Missing), port, texts), "port /dev/ttyUSB0 neexistuje");
    EXPECT_EQ(portDiagnosisText(problem(P::NotTerminal), port, texts),
              "/dev/ttyUSB0 není sériový port ani terminál");

    PortDiagnosis denied = problem(P::Permission);
    denied.group = QStringLiteral("dialout");
    EXPECT_TRUE(portDiagnosisText(denied, port, texts).contains("skupiny dialout"));
    // A system whose ports belong to another group is told that group.
    denied.group = QStringLiteral("uucp");
    EXPECT_EQ(portDiagnosisText(denied, port, texts),
              "k portu /dev/ttyUSB0 chybí oprávnění: přidejte uživatele do skupiny uucp (sudo "
              "usermod -aG uucp UŽIVATEL) a přihlaste se znovu");

    PortDiagnosis busy = problem(P::InUse);
    EXPECT_EQ(portDiagnosisText(busy, port, texts), "port /dev/ttyUSB0 právě používá jiný program");
    busy.holders = {{4711, "minicom"}, {200, ""}};
    EXPECT_EQ(portDiagnosisText(busy, port, texts),
              "port /dev/ttyUSB0 právě používá program minicom (PID 4711), ? (PID 200)");

    PortDiagnosis other = problem(P::Other);
    other.systemError = 5;
    EXPECT_TRUE(portDiagnosisText(other, port, texts).contains("5"));
}

TEST(PortProblemText, TheActivePackTranslatesIt) {
    Texts texts;
    texts.set(TextSection::MESSAGE, 551, QStringLiteral("port %1 is in use by %2"));
    PortDiagnosis busy = problem(P::InUse);
    busy.holders = {{9, "screen"}};
    EXPECT_EQ(portDiagnosisText(busy, QStringLiteral("/dev/ttyS0"), texts),
              "port /dev/ttyS0 is in use by screen (PID 9)");
}

TEST(UsbDiagnosis, TheKernelListTellsAbsencePermissionAndHolders) {
    using F = UsbDiagnosis::Finding;
    FakeDeviceTree fake;
    EXPECT_EQ(diagnoseUsbDevice(QStringLiteral("Vexo-USB"), fake.tree()).finding, F::Missing);

    plugInSysfs(fake, "Vexo-USB");
    EXPECT_EQ(diagnoseUsbDevice(QStringLiteral("Vexo-USB"), fake.tree()).finding, F::Unopenable);
    EXPECT_EQ(diagnoseUsbDevice(QStringLiteral("KAV00017"), fake.tree()).finding, F::Missing);

    fake.process(77, QStringLiteral("ftdi_eeprom"), {QStringLiteral("/dev/bus/usb/001/007")});
    const UsbDiagnosis held = diagnoseUsbDevice(QStringLiteral("Vexo-USB"), fake.tree());
    EXPECT_EQ(held.finding, F::InUse);
    EXPECT_EQ(held.holders, (std::vector<DeviceHolder>{{77, "ftdi_eeprom"}}));

    fake.denied << QStringLiteral("/dev/bus/usb/001/007");
    EXPECT_EQ(diagnoseUsbDevice(QStringLiteral("Vexo-USB"), fake.tree()).finding, F::Permission);
}

TEST(UsbDiagnosis, OnRealDevicesAMissingRightNamesTheUdevRule) {
    const FtdiBackendKind previous = ftdiBackendKind();
    selectFtdiBackend(FtdiBackendKind::LibFtdi);
    FakeDeviceTree fake;
    plugInSysfs(fake, "Vexo-USB");
    fake.denied << QStringLiteral("/dev/bus/usb/001/007");
    const Texts texts;
    const QString text = usbProblemText(QStringLiteral("Vexo-USB"), texts, fake.tree());
    EXPECT_TRUE(text.contains("60-lumo.rules")) << text.toStdString();
    EXPECT_TRUE(text.contains("plugdev"));
    EXPECT_EQ(usbProblemText(QStringLiteral("KAV1"), texts, fake.tree()),
              "kabel USB KAV1 není připojen");
    selectFtdiBackend(previous);
}

TEST_F(VirtualFtdi, CableStatusNamesTheCableOrSaysNoneIsFound) {
    EXPECT_EQ(usbCableStatusText(QStringLiteral("Vexo-USB"), texts),
              "Kabel USB Vexo-USB nebyl nalezen");

    VirtualFtdiRegistry::instance().plug("KAV00017", "Kavrostanel");
    EXPECT_EQ(usbCableStatusText(QStringLiteral("Vexo-USB"), texts),
              "Kabel USB Vexo-USB nebyl nalezen\nDalší zařízení FTDI: Kavrostanel (KAV00017)");

    VirtualFtdiRegistry::instance().plug("Vexo-USB", "USB <-> Serial");
    EXPECT_EQ(usbCableStatusText(QStringLiteral("Vexo-USB"), texts),
              "Nalezen kabel USB: USB <-> Serial, sériové číslo Vexo-USB\n"
              "Další zařízení FTDI: Kavrostanel (KAV00017)");
}

TEST_F(VirtualFtdi, TheUsbLinkExplainsAFailedOpen) {
    TransferUsbLink link(std::make_unique<UsbCable>(TFT232::Pause{}));
    link.setExplainer([this](const QString& serial) { return usbProblemText(serial, texts); });
    EXPECT_FALSE(link.open(nullptr));
    EXPECT_EQ(link.openProblem(), "kabel USB Vexo-USB není připojen");

    VirtualFtdiRegistry::instance().plug("Vexo-USB", "USB <-> Serial");
    EXPECT_TRUE(link.open(nullptr));
    EXPECT_TRUE(link.openProblem().isEmpty());
}

TEST_F(VirtualFtdi, ABadDeviceFileIsWhyTheCableIsMissing) {
    const QByteArray previousSetting = qgetenv("LUMO_FTDI");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.txt"));
    ASSERT_TRUE(lumo::test::writeFile(path, "Vexo USB\tVexo-USB\n"));
    qputenv("LUMO_FTDI", "virtual:" + path.toLocal8Bit());
    EXPECT_EQ(usbCableStatusText(QStringLiteral("Vexo-USB"), texts),
              "Kabel USB Vexo-USB nebyl nalezen\nLUMO_FTDI: " + path +
                  ", řádek 1: očekává se popis, sériové číslo a cesta k terminálu oddělené "
                  "tabulátory, nalezeno polí: 2");

    // The pack's words, the file's details.
    Texts english;
    english.set(TextSection::MESSAGE, deviceText::kDeviceFileLine,
                QStringLiteral("%1, line %2: %3"));
    english.set(TextSection::MESSAGE, deviceText::kDeviceFileFieldCount,
                QStringLiteral("found %1 field(s)"));
    EXPECT_EQ(usbProblemText(QStringLiteral("Vexo-USB"), english),
              "LUMO_FTDI: " + path + ", line 1: found 2 field(s)");

    qputenv("LUMO_FTDI", "virtual:");
    EXPECT_EQ(usbProblemText(QStringLiteral("Vexo-USB"), texts),
              "LUMO_FTDI=virtual: není uveden soubor se zařízeními");

    // Without a file named the earlier trouble is gone from the explanation.
    qputenv("LUMO_FTDI", "virtual");
    EXPECT_EQ(usbProblemText(QStringLiteral("Vexo-USB"), texts),
              "kabel USB Vexo-USB není připojen");
    EXPECT_TRUE(virtualDeviceFileErrorText(texts).isEmpty());
    if (previousSetting.isNull())
        qunsetenv("LUMO_FTDI");
    else
        qputenv("LUMO_FTDI", previousSetting);
}

TEST(SerialLinkProblem, TheSerialLinkExplainsAFailedOpenWithItsDevice) {
    FakeDeviceTree fake;
    fake.file(QStringLiteral("/dev/ttyUSB0"));
    TAfComPort port;
    port.SetComNumber(3);
    port.SetDevicePath(fake.host(QStringLiteral("/dev/ttyUSB9")));
    TransferSerialLink link(port);
    QString asked;
    link.setExplainer([&](const QString& path) {
        asked = path;
        return QStringLiteral("why");
    });
    QString error;
    EXPECT_FALSE(link.open(&error));
    EXPECT_FALSE(error.isEmpty()); // the component's own text stays as it was
    EXPECT_EQ(asked, fake.host(QStringLiteral("/dev/ttyUSB9")));
    EXPECT_EQ(link.openProblem(), "why");
}
