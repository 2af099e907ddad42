// The backups of reads: their names, the folder they go to, what they hold, the rotation that
// keeps the newest 200 and the failures that must be reported rather than hidden.
#include "files/ReadBackups.h"
#include "files/SettingsFile.h"
#include "params/FieldTable.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumo;
using Kind = BackupRequest::Kind;

namespace {

const QDateTime kWhen(QDate(2026, 12, 8), QTime(14, 3, 11));

void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

class ReadBackupsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString folder() const { return dir.filePath(ReadBackups::folderName()); }
    QTemporaryDir dir;
};

} // namespace

TEST(ReadBackupNames, DateTimeKindAndTheIncompleteMark) {
    EXPECT_EQ(ReadBackups::fileName(kWhen, Kind::All, true), "2026-12-08_14-03-11_vse.KTF");
    EXPECT_EQ(ReadBackups::fileName(kWhen, Kind::Settings, true),
              "2026-12-08_14-03-11_nastaveni.KTF");
    EXPECT_EQ(ReadBackups::fileName(kWhen, Kind::Numbers, false),
              "2026-12-08_14-03-11_cisla_neuplne.KTF");
    EXPECT_EQ(ReadBackups::fileName(kWhen, Kind::Remote, true), "2026-12-08_14-03-11_dalkove.KTF");
    EXPECT_EQ(ReadBackups::fileName(kWhen, Kind::BeforeWrite, true, 2),
              "2026-12-08_14-03-11-2_predzapisem.KTF");
    EXPECT_EQ(ReadBackups::folderName(), QStringLiteral("Zálohy"));

    for (const Kind k : {Kind::All, Kind::Settings, Kind::Numbers, Kind::Remote, Kind::BeforeWrite})
        for (const bool complete : {true, false})
            EXPECT_TRUE(ReadBackups::isBackupName(ReadBackups::fileName(kWhen, k, complete, 3)));
    for (const char* other : {"Dum 12.KTF", "2026-12-08_14-03-11_vse.ktf", "2026-12-08_vse.KTF",
                              "2026-12-08_14-03-11_vse.KTF.bak",
                              ".2026-12-08_14-03-11_vse.KTF.1.tmp", "2026-12-08_14-03-11_VSE.KTF"})
        EXPECT_FALSE(ReadBackups::isBackupName(QString::fromLatin1(other))) << other;
}

TEST_F(ReadBackupsTest, ABackupIsASettingsFileOfTheSetInAFolderMadeForIt) {
    ParameterSet params;
    params.setText("Edit129", "123456");
    params.setText(numberFieldName(5), "0601234567");
    const ReadBackups backups(folder());
    QString path;
    FileError error;
    ASSERT_TRUE(backups.save({Kind::All, true, &params}, kWhen, &path, &error));
    EXPECT_EQ(path, QDir(folder()).filePath("2026-12-08_14-03-11_vse.KTF"));

    ParameterSet loaded;
    QString problem;
    ASSERT_TRUE(LoadSettingsFile(loaded, path, &problem)) << problem.toStdString();
    EXPECT_EQ(loaded.text("Edit129"), "123456");
    EXPECT_EQ(loaded.text(numberFieldName(5)), "0601234567");
    EXPECT_EQ(QFileInfo(path).size(), settingsFile::kAllRecords * settingsFile::kRecordSize);

    // A second backup in the same second keeps the first.
    QString second;
    ASSERT_TRUE(backups.save({Kind::All, true, &params}, kWhen, &second, &error));
    EXPECT_EQ(QFileInfo(second).fileName(), "2026-12-08_14-03-11-2_vse.KTF");
    EXPECT_EQ(backups.backups(), (QStringList{path, second}));
}

TEST_F(ReadBackupsTest, TheNewest200AreKeptAndOtherFilesAreLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    // 200 older backups, made out of order; the oldest is of the previous year.
    for (int i = 199; i >= 0; --i)
        touch(QDir(folder()).filePath(
            ReadBackups::fileName(kWhen.addSecs(-60 * (i + 1)), Kind::Settings, i % 2 == 0)));
    const QString oldest = QDir(folder()).filePath(
        ReadBackups::fileName(QDateTime(QDate(2025, 1, 1), QTime(8, 0)), Kind::Remote, true));
    touch(oldest);
    touch(QDir(folder()).filePath("Dum 12.KTF"));
    touch(QDir(folder()).filePath("notes.txt"));
    const ReadBackups backups(folder());
    ASSERT_EQ(backups.backups().size(), 201);
    EXPECT_EQ(backups.backups().front(), oldest);
    EXPECT_EQ(backups.rotate(), 1);
    EXPECT_FALSE(QFileInfo::exists(oldest));

    const ParameterSet params;
    QString path;
    FileError error;
    ASSERT_TRUE(backups.save({Kind::All, true, &params}, kWhen, &path, &error));
    const QStringList kept = backups.backups();
    ASSERT_EQ(kept.size(), ReadBackups::kKept);
    EXPECT_EQ(kept.back(), path);
    // The one that went was the oldest of the rest, 200 minutes before.
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(
        ReadBackups::fileName(kWhen.addSecs(-60 * 200), Kind::Settings, false))));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath(
        ReadBackups::fileName(kWhen.addSecs(-60 * 199), Kind::Settings, true))));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath("Dum 12.KTF")));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder()).filePath("notes.txt")));
}

TEST_F(ReadBackupsTest, AFileWhereTheFolderShouldBeIsReportedAndStaysAsItWas) {
    touch(folder()); // a regular file named Zálohy
    const ReadBackups backups(folder());
    const ParameterSet params;
    QString path;
    FileError error;
    EXPECT_FALSE(backups.save({Kind::Numbers, false, &params}, kWhen, &path, &error));
    EXPECT_EQ(error.problem, FileError::Problem::BadPath);
    EXPECT_EQ(QFileInfo(path).fileName(), "2026-12-08_14-03-11_cisla_neuplne.KTF");
    EXPECT_TRUE(QFileInfo(folder()).isFile());
    EXPECT_EQ(QFileInfo(folder()).size(), 1);
}

TEST_F(ReadBackupsTest, AFullDiskFailsTheSaveAndRotatesNothing) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    for (int i = 0; i < ReadBackups::kKept; ++i)
        touch(
            QDir(folder()).filePath(ReadBackups::fileName(kWhen.addSecs(-i - 1), Kind::All, true)));
    const ReadBackups backups(folder(), [](const QString&, const QByteArray&, FileError* e) {
        *e = FileError::fromErrno(ENOSPC);
        return false;
    });
    const ParameterSet params;
    QString path;
    FileError error;
    EXPECT_FALSE(backups.save({Kind::All, true, &params}, kWhen, &path, &error));
    EXPECT_EQ(error.problem, FileError::Problem::NoSpace);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(backups.backups().size(), ReadBackups::kKept) << "no old backup lost for it";
}
