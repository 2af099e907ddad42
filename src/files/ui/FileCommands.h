#pragma once
#include "files/FileDialogs.h"
#include "files/SettingsFileCommands.h"
#include <QString>
#include <memory>

class QWidget;

namespace lumo {

class Messenger;
class ParameterModel;
class Texts;

// The standard open and save dialogs of the toolkit. A read-only file chosen to open is
// refused with a message through `messenger` and the dialog opens again.
class QtFileDialogs : public FileDialogs {
public:
    QtFileDialogs(QWidget* parent, const Texts& texts, Messenger& messenger)
        : m_parent(parent), m_texts(texts), m_messenger(messenger) {}
    std::optional<QString> run(const FileDialogRequest& request) override;

    // "Text|*.KTF|All|*.*" as the toolkit writes it: "Text (*.KTF *.ktf);;All (*.*)". Patterns
    // get their lower-case twin, since file names on this platform are case-sensitive.
    static QString toolkitFilter(const QString& filter);

    // The message of a chosen file that cannot be written back.
    static QString readOnlyMessage(const QString& fileName, const Texts& texts);

private:
    QWidget* m_parent;
    const Texts& m_texts;
    Messenger& m_messenger;
};

// The file commands of the main window: Open (Otevt1, BitBtn1), Save (Uloit1, BitBtn2), Save
// As (Uloitjako1) and the settings file named on the command line. Pass `dialogs` to drive it
// without real dialogs; by default it shows the toolkit's dialogs over `parent`.
class FileCommands {
public:
    FileCommands(QWidget* parent, ParameterModel& model, const Texts& texts, Messenger& messenger,
                 FileDialogs* dialogs = nullptr);

    bool open() { return m_commands.open(); }
    bool save() { return m_commands.save(); }
    bool saveAs() { return m_commands.saveAs(); }
    bool loadFromCommandLine(const QString& argument) {
        return m_commands.loadFromCommandLine(argument);
    }

private:
    std::unique_ptr<FileDialogs> m_ownDialogs;
    SettingsFileCommands m_commands;
};

} // namespace lumo
