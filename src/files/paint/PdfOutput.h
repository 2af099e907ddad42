#pragma once
#include "files/PrintDocument.h"
#include "platform/FileAccess.h"
#include <QString>
#include <functional>

class QPageLayout;
class QPagedPaintDevice;

namespace lumo {

// Page sizes offered by name ("A4", "A5", "Letter", any letter case); false for others.
bool pageLayoutByName(const QString& name, QPageLayout* layout);

// Writes a PDF of the document laid out for the PDF's own page (`layoutFor` gets the writer, so
// geometry and font measurement are those of the file). Text stays text. False with the
// system's reason in *reason when the file cannot be written, and in *fileError as a problem
// the texts can name (it stays ok when the file opened but drawing failed).
bool writePdf(const QString& path, const QString& title, const QPageLayout& page,
              const std::function<PrintDocument(QPagedPaintDevice& device)>& layoutFor,
              QString* reason, FileError* fileError = nullptr);

} // namespace lumo
