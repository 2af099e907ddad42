#pragma once
#include "texts/TextKey.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace lumo {

// The named commands of the main window. A command's name is the objectName of the control
// that runs it (the QAction `Nastve1`, the status bar `StatusBar1`, the panel `Panel1`): the
// window binds its actions and clickable controls to the entries of the same name, as the
// field binder binds fields, so a subsystem offers a menu item without knowing the window.
// A name the table does not know leaves its control inert; a disabled command does not run.
class CommandTable : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    struct Command {
        QString name;
        Handler handler;
        std::optional<TextKey> text; // the caption from the texts table, if the command has one
        bool enabled = true;
        bool visible = true;
        // An option that is on or off (a checkable menu item); unset for a plain command.
        std::optional<bool> checked;
    };

    // Registers (or replaces) a command. Returns the table for chained calls.
    CommandTable& add(const QString& name, Handler handler, std::optional<TextKey> text = {});

    bool contains(const QString& name) const { return find(name) != nullptr; }
    const Command* find(const QString& name) const;
    QStringList names() const;

    // Runs the command's handler; false when the name is unknown or the command is disabled.
    bool trigger(const QString& name);

    void setEnabled(const QString& name, bool enabled);
    bool isEnabled(const QString& name) const;
    void setVisible(const QString& name, bool visible);
    bool isVisible(const QString& name) const;
    // Makes the command an option shown checked or not; its handler decides what a click does.
    void setChecked(const QString& name, bool checked);
    bool isChecked(const QString& name) const;

signals:
    // A command was added or its enabled, visible or checked state changed.
    void changed(const QString& name);

private:
    Command* findMutable(const QString& name);

    std::vector<Command> m_commands;
};

} // namespace lumo
