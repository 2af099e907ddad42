#include "platform/AppConfig.h"
#include <QHash>

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/IniDocument.h"
#include "platform/WorkingFolder.h"

namespace lumo {

namespace config {

QString configPath(const QString& folder) {
    return workingFolder::resolveIn(folder, kFileName);
}

QString languageFileName(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(slash + 1);
}

} // namespace config

namespace {

bool hasControlCharacter(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

// A stored language must be a bare file name in the working folder; anything else would load
// a pack from elsewhere.
bool isUsableLanguageName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\\') && !hasControlCharacter(name);
}

// Binary junk: a line with control bytes other than tab (line endings are not part of it).
bool isJunkLine(const QByteArray& line) {
    for (const char ch : line) {
        const auto byte = static_cast<unsigned char>(ch);
        if ((byte < 0x20 && byte != '\t' && byte != '\r') || byte == 0x7F)
            return true;
    }
    return false;
}

bool saveConfig(const QString& folder, IniDocument& document, bool usb, int com,
                const QString& language, QString* error) {
    const QString lang = config::languageFileName(language);
    const bool ok = document.setValue("Info", "ClosePort", config::kInfoClosePort) &&
                    document.setValue("Info", "TimeOutRS", config::kInfoTimeOutRS) &&
                    document.setValue("-", "-", "-") &&
                    document.setValue("Setup", "USB", usb ? "1" : "0") &&
                    document.setValue("Setup", "COM", QString::number(com)) &&
                    document.setValue("Setup", "Lang", lang);
    if (!ok) {
        if (error)
            *error = QStringLiteral("Invalid configuration entry");
        return false;
    }
    return writeFileAtomically(config::configPath(folder), document.toBytes(), error);
}

} // namespace

AppConfig readConfig(const QString& folder) {
    AppConfig result;
    IniDocument document;
    bool existed = false;
    // Unreadable (existed stays true, so no first-start file replaces it): the defaults, with
    // the reason in loadError.
    const bool read = IniDocument::load(config::configPath(folder), &document, &existed, nullptr,
                                        &result.loadError);
    result.existed = existed;
    if (!existed || !read)
        return result;

    result.com = document.readInt("Setup", "COM", 1);
    result.usb = document.readInt("Setup", "USB", 0) == 1;
    const QString lang = document.readString("Setup", "Lang", config::kDefaultLanguage);
    result.lang = isUsableLanguageName(lang) ? lang : config::kDefaultLanguage;
    result.closePort = document.readString("Setup", "ClosePort", "0");
    // A time-out of zero or less would poll the port in a busy loop and never wait for a byte.
    const int timeOut = document.readInt("Setup", "TimeOutRS", 10);
    result.timeOutRS = timeOut > 0 ? timeOut : 10;
    result.verify = document.readInt("Setup", "Verify", 0) == 1;
    // Only an explicit 0 turns a safety net off; anything else keeps it.
    result.backup = document.readInt("Setup", "Backup", 1) != 0;
    result.backupBeforeWrite = document.readInt("Setup", "BackupBeforeWrite", 1) != 0;
    return result;
}

bool createConfig(const QString& folder, int com, const QString& language, QString* error) {
    IniDocument document;
    return saveConfig(folder, document, false, com, language, error);
}

bool writeConfigOnClose(const QString& folder, bool usb, int com, const QString& language,
                        QString* error, bool verify) {
    IniDocument document;
    // A file that exists but cannot be read is left alone rather than replaced by one that has
    // lost the user's own keys.
    if (!IniDocument::load(config::configPath(folder), &document, nullptr, error))
        return false;
    document.removeLines(isJunkLine);
    if (verify || document.hasKey("Setup", "Verify"))
        document.setValue("Setup", "Verify", verify ? "1" : "0");
    return saveConfig(folder, document, usb, com, language, error);
}

namespace {
QHash<int, QString>& portOverrides() {
    static QHash<int, QString> overrides;
    return overrides;
}
} // namespace

void setPortDeviceOverride(int port, const QString& devicePath) {
    if (devicePath.isEmpty())
        portOverrides().remove(port);
    else
        portOverrides().insert(port, devicePath);
}

bool hasPortDeviceOverride(int port) {
    return portOverrides().contains(port);
}

bool storePortDevicePath(const QString& folder, int port, const QString& devicePath,
                         FileError* error) {
    FileError failure;
    IniDocument document;
    const QString path = config::configPath(folder);
    // An unreadable file is left alone rather than replaced by one with only this entry.
    if (port < 1 || devicePath.isEmpty() ||
        !IniDocument::load(path, &document, nullptr, nullptr, &failure)) {
        if (failure.ok())
            failure.problem = FileError::Problem::BadPath;
        if (error)
            *error = failure;
        return false;
    }
    // A path the file's code page cannot hold would be read back as another path.
    if (cp1250::toUnicode(cp1250::fromUnicode(devicePath)) != devicePath ||
        !document.setValue(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port),
                           devicePath)) {
        if (error)
            error->problem = FileError::Problem::BadPath;
        return false;
    }
    return saveFileAtomically(path, document.toBytes(), error);
}

QString portDevicePath(const QString& folder, int port) {
    if (port < 1)
        return {};
    if (const auto it = portOverrides().constFind(port); it != portOverrides().cend())
        return it.value();
    IniDocument document;
    IniDocument::load(config::configPath(folder), &document);
    const QString path = document.readString("Ports", QStringLiteral("COM%1").arg(port));
    if (!path.isEmpty())
        return path;
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

} // namespace lumo
