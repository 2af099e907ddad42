#include "params/FieldRules.h"
#include <algorithm>
#include <cmath>

namespace lumo {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
bool inRange(QChar c, char lo, char hi) {
    return c >= QLatin1Char(lo) && c <= QLatin1Char(hi);
}

ExitResult keep(const QString& text) {
    ExitResult r;
    r.text = text;
    return r;
}

ExitResult reject(const QString& text, int messageKey) {
    ExitResult r;
    r.rejected = true;
    r.message = TextKey{TextSection::MESSAGE, messageKey};
    r.text = text;
    return r;
}

ExitResult correct(const QString& original, const QString& corrected) {
    ExitResult r;
    r.text = corrected;
    r.changed = corrected != original;
    return r;
}

// Round half up to a multiple of `step`, the way the field shows it ("70", "700").
QString roundedToStep(int value, int step) {
    const int units = static_cast<int>(std::floor(double(value) / step + 0.5));
    return QString::number(units) + QString(QString::number(step).size() - 1, QLatin1Char('0'));
}

// An empty dialling time counts as this many milliseconds before it is brought into range.
constexpr int kEmptyDiallingTime = 60;

// The dialling-time fields: empty gives 60, then clamp to the range, then round to its step.
ExitResult diallingTime(const QString& original, const QString& trimmed, const ValueRange& range) {
    int value = trimmed.isEmpty() ? kEmptyDiallingTime : trimmed.toInt();
    if (value < range.lo)
        value = range.lo;
    if (value > range.hi)
        value = range.hi;
    return correct(original, roundedToStep(value, range.step));
}

ExitResult callTime(const QString& original, const QString& trimmed, QChar sep) {
    const QString half = callTimeHalf(sep);
    if (trimmed.isEmpty() || trimmed.startsWith(sep) || trimmed.endsWith(sep))
        return correct(original, half);
    QString normalised = trimmed;
    normalised.replace(sep, QLatin1Char('.'));
    bool ok = false;
    const double v = normalised.toDouble(&ok);
    // Text the filter cannot produce (several separators) counts as the shortest call time.
    if (!ok || v < 1)
        return correct(original, half);
    if (v <= 9)
        return correct(original, QString::number(static_cast<int>(v)));
    if (v <= 12)
        return correct(original, QStringLiteral("9"));
    if (v <= 22)
        return correct(original, QStringLiteral("15"));
    return correct(original, QStringLiteral("30"));
}

} // namespace

