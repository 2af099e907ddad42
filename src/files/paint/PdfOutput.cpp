#include "files/paint/PdfOutput.h"
#include "files/paint/PrintRenderer.h"
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
              QString* reason, FileError* fileError) {
    {
        // The writer reports no reason of its own; opening the file first gives the system's,
        // as errno so that it can be told in the user's language. A FIFO without a reader
        // fails at once rather than hanging.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd < 0) {
            const int err = errno;
            if (reason)
                *reason = QString::fromLocal8Bit(std::strerror(err));
            if (fileError)
                *fileError = FileError::fromErrno(err);
            return false;
        }
        ::close(fd);
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
