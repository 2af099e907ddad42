#pragma once
#include "params/ParameterSet.h"
#include <QString>
#include <vector>

namespace lumo {

class Texts;
class Messenger;

// One value that the unit cannot take: which field, what it is called on screen, what it holds.
struct InvalidValue {
    QString field;   // control name
    QString caption; // the caption the user sees (from the texts table)
    QString value;   // the text as it stands
    friend bool operator==(const InvalidValue&, const InvalidValue&) = default;
};

// Checks a parameter set before anything is encoded for a unit. Field rules keep values valid
// while the user types, but settings files and JSON bring texts in unchecked; the encoders
// would send a stale or wrong byte for them. Every field is checked against its rule: numeric
// fields are decimal integers within their rule's range, dialling fields hold only digit-code
// characters, codes and passwords only digits, and no text is longer than its field.
std::vector<InvalidValue> validateForUnit(const ParameterSet& params, const Texts& texts);

// The message that names every invalid value by caption and value (empty when none).
QString invalidValuesMessage(const std::vector<InvalidValue>& invalid, const Texts& texts);

// Runs the check and shows the message when something fails; returns true when the set may
// be sent. Transfers call it before their first byte.
bool checkBeforeTransfer(const ParameterSet& params, const Texts& texts, Messenger& messenger);

} // namespace lumo
