// lumo-cli write --backup against lumo-sim: the unit's memory is read and saved before the
// write, and a backup that cannot be made stops the write before its first byte.
#include "files/ReadBackups.h"
#include "files/SettingsFile.h"
#include "support/ServedSim.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lumo::test::CliRun;
using lumo::test::ServedUnit;

// A write with its backup read first takes two transfers.
CliRun cli(const QStringList& args) {
    return lumo::test::runCli(args, QProcessEnvironment::systemEnvironment(), 120000);
}

QString changedSet(const QTemporaryDir& dir, const ServedUnit& unit) {
    const QString path = dir.filePath(QStringLiteral("set.json"));
    EXPECT_EQ(cli({"read", "settings", "--port", unit.port(), path}).status, 0);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QJsonObject set = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    set[QStringLiteral("Edit144")] = QStringLiteral("1234");
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QJsonDocument(set).toJson());
    return path;
}

} // namespace

TEST(CliBackup, TheUnitIsSavedBeforeTheWriteReplacesIt) {
    QTemporaryDir dir;
    ServedUnit unit(dir.path(), {});
    const QString set = changedSet(dir, unit);
    const QString folder = dir.filePath(QStringLiteral("zalohy"));
    const CliRun r = cli({"write", "settings", "--port", unit.port(), set, "--backup", folder});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList kept = lumo::ReadBackups(folder).backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_predzapisem.KTF"))) << kept[0].toStdString();
    EXPECT_EQ(r.out, "backup " + kept[0] + "\nwrote settings from " + set + "\n");
    lumo::ParameterSet before;
    ASSERT_TRUE(lumo::LoadSettingsFile(before, kept[0]));
    EXPECT_EQ(before.text(QStringLiteral("Edit144")), QStringLiteral("7850"));

    // The write itself went out as without the option.
    const QString back = dir.filePath(QStringLiteral("back.json"));
    ASSERT_EQ(cli({"read", "settings", "--port", unit.port(), back}).status, 0);
    QFile f(back);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(f.readAll()).object().value("Edit144").toString(), "1234");
}

TEST(CliBackup, NoBackupNoWrite) {
    QTemporaryDir dir;
    ServedUnit unit(dir.path(), {});
    const QString set = changedSet(dir, unit);
    // A file where the folder should be: refused before the unit is read.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile b(blocker);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.close();
    CliRun r = cli({"write", "settings", "--port", unit.port(), set, "--backup", blocker});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Složku záloh \"") + blocker))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(CliBackup, AReadThatFailsKeepsWhatCameAndWritesNothing) {
    QTemporaryDir dir;
    ServedUnit unit(dir.path(), {"--settings-delta", "-1"});
    const QString set = dir.filePath(QStringLiteral("set.KTF"));
    lumo::ParameterSet params;
    ASSERT_TRUE(lumo::SaveSettingsFile(params, set));
    const QString folder = dir.filePath(QStringLiteral("zalohy"));
    const CliRun r = cli({"write", "settings", "--port", unit.port(), set, "--backup", folder});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("nic nebylo zapsáno"))) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("wrote")));
    const QStringList kept = lumo::ReadBackups(folder).backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_predzapisem_neuplne.KTF")));
}
