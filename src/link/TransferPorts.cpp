#include "link/TransferPorts.h"
#include <QHash>

namespace lumo {

namespace {
// Set at start-up before any window exists and read on the GUI thread only.
QHash<int, QString>& overrides() {
    static QHash<int, QString> map;
    return map;
}
} // namespace

void setTransferPortDevice(int comNumber, const QString& devicePath) {
    if (devicePath.isEmpty())
        overrides().remove(comNumber);
    else
        overrides().insert(comNumber, devicePath);
}

QString transferPortDevice(int comNumber) {
    return overrides().value(comNumber);
}

} // namespace lumo
