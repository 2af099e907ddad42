#include "link/DeviceProblemText.h"

#include "link/FT232.h"
#include "link/FtdiApi.h"
#include "platform/UsbDeviceScan.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"
#include <QStringList>

namespace lumo {

namespace {

constexpr quint16 kFtdiVendor = 0x0403;

struct FtdiListed {
    QString serialNumber;
    QString description;
};

// The devices the FTDI layer sees (libftdi1 or the virtual registry).
std::vector<FtdiListed> listFtdi() {
    std::vector<FtdiListed> result;
    if (GetFTDeviceCount() != FT_OK)
        return result;
    for (int i = 0; i < FTDeviceCount(); ++i) {
        FtdiListed d;
        if (GetFTDeviceSerialNo(i) == FT_OK)
            d.serialNumber = FTDeviceText();
        if (GetFTDeviceDescription(i) == FT_OK)
            d.description = FTDeviceText();
        result.push_back(d);
    }
    return result;
}

} // namespace

QString holdersText(const std::vector<DeviceHolder>& holders, const Texts& texts) {
    QStringList parts;
    for (const DeviceHolder& h : holders)
        parts << texts.message(deviceText::kProgram)
                     .arg(h.program.isEmpty() ? QStringLiteral("?") : h.program)
                     .arg(h.pid);
    return parts.join(QStringLiteral(", "));
}

QString portDiagnosisText(const PortDiagnosis& d, const QString& path, const Texts& texts) {
    using P = PortDiagnosis::Problem;
    using namespace messageKey;
    switch (d.problem) {
    case P::None:
        return {};
    case P::Missing:
        return texts.message(kPortMissing).arg(path);
    case P::NotTerminal:
        return texts.message(kPortNotTerminal).arg(path);
    case P::Permission:
        // Debian's serial ports belong to dialout; another owning group is named as it is.
        if (d.group.isEmpty() || d.group == QLatin1String("dialout") ||
            d.group == QLatin1String("root"))
            return texts.message(kPortPermission).arg(path);
        return texts.message(deviceText::kPortPermissionGroup).arg(path, d.group);
    case P::InUse:
        if (d.holders.empty())
            return texts.message(kPortInUse).arg(path);
        return texts.message(deviceText::kPortInUseBy).arg(path, holdersText(d.holders, texts));
    case P::Other:
        break;
    }
    return texts.message(kPortUnknownReason).arg(path).arg(d.systemError);
}

QString serialPortProblemText(const QString& path, const Texts& texts, const DeviceTree& tree) {
    return portDiagnosisText(diagnoseSerialPort(path, tree), path, texts);
}

UsbDiagnosis diagnoseUsbDevice(const QString& serialNumber, const DeviceTree& tree) {
    using F = UsbDiagnosis::Finding;
    UsbDiagnosis d;
    for (const UsbDeviceEntry& e : listUsbDevices(kFtdiVendor, tree)) {
        if (e.serialNumber != serialNumber)
            continue;
        // libusb opens the node under /dev/bus/usb: without the right to it the device can
        // neither be named nor opened.
        if (!tree.accessible(tree.host(e.node))) {
            d.finding = F::Permission;
            return d;
        }
        d.holders = findDeviceHolders(e.node, tree);
        d.finding = d.holders.empty() ? F::Unopenable : F::InUse;
        return d;
    }
    return d;
}

QString usbProblemText(const QString& serialNumber, const Texts& texts, const DeviceTree& tree) {
    using F = UsbDiagnosis::Finding;
    if (ftdiBackendKind() == FtdiBackendKind::Virtual) {
        const std::vector<FtdiListed> listed = listFtdi();
        // Listing loads the device file first, so its error is the current one.
        if (const QString fileError = virtualDeviceFileErrorText(texts); !fileError.isEmpty())
            return fileError;
        for (const FtdiListed& d : listed) {
            if (d.serialNumber != serialNumber)
                continue;
            const auto device = VirtualFtdiRegistry::instance().find(serialNumber.toUtf8());
            if (device && !device->lastOpenError().ok())
                return texts.message(deviceText::kTerminalUnopenable)
                    .arg(serialNumber, device->terminalPath(),
                         fileErrorText(device->lastOpenError(), texts));
            return texts.message(deviceText::kUsbUnopenable).arg(serialNumber);
        }
        return texts.message(deviceText::kUsbMissing).arg(serialNumber);
    }
    const UsbDiagnosis d = diagnoseUsbDevice(serialNumber, tree);
    switch (d.finding) {
    case F::Missing:
        break;
    case F::Permission:
        return texts.message(messageKey::kFtdiPermission);
    case F::InUse:
        return texts.message(deviceText::kUsbInUseBy)
            .arg(serialNumber, holdersText(d.holders, texts));
    case F::Unopenable:
        return texts.message(deviceText::kUsbUnopenable).arg(serialNumber);
    }
    return texts.message(deviceText::kUsbMissing).arg(serialNumber);
}

QString deviceFileErrorText(const DeviceFileError& error, const Texts& texts) {
    using P = DeviceFileError::Problem;
    using namespace deviceText;
    QString problem;
    switch (error.problem) {
    case P::None:
        return {};
    case P::NotNamed:
        return texts.message(kDeviceFileNotNamed);
    case P::Unreadable:
        return texts.message(kDeviceFileUnreadable)
            .arg(error.file, fileErrorText(error.fileError, texts));
    case P::FieldCount:
        problem = texts.message(kDeviceFileFieldCount).arg(error.fields);
        break;
    case P::EmptyDescription:
        problem = texts.message(kDeviceFileNoDescription);
        break;
    case P::DescriptionTooLong:
        problem = texts.message(kDeviceFileLongDescription).arg(error.limit);
        break;
    case P::EmptySerialNumber:
        problem = texts.message(kDeviceFileNoSerialNumber);
        break;
    case P::SerialNumberTooLong:
        problem = texts.message(kDeviceFileLongSerialNumber).arg(error.limit);
        break;
    case P::EmptyTerminalPath:
        problem = texts.message(kDeviceFileNoTerminal);
        break;
    case P::SerialNumberTwice:
        problem = texts.message(kDeviceFileSerialTwice).arg(error.serialNumber);
        break;
    }
    return texts.message(kDeviceFileLine).arg(error.file, QString::number(error.line), problem);
}

QString virtualDeviceFileErrorText(const Texts& texts) {
    const DeviceFileError error = virtualDeviceFileError();
    if (error.ok())
        return {};
    // The bare variable already says itself.
    if (error.problem == DeviceFileError::Problem::NotNamed)
        return deviceFileErrorText(error, texts);
    return texts.message(deviceText::kDeviceFileSetting).arg(deviceFileErrorText(error, texts));
}

QString usbCableStatusText(const QString& serialNumber, const Texts& texts,
                           const DeviceTree& tree) {
    QStringList others;
    QString text;
    for (const FtdiListed& d : listFtdi()) {
        if (d.serialNumber == serialNumber && text.isEmpty())
            text = texts.message(deviceText::kUsbFound).arg(d.description, d.serialNumber);
        else if (!d.serialNumber.isEmpty() || !d.description.isEmpty())
            others << QStringLiteral("%1 (%2)").arg(d.description, d.serialNumber);
    }
    if (text.isEmpty()) {
        text = texts.message(deviceText::kUsbNotFound).arg(serialNumber);
        const QString why = usbProblemText(serialNumber, texts, tree);
        // "not connected" would only repeat the first line.
        if (why != texts.message(deviceText::kUsbMissing).arg(serialNumber))
            text += '\n' + why;
    }
    if (!others.isEmpty())
        text += '\n' + texts.message(deviceText::kOtherFtdi).arg(others.join(QStringLiteral(", ")));
    return text;
}

} // namespace lumo
