#pragma once
#include "files/FileDialogs.h"
#include <QString>

namespace lumo {

class Messenger;
class ParameterModel;
class Texts;

// The Open, Save and Save As commands of the main window and the settings file named on the
// command line, on the shared parameter model. Windows call these from their menu items and tool
// buttons; the dialogs and messages go through the injected interfaces.
class SettingsFileCommands {
public:
    SettingsFileCommands(ParameterModel& model, const Texts& texts, Messenger& messenger,
                         FileDialogs& dialogs);

    // Open (Otevt1, BitBtn1). Returns true when a file was loaded.
    bool open();
    // Save (Uloit1, BitBtn2): saves under the current name, or runs Save As without one.
    bool save();
    // Save As (Uloitjako1); pre-fills the current name when the close sequence asked for it.
    bool saveAs();
    // The settings file given on the command line at start-up. Returns true when it was
    // loaded (the file-from-command-line flag).
    // A relative name is taken in the current folder.
    bool loadFromCommandLine(const QString& argument);
    // The full path the command-line checks and the load work on.
    static QString commandLinePath(const QString& argument);

    // The extension test of Open and the command line: the text after the last ".", trimmed,
    // is "KTF" in any letter case.
    static bool hasSettingsExtension(const QString& fileName);

private:
    bool load(const QString& fileName);
    bool write();

    ParameterModel& m_model;
    const Texts& m_texts;
    Messenger& m_messenger;
    FileDialogs& m_dialogs;
};

} // namespace lumo
