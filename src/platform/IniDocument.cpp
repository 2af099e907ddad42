#include "platform/IniDocument.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1250.h"
#include <QSet>

namespace lumo {

namespace {

bool isBlank(QChar c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The profile reader trims blanks and tabs only; QString::trimmed would also eat the
// no-break space, which is an ordinary character in code page 1250 texts.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// Names compare without case; a set of folded names keeps the listing linear in a long file.
bool addIfNew(QSet<QString>& seen, const QString& name) {
    const QString folded = name.toCaseFolded();
    if (seen.contains(folded))
        return false;
    seen.insert(folded);
    return true;
}

} // namespace

IniDocument::IniDocument(const QByteArray& bytes) {
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        Line line;
        if (newline < 0) {
            line.content = bytes.mid(start);
            if (line.content.endsWith('\r')) {
                line.content.chop(1);
                line.eol = "\r";
            }
            start = bytes.size();
        } else {
            line.content = bytes.mid(start, newline - start);
            if (line.content.endsWith('\r')) {
                line.content.chop(1);
                line.eol = "\r\n";
            } else {
                line.eol = "\n";
            }
            start = newline + 1;
        }
        m_lines.push_back(std::move(line));
    }
}

bool IniDocument::load(const QString& path, IniDocument* document, bool* existed, QString* error,
                       FileError* fileError) {
    QByteArray bytes;
    FileError problem;
    const bool read = readRegularFile(path, kLargestFile, &bytes, &problem);
    if (fileError)
        *fileError = problem;
    if (!read && problem.problem == FileError::Problem::Missing) {
        if (existed)
            *existed = false;
        *document = IniDocument();
        return true;
    }
    if (existed)
        *existed = true;
    if (!read) {
        if (error)
            *error = plainFileErrorText(problem);
        *document = IniDocument();
        return false;
    }
    *document = IniDocument(bytes);
    return true;
}

QByteArray IniDocument::toBytes() const {
    QByteArray bytes;
    for (const Line& line : m_lines) {
        bytes += line.content;
        bytes += line.eol;
    }
    return bytes;
}

IniDocument::Parsed IniDocument::parse(std::size_t index) const {
    QByteArray raw = m_lines[index].content;
    // A pack saved by an editor that adds a byte-order mark must still start with its section.
    if (index == 0 && raw.startsWith(kUtf8Bom))
        raw.remove(0, kUtf8Bom.size());
    const QString text = trimBlanks(cp1250::toUnicode(raw));
    Parsed parsed;
    if (text.isEmpty() || text.startsWith(';'))
        return parsed;
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        parsed.kind = Kind::Section;
        parsed.name = trimBlanks(text.mid(1, close < 0 ? -1 : close - 1));
        return parsed;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return parsed;
    parsed.name = trimBlanks(text.left(equals));
    if (parsed.name.isEmpty())
        return parsed;
    parsed.kind = Kind::Key;
    QString value = trimBlanks(text.mid(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.mid(1, value.size() - 2);
    parsed.value = value;
    return parsed;
}

const IniDocument::Parsed& IniDocument::parsed(std::size_t index) const {
    if (m_parsed.size() != m_lines.size()) {
        m_parsed.clear();
        m_firstSection.clear();
        m_parsed.reserve(m_lines.size());
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            m_parsed.push_back(parse(i));
            const Parsed& line = m_parsed.back();
            if (line.kind == Kind::Section) {
                const QString folded = line.name.toCaseFolded();
                if (!m_firstSection.contains(folded))
                    m_firstSection.insert(folded, static_cast<qsizetype>(i));
            }
        }
    }
    return m_parsed[index];
}

qsizetype IniDocument::findSection(const QString& section) const {
    if (m_lines.empty())
        return -1;
    (void)parsed(0); // builds the index
    // Only the first header of a name counts, as the system reader does.
    const auto found = m_firstSection.constFind(trimBlanks(section).toCaseFolded());
    return found == m_firstSection.constEnd() ? -1 : *found;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < m_lines.size() && parsed(i).kind != Kind::Section)
        ++i;
    return i;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const QString wanted = trimBlanks(key);
    for (std::size_t i = header + 1; i < m_lines.size(); ++i) {
        const Parsed& parsed = this->parsed(i);
        if (parsed.kind == Kind::Section)
            break;
        if (parsed.kind == Kind::Key && sameName(parsed.name, wanted))
            return parsed.value;
    }
    return std::nullopt;
}

QString IniDocument::readString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    const std::optional<QString> found = value(section, key);
    return found ? *found : defaultValue;
}

