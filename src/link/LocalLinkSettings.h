#pragma once
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

// The local link's shared state: its settings and the request for a status read that the port
// timer serves (raised at start-up, by a status-bar click and by the action choice; consumed
// when the status read goes out).
struct LocalLinkState {
    LocalLinkSettings settings;
    bool portCheckRequested = false;
};

} // namespace lumo
