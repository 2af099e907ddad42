#pragma once
#include "platform/WaveSynth.h"
#include <QString>
#include <vector>

namespace lumo::tones {

// One of the signalling tones the unit plays on the telephone line, as a file of the tone
// samples dialog.
struct SignalTone {
    QString fileName;    // as the dialog looks for it in the working folder
    QString description; // what the unit means by it, with frequency and cadence
    std::vector<wave::Segment> segments;
};

// The nine tones, in the order of the dialog's buttons (left column, then right column).
const std::vector<SignalTone>& signalTones();

} // namespace lumo::tones
