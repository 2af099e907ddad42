#include "files/ParameterJson.h"
#include "params/FieldTable.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace lumo::parameterJson {

namespace {

const QString kFirmwareVersion = QStringLiteral("FirmwareVersion");

// Option buttons and check boxes travel as booleans, text fields and lists as strings.
bool isBoolean(const QString& name) {
    if (findOptionGroup(name))
        return true;
    const FieldDef* f = findField(name);
    return f && f->kind == FieldKind::Check;
}

// A JSON string literal with its quotes, escaped by Qt.
QByteArray quoted(const QString& s) {
    const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QByteArray toJson(const ParameterSet& params) {
    // Written by hand so that keys keep control-name order, which QJsonObject would sort.
    QByteArray out = "{\n";
    const std::vector<QString>& names = allParameterNames();
    for (size_t i = 0; i < names.size(); ++i) {
        const QString& n = names[i];
        out += "  " + quoted(n) + ": ";
        if (isBoolean(n))
            out += params.isChecked(n) ? "true" : "false";
        else
            out += quoted(params.text(n));
        if (i + 1 < names.size() || !params.firmwareVersion().isEmpty())
            out += ',';
        out += '\n';
    }
    if (!params.firmwareVersion().isEmpty())
        out += "  " + quoted(kFirmwareVersion) + ": " + quoted(params.firmwareVersion()) + '\n';
    out += "}\n";
    return out;
}

bool fromJson(const QByteArray& json, ParameterSet& params, QString* problem, const Texts* texts) {
    const Texts builtIn;
    const Texts& t = texts ? *texts : builtIn;
    using namespace messageKey;
    auto fail = [problem](const QString& text) {
        if (problem)
            *problem = text;
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(t.message(kJsonSyntax).arg(parseError.offset));
    if (!doc.isObject())
        return fail(t.message(kJsonNotObject));
    const QJsonObject object = doc.object();

    static const QSet<QString> known = [] {
        QSet<QString> s;
        for (const QString& n : allParameterNames())
            s.insert(n);
        return s;
    }();

    ParameterSet candidate;
    // Buttons set to true per group, to apply after every key was checked.
    QHash<const OptionGroupDef*, QStringList> checkedInGroup;
    QHash<const OptionGroupDef*, int> falseInGroup;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        const QJsonValue value = it.value();
        if (key == kFirmwareVersion) {
            if (!value.isString())
                return fail(t.message(kJsonNotString).arg(cutForMessage(key)));
            candidate.setFirmwareVersion(value.toString());
            continue;
        }
        if (!known.contains(key))
            return fail(t.message(kJsonUnknownKey).arg(cutForMessage(key)));
        if (isBoolean(key)) {
            if (!value.isBool())
                return fail(t.message(kJsonNotBoolean).arg(key));
            if (const OptionGroupDef* g = findOptionGroup(key)) {
                if (value.toBool())
                    checkedInGroup[g].append(key);
                else
                    ++falseInGroup[g];
            } else {
                candidate.setChecked(key, value.toBool());
            }
        } else {
            if (!value.isString())
                return fail(t.message(kJsonNotString).arg(cutForMessage(key)));
            candidate.setText(key, value.toString());
        }
    }
    for (const OptionGroupDef& g : optionGroups()) {
        const QStringList checked = checkedInGroup.value(&g);
        if (checked.size() > 1)
            return fail(t.message(kJsonTwoChecked).arg(checked.join(QStringLiteral(", "))));
        if (checked.size() == 1)
            candidate.setChecked(checked.front(), true);
        else if (falseInGroup.value(&g) == int(g.options.size()))
            return fail(t.message(kJsonNoneChecked).arg(QString::fromLatin1(g.groupBox)));
    }
    params = candidate;
    return true;
}

} // namespace lumo::parameterJson
