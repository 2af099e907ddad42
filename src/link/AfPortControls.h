#pragma once
#include "platform/SerialFile.h"
#include <QString>
#include <functional>
#include <vector>

namespace lumo {

// Options of the port list.
enum TAfPortCtlOption : unsigned { pcCheckExist = 0x1, pcDisableOpen = 0x2, pcHighlightOpen = 0x4 };
using TAfPortCtlOptions = unsigned; // a set of TAfPortCtlOption

// One item of the port list: its caption, the port it stands for, the port's availability and
// how the item shows it.
struct TAfPortItem {
    QString caption;
    int port = 0;
    SerialAvailability availability = SerialAvailability::Missing;
    bool enabled = true;
    bool grey = false;
};

// "COM &%d" for ports 1..9 (the digit is the accelerator), "COM %d" from 10 on.
QString PortItemCaption(int port);
// Opens the port's device (by the naming rule) and closes it again: free, missing or in use.
SerialAvailability PortAvailability(int port);
// How an item shows a port of the given availability under `options`.
void ApplyPortOptions(TAfPortItem& item, TAfPortCtlOptions options);
// The items for ports 1..maxComPorts.
std::vector<TAfPortItem>
BuildPortItems(int maxComPorts, TAfPortCtlOptions options,
               const std::function<SerialAvailability(int)>& availability = PortAvailability);

} // namespace lumo
