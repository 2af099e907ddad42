#include "tonegen/SignalTones.h"

namespace lumo::tones {

namespace {

using wave::Segment;

// `count` bursts of `onMs` at `hz`, each followed by `offMs` of silence.
std::vector<Segment> cadence(int hz, int onMs, int offMs, int count) {
    std::vector<Segment> s;
    for (int i = 0; i < count; ++i) {
        s.push_back({hz, 0, onMs});
        s.push_back({0, 0, offMs});
    }
    return s;
}

std::vector<Segment> join(std::initializer_list<std::vector<Segment>> parts) {
    std::vector<Segment> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The tones are our own design, in the telephone band (8 kHz sampling), loud enough to be
// heard over a handset and short enough to tell apart in the field.
std::vector<SignalTone> build() {
    return {
        {QStringLiteral("PowerOn.WAV"),
         QStringLiteral("Line connected (power-on reset): rising 600, 800, 1000, 1200 Hz, "
                        "120 ms each, no pause"),
         {{600, 0, 120}, {800, 0, 120}, {1000, 0, 120}, {1200, 0, 120}, {0, 0, 200}}},
        {QStringLiteral("PickUp.WAV"),
         QStringLiteral("Line seized: one 1000 Hz tone of 400 ms"),
         {{1000, 0, 400}, {0, 0, 200}}},
        {QStringLiteral("HangUp.WAV"),
         QStringLiteral("Line released: falling 1000, 800, 600 Hz, 150 ms each"),
         {{1000, 0, 150}, {800, 0, 150}, {600, 0, 150}, {0, 0, 200}}},
        {QStringLiteral("Buttonerror.WAV"),
         QStringLiteral("Empty memory (the button has no number): 2 x 425 Hz, 300 ms on, "
                        "200 ms off"),
         cadence(425, 300, 200, 2)},
        {QStringLiteral("Allert.WAV"),
         QStringLiteral("End of call is near: 5 x 1400 Hz, 100 ms on, 100 ms off"),
         cadence(1400, 100, 100, 5)},
        {QStringLiteral("OnProgram.WAV"),
         QStringLiteral("Programming mode entered: 1000 Hz and 1400 Hz alternating, 100 ms "
                        "each, three times"),
         join({{{1000, 0, 100}, {1400, 0, 100}},
               {{1000, 0, 100}, {1400, 0, 100}},
               {{1000, 0, 100}, {1400, 0, 100}, {0, 0, 200}}})},
        {QStringLiteral("Programming.WAV"),
         QStringLiteral("Programming tone (waiting for a code): 425 Hz + 950 Hz together, "
                        "3 x 400 ms on, 100 ms off"),
         {{425, 950, 400},
          {0, 0, 100},
          {425, 950, 400},
          {0, 0, 100},
          {425, 950, 400},
          {0, 0, 100}}},
        {QStringLiteral("Confirm.WAV"),
         QStringLiteral("Confirmation (code accepted): 2 x 1400 Hz, 80 ms on, 60 ms off, then "
                        "1800 Hz for 250 ms"),
         join({cadence(1400, 80, 60, 2), {{1800, 0, 250}, {0, 0, 200}}})},
        {QStringLiteral("Error.WAV"),
         QStringLiteral("Error (code refused): 3 x 300 Hz, 200 ms on, 100 ms off"),
         cadence(300, 200, 100, 3)},
    };
}

} // namespace

const std::vector<SignalTone>& signalTones() {
    static const std::vector<SignalTone> tones = build();
    return tones;
}

} // namespace lumo::tones
