#pragma once
#include "params/ParameterSet.h"
#include <QChar>
#include <QString>
#include <functional>

namespace lumo {

class Texts;

// The outcome of taking one parameter's value from another set into the window's.
struct TakeResult {
    bool taken = false;
    QString reason; // why it was refused, or a note on what the field rules made of it
};

// Takes the value that `other` holds for `name` (a field, or an option group's box as
// ParameterDifference names it) into `window` as if the user had entered it: each character
// through the field's key filter, the text through its exit rule, an option through the
// switch-mode rule. A refused value leaves `window` unchanged. A parameter the window's
// firmware disables, and a display-only field, are refused. `confirmUnfitted` is asked before
// the unfitted-button count changes (as typing asks); no callback means no.
TakeResult takeParameter(ParameterSet& window, const ParameterSet& other, const QString& name,
                         const Texts& texts, QChar decimalSeparator,
                         const std::function<bool()>& confirmUnfitted = {});

} // namespace lumo
