#include "sim/Simulation.h"

namespace lumo::sim {

bool startSimulatedDevices(QString* error) {
    if (error)
        *error = QStringLiteral("The simulated devices are not available in this build.");
    return false;
}

} // namespace lumo::sim
