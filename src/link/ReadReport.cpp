#include "link/ReadReport.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"

namespace lumo {

QString partialReadMessage(const ReadReport& report, const Texts& texts) {
    constexpr int kMemories = 128;
    QStringList lines;
    lines << texts.message(report.stopped ? Msg::ReadStopped : Msg::ReadIncomplete);
    if (report.settingsWanted)
        lines << texts.message(report.settingsRead ? Msg::ReadSettingsComplete
                                                   : Msg::ReadSettingsMissing);
    if (report.numbersWanted) {
        const int read = qBound(0, report.memoriesRead, kMemories);
        if (read == kMemories)
            lines << texts.message(Msg::ReadMemoriesComplete);
        else if (read == 0)
            lines << texts.message(Msg::ReadMemoriesMissing);
        else
            // Shown as the window numbers them: memory m is field m + 1.
            lines << texts.message(Msg::ReadMemoriesPartly).arg(read).arg(read + 1);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace lumo
