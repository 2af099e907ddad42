// Device diagnostics: the COM ports with their devices and availability, and the FTDI devices.
//   lumo-cli ports   one line per COM port 1..16: "COM<n> <device path> free|missing|in use"
//   lumo-cli usb     one line per FTDI device: index, serial number, description, tab-separated
// Both honour the Ports section of Config.ini in the working folder; `usb` lists the virtual
// device registry instead of real devices when LUMO_FTDI=virtual (or virtual:PATH).
#include "cli/CommandTable.h"
#include "link/AfPortControls.h"
#include "link/AfUtils.h"
#include "link/DeviceProblemText.h"
#include "link/FT232.h"
#include "platform/AppConfig.h"
#include "platform/WorkingFolder.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"

namespace lumo::cli {

namespace {

constexpr int kListedPorts = 16;

QString availabilityText(SerialAvailability a) {
    switch (a) {
    case SerialAvailability::Free:
        return QStringLiteral("free");
    case SerialAvailability::Missing:
        return QStringLiteral("missing");
    case SerialAvailability::InUse:
        break;
    }
    return QStringLiteral("in use");
}

int runPorts(const QStringList& args) {
    if (!args.isEmpty())
        return usage(QStringLiteral("ports"));
    // An unreadable Config.ini means the default devices below; say so.
    const AppConfig config = readConfig(workingFolder::current());
    if (!config.loadError.ok())
        printErr(activeTexts()
                     .message(messageKey::kConfigUnreadable)
                     .arg(config::configPath(workingFolder::current()),
                          fileErrorText(config.loadError, activeTexts())));
    for (int n = 1; n <= kListedPorts; ++n) {
        const QString path = comPortDevicePath(n);
        printOut(QStringLiteral("COM%1 %2 %3")
                     .arg(n)
                     .arg(path, availabilityText(SerialFile::probe(path))));
    }
    return Success;
}

int runUsb(const QStringList& args) {
    if (!args.isEmpty())
        return usage(QStringLiteral("usb"));
    FT_STATUS status = GetFTDeviceCount();
    if (status != FT_OK) {
        QString text = virtualDeviceFileErrorText(activeTexts());
        if (text.isEmpty())
            text = FTDeviceErrorText(QStringLiteral("GetFTDeviceCount"), status);
        if (text.isEmpty())
            text = activeTexts()
                       .message(cliText::kFtdiStatus)
                       .arg(QStringLiteral("GetFTDeviceCount"), QString::number(status));
        printErr(text);
        return Failure;
    }
    for (int i = 0; i < FTDeviceCount(); ++i) {
        // A device that went away meanwhile shows empty texts rather than the previous one's.
        status = GetFTDeviceSerialNo(i);
        const QString serial = status == FT_OK ? FTDeviceText() : QString();
        status = GetFTDeviceDescription(i);
        const QString description = status == FT_OK ? FTDeviceText() : QString();
        printOut(QStringLiteral("%1\t%2\t%3").arg(i).arg(serial, description));
    }
    if (FTDeviceCount() == 0)
        printErr(activeTexts().message(cliText::kNoFtdiDevice));
    return Success;
}

const bool registeredPorts =
    registerCommand({QStringLiteral("ports"),
                     QStringLiteral("ports               list COM1..COM16, their devices "
                                    "and whether each is free, missing or in use"),
                     runPorts});
const bool registeredUsb =
    registerCommand({QStringLiteral("usb"),
                     QStringLiteral("usb                 list FTDI devices: index, serial "
                                    "number, description (LUMO_FTDI=virtual: virtual "
                                    "devices)"),
                     runUsb});

} // namespace

} // namespace lumo::cli
