#include "app/QtSoundOutput.h"
#include "platform/WaveSynth.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace lumo {

namespace {
constexpr int kLongestSoundMs = 15000;
} // namespace

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {}

QtSoundOutput::~QtSoundOutput() = default;

bool QtSoundOutput::hasOutputDevice() const {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void QtSoundOutput::play(const QString& path, std::function<void()> done) {
    start(path, true, std::move(done));
}

void QtSoundOutput::playDefault(std::function<void()> done) {
    const QString beep = beepFile();
    if (beep.isEmpty()) {
        QTimer::singleShot(0, this, [done] { done(); });
        return;
    }
    start(beep, false, std::move(done));
}

QString QtSoundOutput::beepFile() {
    // Our default beep: 880 Hz for 150 ms, written once per run.
    if (m_beepPath.isEmpty() && m_beepDir.isValid()) {
        const QString path = m_beepDir.filePath(QStringLiteral("beep.wav"));
        QFile file(path);
        const QByteArray bytes = wave::synthesise({{880, 0, 150}, {0, 0, 50}});
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            m_beepPath = path;
    }
    return m_beepPath;
}

void QtSoundOutput::start(const QString& path, bool fallBackToBeep, std::function<void()> done) {
    auto* effect = new QSoundEffect(this);
    // `finish` runs once, whatever ends the sound.
    auto ended = std::make_shared<bool>(false);
    auto finish = [this, effect, ended, fallBackToBeep, done](bool failed) {
        if (*ended)
            return;
        *ended = true;
        effect->deleteLater();
        if (failed && fallBackToBeep)
            playDefault(done);
        else
            done();
    };
    connect(effect, &QSoundEffect::statusChanged, this, [effect, finish] {
        if (effect->status() == QSoundEffect::Error)
            finish(true);
        else if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
    });
    connect(effect, &QSoundEffect::playingChanged, this, [effect, finish] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
            finish(false);
    });
    // A device that never reports the end must not leave the dialog locked.
    QTimer::singleShot(kLongestSoundMs, effect, [finish] { finish(false); });
    effect->setSource(QUrl::fromLocalFile(path));
    if (effect->status() == QSoundEffect::Ready)
        effect->play();
}

} // namespace lumo
