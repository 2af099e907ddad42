// lumo-cli status, read and write against lumo-sim serving a virtual unit on a pseudo-terminal.
#include "support/ServedSim.h"
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lumo::test::CliRun;
using lumo::test::runCli;
using lumo::test::ServedUnit;

// The unit keeps its memory in DIR/unit.img, where a test can look for it.
QStringList withMemory(const QTemporaryDir& dir, const QStringList& extra) {
    return QStringList{QStringLiteral("--memory"), dir.filePath(QStringLiteral("unit.img"))} +
           extra;
}

QJsonObject readJson(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(f.readAll()).object();
}

void writeJson(const QString& path, const QJsonObject& o) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(o).toJson());
}

} // namespace

TEST(CliTransfer, StatusReadWriteAndReadBackOverAPseudoTerminal) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {}));
    ASSERT_EQ(sim.printed(), sim.port());

    const CliRun status = runCli({"status", "--port", sim.port()});
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_EQ(status.out, "Firmware: 1.7\nMode: DEN\nUnfitted: 0\nCounter: 0\n");

    const QString first = dir.filePath("first.json");
    const CliRun read = runCli({"read", "all", "--port", sim.port(), first});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    EXPECT_EQ(read.out, "read all to " + first + "\n");
    QJsonObject set = readJson(first);
    EXPECT_EQ(set.value("Edit144").toString(), "7850");

    set["Edit1"] = "123456789";
    set["Edit128"] = "0P*#F";
    set["Edit144"] = "1234";
    set["Edit157"] = "7";
    const QString edited = dir.filePath("edited.json");
    writeJson(edited, set);

    // The counter differs from the unit's and nothing decides: stopped before writing.
    const CliRun refused = runCli({"write", "all", "--port", sim.port(), edited});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("počítadlo: vrátný 0, soubor 7")) << refused.err.toStdString();

    const CliRun write = runCli({"write", "all", "--port", sim.port(), edited, "--counter", "set"});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(write.out, "wrote all from " + edited + "\n");
    // Not a terminal: no progress.
    EXPECT_FALSE(write.err.contains("%")) << write.err.toStdString();

    const QString back = dir.filePath("back.json");
    ASSERT_EQ(runCli({"read", "all", "--port", sim.port(), back}).status, 0);
    EXPECT_EQ(readJson(back), set);
    EXPECT_TRUE(QFile::exists(dir.filePath("unit.img"))); // the unit kept its new memory
}

TEST(CliTransfer, StatusOverTheVirtualCableOpensTheCable) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {}));
    QFile devices(dir.filePath("devices.txt"));
    ASSERT_TRUE(devices.open(QIODevice::WriteOnly));
    devices.write("Vexo USB\tVexo-USB\t" + QFile::encodeName(sim.port()) + "\n");
    devices.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMO_FTDI", "virtual:" + devices.fileName());
    const CliRun status = runCli({"status", "--port", "usb"}, env);
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_EQ(status.out, "Firmware: 1.7\nMode: DEN\nUnfitted: 0\nCounter: 0\n");
}

TEST(CliTransfer, ShortSettingsReplyFailsWithTheCommunicationMessage) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {"--settings-delta", "-1"}));
    const CliRun r = runCli({"read", "settings", "--port", sim.port(), dir.filePath("x.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("  Chyba komunikace")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.json")));
}

TEST(CliTransfer, NumberWriteRefusedByTheUnitIsAFailure) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {"--write-error", "3"}));
    const QString set = dir.filePath("set.json");
    ASSERT_EQ(runCli({"read", "settings", "--port", sim.port(), set}).status, 0);
    const CliRun r = runCli({"write", "numbers", "--port", sim.port(), set});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("3")) << r.err.toStdString();
}

