// lumo-cli and lumo-sim given what a hostile user gives them: FIFOs, devices, huge files,
// values a settings file cannot hold, bad ports, a unit that answers with control bytes, a
// write that stops half-way, and a stale pseudo-terminal link.
#include "support/DeviceNode.h"
#include "support/FileHelpers.h"
#include "support/ServedSim.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

using lumo::test::readFile;
using lumo::test::writeFile;

struct Outcome {
    int status = -1; // -1: crashed or had to be killed
    QString out;
    QString err;
    QByteArray rawErr;
    qint64 ms = 0;
};

Outcome run(const QString& program, const QStringList& args, const QString& workdir = {},
            int limitMs = 20000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    if (!workdir.isEmpty())
        p.setWorkingDirectory(workdir);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    const bool finished = p.waitForFinished(limitMs);
    Outcome r;
    r.ms = timer.elapsed();
    if (!finished) {
        p.kill();
        p.waitForFinished();
    }
    r.status = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.rawErr = p.readAllStandardError();
    r.err = QString::fromUtf8(r.rawErr);
    return r;
}

Outcome cli(const QStringList& args, const QString& workdir = {}) {
    return run(QStringLiteral(LUMO_CLI_PATH), args, workdir);
}

QString fifo(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

using lumo::test::ServedUnit;

} // namespace

TEST(HostileInputs, FifoAsSettingsJsonOrConfigNeverHangs) {
    QTemporaryDir dir;
    for (const char* name : {"pipe.KTF", "pipe.json"}) {
        const QString path = fifo(dir, name);
        for (const QStringList& args :
             {QStringList{"show", path}, QStringList{"convert", path, dir.filePath("o.json")},
              QStringList{"write", "all", "--port", "/dev/null", path}}) {
            const Outcome r = cli(args);
            EXPECT_EQ(r.status, 1) << qPrintable(args.join(' '));
            EXPECT_LT(r.ms, 10000);
            EXPECT_TRUE(r.err.contains(QStringLiteral("není to obyčejný soubor")))
                << qPrintable(r.err);
        }
    }
    // Config.ini as a FIFO: the port list still comes, with the defaults and a warning.
    fifo(dir, "Config.ini");
    const Outcome ports = cli({"ports"}, dir.path());
    EXPECT_EQ(ports.status, 0);
    EXPECT_TRUE(ports.out.startsWith(QStringLiteral("COM1 /dev/ttyS0 "))) << qPrintable(ports.out);
    EXPECT_TRUE(ports.err.contains(QStringLiteral("platí výchozí nastavení")))
        << qPrintable(ports.err);
}

TEST(HostileInputs, HugeConfigIsRefusedQuickly) {
    QTemporaryDir dir;
    QFile config(dir.filePath("Config.ini"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    ASSERT_TRUE(config.write("[Ports]\r\nCOM1=/dev/null\r\n") > 0);
    ASSERT_TRUE(config.resize(200LL * 1024 * 1024)); // sparse: no disk used
    config.close();
    const Outcome r = cli({"ports"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_LT(r.ms, 5000);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("COM1 /dev/ttyS0 "))) << qPrintable(r.out);
    EXPECT_TRUE(r.err.contains(QStringLiteral("209715200"))) << qPrintable(r.err);
}

TEST(HostileInputs, ConvertToKtfRefusesWhatTheFileCannotHold) {
    QTemporaryDir dir;
    QJsonObject set;
    set["Edit5"] = QString(500 * 1024, QLatin1Char('1'));
    ASSERT_TRUE(writeFile(dir.filePath("long.json"), QJsonDocument(set).toJson()));
    Outcome r = cli({"convert", dir.filePath("long.json"), dir.filePath("long.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Edit5"))) << qPrintable(r.err.left(500));
    EXPECT_LT(r.err.size(), 500);
    EXPECT_FALSE(QFile::exists(dir.filePath("long.KTF")));

    set = {};
    set["Edit145"] = QStringLiteral("Ψ");
    ASSERT_TRUE(writeFile(dir.filePath("greek.json"), QJsonDocument(set).toJson()));
    r = cli({"convert", dir.filePath("greek.json"), dir.filePath("greek.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Edit145"))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(dir.filePath("greek.KTF")));
}

TEST(HostileInputs, SaveOntoLinksKeepsTheLinkAndNeverReplacesADevice) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("real.KTF"), "x"));
    ASSERT_TRUE(QFile::link(dir.filePath("real.KTF"), dir.filePath("link.KTF")));
    EXPECT_EQ(cli({"new", dir.filePath("link.KTF")}).status, 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("link.KTF")).isSymLink());
    EXPECT_EQ(readFile(dir.filePath("real.KTF")).size(), 8550);

    const QString pipe = fifo(dir, "pipe.KTF");
    QStringList outs{pipe};
    // Never the system's /dev/null: a regression would replace it for the whole machine.
    const QString device = lumo::test::makePrivateDeviceNode(dir.filePath("device"));
    if (!device.isEmpty()) {
        ASSERT_TRUE(QFile::link(device, dir.filePath("null.json")));
        outs << dir.filePath("null.json");
    }
    for (const QString& out : outs) {
        const Outcome r = cli({"new", out});
        EXPECT_EQ(r.status, 1) << qPrintable(out);
        EXPECT_TRUE(r.err.contains(QStringLiteral("není to obyčejný soubor"))) << qPrintable(r.err);
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (!device.isEmpty()) {
        EXPECT_TRUE(lumo::test::isCharacterDevice(device));
    }
}

