#include "files/ui/PrintPreview.h"
#include "files/paint/PdfOutput.h"
#include "files/paint/PrintRenderer.h"
#include "texts/Texts.h"
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

namespace lumo {

namespace {

// The hourglass while a document is built and sent.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

bool printJobOn(const PrintJob& job, QPagedPaintDevice& device) {
    WaitCursor wait;
    const PrintDocument document = job.layout(device);
    return renderDocument(document, device);
}

bool writeJobPdf(const PrintJob& job, const QString& path, const QPrinter* pageFrom,
                 QString* error) {
    WaitCursor wait;
    const QPageLayout page =
        pageFrom ? pageFrom->pageLayout()
                 : QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    return writePdf(path, job.title, page, job.layout, error);
}

void PreviewPrintRunner::run(const PrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.title);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(job.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter* target) { printJobOn(job, *target); });

    if (auto* toolBar = dialog.findChild<QToolBar*>()) {
        toolBar->addSeparator();
        QAction* pdf = toolBar->addAction(QStringLiteral("PDF"));
        pdf->setObjectName(QStringLiteral("SavePdf"));
        pdf->setToolTip(QStringLiteral("PDF"));
        QObject::connect(pdf, &QAction::triggered, &dialog, [this, &job, &printer, &dialog] {
            QString path = QFileDialog::getSaveFileName(&dialog, QStringLiteral("PDF"), QString(),
                                                        QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            if (QFileInfo(path).suffix().isEmpty())
                path += QStringLiteral(".pdf");
            QString reason;
            if (!writeJobPdf(job, path, &printer, &reason))
                QMessageBox::warning(&dialog, job.title, m_texts.message(72).arg(path, reason));
        });
    }
    dialog.exec();
}

} // namespace lumo
