#include "files/ReadBackups.h"
#include "files/SettingsFile.h"
#include "platform/AtomicFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace lumo {

namespace {

const QRegularExpression& namePattern() {
    // Date and time, an optional serial, the kind, the incomplete mark.
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2})(?:-(\\d{1,4}))?_([a-z]+)(_neuplne)?\\.KTF$"));
    return re;
}

struct Entry {
    QString stamp;
    int serial;
    QString name;
};

} // namespace

QString ReadBackups::folderName() {
    return QStringLiteral("Zálohy");
}

QString ReadBackups::kindWord(BackupRequest::Kind kind) {
    switch (kind) {
    case BackupRequest::Kind::All:
        return QStringLiteral("vse");
    case BackupRequest::Kind::Settings:
        return QStringLiteral("nastaveni");
    case BackupRequest::Kind::Numbers:
        return QStringLiteral("cisla");
    case BackupRequest::Kind::Remote:
        return QStringLiteral("dalkove");
    case BackupRequest::Kind::BeforeWrite:
        return QStringLiteral("predzapisem");
    }
    return QStringLiteral("vse");
}

QString ReadBackups::fileName(const QDateTime& when, BackupRequest::Kind kind, bool complete,
                              int serial) {
    QString name = when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (serial > 1)
        name += QLatin1Char('-') + QString::number(serial);
    name += QLatin1Char('_') + kindWord(kind);
    if (!complete)
        name += QStringLiteral("_neuplne");
    return name + QStringLiteral(".KTF");
}

bool ReadBackups::isBackupName(const QString& name) {
    return namePattern().match(name).hasMatch();
}

ReadBackups::ReadBackups(QString folder, Saver saver)
    : m_folder(std::move(folder)), m_saver(std::move(saver)) {
    if (!m_saver)
        m_saver = saveFileAtomically;
}

bool ReadBackups::ensureFolder(FileError* error) const {
    const QByteArray native = QFile::encodeName(m_folder);
    if (::mkdir(native.constData(), 0777) == 0)
        return true;
    const int err = errno;
    struct stat st {};
    if (err == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    // Something else of that name (a file) cannot hold the backups.
    if (error)
        *error = FileError::fromErrno(err == EEXIST ? ENOTDIR : err);
    return false;
}

bool ReadBackups::save(const BackupRequest& request, const QDateTime& when, QString* path,
                       FileError* error) const {
    // Two backups in one second, of any kinds, get serials in the order they were taken,
    // so that none replaces another and the names still sort by age.
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    int serial = 1;
    for (const QString& name : QDir(m_folder).entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = namePattern().match(name);
        if (m.hasMatch() && m.captured(1) == stamp)
            serial = std::max(serial, (m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()) + 1);
    }
    const QString target =
        QDir(m_folder).filePath(fileName(when, request.kind, request.complete, serial));
    if (path)
        *path = target;
    if (!ensureFolder(error))
        return false;
    const QByteArray bytes =
        settingsFile::toBytes(request.params ? *request.params : ParameterSet());
    if (!m_saver(target, bytes, error))
        return false;
    rotate();
    return true;
}

QStringList ReadBackups::backups() const {
    std::vector<Entry> entries;
    const QStringList names = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = namePattern().match(name);
        if (m.hasMatch())
            entries.push_back(
                {m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), name});
    }
    // By the time in the name, not the file's date, which a copy or a restore changes.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.serial < b.serial;
    });
    QStringList out;
    const QDir dir(m_folder);
    for (const Entry& e : entries)
        out << dir.filePath(e.name);
    return out;
}

int ReadBackups::rotate() const {
    const QStringList all = backups();
    int removed = 0;
    for (qsizetype i = 0; i + kKept < all.size(); ++i)
        if (QFile::remove(all[i]))
            ++removed;
    return removed;
}

} // namespace lumo
