#include "tonegen/SignalTones.h"
#include "platform/WaveSynth.h"

#include <QSet>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

namespace lumo {
namespace {

// Counts sign changes of the samples in [from, to) frames: about 2 * f * seconds.
int zeroCrossings(const QByteArray& file, const wave::Format& f, qint64 from, qint64 to) {
    int crossings = 0;
    qint16 previous = 0;
    for (qint64 i = from; i < to; ++i) {
        const qint16 v = qFromLittleEndian<qint16>(file.constData() + f.dataOffset + 2 * i);
        if ((previous < 0 && v >= 0) || (previous >= 0 && v < 0))
            ++crossings;
        previous = v;
    }
    return crossings;
}

TEST(WaveSynth, HeaderAndLengthMatchTheSegments) {
    const QByteArray file = wave::synthesise({{1000, 0, 250}, {0, 0, 250}});
    const auto format = wave::readFormat(file);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->sampleRate, 8000);
    EXPECT_EQ(format->channels, 1);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->frames, 4000);
    EXPECT_EQ(file.size(), 44 + 8000);
    // The RIFF size covers the rest of the file.
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 4), quint32(file.size() - 8));
}

TEST(WaveSynth, ToneHasItsFrequencyAndSilenceIsSilent) {
    const QByteArray file = wave::synthesise({{1000, 0, 500}, {0, 0, 500}});
    const auto f = wave::readFormat(file);
    ASSERT_TRUE(f);
    // 1000 Hz for 0.5 s: about 1000 sign changes.
    EXPECT_NEAR(zeroCrossings(file, *f, 0, 4000), 1000, 20);
    for (qint64 i = 4000; i < 8000; ++i)
        ASSERT_EQ(qFromLittleEndian<qint16>(file.constData() + f->dataOffset + 2 * i), 0);
    // Fade-in: the first sample is silent, no click.
    EXPECT_EQ(qFromLittleEndian<qint16>(file.constData() + f->dataOffset), 0);
}

TEST(WaveSynth, DualToneStaysInRange) {
    const QByteArray file = wave::synthesise({{425, 950, 200}});
    const auto f = wave::readFormat(file);
    ASSERT_TRUE(f);
    int peak = 0;
    for (qint64 i = 0; i < f->frames; ++i)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(file.constData() +
                                                                     f->dataOffset + 2 * i))));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32767);
}

TEST(WaveSynth, ReadFormatRejectsDamagedFiles) {
    const QByteArray good = wave::synthesise({{1000, 0, 10}});
    EXPECT_FALSE(wave::readFormat(QByteArray()));
    EXPECT_FALSE(wave::readFormat(QByteArray("RIFF\0\0\0\0WAVX", 12)));
    EXPECT_FALSE(wave::readFormat(good.left(40))); // data chunk cut off
    QByteArray notPcm = good;
    notPcm[20] = 3;
    EXPECT_FALSE(wave::readFormat(notPcm));
}

TEST(SignalTones, NineDistinctFilesOfTheDialog) {
    const auto& tones = tones::signalTones();
    ASSERT_EQ(tones.size(), 9u);
    const QSet<QString> expected = {
        QStringLiteral("PowerOn.WAV"),     QStringLiteral("PickUp.WAV"),
        QStringLiteral("HangUp.WAV"),      QStringLiteral("Buttonerror.WAV"),
        QStringLiteral("Allert.WAV"),      QStringLiteral("OnProgram.WAV"),
        QStringLiteral("Programming.WAV"), QStringLiteral("Confirm.WAV"),
        QStringLiteral("Error.WAV")};
    QSet<QString> names;
    QSet<QByteArray> contents;
    for (const auto& tone : tones) {
        names.insert(tone.fileName);
        contents.insert(wave::synthesise(tone.segments));
        const int ms = wave::durationMs(tone.segments);
        // Long enough to recognise, short enough not to keep the dialog locked.
        EXPECT_GE(ms, 300) << tone.fileName.toStdString();
        EXPECT_LE(ms, 3000) << tone.fileName.toStdString();
        EXPECT_FALSE(tone.description.isEmpty());
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(contents.size(), 9) << "two tones sound the same";
}

} // namespace
} // namespace lumo
