// lumo-cli diff with a unit as a source: lumo-sim serves the unit on the virtual USB cable, so a
// whole read takes a fraction of a second.
#include "support/ServedSim.h"
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

class Unit {
public:
    Unit(const QString& dir, const QStringList& faults) : m_served(dir, faults) {
        QFile devices(dir + QStringLiteral("/devices.txt"));
        EXPECT_TRUE(devices.open(QIODevice::WriteOnly));
        devices.write("Vexo USB\tVexo-USB\t" + QFile::encodeName(m_served.port()) + "\n");
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_env.insert(QStringLiteral("LUMO_FTDI"), QStringLiteral("virtual:") + devices.fileName());
    }

    // The program, or `program` (such as script(1) giving it a terminal) with `args`.
    CliResult cli(const QStringList& args, const QString& program = LUMO_CLI_PATH) const {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private:
    lumo::test::ServedUnit m_served;
    QProcessEnvironment m_env;
};

void setValue(const QString& from, const QString& to, const QString& name, const QString& value) {
    QFile in(from);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QJsonObject o = QJsonDocument::fromJson(in.readAll()).object();
    ASSERT_TRUE(o.contains(name));
    o[name] = value;
    QFile out(to);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(QJsonDocument(o).toJson());
}

} // namespace

TEST(CliDiffUnit, UnitAgainstItsOwnReadAndAgainstOneChangedField) {
    QTemporaryDir dir;
    Unit unit(dir.path(), {});
    const QString own = dir.filePath("own.json");
    ASSERT_EQ(unit.cli({"read", "all", "--port", "usb", own}).status, 0);

    const CliResult same = unit.cli({"diff", "unit:usb", own});
    EXPECT_EQ(same.status, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, "");
    // Not a terminal: no progress.
    EXPECT_EQ(same.err, "");

    const QString edited = dir.filePath("edited.json");
    setValue(own, edited, "Edit144", "1234");
    const CliResult differs = unit.cli({"diff", edited, "unit:usb"});
    EXPECT_EQ(differs.status, 1) << differs.err.toStdString();
    const QStringList lines = differs.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << differs.out.toStdString();
    EXPECT_TRUE(lines[0].endsWith("[Edit144]: \"1234\" -> \"7850\"")) << lines[0].toStdString();
}

TEST(CliDiffUnit, SilentUnitIsTroubleWithTheMessageOfRead) {
    QTemporaryDir dir;
    Unit unit(dir.path(), {"--silent"});
    const QString file = dir.filePath("new.json");
    ASSERT_EQ(unit.cli({"new", file}).status, 0);
    const CliResult read = unit.cli({"read", "all", "--port", "usb", dir.filePath("r.json")});
    ASSERT_EQ(read.status, 1);
    ASSERT_FALSE(read.err.isEmpty());

    const CliResult r = unit.cli({"diff", "unit:usb", file});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, read.err);
}

TEST(CliDiffUnit, ReadEndingPartWayIsTroubleNotAComparison) {
    QTemporaryDir dir;
    // Number memory 5 comes one byte short: the settings were read, the memories not all.
    Unit unit(dir.path(), {"--fault", "short", "--fault-at", "8"});
    const QString file = dir.filePath("new.json");
    ASSERT_EQ(unit.cli({"new", file}).status, 0);
    const CliResult r = unit.cli({"diff", file, "unit:usb", "--json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("Chyba komunikace")) << r.err.toStdString();
}

TEST(CliDiffUnit, PortsAndFilesThatCannotBeUsed) {
    QTemporaryDir dir;
    Unit unit(dir.path(), {});
    const QString missing = dir.filePath("no-such-device");
    const CliResult port = unit.cli({"diff", "unit:" + missing, "unit:usb"});
    EXPECT_EQ(port.status, 2);
    EXPECT_EQ(port.out, "");
    EXPECT_TRUE(port.err.contains("Chybné číslo portu")) << port.err.toStdString();

    // A file that does not load is reported before any unit is read.
    const CliResult file = unit.cli({"diff", "unit:" + missing, dir.filePath("none.json")});
    EXPECT_EQ(file.status, 2);
    EXPECT_TRUE(file.err.contains("none.json")) << file.err.toStdString();
    EXPECT_FALSE(file.err.contains("Chybné číslo portu")) << file.err.toStdString();

    EXPECT_EQ(unit.cli({"diff", "unit:", "unit:usb"}).status, 2);

    const CliResult help = unit.cli({"diff", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("unit:PORT")) << help.out.toStdString();
}

TEST(CliDiffUnit, ProgressOfTheReadGoesToATerminal) {
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    QTemporaryDir dir;
    Unit unit(dir.path(), {});
    const QString file = dir.filePath("new.json");
    ASSERT_EQ(unit.cli({"new", file}).status, 0);
    const CliResult r = unit.cli(
        {"-qec", QStringLiteral("'%1' diff unit:usb '%2'").arg(LUMO_CLI_PATH, file), "/dev/null"},
        script);
    // The percentage is rewritten in place and wiped before the differences.
    EXPECT_TRUE(r.out.contains(QRegularExpression("\\r +[0-9]+ %"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QRegularExpression("\\r      \\r[^\\r]*\\[[A-Za-z]+[0-9]+\\]: ")))
        << r.out.toStdString();
}