std::optional<QChar> filterKey(KeyFilter filter, QChar c, QChar sep) {
    if (filter == KeyFilter::DisplayOnly || filter == KeyFilter::NoTyping)
        return std::nullopt;
    if (c == kBackspace || filter == KeyFilter::None)
        return c;
    switch (filter) {
    case KeyFilter::Digits:
        return isDigit(c) ? std::optional<QChar>(c) : std::nullopt;
    case KeyFilter::CallTime:
        return isDigit(c) || c == sep ? std::optional<QChar>(c) : std::nullopt;
    case KeyFilter::Count1to9:
        return inRange(c, '1', '9') ? std::optional<QChar>(c) : std::nullopt;
    case KeyFilter::Count1to5:
        return inRange(c, '1', '5') ? std::optional<QChar>(c) : std::nullopt;
    case KeyFilter::Unfitted:
        return inRange(c, '0', '2') ? std::optional<QChar>(c) : std::nullopt;
    case KeyFilter::Prefix:
    case KeyFilter::DiallingNumber: {
        if (isDigit(c) || c == QLatin1Char('*') || c == QLatin1Char('#'))
            return c;
        const QChar upper = c.toUpper();
        if (upper == QLatin1Char('H'))
            return QChar(QLatin1Char('*'));
        if (upper == QLatin1Char('K'))
            return QChar(QLatin1Char('#'));
        if (filter == KeyFilter::DiallingNumber &&
            (upper == QLatin1Char('P') || upper == QLatin1Char('F')) && c.unicode() < 128)
            return upper;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

QString callTimeHalf(QChar sep) {
    return QStringLiteral("0") + sep + QStringLiteral("5");
}

ExitResult applyExitRule(const FieldDef& field, const QString& text, QChar sep) {
    const QString t = text.trimmed();
    // Correcting rules take their bounds from the field's range.
    const ValueRange range = field.range.value_or(ValueRange{1, 99});
    switch (field.exitRule) {
    case ExitRule::None:
        return keep(text);
    case ExitRule::TwoDigitCode:
        return t.size() == 1 ? reject(text, 12) : keep(text);
    case ExitRule::Password:
        return t.size() == 1 ? reject(text, 11) : keep(text);
    case ExitRule::ServicePassword:
        return t.size() != 4 ? reject(text, 14) : keep(text);
    case ExitRule::Unfitted: {
        if (!t.isEmpty())
            return keep(text);
        ExitResult r = reject(text, 13);
        r.restoreValueOnEntry = true;
        return r;
    }
    case ExitRule::AtLeastOne:
        return t.isEmpty() || t.toInt() < range.lo ? correct(text, QString::number(range.lo))
                                                   : keep(text);
    case ExitRule::EmptyBecomesOne:
        return t.isEmpty() ? correct(text, QStringLiteral("1")) : keep(text);
    case ExitRule::RingCount:
        if (t.isEmpty() || t.toInt() < range.lo)
            return correct(text, QString::number(range.lo).rightJustified(2, QLatin1Char('0')));
        if (t.size() == 1)
            return correct(text, QStringLiteral("0") + t);
        return keep(text);
    case ExitRule::DiallingTime:
        return diallingTime(text, t, range);
    case ExitRule::CallTime:
        return callTime(text, t, sep);
    }
    return keep(text);
}

UnfittedKey unfittedKeyDecision(QChar typed, const QString& currentText) {
    if (typed == kBackspace)
        return UnfittedKey::Pass;
    if (!inRange(typed, '0', '2'))
        return UnfittedKey::Discard;
    const QString current = currentText.trimmed();
    if (!current.isEmpty() && current == QString(typed))
        return UnfittedKey::Pass;
    return UnfittedKey::Ask;
}

void applySwitchModeRule(ParameterSet& params, const QString& clicked) {
    const QString sequential = switchRoleButton(SwitchRole::SequentialSwitch2);
    const QString plainSwitch = switchRoleButton(SwitchRole::PlainSwitch1);
    const SwitchRole role = switchRole(clicked);
    if (role == SwitchRole::SequentialSwitch2 ||
        (role == SwitchRole::OtherSwitch1 && params.isChecked(sequential)))
        params.setChecked(plainSwitch, true);
}

namespace {

// The firmware version as its major and minor digit; nothing while no unit has been read.
struct Firmware {
    bool known;
    int major;
    int minor;
};

Firmware firmwareOf(const QString& version) {
    const bool known = version.size() >= 3;
    return {known, known ? std::max(0, version.front().digitValue()) : 0,
            known ? std::max(0, version.back().digitValue()) : 0};
}

// Whether a condition allows its parameter; nothing when the parameter is left as it is.
std::optional<bool> allows(FirmwareCondition condition, const Firmware& fw) {
    switch (condition) {
    case FirmwareCondition::Always:
        return true;
    case FirmwareCondition::KeypadPlace3:
        return !(fw.known && fw.major == 1 && fw.minor < 7);
    case FirmwareCondition::ToneDetection:
        return fw.known && fw.major >= 4;
    case FirmwareCondition::Signalling:
        if (!fw.known)
            return std::nullopt;
        return fw.major >= 7;
    case FirmwareCondition::Prefix:
        // While no unit has been read the field is left as a loaded file set it: clearing it
        // then would silently drop the file's prefix.
        if (!fw.known)
            return std::nullopt;
        return fw.major > 7 || (fw.major == 7 && fw.minor > 3);
    }
    return true;
}

} // namespace

FirmwareRuleStates applyFirmwareRules(ParameterSet& params) {
    const Firmware fw = firmwareOf(params.firmwareVersion());

    // An option button the firmware lacks is disabled; when it was checked, its group falls
    // back to its default button.
    for (const OptionGroupDef& g : optionGroups())
        for (const OptionDef& o : g.options) {
            const std::optional<bool> allowed = allows(o.firmware, fw);
            if (o.firmware == FirmwareCondition::Always || !allowed)
                continue;
            const QString name = QString::fromLatin1(o.button);
            if (!*allowed && params.isChecked(name))
                params.setChecked(QString::fromLatin1(g.defaultButton), true);
            params.setEnabled(name, *allowed);
        }

    // A check box the firmware lacks takes its default and is disabled; a text field is hidden
    // and emptied.
    for (const FieldDef& f : fieldTable()) {
        const std::optional<bool> allowed = allows(f.firmware, fw);
        if (f.firmware == FirmwareCondition::Always || !allowed)
            continue;
        const QString name = QString::fromLatin1(f.name);
        if (f.kind == FieldKind::Check) {
            if (!*allowed)
                params.setChecked(name, qstrcmp(f.defaultValue, "1") == 0);
            params.setEnabled(name, *allowed);
        } else {
            params.setVisible(name, *allowed);
            if (!*allowed)
                params.setText(name, QString());
        }
    }

    FirmwareRuleStates states;
    for (const FrameDef& frame : frameTable())
        if (frame.kind == FrameKind::Command && frame.firmware != FirmwareCondition::Always)
            states.toneDetectionEnabled = allows(frame.firmware, fw).value_or(false);
    return states;
}

} // namespace lumo
