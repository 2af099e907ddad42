#pragma once
#include "params/ParameterSet.h"
#include <QByteArray>
#include <QString>
#include <functional>

namespace lumo {

class Texts;

// The settings file (*.KTF): 50-byte records of a length-prefixed six-character name and a
// length-prefixed value of at most 32 characters in code page 1250, in the fixed order of
// fileRecords(). Records 1..164 are mandatory, 165..171 optional.
namespace settingsFile {

constexpr int kRecordSize = 50;
constexpr int kMandatoryRecords = 164;
constexpr int kAllRecords = 171;
constexpr int kMaxValueLength = 32;

// The bytes of a complete file (171 records) for a parameter set.
QByteArray toBytes(const ParameterSet& params);

// Applies the bytes of a file onto `params` only if the whole file is sound: at least 164
// whole records, each with a six-character name and a value of 0..32 characters. Otherwise
// `params` stays exactly as it was and *problem says what is wrong.
// Messages come from `texts` (the built-in Czech texts when null).
bool fromBytes(const QByteArray& bytes, ParameterSet& params, QString* problem = nullptr,
               const Texts* texts = nullptr);

// Writes the file; the default writer replaces the file atomically.
using Writer = std::function<bool(const QString& path, const QByteArray& bytes, QString* error)>;

} // namespace settingsFile

// Writes `params` to `fileName`. The previous file survives any failure; *error then names the
// file and gives the system's reason.
bool SaveSettingsFile(const ParameterSet& params, const QString& fileName, QString* error = nullptr,
                      const settingsFile::Writer& writer = {}, const Texts* texts = nullptr);

// Reads `fileName` into `params`, all or nothing: on failure `params` is untouched and *error
// names the file and what is wrong with it.
bool LoadSettingsFile(ParameterSet& params, const QString& fileName, QString* error = nullptr,
                      const Texts* texts = nullptr);

} // namespace lumo
