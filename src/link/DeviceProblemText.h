#pragma once
#include "link/FtdiVirtual.h"
#include "platform/DeviceHolders.h"
#include "platform/DeviceTree.h"
#include "platform/PortDiagnosis.h"
#include <QString>
#include <vector>

namespace lumo {

class Texts;

// Message-table keys of the device explanations (the older port texts are in FileErrorText.h).
namespace deviceText {
constexpr int kPortPermissionGroup = 550; // %1 port, %2 group
constexpr int kPortInUseBy = 551;         // %1 port, %2 programs
constexpr int kProgram = 552;             // %1 program, %2 process id
constexpr int kUsbMissing = 553;          // %1 serial number
constexpr int kUsbInUseBy = 554;          // %1 serial number, %2 programs
constexpr int kUsbUnopenable = 555;       // %1 serial number
constexpr int kUsbFound = 556;            // %1 description, %2 serial number
constexpr int kUsbNotFound = 557;         // %1 serial number
constexpr int kDeviceLabel = 558;         // label of the port dialog's device list
constexpr int kOtherFtdi = 559;           // %1 list of devices
constexpr int kMappingNotStored = 560;    // %1 Config.ini path, %2 reason
// The device file of LUMO_FTDI=virtual:PATH and its terminals.
constexpr int kDeviceFileNotNamed = 577;
constexpr int kDeviceFileSetting = 578;    // %1 what is wrong with the file
constexpr int kDeviceFileUnreadable = 579; // %1 file, %2 reason
constexpr int kDeviceFileLine = 580;       // %1 file, %2 line, %3 what is wrong with it
constexpr int kDeviceFileFieldCount = 581; // %1 fields found
constexpr int kDeviceFileNoDescription = 582;
constexpr int kDeviceFileLongDescription = 583; // %1 limit in bytes
constexpr int kDeviceFileNoSerialNumber = 584;
constexpr int kDeviceFileLongSerialNumber = 585; // %1 limit in bytes
constexpr int kDeviceFileNoTerminal = 586;
constexpr int kDeviceFileSerialTwice = 587; // %1 serial number
constexpr int kTerminalUnopenable = 588;    // %1 serial number, %2 terminal, %3 reason
} // namespace deviceText

// "minicom (PID 1234), screen (PID 77)".
QString holdersText(const std::vector<DeviceHolder>& holders, const Texts& texts);

// One line saying why the serial device at `path` cannot be used, naming the fix where there
// is one (the dialout group for a missing right); empty when nothing is wrong with it.
QString portDiagnosisText(const PortDiagnosis& diagnosis, const QString& path, const Texts& texts);
QString serialPortProblemText(const QString& path, const Texts& texts, const DeviceTree& tree = {});

// What the system shows of the FTDI device with `serialNumber`, from the kernel's device list
// (readable without the right to open the device).
struct UsbDiagnosis {
    enum class Finding { Missing, Permission, InUse, Unopenable };
    Finding finding = Finding::Missing;
    std::vector<DeviceHolder> holders;
};
UsbDiagnosis diagnoseUsbDevice(const QString& serialNumber, const DeviceTree& tree = {});

// One line saying why the FTDI device with `serialNumber` cannot be opened (the udev rule or
// the plugdev group for a missing right). With the virtual devices only the registry is
// asked: a device file that could not be loaded, or a device terminal that cannot be opened,
// is named with its reason.
QString usbProblemText(const QString& serialNumber, const Texts& texts,
                       const DeviceTree& tree = {});

// What is wrong with a device file: "devices.txt, řádek 3: prázdné sériové číslo".
QString deviceFileErrorText(const DeviceFileError& error, const Texts& texts);
// Why the file of LUMO_FTDI=virtual:PATH gave no devices, naming the variable; empty when it
// loaded (or no file is named).
QString virtualDeviceFileErrorText(const Texts& texts);

// For the port dialog: which FTDI device is the cable (description and serial number), or
// that none is, with the reason on a second line when it is not simply absent, and the other
// FTDI devices found.
QString usbCableStatusText(const QString& serialNumber, const Texts& texts,
                           const DeviceTree& tree = {});

} // namespace lumo
