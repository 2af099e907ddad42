#include "files/paint/PdfOutput.h"
#include "files/paint/PrintRenderer.h"
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>

namespace lumo {

bool pageLayoutByName(const QString& name, QPageLayout* layout) {
    QPageSize::PageSizeId id;
    const QString n = name.trimmed().toUpper();
    if (n == QLatin1String("A4"))
        id = QPageSize::A4;
    else if (n == QLatin1String("A5"))
        id = QPageSize::A5;
    else if (n == QLatin1String("LETTER"))
        id = QPageSize::Letter;
    else
        return false;
    // The whole sheet is the printable area of a PDF.
    *layout = QPageLayout(QPageSize(id), QPageLayout::Portrait, QMarginsF());
    return true;
}

bool writePdf(const QString& path, const QString& title, const QPageLayout& page,
              const std::function<PrintDocument(QPagedPaintDevice& device)>& layoutFor,
              QString* reason) {
    {
        // The writer reports no reason of its own; opening the file first gives the system's.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (reason)
                *reason = probe.errorString();
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Lumo"));
    writer.setResolution(600);
    writer.setPageLayout(page);
    const PrintDocument document = layoutFor(writer);
    if (!renderDocument(document, writer)) {
        if (reason)
            *reason = QStringLiteral("PDF");
        return false;
    }
    return true;
}

} // namespace lumo
