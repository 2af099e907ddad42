#include "files/ParameterFiles.h"
#include "files/ParameterJson.h"
#include "files/SettingsFile.h"
#include "platform/AtomicFile.h"
#include <QFile>
#include <QFileInfo>

namespace lumo {

ParameterFileFormat parameterFileFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ktf"))
        return ParameterFileFormat::Ktf;
    if (suffix == QLatin1String("json"))
        return ParameterFileFormat::Json;
    return ParameterFileFormat::Unknown;
}

QString unknownParameterFileMessage(const QString& path) {
    return QStringLiteral("\"%1\": the file name must end in .KTF or .json").arg(path);
}

namespace {

bool loadJson(const QString& path, ParameterSet& params, QString* error) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        *error = QStringLiteral("Cannot load \"%1\": %2")
                     .arg(path, info.isDir() ? QStringLiteral("it is a folder, not a file")
                                             : QStringLiteral("the file does not exist"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot load \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    // A parameter set is a few kilobytes; never read a huge file or a device whole.
    constexpr qint64 kLargest = 1 << 20;
    const QByteArray json = file.read(kLargest + 1);
    if (json.size() > kLargest) {
        *error = QStringLiteral("Cannot load \"%1\": the file is too large for a parameter set")
                     .arg(path);
        return false;
    }
    QString problem;
    if (!parameterJson::fromJson(json, params, &problem)) {
        *error = QStringLiteral("Cannot load \"%1\": %2").arg(path, problem);
        return false;
    }
    return true;
}

} // namespace

bool loadParameterFile(const QString& path, ParameterSet& params, QString* error) {
    switch (parameterFileFormat(path)) {
    case ParameterFileFormat::Ktf:
        return LoadSettingsFile(params, path, error);
    case ParameterFileFormat::Json:
        return loadJson(path, params, error);
    case ParameterFileFormat::Unknown:
        break;
    }
    *error = unknownParameterFileMessage(path);
    return false;
}

bool saveParameterFile(const QString& path, const ParameterSet& params, QString* error) {
    switch (parameterFileFormat(path)) {
    case ParameterFileFormat::Ktf:
        return SaveSettingsFile(params, path, error);
    case ParameterFileFormat::Json: {
        QString reason;
        if (writeFileAtomically(path, parameterJson::toJson(params), &reason))
            return true;
        *error = QStringLiteral("Cannot save \"%1\": %2").arg(path, reason);
        return false;
    }
    case ParameterFileFormat::Unknown:
        break;
    }
    *error = unknownParameterFileMessage(path);
    return false;
}

} // namespace lumo
