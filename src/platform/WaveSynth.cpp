#include "platform/WaveSynth.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumo::wave {

namespace {

void putU16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putU32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

quint32 u32At(const QByteArray& in, qint64 at) {
    return qFromLittleEndian<quint32>(in.constData() + at);
}

quint16 u16At(const QByteArray& in, qint64 at) {
    return qFromLittleEndian<quint16>(in.constData() + at);
}

constexpr double kAmplitude = 0.45 * 32767.0;
constexpr int kFadeMs = 4;

} // namespace

int durationMs(const std::vector<Segment>& segments) {
    int total = 0;
    for (const Segment& s : segments)
        total += std::max(0, s.durationMs);
    return total;
}

QByteArray synthesise(const std::vector<Segment>& segments, int sampleRate) {
    QByteArray pcm;
    for (const Segment& s : segments) {
        const qint64 frames = qint64(std::max(0, s.durationMs)) * sampleRate / 1000;
        const qint64 fade = std::min<qint64>(frames / 2, qint64(kFadeMs) * sampleRate / 1000);
        const int voices = (s.frequencyHz > 0 ? 1 : 0) + (s.secondFrequencyHz > 0 ? 1 : 0);
        for (qint64 i = 0; i < frames; ++i) {
            double v = 0;
            const double t = double(i) / sampleRate;
            if (s.frequencyHz > 0)
                v += std::sin(2 * std::numbers::pi * s.frequencyHz * t);
            if (s.secondFrequencyHz > 0)
                v += std::sin(2 * std::numbers::pi * s.secondFrequencyHz * t);
            if (voices > 1)
                v /= voices;
            double gain = 1.0;
            if (fade > 0 && i < fade)
                gain = double(i) / fade;
            else if (fade > 0 && i >= frames - fade)
                gain = double(frames - 1 - i) / fade;
            putU16(pcm, quint16(qint16(std::lround(v * gain * kAmplitude))));
        }
    }

    QByteArray file;
    file.reserve(44 + pcm.size());
    file.append("RIFF", 4);
    putU32(file, quint32(36 + pcm.size()));
    file.append("WAVE", 4);
    file.append("fmt ", 4);
    putU32(file, 16);
    putU16(file, 1); // PCM
    putU16(file, 1); // mono
    putU32(file, quint32(sampleRate));
    putU32(file, quint32(sampleRate * 2));
    putU16(file, 2);
    putU16(file, 16);
    file.append("data", 4);
    putU32(file, quint32(pcm.size()));
    file.append(pcm);
    return file;
}

std::optional<Format> readFormat(const QByteArray& file) {
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    Format format;
    bool haveFormat = false;
    qint64 at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const qint64 size = u32At(file, at + 4);
        const qint64 body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > file.size() || u16At(file, body) != 1)
                return std::nullopt;
            format.channels = u16At(file, body + 2);
            format.sampleRate = int(u32At(file, body + 4));
            format.bitsPerSample = u16At(file, body + 14);
            haveFormat = format.channels > 0 && format.bitsPerSample > 0;
        } else if (id == "data") {
            if (!haveFormat || body + size > file.size())
                return std::nullopt;
            format.dataOffset = body;
            format.frames = size / (format.channels * ((format.bitsPerSample + 7) / 8));
            return format;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace lumo::wave
