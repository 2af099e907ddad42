#include "texts/LanguagePack.h"
#include "platform/FileAccess.h"
#include "platform/IniDocument.h"

#include "platform/AppConfig.h"
#include "platform/Cp1250.h"
#include "platform/WorkingFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace lumo::language {

namespace {

// Pack names from Config.ini or a menu may differ in letter case from the file on disk.
QString resolvePack(const QString& path) {
    const QFileInfo info(path);
    return workingFolder::resolveIn(info.path(), info.fileName());
}

bool packExists(const QString& path) {
    const QFileInfo info(resolvePack(path));
    return !path.isEmpty() && info.exists() && info.isFile();
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Control bytes other than the tab mark a line as binary junk.
bool hasControlBytes(const QByteArray& line) {
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t')
            return true;
    }
    return false;
}

// A key as the loader asks for it: a decimal number, nothing else.
std::optional<int> numericKey(const QString& key) {
    if (key.isEmpty() || key.size() > 6)
        return std::nullopt;
    for (QChar c : key)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return key.toInt();
}

std::optional<TextSection> sectionOf(const QString& name) {
    static const TextSection all[] = {TextSection::Menu,  TextSection::TAB1, TextSection::TAB2,
                                      TextSection::TAB3,  TextSection::TAB4, TextSection::MESSAGE,
                                      TextSection::OTHER, TextSection::HINT, TextSection::REMOTE};
    for (TextSection s : all)
        if (sectionName(s).compare(name, Qt::CaseInsensitive) == 0)
            return s;
    return std::nullopt;
}

bool isBuiltIn(TextSection section, int key) {
    static const QSet<int> keys = [] {
        QSet<int> set;
        for (const TextDef& def : builtInTexts())
            set.insert(int(def.key.section) * 100000 + def.key.key);
        return set;
    }();
    return keys.contains(int(section) * 100000 + key);
}

} // namespace

namespace {

// Sections compare in any letter case; keys compare as text, as the profile reader does ("01"
// is not "1").
QString valueId(const QString& section, const QString& key) {
    return section.toCaseFolded() + QLatin1Char('\n') + key;
}

} // namespace

PackValues::PackValues(const PackFile& pack) {
    // Repeated sections were dropped while parsing; the first line of the key counts.
    for (const PackEntry& e : pack.entries) {
        const QString id = valueId(e.section, e.key);
        if (!m_first.contains(id))
            m_first.insert(id, e.value);
    }
}

std::optional<QString> PackValues::value(TextSection section, int key) const {
    const auto found = m_first.constFind(valueId(sectionName(section), QString::number(key)));
    if (found == m_first.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<QString> PackFile::value(TextSection section, int key) const {
    return PackValues(*this).value(section, key);
}

PackFile parsePack(const QByteArray& bytes) {
    PackFile pack;
    pack.existed = true;
    pack.readable = true;
    QByteArray data = bytes;
    if (data.startsWith(kUtf8Bom)) {
        pack.utf8 = true;
        data.remove(0, kUtf8Bom.size());
    }
    QString section;
    QSet<QString> closedSections; // sections seen before the current one
    bool skipSection = false;     // a repeated section: the first one counts
    int lineNumber = 0;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArray raw = data.mid(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.size() > kMaxLineBytes || hasControlBytes(raw)) {
            pack.ignoredLines.push_back(lineNumber);
            continue;
        }
        const QString text =
            trimBlanks(pack.utf8 ? QString::fromUtf8(raw) : cp1250::toUnicode(raw));
        if (text.isEmpty() || text.startsWith(QLatin1Char(';')))
            continue;
        if (text.startsWith(QLatin1Char('['))) {
            const qsizetype close = text.indexOf(QLatin1Char(']'));
            if (!section.isNull())
                closedSections.insert(section.toUpper());
            section = trimBlanks(text.mid(1, close < 0 ? -1 : close - 1));
            skipSection = closedSections.contains(section.toUpper());
            continue;
        }
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0 || section.isNull() || skipSection)
            continue;
        PackEntry entry;
        entry.section = section;
        entry.key = trimBlanks(text.left(equals));
        QString value = trimBlanks(text.mid(equals + 1));
        if (value.size() >= 2 && value.front() == QLatin1Char('"') &&
            value.back() == QLatin1Char('"'))
            value = value.mid(1, value.size() - 2);
        entry.value = value;
        entry.line = lineNumber;
        pack.entries.push_back(std::move(entry));
    }
    return pack;
}

