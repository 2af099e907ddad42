#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace lumo {

// A private-profile INI file as the original platform reads and writes it: section and key
// names are case-insensitive; a value is the text after the first '=' with leading and
// trailing blanks removed, and one pair of enclosing quotes removed; a missing file, section or
// key yields the caller's default. Writing one key changes that key's line in place (or
// appends it to its section, or appends the section) and keeps every other line as it was.
// Files are read and written in code page 1250.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = {}) const;
    // Like GetPrivateProfileInt: leading decimal digits (optional sign) of the value, else the
    // default.
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Each write reads the file afresh, changes one line and saves the file atomically.
    // Returns false (and leaves the file untouched) when the file cannot be written.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);

    // Several keys in one read and one atomic save, applied in the given order.
    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    bool writeStrings(const std::vector<Entry>& entries);

    // The system's reason for the last failed write (or read of an existing file).
    const QString& lastError() const { return m_error; }

private:
    QString m_path;
    mutable QString m_error;
};

} // namespace lumo
