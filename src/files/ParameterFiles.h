#pragma once
#include "params/ParameterSet.h"
#include <QString>

namespace lumo {

// A parameter set kept in a file: a settings file (.KTF) or its JSON form (.json), told apart
// by the file name's extension in any letter case.
enum class ParameterFileFormat { Unknown, Ktf, Json };

ParameterFileFormat parameterFileFormat(const QString& path);
// "\"PATH\": the file name must end in .KTF or .json".
QString unknownParameterFileMessage(const QString& path);

// All-or-nothing: on failure `params` is unchanged and *error names the file and the problem.
bool loadParameterFile(const QString& path, ParameterSet& params, QString* error);
// Replaces the file atomically; on failure the previous file is kept.
bool saveParameterFile(const QString& path, const ParameterSet& params, QString* error);

} // namespace lumo
