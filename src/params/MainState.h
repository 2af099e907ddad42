#pragma once
#include "params/ParameterSet.h"
#include "params/TransferBuffer.h"
#include "texts/Texts.h"
#include <QString>

namespace lumo {

// How the local link is set up: kept in Config.ini (COM, USB) or edited there by hand
// (ClosePort, TimeOutRS).
struct LocalLinkSettings {
    int comPort = 1;
    bool useUsbCable = false;
    QString closePortMode = QStringLiteral("0"); // "1": close and reopen the port for every action
    int serialTimeoutMs = 10;                    // tick of the transfer window on the serial link
};

// Everything the main window owns and shares with the commands and engines: the parameter set,
// the transfer buffer, the unit snapshot, the texts (built-in defaults overlaid by the active
// language pack), the current settings file and the local link settings. One instance lives
// for the whole run; windows and engines hold references to it.
struct MainState {
    ParameterSet params;
    TransferBuffer buffer;
    UnitSnapshot snapshot;
    Texts texts;
    QString settingsFileName;
    bool saveAsWithCurrentName = false;
    LocalLinkSettings link;
    bool portCheckRequested = false;
};

} // namespace lumo
