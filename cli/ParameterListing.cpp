#include "cli/ParameterListing.h"
#include "cli/CommandTable.h"
#include "files/PrintoutLayout.h"
#include "params/FieldCodings.h"
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "params/ParameterSet.h"
#include "params/WriteCheck.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <algorithm>

namespace lumo::cli {

namespace {

// A caption on one line, without its accelerator mark and the blanks a frame pads it with.
QString plain(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return withoutAccelerator(text).simplified();
}

// The caption of the checked button; the last button stands when no other one is checked,
// as the window and the printout show it.
QString checkedOption(const OptionGroupDef& group, const ParameterSet& params, const Texts& texts) {
    const OptionDef* chosen = &group.options.back();
    for (std::size_t i = 0; i + 1 < group.options.size(); ++i) {
        if (params.isChecked(QString::fromLatin1(group.options[i].button))) {
            chosen = &group.options[i];
            break;
        }
    }
    return plain(texts.get(chosen->caption) + QString::fromLatin1(chosen->captionSuffix));
}

QString fieldLine(const FieldDef& f, const ParameterSet& params, const Texts& texts,
                  const QString& indent) {
    QString caption = plain(rowCaption(f, texts));
    if (caption.isEmpty())
        caption = QString::fromLatin1(f.name);
    // Most row labels end in a colon already.
    const QString separator =
        caption.endsWith(QLatin1Char(':')) ? QStringLiteral(" ") : QStringLiteral(": ");
    return indent + caption + separator + displayText(f, params, texts);
}

} // namespace

QStringList readableListing(const ParameterSet& params, const Texts& texts) {
    QStringList lines;
    for (const PageDef& page : pageTable()) {
        lines << plain(texts.get(page.caption) + QString::fromLatin1(page.captionSuffix));
        for (const FrameDef& frame : frameTable()) {
            if (qstrcmp(frame.page, page.name) != 0 || frame.kind == FrameKind::Command)
                continue;
            const QString name = QString::fromLatin1(frame.name);
            const QString caption = frame.caption ? plain(texts.get(*frame.caption)) : QString();
            if (const OptionGroupDef* group = findOptionGroupByBox(name)) {
                lines << QStringLiteral("  ") + caption + QStringLiteral(": ") +
                             checkedOption(*group, params, texts);
                continue;
            }
            std::vector<const FieldDef*> fields;
            for (const FieldDef& f : fieldTable())
                if (f.place.frame && qstrcmp(f.place.frame, frame.name) == 0)
                    fields.push_back(&f);
            std::stable_sort(fields.begin(), fields.end(),
                             [](auto* a, auto* b) { return a->place.row < b->place.row; });
            QString indent = QStringLiteral("  ");
            if (!caption.isEmpty()) {
                lines << indent + caption;
                indent += QStringLiteral("  ");
            }
            for (const FieldDef* f : fields)
                lines << fieldLine(*f, params, texts, indent);
        }
    }
    for (const FieldDef& f : fieldTable())
        if (!f.place.frame)
            lines << fieldLine(f, params, texts, QString());
    if (!params.firmwareVersion().isEmpty())
        lines << QStringLiteral("Firmware: ") + params.firmwareVersion();
    return lines;
}

QStringList nameListing(const ParameterSet& params) {
    QStringList lines;
    for (const QString& name : allParameterNames()) {
        const bool boolean = name.startsWith(QLatin1String("RadioButton")) ||
                             name.startsWith(QLatin1String("CheckBox"));
        const QString value =
            boolean ? (params.isChecked(name) ? QStringLiteral("true") : QStringLiteral("false"))
                    : params.text(name);
        lines << name + QLatin1Char('=') + value;
    }
    if (!params.firmwareVersion().isEmpty())
        lines << QStringLiteral("FirmwareVersion=") + params.firmwareVersion();
    return lines;
}

QString differenceLine(const ParameterDifference& d) {
    // A parameter the unit's firmware lacks has no value at all, unlike an empty one.
    auto shown = [](const QString& value, bool available) {
        return available ? QLatin1Char('"') + value + QLatin1Char('"') : QStringLiteral("--");
    };
    const QString where =
        (d.pageCaption.isEmpty() ? d.caption : d.pageCaption + QStringLiteral(" / ") + d.caption)
            .simplified();
    return QStringLiteral("%1 [%2]: %3 -> %4")
        .arg(where, d.name, shown(d.thisValue, d.thisAvailable),
             shown(d.otherValue, d.otherAvailable));
}

bool reportWriteCheck(const WriteCheck& check, const Texts& texts) {
    switch (check.outcome) {
    case WriteCheck::Outcome::WriteFailed:
        return false; // the write has said why
    case WriteCheck::Outcome::ReadBackFailed:
        printErr(texts.message(Msg::ReadBackFailed));
        return false;
    case WriteCheck::Outcome::Verified:
        printOut(texts.message(Msg::WriteVerified));
        return true;
    case WriteCheck::Outcome::Differs:
        break;
    }
    printErr(texts.message(Msg::VerifyDifferences).arg(check.differences.size()));
    for (const ParameterDifference& d : check.differences)
        printErr(QStringLiteral("  ") + differenceLine(d));
    return false;
}

} // namespace lumo::cli
