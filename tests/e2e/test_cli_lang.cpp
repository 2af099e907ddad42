// lumo-cli's language-pack commands, run as a program.
#include "support/FileHelpers.h"
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lumo::test::readFile;
using lumo::test::writeFile;

struct LangResult {
    int status = -1;
    QString out;
    QString err;
};

LangResult lang(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LUMO_CLI_PATH), QStringList{QStringLiteral("lang")} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    LangResult r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(CliLang, ExportWritesTheCzechPackThatChecksClean) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("Cesky.lng"));
    const LangResult r = lang({QStringLiteral("export"), out});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QByteArray bytes = readFile(out);
    // Code page 1250 and CR LF, as the original program's packs.
    EXPECT_TRUE(bytes.startsWith("[Menu]\r\n1=Soubor\r\n11=Otev\xF8\xEDt\r\n"));
    EXPECT_TRUE(bytes.contains("[REMOTE]\r\n1=P\xF8ipojen\xED k Vexo pomoc\xED Telvox\r\n"));
    const LangResult check = lang({QStringLiteral("check"), out});
    EXPECT_EQ(check.status, 0) << qPrintable(check.out);
    EXPECT_TRUE(check.out.contains(QStringLiteral("0 missing, 0 empty, 0 unknown")));
}

TEST(CliLang, CheckListsMissingAndUnknownKeys) {
    QTemporaryDir dir;
    const QString pack = dir.filePath(QStringLiteral("Mini.lng"));
    ASSERT_TRUE(writeFile(pack, "[Menu]\r\n1=File\r\n11=\r\n77=odd\r\n[Colours]\r\n1=red\r\n"));
    const LangResult r = lang({QStringLiteral("check"), pack});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("missing  Menu 12 (shows \"Uložit\")")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("empty    Menu 11")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("unknown  [Menu] 77 (line 4)")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("unknown  [Colours] 1 (line 6)")));
    EXPECT_FALSE(r.out.contains(QStringLiteral("missing  Menu 1 ")));
}

TEST(CliLang, WrongUsageAndMissingFiles) {
    EXPECT_EQ(lang({}).status, 2);
    EXPECT_EQ(lang({QStringLiteral("frobnicate"), QStringLiteral("x")}).status, 2);
    const LangResult r = lang({QStringLiteral("check"), QStringLiteral("/no/such/pack.lng")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("soubor neexistuje")));
    EXPECT_EQ(lang({QStringLiteral("export"), QStringLiteral("/no/such/dir/x.lng")}).status, 1);
}

} // namespace
