#include "shell/CommandTable.h"

namespace lumo {

CommandTable& CommandTable::add(const QString& name, Handler handler, std::optional<TextKey> text) {
    if (Command* existing = findMutable(name)) {
        existing->handler = std::move(handler);
        existing->text = text;
    } else {
        Command command;
        command.name = name;
        command.handler = std::move(handler);
        command.text = text;
        m_commands.push_back(std::move(command));
    }
    emit changed(name);
    return *this;
}

const CommandTable::Command* CommandTable::find(const QString& name) const {
    for (const Command& c : m_commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

CommandTable::Command* CommandTable::findMutable(const QString& name) {
    return const_cast<Command*>(std::as_const(*this).find(name));
}

QStringList CommandTable::names() const {
    QStringList result;
    for (const Command& c : m_commands)
        result.append(c.name);
    return result;
}

bool CommandTable::trigger(const QString& name) {
    const Command* command = find(name);
    if (!command || !command->enabled || !command->handler)
        return false;
    // A copy: the handler may replace its own entry.
    const Handler handler = command->handler;
    handler();
    return true;
}

void CommandTable::setEnabled(const QString& name, bool enabled) {
    Command* command = findMutable(name);
    if (!command || command->enabled == enabled)
        return;
    command->enabled = enabled;
    emit changed(name);
}

bool CommandTable::isEnabled(const QString& name) const {
    const Command* command = find(name);
    return command && command->enabled;
}

void CommandTable::setVisible(const QString& name, bool visible) {
    Command* command = findMutable(name);
    if (!command || command->visible == visible)
        return;
    command->visible = visible;
    emit changed(name);
}

bool CommandTable::isVisible(const QString& name) const {
    const Command* command = find(name);
    return command && command->visible;
}

void CommandTable::setChecked(const QString& name, bool checked) {
    Command* command = findMutable(name);
    if (!command || command->checked == checked)
        return;
    command->checked = checked;
    emit changed(name);
}

bool CommandTable::isChecked(const QString& name) const {
    const Command* command = find(name);
    return command && command->checked.value_or(false);
}

} // namespace lumo
