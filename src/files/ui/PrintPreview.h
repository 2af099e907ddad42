#pragma once
#include "files/PrintDocument.h"
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace lumo {

class Texts;

// What a print command hands to the printing service: the job's title and how to lay the
// document out for a given device (its printable size, resolution and fonts).
struct PrintJob {
    QString title;
    std::function<PrintDocument(QPagedPaintDevice& device)> layout;
};

// Shows a job to the user and prints it where the user chooses. The application uses the
// preview dialog; tests put a recording runner in its place.
class PrintRunner {
public:
    virtual ~PrintRunner() = default;
    virtual void run(const PrintJob& job) = 0;
};

// Lays the job out for `device` and draws it there, with the hourglass cursor meanwhile.
// False when the device cannot be painted on.
bool printJobOn(const PrintJob& job, QPagedPaintDevice& device);

// Writes the job as a PDF on the printer's page layout (A4 without margins when none is
// given). False with the system's reason in *reason when the file cannot be written.
bool writeJobPdf(const PrintJob& job, const QString& path, const QPrinter* pageFrom,
                 QString* reason);

// The print preview: the pages as they will come out, with the toolbar's print button (the
// print dialog, whose printers include printing to a file) and a PDF button that saves the same
// pages to a file. Cancelling it prints nothing.
class PreviewPrintRunner : public PrintRunner {
public:
    PreviewPrintRunner(QWidget* parent, const Texts& texts) : m_parent(parent), m_texts(texts) {}
    void run(const PrintJob& job) override;

private:
    QWidget* m_parent;
    const Texts& m_texts;
};

} // namespace lumo
