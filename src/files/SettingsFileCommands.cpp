#include "files/SettingsFileCommands.h"
#include "files/SettingsFile.h"
#include "params/MainState.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include <QFileInfo>

namespace lumo {

namespace {
// Names of at most this many characters count as "no file chosen".
constexpr int kShortestName = 7;
} // namespace

SettingsFileCommands::SettingsFileCommands(MainState& state, Messenger& messenger,
                                           FileDialogs& dialogs)
    : m_state(state), m_messenger(messenger), m_dialogs(dialogs) {}

bool SettingsFileCommands::hasSettingsExtension(const QString& fileName) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? fileName : fileName.mid(dot + 1);
    return extension.trimmed().toUpper() == QLatin1String("KTF");
}

bool SettingsFileCommands::load(const QString& fileName) {
    QString error;
    if (LoadSettingsFile(m_state.params, fileName, &error, &m_state.texts))
        return true;
    m_messenger.message(error);
    return false;
}

bool SettingsFileCommands::write() {
    QString error;
    if (SaveSettingsFile(m_state.params, m_state.settingsFileName, &error, {}, &m_state.texts))
        return true;
    m_messenger.message(error);
    return false;
}

bool SettingsFileCommands::open() {
    const Texts& t = m_state.texts;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = t.message(26);
    request.filter = t.message(22) + QStringLiteral(" Vexo|*.KTF|") + t.message(27) +
                     QStringLiteral("    *.*|*.*");
    request.defaultSuffix = QStringLiteral("KTF");
    request.folder = workingFolder::current();

    const QString previous = m_state.settingsFileName;
    m_state.settingsFileName = m_dialogs.run(request).value_or(QString());
    if (m_state.settingsFileName.size() <= kShortestName) {
        m_messenger.message(t.message(16));
        return false;
    }
    if (!hasSettingsExtension(m_state.settingsFileName)) {
        m_messenger.message(t.message(17));
        m_state.settingsFileName.clear();
        return false;
    }
    if (!load(m_state.settingsFileName)) {
        // The parameters are still those of the previous file, so its name stays: a later
        // Save must not overwrite the file that could not be read.
        m_state.settingsFileName = previous;
        return false;
    }
    return true;
}

bool SettingsFileCommands::save() {
    if (m_state.settingsFileName.size() > kShortestName)
        return write();
    return saveAs();
}

bool SettingsFileCommands::saveAs() {
    const Texts& t = m_state.texts;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.fileName = m_state.saveAsWithCurrentName ? m_state.settingsFileName : QString();
    request.folder = workingFolder::current();
    request.defaultSuffix = QStringLiteral("KTF");
    request.filter = t.message(22) + QStringLiteral(" Vexo|*.KTF");
    request.title = t.message(23);

    for (;;) {
        const std::optional<QString> chosen = m_dialogs.run(request);
        if (!chosen)
            return false;
        m_state.settingsFileName = *chosen;
        if (!QFileInfo::exists(*chosen))
            break;
        if (m_messenger.ask(t.message(25), t.message(24), Messenger::Icon::Question, true))
            break;
        m_state.settingsFileName.clear();
        request.fileName = *chosen; // the dialog opens again on the name just refused
    }
    return write();
}

bool SettingsFileCommands::loadFromCommandLine(const QString& argument) {
    const Texts& t = m_state.texts;
    m_state.settingsFileName = argument;
    if (argument.size() <= kShortestName) {
        m_messenger.message(t.message(16));
        return false;
    }
    if (!hasSettingsExtension(argument)) {
        m_messenger.message(t.message(17));
        m_state.settingsFileName.clear();
        return false;
    }
    if (!load(argument)) {
        m_state.settingsFileName.clear();
        return false;
    }
    return true;
}

} // namespace lumo
