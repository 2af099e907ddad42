#pragma once
#include "platform/FileAccess.h"
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QString>
#include <memory>

namespace lumo {

// The report file of a remote read or write: a text file in the working folder that records
// the header line and every command and reply of the exchange, in code page 1250, lines ended
// by CR LF. Commands and replies keep their own CR LF, so each is followed by an empty line.
class RemoteReport {
public:
    enum class Kind { Read, Write };

    // "LF-R-" or "LF-W-" + date (short format) + "-" + time (long format), with every "!",
    // "*", ",", ".", "/", ":", ";", "?" and "\" replaced by "_".
    static QString defaultName(Kind kind, const QDateTime& when, const QLocale& locale);
    // "Read report " or "Write report " + date + "-" + time.
    static QString headerLine(Kind kind, const QDateTime& when, const QLocale& locale);

    RemoteReport() = default;
    ~RemoteReport();
    RemoteReport(const RemoteReport&) = delete;
    RemoteReport& operator=(const RemoteReport&) = delete;

    // Creates or overwrites `name` + ".TXT" in `folder` and writes the header. On failure
    // returns false and `error()` names the file and the reason; the procedure goes on without
    // a report.
    bool open(const QString& folder, const QString& name, Kind kind, const QDateTime& when,
              const QLocale& locale);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_path; }
    QString error() const { return m_error; }
    // The same reason as a problem the texts can name.
    const FileError& fileError() const { return m_fileError; }

    // One line: the bytes as they are (the box's 8-bit characters) and CR LF. Nothing when
    // closed.
    void line(const QByteArray& bytes);
    void line(const QString& text);

private:
    std::unique_ptr<QFile> m_file;
    QString m_path;
    QString m_error;
    FileError m_fileError;
};

} // namespace lumo
