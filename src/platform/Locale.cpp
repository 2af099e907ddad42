#include "platform/Locale.h"

#include <QLocale>
#include <QString>

namespace lumo {

QChar decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.front();
}

} // namespace lumo
