#pragma once
#include "platform/SoundOutput.h"
#include <QObject>
#include <QTemporaryDir>

class QSoundEffect;

namespace lumo {

// The sound output of the GUI: Qt Multimedia on the default audio device.
class QtSoundOutput : public QObject, public SoundOutput {
    Q_OBJECT
public:
    explicit QtSoundOutput(QObject* parent = nullptr);
    ~QtSoundOutput() override;

    bool hasOutputDevice() const override;
    void play(const QString& path, std::function<void()> done) override;
    void playDefault(std::function<void()> done) override;

private:
    void start(const QString& path, bool fallBackToBeep, std::function<void()> done);
    QString beepFile();

    QTemporaryDir m_beepDir;
    QString m_beepPath;
};

} // namespace lumo
