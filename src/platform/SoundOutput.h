#pragma once
#include <QString>
#include <functional>

namespace lumo {

// The system's sound output as the tone samples need it. The GUI plays through Qt
// Multimedia; tests answer with a recording fake.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Whether the system has a device that can play sound.
    virtual bool hasOutputDevice() const = 0;

    // Plays a WAVE file and calls `done` (on the GUI thread) when it has ended. A file that
    // cannot be played gives the default beep instead; `done` is called in every case.
    virtual void play(const QString& path, std::function<void()> done) = 0;

    // A short beep of our own, for a tone whose file is missing.
    virtual void playDefault(std::function<void()> done) = 0;
};

} // namespace lumo
