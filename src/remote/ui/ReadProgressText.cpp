#include "remote/ui/ReadProgressText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"

namespace lumo {

QString readProgressText(const Texts& texts, const RemoteProgress& p) {
    const int key = p.group == QLatin1String("settings") ? Msg::RemoteReadSettingsProgress
                                                         : Msg::RemoteReadMemoriesProgress;
    return texts.message(key)
        .arg(p.groupIndex)
        .arg(p.groupCount)
        .arg(p.overallIndex)
        .arg(p.overallCount);
}

} // namespace lumo
