// diff: the parameters that differ between two sources, each a settings file (KTF or JSON) or
// a unit read whole over a local link.
#include "cli/CommandTable.h"
#include "cli/ParameterListing.h"
#include "cli/UnitRead.h"
#include "files/ParameterFiles.h"
#include "params/ParameterDiff.h"
#include "texts/Texts.h"
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lumo::cli {

namespace {

const QString kSynopsis = QStringLiteral("diff A B [--json] [--lang PACK.lng]");

// The convention of diff(1): 0 identical, 1 different, 2 trouble.
enum DiffStatus { Identical = 0, Different = 1, Trouble = 2 };

int trouble(const QString& message) {
    printErr(message);
    return Trouble;
}

void printReadable(const std::vector<ParameterDifference>& diffs) {
    for (const ParameterDifference& d : diffs)
        printOut(differenceLine(d));
}

void printJson(const std::vector<ParameterDifference>& diffs) {
    QJsonArray rows;
    for (const ParameterDifference& d : diffs) {
        QJsonObject o;
        o[QStringLiteral("name")] = d.name;
        o[QStringLiteral("page")] = d.page;
        o[QStringLiteral("pageCaption")] = d.pageCaption;
        o[QStringLiteral("caption")] = d.caption;
        o[QStringLiteral("a")] = d.thisAvailable ? QJsonValue(d.thisValue) : QJsonValue();
        o[QStringLiteral("b")] = d.otherAvailable ? QJsonValue(d.otherValue) : QJsonValue();
        rows.append(o);
    }
    QJsonObject top;
    top[QStringLiteral("identical")] = diffs.empty();
    top[QStringLiteral("differences")] = rows;
    printOut(QString::fromUtf8(QJsonDocument(top).toJson(QJsonDocument::Indented)).trimmed());
}

// A source `unit:PORT` names a unit to read, with the port syntax of `read`; anything else is
// a settings file.
const QLatin1String kUnitPrefix("unit:");

bool isUnit(const QString& source) {
    return source.startsWith(kUnitPrefix, Qt::CaseInsensitive);
}

int runDiff(const QStringList& args) {
    QStringList sources;
    bool json = false;
    // --lang is taken before the command runs (see main).
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--json")) {
            json = true;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usage(kSynopsis);
        } else {
            sources << args[i];
        }
    }
    if (sources.size() != 2)
        return usage(kSynopsis);

    const Texts& texts = activeTexts();
    // The files first: reading a unit takes seconds, wasted when a file is wrong.
    ParameterSet sets[2];
    QString error;
    for (int i = 0; i < 2; ++i) {
        if (isUnit(sources[i])) {
            if (sources[i].size() == kUnitPrefix.size())
                return usage(kSynopsis);
        } else if (!loadParameterFile(sources[i], sets[i], &error, &texts)) {
            return trouble(error);
        }
    }
    // A read that fails, or ends part way, has said why, as `read` does; nothing is compared.
    for (int i = 0; i < 2; ++i)
        if (isUnit(sources[i]) && !readFromUnit(sources[i].mid(kUnitPrefix.size()),
                                                LocalTransferCommands::Command::ReadAll, sets[i]))
            return Trouble;
    const ParameterSet& a = sets[0];
    const ParameterSet& b = sets[1];

    const std::vector<ParameterDifference> diffs = diffParameters(a, b, texts);
    if (json)
        printJson(diffs);
    else
        printReadable(diffs);
    return diffs.empty() ? Identical : Different;
}

const bool registered =
    registerCommand({QStringLiteral("diff"), kSynopsis, runDiff, false, Trouble});

} // namespace

} // namespace lumo::cli
