#pragma once
// The local link's part in a window over a simulated unit, on a virtual clock: the members a
// widget test of local transfers needs. Each test's rig adds its own set-up.
#include "link/LocalLinkSettings.h"
#include "link/ui/LocalTransferUi.h"
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QWidget>

namespace lumo::test {

struct LocalTransferRig {
    VirtualClock clock;
    ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    LocalLinkState link;
    // The unit outlives the part, which closes its link on the way out.
    sim::VirtualUnit unit;
    sim::UnitLink unitLink{clock, unit, TransferLink::Kind::Serial};
    QWidget window;
    LocalTransferUi part{shell, link, &window};
};

} // namespace lumo::test
