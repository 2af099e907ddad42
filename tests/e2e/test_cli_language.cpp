// lumo-cli's messages come in one language per run: the built-in Czech texts, or the pack given
// with --lang for every command, system reasons included.
#include "support/FileHelpers.h"
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lumo::test::writeFile;

const QString kEnglish = QStringLiteral(LUMO_TEST_DATA_DIR "/../../data/English.lng");

struct CliResult {
    int status = -1;
    QString err;
};

// By default no device of any kind: `usb` finds none.
CliResult cli(const QStringList& args, const QString& ftdi = QStringLiteral("virtual")) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LUMO_FTDI"), ftdi);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    CliResult r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    // Qt's own diagnostics (no runtime folder, the headless platform) are not the program's.
    static const QRegularExpression qtNote(QStringLiteral("^(QStandardPaths|This plugin|qt\\.)"));
    QStringList lines = QString::fromUtf8(p.readAllStandardError()).split('\n');
    lines.removeIf([](const QString& line) { return qtNote.match(line).hasMatch(); });
    r.err = lines.join('\n');
    return r;
}

// Czech is told by its letters; none of the paths below has one.
bool hasCzechLetters(const QString& text) {
    static const QRegularExpression czech(QStringLiteral("[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
    return czech.match(text).hasMatch();
}

// English is told by the words its messages are made of.
bool hasEnglishWords(const QString& text) {
    static const QRegularExpression english(
        QStringLiteral("\\b(the|cannot|not|no|found|written|warning|does|exist|could|holds|"
                       "folder|file|pack|of|overall)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return english.match(text).hasMatch();
}

class CliLanguage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::exists(kEnglish));
        // Under a locale with a point "0,5" is no call time the unit knows.
        ASSERT_TRUE(writeFile(path("half.json"), R"({"Edit145": "0,5"})"));
        ASSERT_TRUE(writeFile(path("set.json"), "{}"));
        ASSERT_TRUE(QDir(dir.path()).mkdir("taken.json"));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    struct Case {
        QStringList args;
        int status;
        QString czech;   // a part of the Czech message
        QString english; // the same part in the English pack
    };
    std::vector<Case> cases() const {
        return {
            // The output is checked before a read talks to the unit.
            {{"read", "all", "--port", path("nodev"), path("chybi/x.json")},
             1,
             "složka",
             "the folder"},
            {{"read", "all", "--port", path("nodev"), path("taken.json")},
             1,
             "soubor nelze zapsat",
             "the file cannot be written"},
            {{"convert", path("half.json"), path("half.KTF")},
             1,
             "nebyl zapsán",
             "was not written"},
            {{"convert", path("half.json"), path("forced.KTF"), "--force"},
             0,
             "obsahuje hodnoty",
             "holds values"},
            {{"lang", "check", path("nic.lng")}, 1, "soubor neexistuje", "the file does not exist"},
            // System reasons come translated, not as the system's own English.
            {{"lang", "export", path("chybi/Cesky.lng")}, 1, "nelze uložit", "cannot be saved"},
            {{"print", "settings", path("set.json"), "--pdf", path("chybi/a.pdf")},
             1,
             "nelze uložit",
             "cannot be saved"},
            {{"show", path("nic.json")}, 1, "neexistuje", "does not exist"},
            {{"new", path("x.txt")}, 1, ".KTF", ".KTF"},
            {{"usb"}, 0, "Nebylo nalezeno žádné zařízení FTDI", "no FTDI device found"},
        };
    }

    QTemporaryDir dir;
};

TEST_F(CliLanguage, WithoutAPackEveryMessageIsCzech) {
    for (const Case& c : cases()) {
        const CliResult r = cli(c.args);
        const std::string what = c.args.join(' ').toStdString() + ": " + r.err.toStdString();
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_TRUE(r.err.contains(c.czech)) << what;
        EXPECT_FALSE(hasEnglishWords(r.err)) << what;
    }
}

TEST_F(CliLanguage, WithTheEnglishPackNoMessageIsCzech) {
    for (const Case& c : cases()) {
        // Before or after the other arguments alike.
        const CliResult r = cli(c.args + QStringList{"--lang", kEnglish});
        const std::string what = c.args.join(' ').toStdString() + ": " + r.err.toStdString();
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_TRUE(r.err.contains(c.english)) << what;
        EXPECT_FALSE(hasCzechLetters(r.err)) << what;
    }
    const CliResult first =
        cli({"convert", "--lang", kEnglish, path("half.json"), path("half.KTF")});
    EXPECT_TRUE(first.err.contains("was not written")) << first.err.toStdString();
}

TEST_F(CliLanguage, TheVirtualDeviceFileIsToldInTheRunsLanguage) {
    ASSERT_TRUE(writeFile(path("devices.txt"), "Kavrostanel\tKAV00001\n"));
    const QString setting = "virtual:" + path("devices.txt");
    CliResult r = cli({"usb"}, setting);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("LUMO_FTDI: " + path("devices.txt") +
                               ", řádek 1: očekává se popis, sériové číslo a cesta k terminálu "
                               "oddělené tabulátory, nalezeno polí: 2"))
        << r.err.toStdString();

    r = cli({"usb", "--lang", kEnglish}, setting);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("LUMO_FTDI: " + path("devices.txt") +
                               ", line 1: expected description, serial number and terminal path "
                               "separated by tabs, found 2 field(s)"))
        << r.err.toStdString();
    EXPECT_FALSE(hasCzechLetters(r.err)) << r.err.toStdString();

    // The system's reason too.
    r = cli({"usb", "--lang", kEnglish}, "virtual:" + path("nic.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("LUMO_FTDI: cannot read the device file " + path("nic.txt") +
                               ": the file does not exist"))
        << r.err.toStdString();
    EXPECT_FALSE(hasCzechLetters(r.err)) << r.err.toStdString();
}

TEST_F(CliLanguage, APackThatCannotBeUsedStopsTheRunBeforeTheCommand) {
    CliResult r = cli({"new", path("a.json"), "--lang", path("nic.lng")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("nic.lng"));
    EXPECT_FALSE(QFile::exists(path("a.json")));
    // diff keeps 1 for "different": its trouble is 2.
    EXPECT_EQ(cli({"diff", path("set.json"), path("set.json"), "--lang", path("nic.lng")}).status,
              2);
    EXPECT_EQ(cli({"new", path("a.json"), "--lang"}).status, 2);
    EXPECT_EQ(cli({"new", path("a.json"), "--lang", kEnglish, "--lang", kEnglish}).status, 2);
}

} // namespace
