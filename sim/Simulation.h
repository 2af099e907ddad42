#pragma once
#include <QString>

namespace lumo::sim {

// Starts the virtual unit (as COM1 through a pseudo-terminal and as the USB cable "Vexo-USB")
// and the virtual line box "Kavrostanel" (serial KAV00001, dialling that same unit) for
// `lumo --simulate`. Returns false with a reason when the
// simulated devices cannot be started. The devices live until the process ends; a later call
// keeps them and gives the box the faults and timing of LUMO_SIM_LINEBOX as it is now.
bool startSimulatedDevices(QString* error);

} // namespace lumo::sim
