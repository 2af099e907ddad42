#include "link/AfPortControls.h"

#include "link/AfUtils.h"

namespace lumo {

QString PortItemCaption(int port) {
    return port < 10 ? QStringLiteral("COM &%1").arg(port) : QStringLiteral("COM %1").arg(port);
}

SerialAvailability PortAvailability(int port) {
    return SerialFile::probe(comPortDevicePath(port));
}

void ApplyPortOptions(TAfPortItem& item, TAfPortCtlOptions options) {
    item.enabled = true;
    item.grey = false;
    switch (item.availability) {
    case SerialAvailability::Free:
        break;
    case SerialAvailability::Missing:
        item.enabled = !(options & pcCheckExist);
        break;
    case SerialAvailability::InUse:
        item.enabled = !(options & pcDisableOpen);
        item.grey = item.enabled && (options & pcHighlightOpen);
        break;
    }
}

std::vector<TAfPortItem>
BuildPortItems(int maxComPorts, TAfPortCtlOptions options,
               const std::function<SerialAvailability(int)>& availability) {
    std::vector<TAfPortItem> items;
    for (int port = 1; port <= maxComPorts; ++port) {
        TAfPortItem item;
        item.caption = PortItemCaption(port);
        item.port = port;
        item.availability = availability(port);
        ApplyPortOptions(item, options);
        items.push_back(item);
    }
    return items;
}

} // namespace lumo
