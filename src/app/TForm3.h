#pragma once
#include "texts/TextPlaces.h"
#include <QDialog>
#include <array>

class QPushButton;

namespace lumo {

class SoundOutput;
class Texts;

// The tone samples dialog: nine buttons that play the unit's signalling tones from WAVE files
// in the working folder, and a close button. While a tone plays the hourglass shows and the
// dialog takes no command (it still repaints).
class TForm3 : public QDialog {
    Q_OBJECT
public:
    struct ToneButton {
        const char* button;
        const char* file; // in the sound folder
    };
    // The nine sound buttons in the order of the dialog (left column, then right column).
    static const std::array<ToneButton, 9>& toneButtons();
    // The keys of the dialog, in reading order.
    static const WindowTexts& textPlaces();

    TForm3(SoundOutput& sound, QWidget* parent = nullptr);

    void applyTexts(const Texts& texts);

    // The folder the buttons look in: the working folder when the dialog last became active.
    const QString& soundFolder() const { return m_soundFolder; }
    bool playing() const { return m_playing; }

    // What a sound button does (also what a click on it does).
    void playTone(const QString& buttonName);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reject() override;

private:
    void finished();

    SoundOutput& m_sound;
    QString m_soundFolder;
    bool m_playing = false;
};

// The small picture of the dialog: a loudspeaker with sound waves, drawn in code.
QPixmap toneSamplesPicture(int size);

} // namespace lumo
