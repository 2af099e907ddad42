#pragma once
#include "link/LocalTransferCommands.h"
#include <QString>

namespace lumo {
class ParameterSet;
}

namespace lumo::cli {

// Reads from the unit on `port` (3, COM3, a device path or usb) into `params`, as the main
// window's read command does: what the command does not read keeps its value. Messages go to
// standard error, and the progress too when that is a terminal. True only when the whole read
// succeeded; otherwise `params` is left as it was, never half-read.
bool readFromUnit(const QString& port, LocalTransferCommands::Command command,
                  ParameterSet& params);

} // namespace lumo::cli
