#include "platform/SerialDeviceScan.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace lumo {

namespace {

// ttyUSB10 after ttyUSB9: names compare by the text before their trailing digits, then by
// the number those digits make.
void sortNumerically(QStringList& names) {
    auto split = [](const QString& name) {
        qsizetype i = name.size();
        while (i > 0 && name.at(i - 1).isDigit())
            --i;
        return std::pair{name.left(i), name.mid(i).toULongLong()};
    };
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return split(a) < split(b); });
}

QStringList entries(const DeviceTree& tree, const QString& folder, const QString& pattern,
                    QDir::Filters filters) {
    QDir dir(tree.host(folder));
    QStringList names = dir.entryList({pattern}, filters | QDir::NoDotAndDotDot);
    sortNumerically(names);
    return names;
}

} // namespace

std::vector<SerialDeviceEntry> listSerialDevices(const DeviceTree& tree) {
    std::vector<SerialDeviceEntry> result;
    const QString byId = QStringLiteral("/dev/serial/by-id");
    // System filters: a device node is neither a file nor a folder to QDir.
    const QDir::Filters any = QDir::AllEntries | QDir::System | QDir::Hidden;
    for (const QString& name : entries(tree, byId, QStringLiteral("*"), any)) {
        const QString path = byId + '/' + name;
        const QString device = tree.resolve(path);
        if (!device.isEmpty())
            result.push_back({path, device});
    }
    for (const char* pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
        for (const QString& name :
             entries(tree, QStringLiteral("/dev"), QString::fromLatin1(pattern), any)) {
            // ttyS0 but not ttySAC or a folder of that name.
            const QString number = name.mid(QString::fromLatin1(pattern).size() - 1);
            bool numeric = false;
            number.toInt(&numeric);
            const QString path = QStringLiteral("/dev/") + name;
            if (numeric && !QFileInfo(tree.host(path)).isDir())
                result.push_back({path, tree.resolve(path)});
        }
    }
    return result;
}

} // namespace lumo
