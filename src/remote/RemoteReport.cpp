#include "remote/RemoteReport.h"
#include "platform/Cp1250.h"
#include <QDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lumo {

namespace {

QString stamp(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char('-') +
           locale.toString(when.time(), QLocale::LongFormat);
}

} // namespace

QString RemoteReport::defaultName(Kind kind, const QDateTime& when, const QLocale& locale) {
    QString name = (kind == Kind::Read ? QStringLiteral("LF-R-") : QStringLiteral("LF-W-")) +
                   stamp(when, locale);
    static const QString forbidden = QStringLiteral("!*,./:;?\\");
    for (QChar& ch : name) {
        if (forbidden.contains(ch))
            ch = QLatin1Char('_');
    }
    return name;
}

QString RemoteReport::headerLine(Kind kind, const QDateTime& when, const QLocale& locale) {
    return (kind == Kind::Read ? QStringLiteral("Read report ") : QStringLiteral("Write report ")) +
           stamp(when, locale);
}

RemoteReport::~RemoteReport() {
    close();
}

bool RemoteReport::open(const QString& folder, const QString& name, Kind kind,
                        const QDateTime& when, const QLocale& locale) {
    close();
    m_error.clear();
    m_fileError = {};
    m_path = QDir(folder).filePath(name + QStringLiteral(".TXT"));
    // Opened here rather than by QFile so that the system's reason is kept as errno, which the
    // texts can name in the user's language. A FIFO without a reader fails instead of hanging.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>();
    if (fd < 0 || !file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        m_fileError = fd < 0 ? FileError::fromErrno(err) : FileError{FileError::Problem::Other};
        m_error = m_path + QStringLiteral(": ") +
                  (fd < 0 ? QString::fromLocal8Bit(std::strerror(err)) : file->errorString());
        return false;
    }
    m_file = std::move(file);
    line(headerLine(kind, when, locale));
    return true;
}

void RemoteReport::close() {
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
}

void RemoteReport::line(const QByteArray& bytes) {
    if (!m_file)
        return;
    m_file->write(bytes);
    m_file->write("\r\n", 2);
    m_file->flush();
}

void RemoteReport::line(const QString& text) {
    line(cp1250::fromUnicode(text));
}

} // namespace lumo
