#include "params/Validation.h"
#include "params/FieldCodings.h"
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

// A decimal integer of digits only, within the range and a multiple of its step.
bool integerIn(const QString& t, const ValueRange& range) {
    if (t.isEmpty() || !onlyDigits(t))
        return false;
    const std::optional<int> v = codes::parseDecimal(t);
    return v && *v >= range.lo && *v <= range.hi && *v % range.step == 0;
}

// The codes and passwords: digits only, of these lengths, or empty where the rule allows it.
struct TextShape {
    ExitRule rule;
    int minLength;
    int maxLength;
    bool emptyAllowed;
};
constexpr TextShape kShapes[] = {
    {ExitRule::TwoDigitCode, 2, 2, true},
    {ExitRule::Password, 2, 6, true},
    {ExitRule::ServicePassword, 4, 4, false},
};

const TextShape* shapeOf(ExitRule rule) {
    for (const TextShape& shape : kShapes)
        if (shape.rule == rule)
            return &shape;
    return nullptr;
}

bool validCallTime(const QString& t) {
    if (t == codes::callTimeHalf() || t == QLatin1String("15") || t == QLatin1String("30"))
        return true;
    return t.size() == 1 && integerIn(t, ValueRange{1, 9});
}

bool validText(const FieldDef& f, const QString& t) {
    if (f.maxLength > 0 && t.size() > f.maxLength)
        return false;
    if (const TextShape* shape = shapeOf(f.exitRule))
        return (shape->emptyAllowed && t.isEmpty()) ||
               (t.size() >= shape->minLength && t.size() <= shape->maxLength && onlyDigits(t));
    if (f.exitRule == ExitRule::CallTime)
        return validCallTime(t);
    if (f.range)
        return integerIn(t, *f.range);
    return imageCodingRow(f.imageCoding).valid(t);
}

QString captionOf(const FieldDef& f, const Texts& texts) {
    const QString name = QString::fromLatin1(f.name);
    QString caption;
    if (f.caption) {
        caption = texts.get(*f.caption).trimmed();
    } else if (f.memory > 0) {
        // Number memories have no caption of their own: name them by frame and row.
        if (const FrameDef* frame =
                f.place.frame ? findFrame(QString::fromLatin1(f.place.frame)) : nullptr;
            frame && frame->caption)
            caption = texts.get(*frame->caption).trimmed() + QStringLiteral(", ");
        caption += rowCaption(f, texts).trimmed();
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
    messenger.warning(invalidValuesMessage(invalid, texts));
    return false;
}

} // namespace lumo
