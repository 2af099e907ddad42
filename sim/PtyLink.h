#pragma once
#include <QString>
#include <termios.h>

namespace lumo::sim {

// Opens the pseudo-terminal a simulator serves: `master` non-blocking, and `slaveKeep` held
// open in raw mode (at `speed`) so the terminal lives, and echoes nothing, while no host has it.
// On failure the descriptors opened so far are left in `master`/`slaveKeep` for the caller to
// close.
bool openPseudoTerminal(int& master, int& slaveKeep, QString& name, speed_t speed, QString* error);

// The symbolic link a simulator makes to its pseudo-terminal, so tests and users have a fixed
// path. A link left behind by a simulator that was killed points at a /dev/pts number the
// system hands out again, so any symbolic link found at the path is replaced; anything else
// there (a file, a folder) is the user's and is refused.
bool makePtyLink(const QString& terminal, const QString& linkPath, QString* error);

// Removes the link only while it still points at `terminal` (another simulator may have taken
// the path over since).
void removePtyLink(const QString& terminal, const QString& linkPath);

} // namespace lumo::sim
