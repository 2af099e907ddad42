// lumo-cli write --backup against lumo-sim: the unit's memory is read and saved before the
// write, and a backup that cannot be made stops the write before its first byte.
#include "files/ReadBackups.h"
#include "files/SettingsFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A virtual unit on a pseudo-terminal for the time of a test.
class Unit {
public:
    Unit(const QString& dir, const QStringList& faults) {
        m_port = dir + QStringLiteral("/vexo");
        m_process.start(QStringLiteral(LUMO_SIM_PATH),
                        QStringList{QStringLiteral("unit"), QStringLiteral("--pty-link"), m_port} +
                            faults);
        m_process.waitForReadyRead(10000);
        m_process.readLine();
    }
    ~Unit() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    const QString& port() const { return m_port; }

private:
    QProcess m_process;
    QString m_port;
};

QString changedSet(const QTemporaryDir& dir, const Unit& unit) {
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
    Unit unit(dir.path(), {});
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
    Unit unit(dir.path(), {});
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
    Unit unit(dir.path(), {"--settings-delta", "-1"});
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
