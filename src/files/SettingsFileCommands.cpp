#include "files/SettingsFileCommands.h"
#include "files/SettingsFile.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include "texts/Texts.h"
#include <QFileInfo>

namespace lumo {

namespace {
// Names of at most this many characters count as "no file chosen".
constexpr int kShortestName = 7;
} // namespace

SettingsFileCommands::SettingsFileCommands(ParameterModel& model, const Texts& texts,
                                           Messenger& messenger, FileDialogs& dialogs)
    : m_model(model), m_texts(texts), m_messenger(messenger), m_dialogs(dialogs) {}

bool SettingsFileCommands::hasSettingsExtension(const QString& fileName) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? fileName : fileName.mid(dot + 1);
    return extension.trimmed().toUpper() == QLatin1String("KTF");
}

bool SettingsFileCommands::load(const QString& fileName) {
    QString error;
    if (LoadSettingsFile(m_model.params(), fileName, &error, &m_texts)) {
        m_model.resetBaseline(); // what the file holds is no edit
        m_model.setCameFromUnitOrFile();
        return true;
    }
    m_messenger.warning(error);
    return false;
}

bool SettingsFileCommands::write() {
    QString error;
    if (SaveSettingsFile(m_model.params(), m_model.settingsFileName(), &error, {}, &m_texts)) {
        m_model.resetBaseline(); // the file now holds the window's values
        return true;
    }
    m_messenger.warning(error);
    return false;
}

bool SettingsFileCommands::open() {
    const Texts& t = m_texts;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = t.message(26);
    request.filter = t.message(22) + QStringLiteral(" Vexo|*.KTF|") + t.message(27) +
                     QStringLiteral("    *.*|*.*");
    request.defaultSuffix = QStringLiteral("KTF");
    request.folder = workingFolder::current();

    // A cancelled dialog changes nothing: the current file and its name stay.
    const std::optional<QString> chosen = m_dialogs.run(request);
    if (!chosen)
        return false;
    const QString previous = m_model.settingsFileName();
    m_model.setSettingsFileName(*chosen);
    if (m_model.settingsFileName().size() <= kShortestName) {
        m_messenger.warning(t.message(16));
        return false;
    }
    if (!hasSettingsExtension(m_model.settingsFileName())) {
        m_messenger.warning(t.message(17));
        m_model.setSettingsFileName(QString());
        return false;
    }
    if (!load(m_model.settingsFileName())) {
        // The parameters are still those of the previous file, so its name stays: a later
        // Save must not overwrite the file that could not be read.
        m_model.setSettingsFileName(previous);
        return false;
    }
    return true;
}

bool SettingsFileCommands::save() {
    if (m_model.settingsFileName().size() > kShortestName)
        return write();
    return saveAs();
}

bool SettingsFileCommands::saveAs() {
    const Texts& t = m_texts;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.fileName = m_model.saveAsWithCurrentName() ? m_model.settingsFileName() : QString();
    request.folder = workingFolder::current();
    request.defaultSuffix = QStringLiteral("KTF");
    request.filter = t.message(22) + QStringLiteral(" Vexo|*.KTF");
    request.title = t.message(23);

    for (;;) {
        const std::optional<QString> chosen = m_dialogs.run(request);
        if (!chosen)
            return false;
        m_model.setSettingsFileName(*chosen);
        if (!QFileInfo::exists(*chosen))
            break;
        if (m_messenger.ask(t.message(25), t.message(24), Messenger::Icon::Question, true))
            break;
        m_model.setSettingsFileName(QString());
        request.fileName = *chosen; // the dialog opens again on the name just refused
    }
    return write();
}

QString SettingsFileCommands::commandLinePath(const QString& argument) {
    return argument.isEmpty() ? argument : QFileInfo(argument).absoluteFilePath();
}

bool SettingsFileCommands::loadFromCommandLine(const QString& given) {
    const Texts& t = m_texts;
    // The name checks are meant for full paths: "a.KTF" in the working folder is a file too.
    const QString argument = commandLinePath(given);
    m_model.setSettingsFileName(argument);
    if (argument.size() <= kShortestName) {
        m_messenger.warning(t.message(16));
        return false;
    }
    if (!hasSettingsExtension(argument)) {
        m_messenger.warning(t.message(17));
        m_model.setSettingsFileName(QString());
        return false;
    }
    if (!load(argument)) {
        m_model.setSettingsFileName(QString());
        return false;
    }
    return true;
}

} // namespace lumo
