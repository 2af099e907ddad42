#include "params/RemoteValues.h"
#include "params/ToneCodes.h"
#include <algorithm>
#include <cmath>

namespace lumo {

namespace {

QString nameOf(const FieldDef& f) {
    return QString::fromLatin1(f.name);
}

// The field sharing this field's image position (the other sound-signalling box).
const FieldDef* partnerOf(const FieldDef& f) {
    for (const FieldDef& other : fieldTable())
        if (&other != &f && f.imagePosition > 0 && other.imagePosition == f.imagePosition)
            return &other;
    return nullptr;
}

std::optional<QString> truncated(const QString& text, double divisor, double offset) {
    const std::optional<int> v = codes::parseDecimal(text);
    if (!v)
        return std::nullopt;
    return QString::number(static_cast<long long>(std::trunc(*v / divisor - offset)));
}

using ValueFn = std::optional<QString> (*)(const FieldDef&, const ParameterSet&);

// One row per coding: how a field's state becomes the value after its address.
struct RemoteCodingRow {
    RemoteCoding coding;
    ValueFn value;
};

const RemoteCodingRow kRows[] = {
    {RemoteCoding::None,
     [](const FieldDef&, const ParameterSet&) -> std::optional<QString> { return std::nullopt; }},
    {RemoteCoding::Text,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return p.text(nameOf(f));
     }},
    {RemoteCoding::Option,
     [](const FieldDef&, const ParameterSet&) -> std::optional<QString> {
         return std::nullopt; // option groups have their own overload
     }},
    {RemoteCoding::TalkTime,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return talkTimeCode(p.text(nameOf(f)), codes::callTimeHalf());
     }},
    {RemoteCoding::TwoDigits,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return (QStringLiteral("00") + p.text(nameOf(f))).right(2);
     }},
    {RemoteCoding::ToneTenths,
     [](const FieldDef& f, const ParameterSet& p) { return truncated(p.text(nameOf(f)), 10, 5); }},
    {RemoteCoding::Hundreds,
     [](const FieldDef& f, const ParameterSet& p) { return truncated(p.text(nameOf(f)), 100, 0); }},
    {RemoteCoding::PauseHundreds,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         const auto v = truncated(p.text(nameOf(f)), 100, 0);
         if (v && *v == QLatin1String("10"))
             return QStringLiteral("0");
         return v;
     }},
    {RemoteCoding::CheckOneZero,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return p.isChecked(nameOf(f)) ? QStringLiteral("1") : QStringLiteral("0");
     }},
    {RemoteCoding::CheckZeroOne,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return p.isChecked(nameOf(f)) ? QStringLiteral("0") : QStringLiteral("1");
     }},
    {RemoteCoding::SoundBits,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         const FieldDef* partner = partnerOf(f);
         const int bits =
             (p.isChecked(nameOf(f)) ? 1 : 0) + (partner && p.isChecked(nameOf(*partner)) ? 2 : 0);
         return QString::number(bits);
     }},
    {RemoteCoding::PartOfStep,
     [](const FieldDef&, const ParameterSet&) -> std::optional<QString> { return std::nullopt; }},
    {RemoteCoding::TerminatedCode,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         const QString t = p.text(nameOf(f));
         return t.size() == 6 ? t : t + QLatin1Char('#');
     }},
    {RemoteCoding::MemoryNumber,
     [](const FieldDef& f, const ParameterSet& p) -> std::optional<QString> {
         return escapeMemoryNumber(p.text(nameOf(f)));
     }},
};

const RemoteCodingRow& rowOf(RemoteCoding coding) {
    for (const RemoteCodingRow& r : kRows)
        if (r.coding == coding)
            return r;
    return kRows[0];
}

} // namespace

std::optional<QString> remoteValue(const FieldDef& field, const ParameterSet& params) {
    return rowOf(field.remote.coding).value(field, params);
}

std::optional<QString> remoteValue(const OptionGroupDef& group, const ParameterSet& params) {
    if (group.remote.coding != RemoteCoding::Option || group.options.empty())
        return std::nullopt;
    const QString checked = params.checkedOption(QString::fromLatin1(group.options.front().button));
    for (const OptionDef& o : group.options)
        if (o.remoteCode && checked == QLatin1String(o.button))
            return QString::fromLatin1(o.remoteCode);
    return std::nullopt;
}

std::vector<RemoteEntry> remoteWriteEntries(RemoteGroup group, const ParameterSet& params) {
    std::vector<RemoteEntry> entries;
    if (group == RemoteGroup::None)
        return entries;
    for (const FieldDef& f : fieldTable()) {
        if (f.remote.group != group || f.remote.coding == RemoteCoding::PartOfStep ||
            f.remote.coding == RemoteCoding::None)
            continue;
        if (f.remote.coding == RemoteCoding::MemoryNumber && params.text(nameOf(f)).isEmpty())
            continue;
        entries.push_back({f.remote.step, nameOf(f), QString::fromLatin1(f.remote.address),
                           remoteValue(f, params)});
    }
    for (const OptionGroupDef& g : optionGroups())
        if (g.remote.group == group)
            entries.push_back({g.remote.step, QString::fromLatin1(g.groupBox),
                               QString::fromLatin1(g.remote.address), remoteValue(g, params)});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RemoteEntry& a, const RemoteEntry& b) { return a.step < b.step; });
    return entries;
}

QString talkTimeCode(const QString& text, const QString& half) {
    if (text == half)
        return QStringLiteral("0");
    if (text == QLatin1String("15"))
        return QStringLiteral("*");
    if (text == QLatin1String("30"))
        return QStringLiteral("#");
    if (text.size() == 1 && text[0] >= QLatin1Char('1') && text[0] <= QLatin1Char('9'))
        return text;
    return QStringLiteral("1");
}

QString escapeMemoryNumber(const QString& number) {
    QString out;
    for (QChar c : number) {
        if (c == QLatin1Char('F'))
            out += QStringLiteral("*#");
        else if (c == QLatin1Char('P'))
            out += QStringLiteral("*0");
        else if (c == QLatin1Char('*'))
            out += QStringLiteral("**");
        else
            out += c;
    }
    return out;
}

} // namespace lumo
