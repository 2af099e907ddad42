// The simulators share the program's version; this unit keeps the library non-empty while the
// simulators grow.
#include "platform/Version.h"

namespace lumo::sim {
QString simulatorVersion() { return programVersionText(); }
} // namespace lumo::sim
