#include "link/AfUtils.h"

#include "platform/AppConfig.h"
#include "platform/WorkingFolder.h"

namespace lumo {

QString comPortDevicePath(int comNumber) {
    // The working folder may have moved since the last open.
    return comPortDevicePath(comNumber, workingFolder::current());
}

QString comPortDevicePath(int comNumber, const QString& folder) {
    return portDevicePath(folder, comNumber);
}

QString comPortWindowsName(int comNumber, bool ntFamily) {
    if (ntFamily && comNumber > 9)
        return QStringLiteral("\\\\.\\COM%1").arg(comNumber);
    return QStringLiteral("COM%1").arg(comNumber);
}

} // namespace lumo