TEST(CliTransfer, MissingPortAndWrongUsage) {
    QTemporaryDir dir;
    const CliRun missing = runCli({"status", "--port", dir.filePath("no-such-device")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("Chybné číslo portu")) << missing.err.toStdString();
    EXPECT_EQ(runCli({"read", "everything", "--port", "1", "x.json"}).status, 2);
    EXPECT_EQ(runCli({"write", "all", "--port", "1", "x.json", "--counter", "maybe"}).status, 2);
}

// The runner every end-to-end test shares: a run it had to kill is no exit status, least of all 0.
TEST(CliTransfer, ARunThatDoesNotEndInTimeIsNotTakenAsSuccess) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), {});
    const CliRun cut =
        runCli({"status", "--port", sim.port()}, QProcessEnvironment::systemEnvironment(), 1);
    EXPECT_EQ(cut.status, -1);
    EXPECT_EQ(runCli({"status", "--port", sim.port()}).status, 0);
}

TEST(CliTransfer, ReadChecksItsOutputBeforeTalkingToTheUnit) {
    QTemporaryDir dir;
    // The port does not exist either: the output is what gets reported, so it was checked first.
    const QString out = dir.filePath("no-folder/x.json");
    const CliRun r = runCli({"read", "all", "--port", dir.filePath("no-such-device"), out});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("složka")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Chybné číslo portu")) << r.err.toStdString();

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.json"));
    const CliRun folder = runCli(
        {"read", "all", "--port", dir.filePath("no-such-device"), dir.filePath("folder.json")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(folder.err.contains("soubor nelze zapsat")) << folder.err.toStdString();
}

TEST(CliTransfer, ProgressGoesToATerminal) {
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {}));
    const QString out = dir.filePath("s.json");
    QProcess p;
    p.start(script, {"-qec",
                     QStringLiteral("'%1' read settings --port '%2' '%3'")
                         .arg(QStringLiteral(LUMO_CLI_PATH), sim.port(), out),
                     "/dev/null"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    // The percentage is rewritten in place and wiped before the result line.
    EXPECT_TRUE(text.contains(QRegularExpression("\\r +[0-9]+ %"))) << text.toStdString();
    EXPECT_TRUE(text.contains("\r      \rread settings to")) << text.toStdString();
    EXPECT_TRUE(text.contains("read settings to " + out)) << text.toStdString();
}

TEST(CliTransfer, WriteWithVerifyFindsTheByteTheUnitLost) {
    QTemporaryDir dir;
    // The 20th settings byte is image position 21, the service password's first digit.
    ServedUnit sim(dir.path(), withMemory(dir, {"--drop-byte", "20"}));
    const QString first = dir.filePath("first.json");
    ASSERT_EQ(runCli({"read", "settings", "--port", sim.port(), first}).status, 0);
    QJsonObject set = readJson(first);
    set["Edit144"] = "1234";
    const QString edited = dir.filePath("edited.json");
    writeJson(edited, set);

    const CliRun r = runCli({"write", "settings", "--verify", "--port", sim.port(), edited});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote settings from " + edited + "\n") << "the write itself went through";
    EXPECT_TRUE(r.err.contains("Zápis neověřen, liší se parametrů: 1")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("[Edit144]: \"1234\" -> \"7234\"")) << r.err.toStdString();
}

TEST(CliTransfer, WriteWithVerifyOnAUnitThatStoresEverything) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), withMemory(dir, {}));
    const QString first = dir.filePath("first.json");
    ASSERT_EQ(runCli({"read", "all", "--port", sim.port(), first}).status, 0);
    QJsonObject set = readJson(first);
    set["Edit1"] = "123456789";
    set["Edit144"] = "1234";
    const QString edited = dir.filePath("edited.json");
    writeJson(edited, set);
    const CliRun r = runCli({"write", "all", "--port", sim.port(), edited, "--verify"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote all from " + edited + "\nZápis ověřen\n");
    EXPECT_EQ(r.err, "");

    // --verify is a flag: a value after it is wrong usage.
    EXPECT_EQ(runCli({"write", "all", "--port", sim.port(), edited, "--verify", "yes"}).status, 2);
}
