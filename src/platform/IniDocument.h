#pragma once
#include "platform/FileAccess.h"
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace lumo {

// The text of a private-profile INI file held in memory, line by line, with the exact bytes
// and line ending of every line, so that changing one key leaves every other line as it was.
// IniFile reads and writes files through it; callers that need several changes in one save
// (or need to inspect the raw lines) use it directly.
class IniDocument {
public:
    IniDocument() = default;
    // Bytes in code page 1250. Any bytes are accepted.
    explicit IniDocument(const QByteArray& bytes);

    // The largest INI file read (language packs are tens of kilobytes, Config.ini and label
    // files far less): a huge file is refused rather than read whole.
    static constexpr qint64 kLargestFile = 1 << 20;

    // Reads a whole file. A missing file gives an empty document with *existed false; a file
    // that exists but cannot be read gives false: unreadable, not a regular file (a FIFO or a
    // device is never waited on), or larger than kLargestFile. *fileError says why.
    static bool load(const QString& path, IniDocument* document, bool* existed = nullptr,
                     QString* error = nullptr, FileError* fileError = nullptr);

    QByteArray toBytes() const;
    bool isEmpty() const { return m_lines.empty(); }

    // The value of the first matching key in the first matching section, or nothing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = {}) const;
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Sets one key: the key's line is rewritten in place (keeping its line ending), or a line
    // is added after the last line of its section, or the section is added at the end. New
    // lines end in CR LF. Line breaks inside the value become blanks so a value can never
    // create further keys. Returns false for names that cannot be stored (empty key, a key
    // with '=' or a line break, a section with ']' or a line break).
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Drops every line for which `drop` returns true (given the line's bytes without its line
    // ending).
    void removeLines(const std::function<bool(const QByteArray&)>& drop);

private:
    struct Line {
        QByteArray content; // without the line ending
        QByteArray eol;     // "\r\n", "\n", "\r" or empty (last line without one)
    };
    enum class Kind { Other, Section, Key };
    struct Parsed {
        Kind kind = Kind::Other;
        QString name;  // section or key name, blanks trimmed
        QString value; // key value, trimmed and unquoted
    };

    // The parsed form of line `index`, cached until the next change.
    const Parsed& parsed(std::size_t index) const;
    Parsed parse(std::size_t index) const;
    // Index of the first header of `section`, or -1.
    qsizetype findSection(const QString& section) const;
    // End (exclusive) of the section whose header is at `header`.
    std::size_t sectionEnd(std::size_t header) const;
    void ensureLastLineEnded();

    std::vector<Line> m_lines;
    mutable std::vector<Parsed> m_parsed; // empty or one per line
    // Folded section name → line of its first header; built with m_parsed.
    mutable QHash<QString, qsizetype> m_firstSection;
};

} // namespace lumo
