#pragma once
#include <QByteArray>
#include <optional>
#include <vector>

namespace lumo::wave {

// One piece of a tone: a sine (or the sum of two sines, as in DTMF) for a number of
// milliseconds. A frequency of 0 is silence.
struct Segment {
    int frequencyHz = 0;
    int secondFrequencyHz = 0;
    int durationMs = 0;
};

inline constexpr int kSampleRate = 8000; // telephone band: what the unit plays on the line

// A RIFF/WAVE file (PCM, 16 bits, mono) of the segments one after another. Every tone burst
// fades in and out over a few milliseconds so the loudspeaker does not click.
QByteArray synthesise(const std::vector<Segment>& segments, int sampleRate = kSampleRate);

// What a WAVE file's header says; nothing for data that is not a PCM WAVE file.
struct Format {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    qint64 frames = 0;
    qint64 dataOffset = 0;
};
std::optional<Format> readFormat(const QByteArray& file);

// Total length of the segments in milliseconds.
int durationMs(const std::vector<Segment>& segments);

} // namespace lumo::wave
