#pragma once
#include <QString>

namespace lumo {

// Port naming. A COM port number maps to a device path by one documented rule:
//   - Config.ini in the working folder, section `Ports`, key `COM<n>` (e.g. COM3=/dev/ttyUSB0)
//     names the device when present and not empty;
//   - otherwise COM n is /dev/ttyS<n-1>.
// Any device path, a pseudo-terminal included, can be given this way. Config.ini is read
// afresh on every call.
QString comPortDevicePath(int comNumber);
// The same rule against the Config.ini of an explicit folder.
QString comPortDevicePath(int comNumber, const QString& folder);

// The Windows name of a port: "COM%d", or "\\.\COM%d" above 9 on the NT family.
QString comPortWindowsName(int comNumber, bool ntFamily = true);

} // namespace lumo
