#include "files/paint/DeviceLayouts.h"
#include "files/LabelLayout.h"
#include "files/PrintoutLayout.h"
#include "files/paint/PrintRenderer.h"
#include <QDate>
#include <QLocale>
#include <QPaintDevice>

namespace lumo {

PrintGeometry geometryOf(const QPaintDevice& device) {
    return PrintGeometry::compute(device.width(), device.height(), device.logicalDpiX());
}

PrintDocument settingsPrintoutFor(QPaintDevice& device, const ParameterSet& params,
                                  const Texts& texts) {
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    return layoutSettingsPrintout(params, texts, geometryOf(device), date);
}

PrintDocument labelsFor(QPaintDevice& device, const LabelNames& names) {
    const DeviceTextMetrics metrics(&device);
    return labelLayout::layout(names, device.width(), device.height(), device.logicalDpiX(),
                               metrics);
}

} // namespace lumo