PackFile readPack(const QString& path) {
    PackFile pack;
    if (path.isEmpty())
        return pack;
    // Never waits on a FIFO or a device and never reads a huge file whole.
    QByteArray bytes;
    FileError error;
    if (!readRegularFile(resolvePack(path), IniDocument::kLargestFile, &bytes, &error)) {
        pack.existed = error.problem != FileError::Problem::Missing;
        return pack;
    }
    return parsePack(bytes);
}

QByteArray exportBuiltInPack() {
    QByteArray out;
    std::optional<TextSection> current;
    for (const TextDef& def : builtInTexts()) {
        if (current != def.key.section) {
            if (current)
                out += "\r\n";
            out += '[' + sectionName(def.key.section).toLatin1() + "]\r\n";
            current = def.key.section;
        }
        QString value = QString::fromUtf8(def.czech);
        value.replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += QByteArray::number(def.key.key) + '=' + cp1250::fromUnicode(value) + "\r\n";
    }
    return out;
}

PackCheck checkPack(const PackFile& pack) {
    PackCheck check;
    check.ignoredLines = pack.ignoredLines;
    const PackValues values(pack);
    for (const TextDef& def : builtInTexts()) {
        const std::optional<QString> value = values.value(def.key.section, def.key.key);
        if (!value)
            check.missing.push_back(def.key);
        else if (value->isEmpty())
            check.empty.push_back(def.key);
    }
    QSet<QString> seen;
    for (const PackEntry& e : pack.entries) {
        const std::optional<TextSection> section = sectionOf(e.section);
        const std::optional<int> key = numericKey(e.key);
        if (!section || !key || QString::number(*key) != e.key || !isBuiltIn(*section, *key)) {
            check.unknown.push_back(e);
            continue;
        }
        // Only the line the loader uses counts.
        const QString id = sectionName(*section) + QLatin1Char('/') + QString::number(*key);
        if (seen.contains(id))
            continue;
        seen.insert(id);
        if (e.value.size() > kMaxValueLength)
            check.overLong.push_back(e);
    }
    return check;
}

bool loadLanguagePack(const QString& path, Texts& texts) {
    const PackFile pack = readPack(path);
    const PackValues values(pack);
    for (const TextDef& def : builtInTexts()) {
        const std::optional<QString> value = values.value(def.key.section, def.key.key);
        texts.set(def.key.section, def.key.key, value ? *value : QString::fromUtf8(def.czech));
    }
    return pack.readable;
}

PackChoice choosePack(const QString& folder, const QString& languageFile) {
    PackChoice choice;
    choice.languageFile = languageFile;
    if (packExists(languageFile))
        return choice;
    if (!workingFolder::existsIn(folder, config::kFileName)) {
        choice.outcome = PackChoice::Outcome::Defaults;
        return choice;
    }
    choice.languageFile = QFileInfo(folder + '/' + kDefaultPack).filePath();
    choice.outcome = packExists(choice.languageFile) ? PackChoice::Outcome::LoadPack
                                                     : PackChoice::Outcome::Error;
    return choice;
}

PackChoice applyLanguage(const QString& folder, const QString& languageFile, Texts& texts) {
    const PackChoice choice = choosePack(folder, languageFile);
    switch (choice.outcome) {
    case PackChoice::Outcome::LoadPack:
        loadLanguagePack(choice.languageFile, texts);
        break;
    case PackChoice::Outcome::Defaults:
        texts.resetToDefaults();
        break;
    case PackChoice::Outcome::Error:
        break;
    }
    return choice;
}

std::vector<MenuEntry> languageMenuEntries(const QString& folder) {
    std::vector<MenuEntry> entries;
    for (const QString& path : workingFolder::listIn(folder, QStringLiteral("*.LNG"))) {
        if (static_cast<int>(entries.size()) == kMenuItemCount)
            break;
        const QString name = QFileInfo(path).fileName();
        entries.push_back({name.left(std::max<qsizetype>(0, name.size() - 4)), path});
    }
    return entries;
}

} // namespace lumo::language
