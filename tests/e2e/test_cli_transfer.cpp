// lumo-cli status, read and write against lumo-sim serving a virtual unit on a pseudo-terminal.
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

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

CliResult cli(const QStringList& args, const QProcessEnvironment& env = {}) {
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class Simulator {
public:
    Simulator(const QString& dir, QStringList extra) {
        m_link = dir + QStringLiteral("/vexo");
        m_memory = dir + QStringLiteral("/unit.img");
        m_process.start(QStringLiteral(LUMO_SIM_PATH),
                        QStringList{QStringLiteral("unit"), QStringLiteral("--pty-link"), m_link,
                                    QStringLiteral("--memory"), m_memory} +
                            extra);
        m_process.waitForReadyRead(10000);
        m_printed = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~Simulator() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    const QString& port() const { return m_link; }
    const QString& printed() const { return m_printed; }
    const QString& memory() const { return m_memory; }

private:
    QProcess m_process;
    QString m_link;
    QString m_memory;
    QString m_printed;
};

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
    Simulator sim(dir.path(), {});
    ASSERT_EQ(sim.printed(), sim.port());

    const CliResult status = cli({"status", "--port", sim.port()});
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_EQ(status.out, "Firmware: 1.7\nMode: DEN\nUnfitted: 0\nCounter: 0\n");

    const QString first = dir.filePath("first.json");
    const CliResult read = cli({"read", "all", "--port", sim.port(), first});
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
    const CliResult refused = cli({"write", "all", "--port", sim.port(), edited});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("počítadlo: vrátný 0, soubor 7")) << refused.err.toStdString();

    const CliResult write = cli({"write", "all", "--port", sim.port(), edited, "--counter", "set"});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(write.out, "wrote all from " + edited + "\n");
    // Not a terminal: no progress.
    EXPECT_FALSE(write.err.contains("%")) << write.err.toStdString();

    const QString back = dir.filePath("back.json");
    ASSERT_EQ(cli({"read", "all", "--port", sim.port(), back}).status, 0);
    EXPECT_EQ(readJson(back), set);
    EXPECT_TRUE(QFile::exists(sim.memory())); // the unit kept its new memory
}

TEST(CliTransfer, StatusOverTheVirtualCableOpensTheCable) {
    QTemporaryDir dir;
    Simulator sim(dir.path(), {});
    QFile devices(dir.filePath("devices.txt"));
    ASSERT_TRUE(devices.open(QIODevice::WriteOnly));
    devices.write("Vexo USB\tVexo-USB\t" + QFile::encodeName(sim.port()) + "\n");
    devices.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMO_FTDI", "virtual:" + devices.fileName());
    const CliResult status = cli({"status", "--port", "usb"}, env);
    ASSERT_EQ(status.status, 0) << status.err.toStdString();
    EXPECT_EQ(status.out, "Firmware: 1.7\nMode: DEN\nUnfitted: 0\nCounter: 0\n");
}

TEST(CliTransfer, ShortSettingsReplyFailsWithTheCommunicationMessage) {
    QTemporaryDir dir;
    Simulator sim(dir.path(), {"--settings-delta", "-1"});
    const CliResult r = cli({"read", "settings", "--port", sim.port(), dir.filePath("x.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("  Chyba komunikace")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.json")));
}

TEST(CliTransfer, NumberWriteRefusedByTheUnitIsAFailure) {
    QTemporaryDir dir;
    Simulator sim(dir.path(), {"--write-error", "3"});
    const QString set = dir.filePath("set.json");
    ASSERT_EQ(cli({"read", "settings", "--port", sim.port(), set}).status, 0);
    const CliResult r = cli({"write", "numbers", "--port", sim.port(), set});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("3")) << r.err.toStdString();
}

TEST(CliTransfer, MissingPortAndWrongUsage) {
    QTemporaryDir dir;
    const CliResult missing = cli({"status", "--port", dir.filePath("no-such-device")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("Chybné číslo portu")) << missing.err.toStdString();
    EXPECT_EQ(cli({"read", "everything", "--port", "1", "x.json"}).status, 2);
    EXPECT_EQ(cli({"write", "all", "--port", "1", "x.json", "--counter", "maybe"}).status, 2);
}

TEST(CliTransfer, ReadChecksItsOutputBeforeTalkingToTheUnit) {
    QTemporaryDir dir;
    // The port does not exist either: the output is what gets reported, so it was checked first.
    const QString out = dir.filePath("no-folder/x.json");
    const CliResult r = cli({"read", "all", "--port", dir.filePath("no-such-device"), out});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("složka")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Chybné číslo portu")) << r.err.toStdString();

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.json"));
    const CliResult folder =
        cli({"read", "all", "--port", dir.filePath("no-such-device"), dir.filePath("folder.json")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(folder.err.contains("soubor nelze zapsat")) << folder.err.toStdString();
}

TEST(CliTransfer, ProgressGoesToATerminal) {
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    QTemporaryDir dir;
    Simulator sim(dir.path(), {});
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
    Simulator sim(dir.path(), {"--drop-byte", "20"});
    const QString first = dir.filePath("first.json");
    ASSERT_EQ(cli({"read", "settings", "--port", sim.port(), first}).status, 0);
    QJsonObject set = readJson(first);
    set["Edit144"] = "1234";
    const QString edited = dir.filePath("edited.json");
    writeJson(edited, set);

    const CliResult r = cli({"write", "settings", "--verify", "--port", sim.port(), edited});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote settings from " + edited + "\n") << "the write itself went through";
    EXPECT_TRUE(r.err.contains("Zápis neověřen, liší se parametrů: 1")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("[Edit144]: \"1234\" -> \"7234\"")) << r.err.toStdString();
}

TEST(CliTransfer, WriteWithVerifyOnAUnitThatStoresEverything) {
    QTemporaryDir dir;
    Simulator sim(dir.path(), {});
    const QString first = dir.filePath("first.json");
    ASSERT_EQ(cli({"read", "all", "--port", sim.port(), first}).status, 0);
    QJsonObject set = readJson(first);
    set["Edit1"] = "123456789";
    set["Edit144"] = "1234";
    const QString edited = dir.filePath("edited.json");
    writeJson(edited, set);
    const CliResult r = cli({"write", "all", "--port", sim.port(), edited, "--verify"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote all from " + edited + "\nZápis ověřen\n");
    EXPECT_EQ(r.err, "");

    // --verify is a flag: a value after it is wrong usage.
    EXPECT_EQ(cli({"write", "all", "--port", sim.port(), edited, "--verify", "yes"}).status, 2);
}
