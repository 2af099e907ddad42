#include "params/ParameterTake.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"

namespace lumo {

namespace {

TakeResult refused(const QString& reason) {
    return {false, reason};
}

TakeResult takeOption(ParameterSet& window, const ParameterSet& other, const OptionGroupDef& g,
                      const Texts& texts) {
    const QString wanted = other.checkedOption(QString::fromLatin1(g.options.front().button));
    if (wanted.isEmpty())
        return refused(texts.message(Msg::CompareNoValue));
    if (!window.isEnabled(wanted) || !window.isVisible(wanted))
        return refused(texts.message(Msg::CompareNotAvailable));
    window.setChecked(wanted, true);
    // As a click on the button: switch 2 in sequence keeps switch 1 a plain switch.
    if (const SwitchRole role = switchRole(wanted);
        role == SwitchRole::SequentialSwitch2 || role == SwitchRole::OtherSwitch1)
        applySwitchModeRule(window, wanted);
    return {true, {}};
}

TakeResult takeText(ParameterSet& window, const FieldDef& f, const QString& name,
                    const QString& value, const Texts& texts, QChar separator,
                    const std::function<bool()>& confirmUnfitted) {
    if (f.filter == KeyFilter::DisplayOnly)
        return refused(texts.message(Msg::CompareDisplayOnly));
    QString typed;
    if (f.filter == KeyFilter::NoTyping) {
        // A list takes only one of its items.
        const std::vector<QString>& items = listItems(name);
        if (!items.empty() && std::find(items.begin(), items.end(), value) == items.end())
            return refused(texts.message(Msg::CompareNotInList).arg(value));
        typed = value;
    } else {
        for (QChar c : value) {
            const std::optional<QChar> accepted = filterKey(f.filter, c, separator);
            if (!accepted || *accepted == kBackspace)
                return refused(texts.message(Msg::CompareCharacterRefused).arg(c));
            typed.append(*accepted);
        }
    }
    if (f.maxLength > 0 && typed.size() > f.maxLength)
        return refused(texts.message(Msg::CompareTooLong).arg(f.maxLength));

    const ExitResult exit = applyExitRule(f, typed, separator);
    if (exit.rejected || exit.restoreValueOnEntry)
        return refused(exit.message ? texts.get(*exit.message) : QString());
    const QString result = exit.changed ? exit.text : typed;
    if (f.exitRule == ExitRule::Unfitted && result.trimmed() != window.text(name).trimmed() &&
        !(confirmUnfitted && confirmUnfitted()))
        return refused(texts.message(Msg::CompareNotConfirmed));
    window.setText(name, result);
    if (result != value)
        return {true, texts.message(Msg::CompareCorrected).arg(result)};
    return {true, {}};
}

} // namespace

TakeResult takeParameter(ParameterSet& window, const ParameterSet& other, const QString& name,
                         const Texts& texts, QChar decimalSeparator,
                         const std::function<bool()>& confirmUnfitted) {
    if (const OptionGroupDef* g = findOptionGroupByBox(name))
        return takeOption(window, other, *g, texts);
    const FieldDef* f = findField(name);
    if (!f)
        return refused(texts.message(Msg::CompareNoValue));
    if (!window.isEnabled(name) || !window.isVisible(name))
        return refused(texts.message(Msg::CompareNotAvailable));
    if (f->kind == FieldKind::Check) {
        window.setChecked(name, other.isChecked(name));
        return {true, {}};
    }
    // A field the other set's firmware lacks holds nothing there.
    const QString value = other.isVisible(name) ? other.text(name) : QString();
    return takeText(window, *f, name, value, texts, decimalSeparator, confirmUnfitted);
}

} // namespace lumo
