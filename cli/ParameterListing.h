#pragma once
#include <QStringList>

namespace lumo {
class ParameterSet;
class Texts;
} // namespace lumo

namespace lumo::cli {

// The parameter set as the main window shows it: each page's caption, then its frames with
// their captions and the fields by row label, indented, in the texts given. Fields that sit on
// no page (the status fields, the tone-detection lists) follow at the end.
QStringList readableListing(const ParameterSet& params, const Texts& texts);

// One "NAME=VALUE" line per parameter in control-name order, then the firmware version.
QStringList nameListing(const ParameterSet& params);

} // namespace lumo::cli
