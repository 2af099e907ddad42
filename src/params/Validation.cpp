#include "params/Validation.h"
#include "params/FieldTable.h"
#include "params/ToneCodes.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"

namespace lumo {

namespace {

bool onlyDigits(const QString& t) {
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool onlyDigitCode(const QString& t) {
    for (QChar c : t)
        if (!codes::digitCode(c))
            return false;
    return true;
}

// A decimal integer of digits only, within lo..hi and a multiple of `step`.
bool integerIn(const QString& t, int lo, int hi, int step = 1) {
    if (t.isEmpty() || !onlyDigits(t))
        return false;
    const std::optional<int> v = codes::parseDecimal(t);
    return v && *v >= lo && *v <= hi && *v % step == 0;
}

bool validText(const FieldDef& f, const QString& t) {
    if (f.maxLength > 0 && t.size() > f.maxLength)
        return false;
    switch (f.exitRule) {
    case ExitRule::TwoDigitCode:
        return t.isEmpty() || (t.size() == 2 && onlyDigits(t));
    case ExitRule::Password:
        return t.isEmpty() || (t.size() >= 2 && t.size() <= 6 && onlyDigits(t));
    case ExitRule::ServicePassword:
        return t.size() == 4 && onlyDigits(t);
    case ExitRule::Unfitted:
        return integerIn(t, 0, 2);
    case ExitRule::AtLeastOne:
        return integerIn(t, 1, 99);
    case ExitRule::EmptyBecomesOne:
        return integerIn(t, 1, f.filter == KeyFilter::Count1to5 ? 5 : 9);
    case ExitRule::RingCount:
        return integerIn(t, 4, 99);
    case ExitRule::ToneTime:
        return integerIn(t, 60, 150, 10);
    case ExitRule::FlashTime:
        return integerIn(t, 100, 600, 100);
    case ExitRule::PauseTime:
        return integerIn(t, 500, 1000, 100);
    case ExitRule::CallTime: {
        if (t == codes::callTimeHalf() || t == QLatin1String("15") || t == QLatin1String("30"))
            return true;
        return integerIn(t, 1, 9) && t.size() == 1;
    }
    case ExitRule::None:
        break;
    }
    switch (f.imageCoding) {
    case ImageCoding::DigitGroup: // dialling numbers and the prefix
        return onlyDigitCode(t);
    case ImageCoding::PowerOnCount:
        return t.isEmpty() || t == QLatin1String("-") || integerIn(t, 0, 255);
    case ImageCoding::BusyToneCount:
    case ImageCoding::ToneDuration:
        return integerIn(t, 0, 255);
    case ImageCoding::ToneBand:
        return codes::bandCode(t).has_value();
    default:
        return true;
    }
}

QString captionOf(const FieldDef& f, const Texts& texts) {
    const QString name = QString::fromLatin1(f.name);
    QString caption;
    if (f.caption) {
        caption = texts.get(*f.caption).trimmed();
    } else if (f.kind == FieldKind::Text && f.imagePosition == 0 &&
               name.startsWith(QLatin1String("Edit"))) {
        // Number memories have no caption of their own: name them as the page rows do.
        const int k = name.mid(4).toInt();
        const int button = k <= 64 ? k : k - 64;
        caption = texts.get(TextSection::TAB4, k <= 64 ? 3 : 4).trimmed() + QStringLiteral(", ") +
                  texts.get(TextSection::TAB4, 5).trimmed() + QLatin1Char(' ') +
                  QString::number(button);
    }
    caption = caption.simplified(); // two-line captions read as one
    while (caption.endsWith(QLatin1Char(':')) || caption.endsWith(QLatin1Char(' ')))
        caption.chop(1);
    if (caption.isEmpty())
        return name;
    return caption + QStringLiteral(" (") + name + QLatin1Char(')');
}

} // namespace

std::vector<InvalidValue> validateForUnit(const ParameterSet& params, const Texts& texts) {
    std::vector<InvalidValue> invalid;
    for (const FieldDef& f : fieldTable()) {
        if (f.kind != FieldKind::Text && f.kind != FieldKind::List)
            continue;
        const QString name = QString::fromLatin1(f.name);
        const QString value = params.text(name);
        if (!validText(f, value))
            invalid.push_back({name, captionOf(f, texts), value});
    }
    return invalid;
}

QString invalidValuesMessage(const std::vector<InvalidValue>& invalid, const Texts& texts) {
    if (invalid.empty())
        return {};
    QString text = texts.message(64);
    for (const InvalidValue& v : invalid)
        text += QStringLiteral("\n%1: \"%2\"").arg(v.caption, v.value);
    return text;
}

bool checkBeforeTransfer(const ParameterSet& params, const Texts& texts, Messenger& messenger) {
    const std::vector<InvalidValue> invalid = validateForUnit(params, texts);
    if (invalid.empty())
        return true;
    messenger.message(invalidValuesMessage(invalid, texts));
    return false;
}

} // namespace lumo
