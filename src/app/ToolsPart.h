#pragma once
#include "app/TForm2.h"
#include "shell/ShellPart.h"
#include <QObject>
#include <memory>

namespace lumo {

class SoundOutput;
class TForm3;

// The main window's tools that are no subsystem of their own: the tone samples ("Ukázky
// tónů"), the about box ("O programu") and the help command ("Nápověda"). Registers their
// commands and keeps the two dialogs' texts current.
class ToolsPart : public QObject, public ShellPart {
    Q_OBJECT
public:
    ToolsPart(QWidget* dialogParent, SoundOutput& sound, TForm2::Opener opener = {});
    ~ToolsPart() override;

    void attach(Shell& shell) override;
    void applyTexts(const Texts& texts) override;

    // The commands: the tone samples need a sound device, otherwise message 15.
    void showToneSamples();
    void showAbout();
    // Help: the file named by OTHER 37 in the working folder, opened by the desktop; when it
    // names a Windows help file (".HLP") that is not there, the HTML manual of the same name.
    // Neither found: OTHER 38.
    void showHelp();

    TForm2& about() { return *m_about; }
    TForm3& toneSamples() { return *m_tones; }

private:
    Shell* m_shell = nullptr;
    TForm2::Opener m_open;
    SoundOutput& m_sound;
    std::unique_ptr<TForm2> m_about;
    std::unique_ptr<TForm3> m_tones;
};

} // namespace lumo
