// lumo-cli's file and image commands, run as a program.
#include "params/FieldTable.h"
#include "support/FileHelpers.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using lumo::test::readFile;
using lumo::test::writeFile;

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

CliResult cli(const QStringList& args, const QString& locale = QStringLiteral("C.UTF-8")) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    CliResult r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString data(const char* name) {
    return QStringLiteral(LUMO_TEST_DATA_DIR "/files/") + QString::fromLatin1(name);
}

// The default set as a settings image, position by position from the table: 1..38, the unused
// and empty positions 39..116, then 117..128.
const QString kDefaultImage =
    QStringLiteral("5501020202010caa180101010a000000050506060708050a000b010f02020505030301010101") +
    QString(2 * 78, QLatin1Char('f')) + QStringLiteral("ffff3cff0307c80103000000");

class CliFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliFiles, NewWritesTheDefaultFile) {
    const CliResult r = cli({QStringLiteral("new"), path("d.KTF")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(readFile(path("d.KTF")), readFile(data("default.KTF")));
    EXPECT_EQ(cli({QStringLiteral("new")}).status, 2);
}

TEST_F(CliFiles, ConvertBothWaysKeepsEveryByte) {
    ASSERT_EQ(cli({QStringLiteral("convert"), data("records165.KTF"), path("a.Json")}).status, 0);
    ASSERT_EQ(cli({QStringLiteral("convert"), path("a.Json"), path("b.ktf")}).status, 0);
    ASSERT_EQ(cli({QStringLiteral("convert"), path("b.ktf"), path("c.json")}).status, 0);
    ASSERT_EQ(cli({QStringLiteral("convert"), path("c.json"), path("d.KTF")}).status, 0);
    EXPECT_EQ(readFile(path("a.Json")), readFile(path("c.json")));
    EXPECT_EQ(readFile(path("b.ktf")), readFile(path("d.KTF")));
    EXPECT_EQ(readFile(path("b.ktf")).size(), 8550);
    EXPECT_TRUE(readFile(path("a.Json")).contains("\"Edit1\": \"0123456789*#PF01\""));

    const CliResult r = cli({QStringLiteral("convert"), data("default.KTF"), path("x.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(path("x.txt")));
}

TEST_F(CliFiles, ShowNamesPrintsEveryParameterInControlNameOrder) {
    const CliResult r =
        cli({QStringLiteral("show"), data("records164.KTF"), QStringLiteral("--names")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 158 + 25 + 5 + 3);
    EXPECT_EQ(lines.front(), QStringLiteral("Edit1=0123456789*#PF01"));
    EXPECT_EQ(lines[143], QStringLiteral("Edit144=1234"));
    EXPECT_EQ(lines[158], QStringLiteral("RadioButton1=false"));
    EXPECT_EQ(lines[158 + 15], QStringLiteral("RadioButton16=true"));
    EXPECT_EQ(lines.back(), QStringLiteral("ComboBox3=4"));
}

TEST_F(CliFiles, ImageEncodeFollowsThePositionTable) {
    CliResult r = cli({QStringLiteral("image"), QStringLiteral("encode"), data("default.KTF")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, kDefaultImage + QLatin1Char('\n'));

    r = cli({QStringLiteral("image"), QStringLiteral("encode"), data("default.KTF"),
             QStringLiteral("--firmware"), QStringLiteral("7.4"), QStringLiteral("--numbers")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 129);
    EXPECT_EQ(lines[0].mid(2 * 118, 2), QStringLiteral("4a"));
    for (int m = 1; m <= 128; ++m)
        EXPECT_EQ(lines[m], QString(32, QLatin1Char('f'))) << m;

    r = cli({QStringLiteral("image"), QStringLiteral("encode"), data("records164.KTF"),
             QStringLiteral("--numbers")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out.split(QLatin1Char('\n'))[1],
              QStringLiteral("0a0102030405060708090b0c0d0e0a01"));

    EXPECT_EQ(cli({QStringLiteral("image"), QStringLiteral("encode"), data("default.KTF"),
                   QStringLiteral("--firmware"), QStringLiteral("x")})
                  .status,
              2);
}

TEST_F(CliFiles, ImageEncodeUsesTheLocaleAndRefusesInvalidValues) {
    QByteArray json = R"({"Edit145": "0,5"})";
    ASSERT_TRUE(writeFile(path("half.json"), json));
    CliResult r = cli({QStringLiteral("image"), QStringLiteral("encode"), path("half.json")},
                      QStringLiteral("cs_CZ.UTF-8"));
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out.mid(4, 2), QStringLiteral("0a"));

    // Under a locale with a point the same text is no call time the unit knows.
    r = cli({QStringLiteral("image"), QStringLiteral("encode"), path("half.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"0,5\""))) << qPrintable(r.err);
}

TEST_F(CliFiles, ImageDecodeWritesTheDecodedSet) {
    QString hex = kDefaultImage;
    hex.replace(0, 2, QStringLiteral("54"));       // wrong marker
    hex.replace(2 * 13, 2, QStringLiteral("03"));  // position 14: RadioButton16
    hex.replace(2 * 118, 2, QStringLiteral("11")); // version 1.7
    CliResult r = cli({QStringLiteral("image"), QStringLiteral("decode"), hex, path("out.json")});
    // Without the marker nothing is made of the bytes.
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Obsah paměti není správný"))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(path("out.json")));
    hex.replace(0, 2, QStringLiteral("55"));
    r = cli({QStringLiteral("image"), QStringLiteral("decode"), hex, path("out.json")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QByteArray json = readFile(path("out.json"));
    EXPECT_TRUE(json.contains("\"RadioButton16\": true"));
    EXPECT_TRUE(json.contains("\"FirmwareVersion\": \"1.7\""));

    // Onto a base file: the number memories are not in the settings image and stay.
    r = cli({QStringLiteral("image"), QStringLiteral("decode"), QStringLiteral("--base"),
             data("records164.KTF"), kDefaultImage, path("out.KTF")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty());
    r = cli({QStringLiteral("show"), path("out.KTF"), QStringLiteral("--names")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("Edit1=0123456789*#PF01\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("Edit144=7850\n")));

    EXPECT_EQ(cli({QStringLiteral("image"), QStringLiteral("decode"), QStringLiteral("55"),
                   path("o.KTF")})
                  .status,
              1);
    EXPECT_EQ(cli({QStringLiteral("image"), QStringLiteral("decode"), hex}).status, 2);
    EXPECT_EQ(cli({QStringLiteral("image"), QStringLiteral("frobnicate")}).status, 2);
}

TEST_F(CliFiles, BadInputFilesFailCleanly) {
    QRandomGenerator random(99);
    QByteArray noise(8550, '\0');
    for (char& c : noise)
        c = char(random.bounded(256));
    ASSERT_TRUE(writeFile(path("empty.KTF"), {}));
    ASSERT_TRUE(writeFile(path("one.KTF"), "x"));
    ASSERT_TRUE(writeFile(path("noise.KTF"), noise));
    ASSERT_TRUE(writeFile(path("bad.json"), "{\"Edit1\": 5}"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.KTF")));
    const QStringList inputs = {path("empty.KTF"),
                                path("one.KTF"),
                                data("truncated.KTF"),
                                data("zeros164.KTF"),
                                data("valuelength255.KTF"),
                                path("noise.KTF"),
                                path("folder.KTF"),
                                path("missing.KTF"),
                                path("bad.json")};
    for (const QString& in : inputs) {
        CliResult r = cli({QStringLiteral("show"), in});
        EXPECT_EQ(r.status, 1) << qPrintable(in);
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(in);
        EXPECT_TRUE(r.err.contains(in)) << qPrintable(r.err);
        r = cli({QStringLiteral("convert"), in, path("result.json")});
        EXPECT_EQ(r.status, 1) << qPrintable(in);
        EXPECT_FALSE(QFile::exists(path("result.json"))) << qPrintable(in);
    }
}

TEST_F(CliFiles, ShowListsPagesAndCaptionsInTheActiveTexts) {
    const CliResult r = cli({QStringLiteral("show"), data("records164.KTF")});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_FALSE(r.out.contains(QStringLiteral("Edit144="))) << qPrintable(r.out);
    const lumo::Texts texts;
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Every page caption starts a block, in tab order.
    qsizetype from = 0;
    for (const lumo::PageDef& page : lumo::pageTable()) {
        const QString caption = texts.get(page.caption).remove(QLatin1Char('&')).simplified();
        const auto at = std::find_if(lines.begin() + from, lines.end(),
                                     [&](const QString& l) { return l.startsWith(caption); });
        ASSERT_NE(at, lines.end()) << qPrintable(caption);
        from = at - lines.begin();
    }
    // A field by its row caption with the file's value, indented under its frame.
    const QString caption =
        lumo::rowCaption(*lumo::findField(QStringLiteral("Edit144")), texts).simplified();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
        return l.startsWith(QStringLiteral("    ") + caption) &&
               l.endsWith(QStringLiteral(" 1234"));
    })) << qPrintable(r.out);
    // The first number memory by its button word.
    EXPECT_TRUE(r.out.contains(texts.get(lumo::TextSection::TAB4, 5) +
                               QStringLiteral(" 1: 0123456789*#PF01\n")))
        << qPrintable(r.out);
    // Check boxes and option groups show the window's words, not true/false.
    EXPECT_FALSE(r.out.contains(QStringLiteral("true"))) << qPrintable(r.out);
    EXPECT_EQ(
        cli({QStringLiteral("show"), data("records164.KTF"), QStringLiteral("--frob")}).status, 2);
}

TEST_F(CliFiles, ConvertToASettingsFileRefusesWhatAWriteWouldRefuse) {
    ASSERT_TRUE(writeFile(path("half.json"), R"({"Edit145": "0,5"})"));
    // Under a locale with a point "0,5" is no call time the unit knows.
    CliResult r = cli({QStringLiteral("convert"), path("half.json"), path("half.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"0,5\""))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--force"))) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(path("half.KTF")));

    r = cli({QStringLiteral("convert"), path("half.json"), path("half.KTF"),
             QStringLiteral("--force")});
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Upozornění"))) << qPrintable(r.err);
    EXPECT_TRUE(QFile::exists(path("half.KTF")));

    // JSON is for editing: it takes the set as it is.
    EXPECT_EQ(cli({QStringLiteral("convert"), path("half.json"), path("copy.json")}).status, 0);
    EXPECT_EQ(
        cli({QStringLiteral("convert"), path("half.json"), path("x.KTF"), QStringLiteral("--frob")})
            .status,
        2);
}

TEST_F(CliFiles, EveryCommandExplainsItselfWithHelp) {
    const QStringList names = {"new",  "convert", "show",  "image",  "ports", "usb",  "status",
                               "read", "write",   "boxes", "remote", "lang",  "print"};
    for (const QString& name : names) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(LUMO_CLI_PATH), {name, QStringLiteral("--help")});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << qPrintable(name);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: lumo-cli ") + name)) << qPrintable(out);
        // More than the usage line: the command's own help.
        EXPECT_GE(out.count(QLatin1Char('\n')), 3) << qPrintable(out);
        EXPECT_FALSE(p.readAllStandardError().contains("usage:")) << qPrintable(name);
    }
    // Not a file name: nothing is written or read.
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    const CliResult read = cli({QStringLiteral("read"), QStringLiteral("--help")});
    for (const char* word : {"COM3", "/dev/", "usb", "--base"})
        EXPECT_TRUE(read.out.contains(QLatin1String(word))) << word;
    const CliResult write = cli({QStringLiteral("write"), QStringLiteral("-h")});
    for (const char* word : {"--mode DEN|NOC", "--counter keep|set", "--unfitted keep|set"})
        EXPECT_TRUE(write.out.contains(QLatin1String(word))) << word;
    EXPECT_TRUE(cli({QStringLiteral("--help")}).out.contains(QStringLiteral("COMMAND --help")));
}
