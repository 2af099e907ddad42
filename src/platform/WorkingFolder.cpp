#include "platform/WorkingFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

namespace lumo::workingFolder {

namespace {

QString joinPath(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

} // namespace

QString current() {
    return QDir::currentPath();
}

QString resolve(const QString& name) {
    return resolveIn(current(), name);
}

bool exists(const QString& name) {
    return existsIn(current(), name);
}

QStringList list(const QString& pattern) {
    return listIn(current(), pattern);
}

QString resolveIn(const QString& folder, const QString& name) {
    if (name.isEmpty() || QDir::isAbsolutePath(name))
        return name;
    const QString exact = joinPath(folder, name);
    if (QFileInfo::exists(exact))
        return exact;
    // Only a bare name is matched case-insensitively; a name with folders is taken as given.
    if (name.contains('/'))
        return exact;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return it.filePath();
    }
    return exact;
}

bool existsIn(const QString& folder, const QString& name) {
    if (name.isEmpty())
        return false;
    return QFileInfo::exists(resolveIn(folder, name));
}

QStringList listIn(const QString& folder, const QString& pattern) {
    const QRegularExpression matcher(QRegularExpression::wildcardToRegularExpression(pattern),
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList paths;
    // QDirIterator walks the directory in the order the file system returns it (readdir).
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (matcher.match(it.fileName()).hasMatch())
            paths.append(it.filePath());
    }
    return paths;
}

} // namespace lumo::workingFolder