TEST(HostileInputs, BadPortsSayWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("plain"), "x"));
    const struct {
        QString port;
        QString reason;
    } cases[] = {
        {dir.filePath("none"), QStringLiteral("neexistuje")},
        {QStringLiteral("/dev/null"), QStringLiteral("není sériový port ani terminál")},
        {dir.filePath("plain"), QStringLiteral("není sériový port ani terminál")},
    };
    for (const auto& c : cases) {
        const Outcome r = cli({"status", "--port", c.port});
        EXPECT_EQ(r.status, 1) << qPrintable(c.port);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Chybné číslo portu"))) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(c.reason)) << qPrintable(r.err);
    }
    // A port another program holds.
    ServedUnit sim(dir.path(), {});
    QFile holder(sim.port());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
    const Outcome busy = cli({"status", "--port", sim.port()});
    EXPECT_EQ(busy.status, 1);
    // The holders are named: this test holds the lock, the simulator the other end.
    EXPECT_TRUE(busy.err.contains(QStringLiteral("právě používá program tests_e2e (PID")))
        << qPrintable(busy.err);
}

TEST(HostileInputs, CommunicationErrorShowsReceivedBytesEscapedWithCounts) {
    QTemporaryDir dir;
    // 127 of 128 bytes of the settings image: binary bytes, among them NUL and 0xFF.
    ServedUnit sim(dir.path(), {"--settings-delta", "-1"});
    const Outcome r = cli({"read", "settings", "--port", sim.port(), dir.filePath("x.json")});
    EXPECT_EQ(r.status, 1);
    for (const char c : r.rawErr)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    EXPECT_TRUE(r.err.contains(QStringLiteral("  Chyba komunikace"))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\\xff"))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("očekáváno 128 bajtů, přijato 127")))
        << qPrintable(r.err);
}

TEST(HostileInputs, AWriteStoppedHalfWaySaysWhatTheUnitHolds) {
    QTemporaryDir dir;
    ServedUnit sim(dir.path(), {"--write-error", "3"});
    const QString set = dir.filePath("set.json");
    ASSERT_EQ(cli({"read", "settings", "--port", sim.port(), set}).status, 0);
    Outcome r = cli({"write", "all", "--port", sim.port(), set});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(
        QStringLiteral("Vrátný je zapsán jen částečně: nastavení zapsáno, paměti čísel 0 až 2 "
                       "zapsány")))
        << qPrintable(r.err);
    r = cli({"write", "numbers", "--port", sim.port(), set});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("částečně: paměti čísel 0 až 2 zapsány")))
        << qPrintable(r.err);
}

TEST(SimProgram, HelpAfterTheSubcommandAndStaleLinks) {
    const Outcome help = run(QStringLiteral(LUMO_SIM_PATH), {"unit", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: lumo-sim unit")))
        << qPrintable(help.out);

    QTemporaryDir dir;
    // A link left by a killed simulator pointing at a terminal number someone else has now.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/ptmx"), dir.filePath("vexo")));
    {
        ServedUnit sim(dir.path(), {});
        EXPECT_EQ(sim.printed(), sim.port());
        EXPECT_NE(QFile::symLinkTarget(sim.port()), QStringLiteral("/dev/pts/ptmx"));
        EXPECT_TRUE(QFile::symLinkTarget(sim.port()).startsWith(QStringLiteral("/dev/pts/")));
        EXPECT_EQ(cli({"status", "--port", sim.port()}).status, 0);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("vexo")));
    EXPECT_FALSE(QFileInfo(dir.filePath("vexo")).isSymLink());

    // A user's file at the link path is not a link and stays.
    ASSERT_TRUE(writeFile(dir.filePath("mine"), "keep"));
    const Outcome refused =
        run(QStringLiteral(LUMO_SIM_PATH), {"unit", "--pty-link", dir.filePath("mine")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(readFile(dir.filePath("mine")), "keep");
}
