#pragma once
#include "params/ParameterSet.h"
#include <QByteArray>
#include <QString>

namespace lumo {

class Texts;

// The JSON form of a parameter set: one object keyed by control name, strings for text fields
// and lists, booleans for option buttons and check boxes, and an optional "FirmwareVersion".
namespace parameterJson {

// Keys in control-name order (Edit1..Edit158, RadioButton1..25, CheckBox1..5, ComboBox1..3),
// then FirmwareVersion when it is known.
QByteArray toJson(const ParameterSet& params);

// Reads a JSON object onto the defaults: missing keys keep their defaults; unknown keys, wrong
// value types, two checked buttons of one group or a group with every button false are errors.
// On error `params` is untouched and *problem says what is wrong, in texts of `texts` (the
// built-in Czech texts when null).
bool fromJson(const QByteArray& json, ParameterSet& params, QString* problem = nullptr,
              const Texts* texts = nullptr);

} // namespace parameterJson
} // namespace lumo
