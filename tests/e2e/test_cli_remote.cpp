// lumo-cli boxes and remote connect against a line box served by lumo-sim on a
// pseudo-terminal, reached through LUMO_FTDI=virtual:PATH. One connection takes the protocol's
// ten seconds of waits in real time; the whole exchange runs with both programs' clocks five
// times fast (LUMO_TIME_SCALE), so the box's line and the program's waits keep their timing
// against each other, and the failing one runs in real time.
#include "CliRemoteServed.h"
#include <QProcess>

namespace {

using lumo::e2e::CliRemoteTest;
using lumo::test::CliRun;

TEST_F(CliRemoteTest, ListsOnlyTheLineBoxes) {
    serve();
    const CliRun r = cli({"boxes"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "0\tKAV00001\n");
}

TEST_F(CliRemoteTest, ConnectsKeepsAliveAndHangsUp) {
    serve({}, 5);
    const CliRun r = cli({"remote", "connect", "--box", "KAV00001", "--number", "0601h",
                          "--password", "7850", "--hold", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14) << r.out.toStdString();
    EXPECT_EQ(lines[0], " -p- RESET -v- AT@RESET");
    EXPECT_EQ(lines[4], " -p- OK -v- ATDE0601*");
    EXPECT_EQ(lines[7], " -p- BOK -v- AT@RECN");
    EXPECT_EQ(lines[8], " -p- OK -v- ATDE#7850");
    EXPECT_EQ(lines[11], " -p- BOK -v- AT@RECN");
    EXPECT_EQ(lines[12], "Connected");
    EXPECT_EQ(lines[13], "Počet opakování: 0");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(CliRemoteTest, BoxSelectionFailures) {
    serve();
    CliRun r =
        cli({"remote", "connect", "--box", "KAV99999", "--number", "1", "--password", "7850"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Zařízení KAV99999 není připojeno\nNebyl vybrán žádný Telvox\n");
    r = cli({"remote", "connect", "--box", "KAV00001", "--number", "1", "--password", "785"});
    EXPECT_EQ(r.status, 2);
    r = cli({"remote", "connect", "--box", "KAV00001", "--number", "1x", "--password", "7850"});
    EXPECT_EQ(r.status, 2);
    r = cli({"remote", "connect", "--box", "KAV00001"});
    EXPECT_EQ(r.status, 2);
}

TEST_F(CliRemoteTest, ErrSeriesEndsWithTheConnectionFailure) {
    serve({"--err-every", "1"});
    const CliRun r =
        cli({"remote", "connect", "--box", "KAV00001", "--number", "1", "--password", "7850"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Není možné spojení s Vexo'Timeout of ERR'\n");
    EXPECT_FALSE(r.out.contains("Connected"));
}

TEST_F(CliRemoteTest, AWrongPasswordEndsAtTheTimeLimitAndSigtermHangsUp) {
    // The unit never takes the log-in, so the connect sequence would ask for ever. Real time
    // and a real signal: about 2.5 s each, the hang-up's own 1.5 s included.
    serve({"--wrong-password"});
    const QStringList args = {"remote",   "connect", "--box",      "KAV00001",
                              "--number", "1",       "--password", "7850"};
    const CliRun r = cli(args + QStringList{"--connect-timeout", "1"}, 20000);
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Spojení s Vexo nevzniklo do 1 s")) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("Connected"));

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMO_FTDI", "virtual:" + m_dir.filePath("devices.txt"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    ASSERT_TRUE(p.waitForStarted(5000));
    p.waitForReadyRead(5000); // the first exchange: the signal's handler is in place
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 128 + 15);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("Přerušeno: zavěšuji"));
}

} // namespace
