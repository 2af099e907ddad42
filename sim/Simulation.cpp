#include "sim/Simulation.h"
#include "link/FtdiApi.h"
#include "platform/AppConfig.h"
#include "platform/SystemClock.h"
#include "sim/LineBoxServer.h"
#include "sim/LineBoxUsbDevice.h"
#include "sim/UnitServer.h"
#include "sim/UnitUsbDevice.h"

namespace lumo::sim {

bool startSimulatedDevices(QString* error) {
    // One unit for the whole run: on a pseudo-terminal that COM1 opens, behind the virtual
    // cable "Vexo-USB", and at the other end of the telephone line of the virtual line box
    // "Kavrostanel". All live until the process ends (deliberately never destroyed: their
    // timers and threads must not outlive the application object at exit).
    static UnitServer* server = nullptr;
    static SystemClock* lineClock = nullptr;
    static LineBoxUsbDevice* lineBox = nullptr;
    // Faults and timing of the box, as `lumo-sim linebox` takes them. Read on every call: the
    // devices are started once, but a later call must not report success for settings it
    // ignored, and the running box takes the faults and timing it names.
    LineBoxServer::Options box;
    const QStringList boxArguments =
        qEnvironmentVariable("LUMO_SIM_LINEBOX").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString boxError;
    if (!parseLineBoxArguments(boxArguments, &box, &boxError)) {
        if (error)
            *error = QStringLiteral("LUMO_SIM_LINEBOX: %1").arg(boxError);
        return false;
    }
    auto configureBox = [&box] {
        lineBox->box().setFaults(box.faults);
        lineBox->box().setTiming(box.timing);
        lineBox->box().setUnitNumber(box.unitNumber);
    };
    if (server) {
        configureBox();
        return true;
    }
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
    // The box's line runs in real time on this (the GUI) thread's event loop.
    lineClock = new SystemClock;
    lineBox = new LineBoxUsbDevice(*lineClock, server->unit(), &server->unitMutex(),
                                   LineBoxUsbDevice::kDefaultSerial, options.memoryFile);
    configureBox();
    return true;
}

} // namespace lumo::sim
