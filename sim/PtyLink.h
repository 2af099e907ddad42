#pragma once
#include <QString>

namespace lumo::sim {

// The symbolic link a simulator makes to its pseudo-terminal, so tests and users have a fixed
// path. A link left behind by a simulator that was killed points at a /dev/pts number the
// system hands out again, so any symbolic link found at the path is replaced; anything else
// there (a file, a folder) is the user's and is refused.
bool makePtyLink(const QString& terminal, const QString& linkPath, QString* error);

// Removes the link only while it still points at `terminal` (another simulator may have taken
// the path over since).
void removePtyLink(const QString& terminal, const QString& linkPath);

} // namespace lumo::sim
