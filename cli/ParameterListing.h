#pragma once
#include <QStringList>

namespace lumo {
class ParameterSet;
class Texts;
struct ParameterDifference;
struct WriteCheck;
} // namespace lumo

namespace lumo::cli {

// The parameter set as the main window shows it: each page's caption, then its frames with
// their captions and the fields by row label, indented, in the texts given. Fields that sit on
// no page (the status fields, the tone-detection lists) follow at the end.
QStringList readableListing(const ParameterSet& params, const Texts& texts);

// One "NAME=VALUE" line per parameter in control-name order, then the firmware version.
QStringList nameListing(const ParameterSet& params);

// One difference on one line: "PAGE / CAPTION [NAME]: "A" -> "B"", a caption broken over two
// lines in the window joined; "--" for a value the firmware lacks.
QString differenceLine(const ParameterDifference& d);

// How a checked write ended, as the console tells it: "Zápis ověřen" on standard output, or
// on standard error why it is not verified, with one line per differing parameter (where it
// is, its name, what was written -> what the unit holds). True when verified.
bool reportWriteCheck(const WriteCheck& check, const Texts& texts);

} // namespace lumo::cli
