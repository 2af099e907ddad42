#include "platform/UsbDeviceScan.h"

#include <QDir>
#include <QFile>

namespace lumo {

namespace {

QString attribute(const QString& folder, const char* name) {
    QFile file(folder + '/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

} // namespace

std::vector<UsbDeviceEntry> listUsbDevices(quint16 vendorId, const DeviceTree& tree) {
    std::vector<UsbDeviceEntry> result;
    QDir devices(tree.host(QStringLiteral("/sys/bus/usb/devices")));
    for (const QString& name :
         devices.entryList(QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        // Interfaces ("1-2:1.0") carry no device attributes; only devices have idVendor.
        const QString folder = devices.filePath(name);
        bool ok = false;
        const uint vendor = attribute(folder, "idVendor").toUInt(&ok, 16);
        if (!ok || (vendorId != 0 && vendor != vendorId))
            continue;
        UsbDeviceEntry e;
        e.vendorId = static_cast<quint16>(vendor);
        e.productId = static_cast<quint16>(attribute(folder, "idProduct").toUInt(nullptr, 16));
        e.serialNumber = attribute(folder, "serial");
        e.description = attribute(folder, "product");
        e.bus = attribute(folder, "busnum").toInt();
        e.address = attribute(folder, "devnum").toInt();
        e.node = QStringLiteral("/dev/bus/usb/%1/%2")
                     .arg(e.bus, 3, 10, QLatin1Char('0'))
                     .arg(e.address, 3, 10, QLatin1Char('0'));
        result.push_back(e);
    }
    return result;
}

} // namespace lumo
