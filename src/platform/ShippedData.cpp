#include "platform/ShippedData.h"

#include "platform/AtomicFile.h"
#include "platform/WorkingFolder.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <cerrno>
#include <sys/stat.h>

namespace lumo::shippedData {

namespace {

// Shipped files are small (the largest is a manual picture); a working-folder file larger
// than this is certainly not one we put there.
constexpr qint64 kLimit = 64 * 1024 * 1024;

QByteArray digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// name -> digest; damaged lines are skipped (their files then count as the user's).
QMap<QString, QByteArray> readList(const QString& path) {
    QMap<QString, QByteArray> list;
    QByteArray bytes;
    FileError error;
    if (!readRegularFile(path, 1024 * 1024, &bytes, &error))
        return list;
    for (const QByteArray& line : bytes.split('\n')) {
        const int tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        list.insert(QString::fromUtf8(line.left(tab)), line.mid(tab + 1).trimmed());
    }
    return list;
}

QByteArray listBytes(const QMap<QString, QByteArray>& list) {
    QByteArray bytes = "# Shipped files Lumo put here and their SHA-256; edited ones are kept.\n";
    for (auto it = list.cbegin(); it != list.cend(); ++it)
        bytes += it.key().toUtf8() + '\t' + it.value() + '\n';
    return bytes;
}

} // namespace

QString folderBesideProgram(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/lumo"));
}

QString homeWorkingFolder() {
    const QString fromEnvironment = qEnvironmentVariable("LUMO_WORKDIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::home().filePath(QStringLiteral("Lumo"));
}

FillResult fillFolder(const QString& shipped, const QString& folder) {
    FillResult result;
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        if (!QDir().mkpath(folder)) {
            result.folderFailed = true;
            result.failedPath = folder;
            // mkpath gives no reason; one more mkdir of the last step gives the system's.
            const int made = ::mkdir(QFile::encodeName(folder).constData(), 0777);
            result.error = FileError::fromErrno(made == 0 ? EIO : errno);
            return result;
        }
        result.folderCreated = true;
    } else if (!folderInfo.isDir()) {
        result.folderFailed = true;
        result.failedPath = folder;
        result.error = FileError::fromErrno(ENOTDIR);
        return result;
    }

    const QString listPath = QDir(folder).filePath(QLatin1String(kListName));
    const QMap<QString, QByteArray> before = readList(listPath);
    QMap<QString, QByteArray> after = before;
    const auto fail = [&](const QString& path, const FileError& error) {
        if (result.failedPath.isEmpty()) {
            result.failedPath = path;
            result.error = error;
        }
    };

    const QStringList names = QDir(shipped).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QByteArray bytes;
        FileError error;
        const QString source = QDir(shipped).filePath(name);
        if (!readRegularFile(source, kLimit, &bytes, &error)) {
            fail(source, error);
            continue;
        }
        const QByteArray shippedDigest = digest(bytes);
        const QString target = workingFolder::resolveIn(folder, name);
        const QFileInfo targetInfo(target);
        if (!targetInfo.exists() && !targetInfo.isSymLink()) {
            if (before.contains(name)) {
                // Put here once and removed by the user since.
                result.kept << name;
                continue;
            }
            if (!saveFileAtomically(target, bytes, &error)) {
                fail(target, error);
                continue;
            }
            after.insert(name, shippedDigest);
            result.copied << name;
            continue;
        }
        if (targetInfo.isSymLink() || !targetInfo.isFile()) {
            result.kept << name;
            continue;
        }
        QByteArray present;
        if (!readRegularFile(target, kLimit, &present, &error)) {
            result.kept << name;
            continue;
        }
        const QByteArray presentDigest = digest(present);
        if (presentDigest == shippedDigest) {
            after.insert(name, shippedDigest);
            continue;
        }
        if (before.value(name) != presentDigest) {
            result.kept << name;
            continue;
        }
        if (!saveFileAtomically(target, bytes, &error)) {
            fail(target, error);
            continue;
        }
        after.insert(name, shippedDigest);
        result.updated << name;
    }

    if (after != before || !QFileInfo::exists(listPath)) {
        FileError error;
        if (!saveFileAtomically(listPath, listBytes(after), &error))
            fail(listPath, error);
    }
    return result;
}

} // namespace lumo::shippedData
