#pragma once
#include <QString>
#include <array>

namespace lumo {

class Texts;

// The 24 names of the label dialog, Edit1..Edit24 in order. A name may be longer than the
// dialog's 20 characters when it came from a file; it is kept whole.
using LabelNames = std::array<QString, 24>;

// Label files (.KTL): a private-profile INI file in code page 1250 with the section "N" and
// the keys "1".."24" holding the names.
namespace labelFile {

// The extension test of Load: the text after the last "." (the whole name without one),
// trimmed, is "KTL" in any letter case.
bool hasLabelExtension(const QString& fileName);

// Reads the names; a missing key gives an empty name. On failure `names` is unchanged and
// *error names the file and the reason.
bool load(const QString& path, LabelNames& names, QString* error, const Texts& texts);

// Writes the names to keys "1".."24" of section "N"; every other section, key and line of an
// existing file stays as it was. The file is replaced atomically, so a failed save leaves the
// previous file intact.
bool save(const QString& path, const LabelNames& names, QString* error, const Texts& texts);

} // namespace labelFile
} // namespace lumo
