#include "files/ParameterFiles.h"
#include "files/ParameterJson.h"
#include "files/SettingsFile.h"
#include "params/FieldTable.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include "platform/FileAccess.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"
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

QString unknownParameterFileMessage(const QString& path, const Texts* texts) {
    const Texts builtIn;
    return (texts ? *texts : builtIn).message(messageKey::kWrongExtension).arg(path);
}

namespace {

bool loadJson(const QString& path, ParameterSet& params, QString* error, const Texts& t) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = t.message(messageKey::kCannotLoad).arg(path, why);
        return false;
    };
    QByteArray json;
    FileError readError;
    if (!readRegularFile(path, kLargestJsonFile, &json, &readError))
        return fail(fileErrorText(readError, t));
    QString problem;
    if (!parameterJson::fromJson(json, params, &problem, &t))
        return fail(problem);
    return true;
}

} // namespace

QString settingsFileValueProblem(const ParameterSet& params, const Texts& texts) {
    for (const FieldDef& f : fieldTable()) {
        if (f.fileRecord == 0 || f.fileCoding != FileCoding::Text)
            continue;
        const QString name = QString::fromLatin1(f.name);
        const QString value = params.text(name);
        for (const QChar c : value) {
            unsigned char byte = 0;
            if (!cp1250::fromChar(c, &byte))
                return texts.message(messageKey::kValueNotCp1250)
                    .arg(name, QString(c), cutForMessage(value));
        }
        if (value.size() > settingsFile::kMaxValueLength)
            return texts.message(messageKey::kValueTooLong)
                .arg(name)
                .arg(value.size())
                .arg(settingsFile::kMaxValueLength)
                .arg(cutForMessage(value));
    }
    return {};
}

bool loadParameterFile(const QString& path, ParameterSet& params, QString* error,
                       const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    switch (parameterFileFormat(path)) {
    case ParameterFileFormat::Ktf:
        return LoadSettingsFile(params, path, error, &t);
    case ParameterFileFormat::Json:
        return loadJson(path, params, error, t);
    case ParameterFileFormat::Unknown:
        break;
    }
    if (error)
        *error = unknownParameterFileMessage(path, &t);
    return false;
}

bool saveParameterFile(const QString& path, const ParameterSet& params, QString* error,
                       const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    switch (parameterFileFormat(path)) {
    case ParameterFileFormat::Ktf: {
        const QString problem = settingsFileValueProblem(params, t);
        if (!problem.isEmpty()) {
            if (error)
                *error = t.message(57).arg(path, problem);
            return false;
        }
        return SaveSettingsFile(params, path, error, {}, &t);
    }
    case ParameterFileFormat::Json: {
        FileError saveError;
        if (saveFileAtomically(path, parameterJson::toJson(params), &saveError))
            return true;
        if (error)
            *error = t.message(messageKey::kCannotSave).arg(path, fileErrorText(saveError, t));
        return false;
    }
    case ParameterFileFormat::Unknown:
        break;
    }
    if (error)
        *error = unknownParameterFileMessage(path, &t);
    return false;
}

} // namespace lumo
