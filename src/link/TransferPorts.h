#pragma once
#include <QString>

namespace lumo {

// In-process device overrides for COM port numbers, consulted before the Config.ini `Ports`
// mapping when the transfer opens its port: `lumo --simulate` maps COM1 to the virtual unit's
// pseudo-terminal this way without touching the user's Config.ini. An empty path removes it.
void setTransferPortDevice(int comNumber, const QString& devicePath);
// The override for a port, or an empty text.
QString transferPortDevice(int comNumber);

} // namespace lumo
