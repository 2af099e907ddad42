#pragma once
#include "params/ParameterSet.h"
#include <QString>

namespace lumo {

class Texts;

// A parameter set kept in a file: a settings file (.KTF) or its JSON form (.json), told apart
// by the file name's extension in any letter case. Messages come from `texts` (the built-in
// Czech texts when null).
enum class ParameterFileFormat { Unknown, Ktf, Json };

ParameterFileFormat parameterFileFormat(const QString& path);
// "\"PATH\": název souboru musí končit na .KTF nebo .json".
QString unknownParameterFileMessage(const QString& path, const Texts* texts = nullptr);

// The largest JSON parameter set read; a real one is a few kilobytes.
constexpr qint64 kLargestJsonFile = 1 << 20;

// All-or-nothing: on failure `params` is unchanged and *error names the file and the problem.
bool loadParameterFile(const QString& path, ParameterSet& params, QString* error,
                       const Texts* texts = nullptr);
// Replaces the file atomically; on failure the previous file is kept. A settings file cannot
// hold a value longer than 32 characters or a character outside code page 1250: such a set is
// refused with a message naming the field rather than saved cut or with "?".
bool saveParameterFile(const QString& path, const ParameterSet& params, QString* error,
                       const Texts* texts = nullptr);

// The first value of `params` that a settings file cannot hold, as a message naming its
// field; empty when every value fits.
QString settingsFileValueProblem(const ParameterSet& params, const Texts& texts);

} // namespace lumo
