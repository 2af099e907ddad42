#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"

namespace lumo {

namespace {

IniDocument readDocument(const QString& path, QString* error) {
    IniDocument document;
    IniDocument::load(path, &document, nullptr, error);
    return document;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    return readDocument(m_path, &m_error).readString(section, key, defaultValue);
}

int IniFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    return readDocument(m_path, &m_error).readInt(section, key, defaultValue);
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return readDocument(m_path, &m_error).hasKey(section, key);
}

QStringList IniFile::sections() const {
    return readDocument(m_path, &m_error).sections();
}

QStringList IniFile::keys(const QString& section) const {
    return readDocument(m_path, &m_error).keys(section);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    return writeStrings({{section, key, value}});
}

bool IniFile::writeInt(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeStrings(const std::vector<Entry>& entries) {
    IniDocument document;
    // An existing file that cannot be read must not be replaced by one holding only the new
    // keys.
    if (!IniDocument::load(m_path, &document, nullptr, &m_error))
        return false;
    for (const Entry& entry : entries) {
        if (!document.setValue(entry.section, entry.key, entry.value)) {
            m_error = QStringLiteral("Invalid section or key name: [%1] %2")
                          .arg(entry.section, entry.key);
            return false;
        }
    }
    return writeFileAtomically(m_path, document.toBytes(), &m_error);
}

} // namespace lumo
