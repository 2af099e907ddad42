#include "remote/RemoteReport.h"
#include "platform/Cp1250.h"
#include <QDir>

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
    m_path = QDir(folder).filePath(name + QStringLiteral(".TXT"));
    auto file = std::make_unique<QFile>(m_path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_path + QStringLiteral(": ") + file->errorString();
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
