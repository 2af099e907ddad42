#pragma once

namespace lumo {

class Messenger;
class Texts;

// Before any write to a unit: a set that holds nothing read from a unit or loaded from a file
// in this run (the defaults, or values typed in) is not written without a Yes to the question,
// No being the default. `fromUnitOrFile` is the set's ParameterModel::cameFromUnitOrFile().
// True when the write may go on.
bool writeGuardPasses(bool fromUnitOrFile, Messenger& messenger, const Texts& texts);

} // namespace lumo
