// `lumo-cli remote read`: what the box is asked for, what lands in OUT, refused arguments.
#include "CliRemoteFixture.h"
#include "params/FieldTable.h"
#include "support/FileHelpers.h"
#include <QDir>
#include <QRegularExpression>

namespace lumo::test {
namespace {

using ::testing::HasSubstr;

QByteArray numberImage(const QByteArray& codes) {
    return codes + QByteArray(16 - codes.size(), char(0xFF));
}

class CliRemoteRead : public CliRemoteFixture {
protected:
    void SetUp() override {
        CliRemoteFixture::SetUp();
        unit.setCounter(42);                                           // block 7
        unit.setNumberMemory(1, numberImage("\x01\x02"));              // DAY 2: "12"
        unit.setNumberMemory(63, numberImage("\x06\x04"));             // DAY 64: "64"
        unit.setNumberMemory(64, numberImage("\x05"));                 // NIGHT 1: "5"
        unit.setNumberMemory(127, numberImage("\x09\x0A\x0D"));        // NIGHT 64: "90P"
        unit.setNumberMemory(5, numberImage("\x07"));                  // DAY 6, never asked for
        base.setText(QStringLiteral("Edit140"), QStringLiteral("77")); // the unit holds 55
        base.setText(QStringLiteral("Edit6"), QStringLiteral("333"));
        save(QStringLiteral("base.KTF"), base);
    }
    ParameterSet base;
};

TEST_F(CliRemoteRead, WithoutSettingsOnlyBlock7IsAskedAndOverlaidOnTheBase) {
    const CliRun r = read({"--base", path("base.KTF"), path("out.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readRequests(), QList<QByteArray>{"ATDE8*#7"});
    const ParameterSet out = load(QStringLiteral("out.json"));
    EXPECT_EQ(out.text(QStringLiteral("Edit157")), QStringLiteral("42")); // from the unit
    EXPECT_EQ(out.text(QStringLiteral("Edit140")), QStringLiteral("77")); // block 1 not read
    EXPECT_EQ(out.text(QStringLiteral("Edit6")), QStringLiteral("333"));  // no memory read
    EXPECT_THAT(r.out, HasSubstr("read block 7 and 0 memories to"));
    EXPECT_THAT(r.err, HasSubstr("Spojeno\n"));
    // The call is over: hung up after the keep-alive came back.
    EXPECT_EQ(commands().last(), "AT@BASIC");
    EXPECT_FALSE(device->box().inCall());
}

TEST_F(CliRemoteRead, SettingsAndSelectedMemoriesInAscendingOrder) {
    const CliRun r = read({"--settings", "--night", "64,1", "--day", "2,64", "--base",
                           path("base.KTF"), path("out.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readRequests(),
              (QList<QByteArray>{"ATDE8*#7", "ATDE8*#0", "ATDE8*#1", "ATDE8*#2", "ATDE8*#3",
                                 "ATDE8*#4", "ATDE8*101", "ATDE8*177", "ATDE8*200", "ATDE8*277"}));
    // OUT by its extension: a settings file, not JSON.
    EXPECT_FALSE(readFile(path("out.KTF")).trimmed().startsWith('{'));
    const ParameterSet out = load(QStringLiteral("out.KTF"));
    EXPECT_EQ(out.text(QStringLiteral("Edit140")), QStringLiteral("55"));
    EXPECT_EQ(out.text(QStringLiteral("Edit2")), QStringLiteral("12"));
    EXPECT_EQ(out.text(QStringLiteral("Edit64")), QStringLiteral("64"));
    EXPECT_EQ(out.text(QStringLiteral("Edit65")), QStringLiteral("5"));
    EXPECT_EQ(out.text(QStringLiteral("Edit128")), QStringLiteral("90P"));
    EXPECT_EQ(out.text(QStringLiteral("Edit6")), QStringLiteral("333")); // not selected
    EXPECT_THAT(r.out, HasSubstr("read settings and 4 memories to"));
    // Progress counts the exchanges and the time left by the fixed pauses.
    EXPECT_THAT(r.err, HasSubstr("Paměti tlačítek 4 z 4"));
    EXPECT_THAT(r.err, HasSubstr("zbývá 0:02")); // the pause before the last memory
}

TEST_F(CliRemoteRead, WithoutBaseTheBlocksGoOnANewSet) {
    const CliRun r = read({"--day", "6", path("out.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    const ParameterSet out = load(QStringLiteral("out.json"));
    EXPECT_EQ(out.text(QStringLiteral("Edit6")), QStringLiteral("7"));
    EXPECT_EQ(out.text(QStringLiteral("Edit140")), ParameterSet().text(QStringLiteral("Edit140")));
    EXPECT_EQ(out.text(QStringLiteral("Edit2")), QString());
}

TEST_F(CliRemoteRead, BadArgumentsAreRefusedBeforeDialling) {
    for (const char* list : {"0", "65", "3-1", "x", "", "1,,2", "1-", "-3", "1-2-3", "2;3"}) {
        const CliRun r = read({"--day", list, path("out.json")});
        EXPECT_EQ(r.status, 2) << list;
        EXPECT_THAT(r.err, HasSubstr(std::string("--day ") + list + ": buttons 1..64")) << list;
    }
    CliRun r = read({"--night", "1-65", path("out.json")});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--night 1-65: buttons 1..64"));

    r = run(false, {"--box", "KAV00001", "--number", "06x", "--password", "7850", "o.json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--number"));
    r = run(false, {"--box", "KAV00001", "--number", "0601", "--password", "78", "o.json"});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("--password"));
    r = read({"--day", "1", path("a.json"), path("b.json")});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("usage: lumo-cli remote read"));

    // OUT that cannot be written, or of an unknown kind: a failure, before the call too.
    r = read({path("missing/out.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("neexistuje"));
    r = read({path("out.txt")});
    EXPECT_EQ(r.status, 1);
    r = read({"--base", path("nothing.KTF"), path("out.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(commands().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("out.json")));
}

TEST_F(CliRemoteRead, LogWritesTheReportFileAndPrintsItsName) {
    const CliRun r = read({"--log", "--day", "2", path("out.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    const QString name = QString::fromStdString(r.out).section('\n', 0, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^LF-R-[^:/]+\\.TXT$")).match(name).hasMatch())
        << name.toStdString();
    const QByteArray report = readFile(path(name));
    EXPECT_TRUE(report.startsWith("Read report ")) << report.left(40).toStdString();
    EXPECT_TRUE(report.contains("> ATDE8*#7\r\n\r\n"));
    EXPECT_TRUE(report.contains("Memory of buttons\r\n"));
    EXPECT_TRUE(report.contains("> ATDE8*101\r\n\r\n"));
    EXPECT_TRUE(report.contains("< FULL\r\n"));
}

TEST_F(CliRemoteRead, AReportThatCannotBeMadeIsToldInTheTextsAndTheReadGoesOn) {
    // A working folder that is gone takes no file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("gone"));
    ASSERT_TRUE(QDir::setCurrent(path("gone")));
    ASSERT_TRUE(QDir(dir.path()).rmdir("gone"));
    const CliRun r = read({"--log", "--day", "2", path("out.json")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("nelze vytvořit: soubor neexistuje"));
    EXPECT_THAT(r.err, ::testing::Not(HasSubstr("No such file")));
    EXPECT_TRUE(QFileInfo::exists(path("out.json")));
}

TEST_F(CliRemoteRead, AFailedReadLeavesOutUnwrittenAndExitsOne) {
    // The box cannot be found under the serial asked for.
    CliRun r = run(
        false, {"--box", "KAV99999", "--number", "0601", "--password", "7850", path("out.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("KAV99999"));
    // The box refuses every command.
    sim::LineBoxFaults faults;
    faults.errEvery = 1;
    device->box().setFaults(faults);
    r = read({path("out.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.ranOut);
    EXPECT_THAT(r.err, HasSubstr("'Timeout of ERR'"));
    EXPECT_FALSE(QFileInfo::exists(path("out.json")));
}

} // namespace
} // namespace lumo::test
