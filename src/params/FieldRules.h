#pragma once
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include <QChar>
#include <QString>
#include <optional>

namespace lumo {

// The field rules of the parameter set as plain functions over texts, so they are tested
// without widgets; the main window calls them from its key, focus and click handlers.

constexpr QChar kBackspace = QChar(8);

// The character a typed key inserts, or nothing when the filter discards it. Backspace passes
// every filter except the display-only and no-typing ones.
std::optional<QChar> filterKey(KeyFilter filter, QChar typed, QChar decimalSeparator);

struct ExitResult {
    bool rejected = false;            // show `message`, keep the text, focus back
    std::optional<TextKey> message;   // MESSAGE n for rejecting rules
    bool restoreValueOnEntry = false; // Edit151: put back the text it had when entered
    QString text;                     // the text the field shows afterwards
    bool changed = false;             // a correcting rule rewrote the text
};

// Runs the field's exit rule on its text (the rule itself trims it); correcting rules take
// their bounds from the field's range.
ExitResult applyExitRule(const FieldDef& field, const QString& text, QChar decimalSeparator);

// "0,5" with the locale's separator: the call time of one half minute.
QString callTimeHalf(QChar decimalSeparator);

// Edit151: what a key press does, given the field's current text.
enum class UnfittedKey { Pass, Ask, Discard };
UnfittedKey unfittedKeyDecision(QChar typed, const QString& currentText);

// Runs on a user's click of an option button only (never when values come from data): while
// switch 2 works sequentially (RadioButton21), switch 1 stays a plain switch (RadioButton12).
void applySwitchModeRule(ParameterSet& params, const QString& clickedButton);

// What the firmware rules decide besides the parameter states they set.
struct FirmwareRuleStates {
    bool toneDetectionEnabled = false; // Button1 of the time page
};

// The firmware rules of the table's firmware conditions, run on every tick of the port timer:
// RadioButton16, Button1, CheckBox3..CheckBox5, Edit158 (Label168 follows Edit158's
// visibility).
FirmwareRuleStates applyFirmwareRules(ParameterSet& params);

} // namespace lumo
