#pragma once
#include <QString>

namespace lumo {

class Texts;

// What a read command brought into the window, part by part: kept as its transfers end, so
// that a read that failed or was stopped can say what the fields now hold.
struct ReadReport {
    bool started = false; // the command sent something (the link could be used)
    bool settingsWanted = false;
    bool numbersWanted = false;
    bool settingsRead = false; // the settings image came complete and was decoded
    int memoriesRead = 0;      // number memories 0..memoriesRead-1 were decoded
    bool stopped = false;      // the user stopped the command

    // Something of the unit's memory came in (a backup of it is worth keeping).
    bool anyRead() const { return settingsRead || memoriesRead > 0; }
    bool complete() const {
        return (!settingsWanted || settingsRead) && (!numbersWanted || memoriesRead == 128);
    }
};

// One message, a line per part the command reads: which parts were read completely and which
// were not (and so kept what the window showed before).
QString partialReadMessage(const ReadReport& report, const Texts& texts);

} // namespace lumo