int IniDocument::readInt(const QString& section, const QString& key, int defaultValue) const {
    const std::optional<QString> found = value(section, key);
    if (!found)
        return defaultValue;
    const QString& text = *found;
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const qsizetype firstDigit = i;
    qint64 number = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number = number * 10 + (text[i].unicode() - '0');
        // Out of range is as unusable as no number at all.
        if (number > qint64(std::numeric_limits<int>::max()) + 1)
            return defaultValue;
        ++i;
    }
    if (i == firstDigit)
        return defaultValue;
    if (negative)
        number = -number;
    if (number > std::numeric_limits<int>::max() || number < std::numeric_limits<int>::min())
        return defaultValue;
    return static_cast<int>(number);
}

bool IniDocument::hasKey(const QString& section, const QString& key) const {
    return value(section, key).has_value();
}

QStringList IniDocument::sections() const {
    QStringList names;
    QSet<QString> seen;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Parsed& parsed = this->parsed(i);
        if (parsed.kind == Kind::Section && addIfNew(seen, parsed.name))
            names.append(parsed.name);
    }
    return names;
}

QStringList IniDocument::keys(const QString& section) const {
    QStringList names;
    QSet<QString> seen;
    const qsizetype header = findSection(section);
    if (header < 0)
        return names;
    for (std::size_t i = header + 1; i < m_lines.size(); ++i) {
        const Parsed& parsed = this->parsed(i);
        if (parsed.kind == Kind::Section)
            break;
        if (parsed.kind == Kind::Key && addIfNew(seen, parsed.name))
            names.append(parsed.name);
    }
    return names;
}

void IniDocument::ensureLastLineEnded() {
    if (!m_lines.empty() && m_lines.back().eol != "\r\n" && m_lines.back().eol != "\n")
        m_lines.back().eol = "\r\n";
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    auto hasBreak = [](const QString& s) { return s.contains('\r') || s.contains('\n'); };
    if (sectionName.isEmpty() || sectionName.contains(']') || hasBreak(sectionName))
        return false;
    if (keyName.isEmpty() || keyName.contains('=') || hasBreak(keyName) ||
        keyName.startsWith('[') || keyName.startsWith(';'))
        return false;
    QString safeValue = value;
    safeValue.replace('\r', ' ').replace('\n', ' ');
    const QByteArray keyLine = cp1250::fromUnicode(keyName + '=' + safeValue);

    const qsizetype header = findSection(sectionName);
    if (header < 0) {
        ensureLastLineEnded();
        m_lines.push_back({cp1250::fromUnicode('[' + sectionName + ']'), "\r\n"});
        m_lines.push_back({keyLine, "\r\n"});
        m_parsed.clear();
        return true;
    }
    const std::size_t end = sectionEnd(static_cast<std::size_t>(header));
    std::size_t lastFilled = static_cast<std::size_t>(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const Parsed& parsed = this->parsed(i);
        if (parsed.kind == Kind::Key && sameName(parsed.name, keyName)) {
            m_lines[i].content = keyLine;
            if (m_lines[i].eol.isEmpty() || m_lines[i].eol == "\r")
                m_lines[i].eol = "\r\n";
            m_parsed.clear();
            return true;
        }
        if (!trimBlanks(cp1250::toUnicode(m_lines[i].content)).isEmpty())
            lastFilled = i;
    }
    // A new key goes after the section's last non-blank line, so blank lines that separate
    // sections stay where they were.
    Line& before = m_lines[lastFilled];
    if (before.eol != "\r\n" && before.eol != "\n")
        before.eol = "\r\n";
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1,
                   Line{keyLine, "\r\n"});
    m_parsed.clear();
    return true;
}

void IniDocument::removeLines(const std::function<bool(const QByteArray&)>& drop) {
    std::erase_if(m_lines, [&](const Line& line) { return drop(line.content); });
    m_parsed.clear();
}

} // namespace lumo
