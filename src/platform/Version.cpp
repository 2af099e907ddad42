#include "platform/Version.h"
#include "LumoVersion.h"

namespace lumo {

QString programVersionText() {
    return QString::asprintf("%d.%02d.%02d.%02d", LUMO_VERSION_MAJOR, LUMO_VERSION_MINOR,
                             LUMO_VERSION_PATCH, LUMO_VERSION_TWEAK);
}

QString mainWindowCaption() {
    return QStringLiteral("Lumo V") + programVersionText().left(4);
}

} // namespace lumo
