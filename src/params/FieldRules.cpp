#include "params/FieldRules.h"
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

// The dialling-time fields: empty gives `emptyValue`, then clamp, then round.
ExitResult diallingTime(const QString& original, const QString& trimmed, int emptyValue, int lo,
                        int hi, int step) {
    int value = trimmed.isEmpty() ? emptyValue : trimmed.toInt();
    if (value < lo)
        value = lo;
    if (value > hi)
        value = hi;
    return correct(original, roundedToStep(value, step));
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

ExitResult applyExitRule(ExitRule rule, const QString& text, QChar sep) {
    const QString t = text.trimmed();
    switch (rule) {
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
        return t.isEmpty() || t.toInt() <= 0 ? correct(text, QStringLiteral("1")) : keep(text);
    case ExitRule::EmptyBecomesOne:
        return t.isEmpty() ? correct(text, QStringLiteral("1")) : keep(text);
    case ExitRule::RingCount:
        if (t.isEmpty() || t.toInt() < 4)
            return correct(text, QStringLiteral("04"));
        if (t.size() == 1)
            return correct(text, QStringLiteral("0") + t);
        return keep(text);
    case ExitRule::ToneTime:
        return diallingTime(text, t, 60, 60, 150, 10);
    case ExitRule::FlashTime:
        return diallingTime(text, t, 60, 100, 600, 100);
    case ExitRule::PauseTime:
        return diallingTime(text, t, 60, 500, 1000, 100);
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
    const QString sequential = QStringLiteral("RadioButton21");
    const QString plainSwitch = QStringLiteral("RadioButton12");
    if (clicked == sequential) {
        params.setChecked(plainSwitch, true);
        return;
    }
    const bool switch1Other = clicked == QLatin1String("RadioButton13") ||
                              clicked == QLatin1String("RadioButton14") ||
                              clicked == QLatin1String("RadioButton15");
    if (switch1Other && params.isChecked(sequential))
        params.setChecked(plainSwitch, true);
}

FirmwareRuleStates applyFirmwareRules(ParameterSet& params) {
    const QString version = params.firmwareVersion();
    const bool known = version.size() >= 3;
    const int major = known ? std::max(0, version.front().digitValue()) : 0;
    const int minor = known ? std::max(0, version.back().digitValue()) : 0;

    // 1. Keypad in place 3 needs firmware 1.7 or later.
    const QString place3 = QStringLiteral("RadioButton16");
    if (known && major == 1 && minor < 7) {
        if (params.isChecked(place3))
            params.setChecked(QStringLiteral("RadioButton1"), true);
        params.setEnabled(place3, false);
    } else {
        params.setEnabled(place3, true);
    }

    // 2. Tone detection from major version 4.
    FirmwareRuleStates states;
    states.toneDetectionEnabled = known && major >= 4;

    // 3. Sound signalling and delayed start are configurable from major version 7.
    const QString seize = QStringLiteral("CheckBox3");
    const QString other = QStringLiteral("CheckBox4");
    const QString delayed = QStringLiteral("CheckBox5");
    if (known && major < 7) {
        params.setChecked(seize, true);
        params.setChecked(other, true);
        params.setChecked(delayed, false);
        params.setEnabled(seize, false);
        params.setEnabled(other, false);
        params.setEnabled(delayed, false);
    } else if (known) {
        params.setEnabled(seize, true);
        params.setEnabled(other, true);
        params.setEnabled(delayed, true);
    }

    // 4. The dialling prefix exists from version 7.4. While no unit has been read the field is
    // left as a loaded file set it: clearing it then would silently drop the file's prefix.
    const QString prefix = QStringLiteral("Edit158");
    if (known && (major > 7 || (major == 7 && minor > 3))) {
        params.setVisible(prefix, true);
    } else if (known) {
        params.setVisible(prefix, false);
        params.setText(prefix, QString());
    }
    return states;
}

} // namespace lumo
