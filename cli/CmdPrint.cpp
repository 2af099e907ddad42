// Printing to PDF: the settings printout of a parameter set and the name labels of a label file.
#include "cli/CommandTable.h"
#include "files/LabelFile.h"
#include "files/LabelLayout.h"
#include "files/ParameterFiles.h"
#include "files/PrintoutLayout.h"
#include "files/paint/DeviceLayouts.h"
#include "files/paint/PdfOutput.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"
#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>

namespace lumo::cli {

namespace {

const QString kSynopsis =
    QStringLiteral("print settings IN --pdf OUT [--page A4|A5|Letter] [--lang PACK.lng] | "
                   "print labels IN.KTL --pdf OUT [--page A4|A5|Letter]");

struct PrintArgs {
    QString what;
    QString in;
    QString pdf;
    QString page = QStringLiteral("A4");
};

bool parse(const QStringList& args, PrintArgs& out) {
    if (args.isEmpty())
        return false;
    out.what = args[0];
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--pdf")) {
            if (!next(out.pdf))
                return false;
        } else if (a == QLatin1String("--page")) {
            if (!next(out.page))
                return false;
        } else if (!a.startsWith(QLatin1String("--")) && out.in.isEmpty()) {
            out.in = a;
        } else {
            return false;
        }
    }
    return !out.in.isEmpty() && !out.pdf.isEmpty();
}

int writeOrFail(const QString& path, const QString& title, const QPageLayout& page,
                const std::function<PrintDocument(QPagedPaintDevice&)>& layout) {
    QString reason;
    FileError error;
    if (!writePdf(path, title, page, layout, &reason, &error))
        return fail(activeTexts()
                        .message(messageKey::kCannotSave)
                        .arg(path, error.ok() ? reason : fileErrorText(error, activeTexts())));
    return Success;
}

int runPrint(const QStringList& args) {
    PrintArgs a;
    if (!parse(args, a))
        return usage(kSynopsis);
    QPageLayout page;
    if (!pageLayoutByName(a.page, &page))
        return usage(kSynopsis);

    // --lang is taken before the command runs (see main).
    const Texts& texts = activeTexts();
    if (a.what == QLatin1String("settings")) {
        ParameterSet params;
        QString error;
        if (!loadParameterFile(a.in, params, &error, &texts))
            return fail(error);
        return writeOrFail(a.pdf, kSettingsPrintJob, page, [&](QPagedPaintDevice& device) {
            return settingsPrintoutFor(device, params, texts);
        });
    }
    if (a.what == QLatin1String("labels")) {
        if (!labelFile::hasLabelExtension(a.in))
            return fail(texts.message(30));
        LabelNames names;
        QString error;
        if (!labelFile::load(a.in, names, &error, texts))
            return fail(error);
        return writeOrFail(a.pdf, kLabelPrintJob, page,
                           [&](QPagedPaintDevice& device) { return labelsFor(device, names); });
    }
    return usage(kSynopsis);
}

const bool registered = registerCommand({QStringLiteral("print"), kSynopsis, runPrint, true});

} // namespace

} // namespace lumo::cli
