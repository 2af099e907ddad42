#include "sim/Simulation.h"
#include "link/FtdiApi.h"
#include "platform/AppConfig.h"
#include "sim/UnitServer.h"
#include "sim/UnitUsbDevice.h"

namespace lumo::sim {

bool startSimulatedDevices(QString* error) {
    // One unit for the whole run: on a pseudo-terminal that COM1 opens, and behind the
    // virtual cable "Vexo-USB". Both live until the process ends.
    static UnitServer* server = nullptr;
    if (server)
        return true;
    auto* started = new UnitServer;
    UnitServer::Options options;
    options.baudPacing = qEnvironmentVariableIsSet("LUMO_SIM_BAUD_PACING");
    options.memoryFile = qEnvironmentVariable("LUMO_SIM_UNIT_MEMORY");
    if (!started->start(options, error)) {
        delete started;
        return false;
    }
    server = started;
    setPortDeviceOverride(1, server->devicePath());
    selectFtdiBackend(FtdiBackendKind::Virtual);
    static UnitUsbDevice cable(server->unit(), options.memoryFile, &server->unitMutex(),
                               {options.baudPacing, options.unitDelayMs});
    return true;
}

} // namespace lumo::sim
