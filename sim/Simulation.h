#pragma once
#include <QString>

namespace lumo::sim {

// Starts the virtual unit (as COM1 through a pseudo-terminal and as the USB cable "Vexo-USB")
// and the virtual line box "Kavrostanel" (serial KAV00001, dialling that same unit) for
// `lumo --simulate`. Returns false with a reason when the
// simulated devices cannot be started. The devices live until the process ends.
bool startSimulatedDevices(QString* error);

} // namespace lumo::sim
