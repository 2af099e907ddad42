#include "platform/AtomicFile.h"
#include "platform/WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dirent.h>

namespace lumo {
namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The directory order as the C library reports it, to compare listings against.
QStringList readdirOrder(const QString& folder) {
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    closedir(dir);
    return names;
}

TEST(AtomicFile, ReplacesContentAndReportsFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bin");
    touch(path, "old contents");
    ASSERT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(contents(path), QByteArray("new"));
    // Nothing beside the target is left over.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"a.bin"}));

    QString error;
    EXPECT_FALSE(writeFileAtomically(dir.filePath("missing/a.bin"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(AtomicFile, ReadOnlyFolderKeepsOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.ini");
    touch(path, "previous");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, "next", &error));
    EXPECT_FALSE(error.isEmpty());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(contents(path), QByteArray("previous"));
}

TEST(WorkingFolder, ResolvesNamesCaseInsensitively) {
    QTemporaryDir dir;
    touch(dir.filePath("Config.ini"));
    EXPECT_EQ(workingFolder::resolveIn(dir.path(), "CONFIG.INI"), dir.filePath("Config.ini"));
    EXPECT_TRUE(workingFolder::existsIn(dir.path(), "config.ini"));
    EXPECT_FALSE(workingFolder::existsIn(dir.path(), "other.ini"));
    EXPECT_EQ(workingFolder::resolveIn(dir.path(), "other.ini"), dir.filePath("other.ini"));
}

TEST(WorkingFolder, ListsWildcardMatchesInFileSystemOrder) {
    QTemporaryDir dir;
    for (const char* name : {"b.lng", "A.LNG", "c.Lng", "notes.txt", "x.lngx", "lng"})
        touch(dir.filePath(name));
    QDir(dir.path()).mkdir("folder.lng");
    QStringList expected;
    for (const QString& name : readdirOrder(dir.path())) {
        if (name.endsWith(".lng", Qt::CaseInsensitive) && name != "folder.lng")
            expected.append(dir.filePath(name));
    }
    EXPECT_EQ(expected.size(), 3);
    EXPECT_EQ(workingFolder::listIn(dir.path(), "*.LNG"), expected);
}

TEST(WorkingFolder, FollowsTheCurrentDirectory) {
    QTemporaryDir first;
    QTemporaryDir second;
    touch(second.filePath("Help.HLP"));
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(first.path()));
    EXPECT_FALSE(workingFolder::exists("help.hlp"));
    ASSERT_TRUE(QDir::setCurrent(second.path()));
    EXPECT_TRUE(workingFolder::exists("help.hlp"));
    EXPECT_EQ(workingFolder::list("*.hlp").size(), 1);
    QDir::setCurrent(saved);
}

} // namespace
} // namespace lumo
