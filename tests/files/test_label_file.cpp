// Label files (.KTL) and the Load and Save commands of the label dialog.
#include "files/LabelCommands.h"
#include "files/LabelFile.h"
#include "platform/Cp1250.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

using test::readFile;
using test::writeFile;

class ScriptedDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> answers; // nullopt: Cancel
    std::vector<FileDialogRequest> requests;
    std::optional<QString> run(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

LabelNames sampleNames() {
    LabelNames names;
    names[0] = QStringLiteral("Novák");
    names[1] = QStringLiteral("Dvořáková Šárka");
    names[11] = QStringLiteral("Ťuhýk Žluťoučký");
    names[12] = QStringLiteral("A name that is longer than twenty characters");
    names[23] = QStringLiteral("Úředník");
    return names;
}

class LabelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previousFolder); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    QString previousFolder;
    Texts texts;
    ScriptedDialogs dialogs;
    test::ScriptedMessenger messenger;
    LabelCommands commands{texts, messenger, dialogs};
};

} // namespace

TEST_F(LabelFileTest, RoundTripKeepsEmptyNamesCzechLettersAndLongNames) {
    const LabelNames names = sampleNames();
    QString error;
    ASSERT_TRUE(labelFile::save(path("jmena.KTL"), names, &error, texts)) << qPrintable(error);
    const QByteArray bytes = readFile(path("jmena.KTL"));
    // Code page 1250 on disk, one section N with the 24 keys in order.
    EXPECT_TRUE(bytes.startsWith("[N]\r\n1=Nov\xe1k\r\n2=Dvo\xf8\xe1kov\xe1 \x8a\xe1rka\r\n"))
        << bytes.left(60).toHex().constData();
    EXPECT_TRUE(bytes.contains("\r\n3=\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n24=\xda\xf8"
                               "edn\xedk\r\n"));

    LabelNames back;
    back.fill(QStringLiteral("stale"));
    ASSERT_TRUE(labelFile::load(path("jmena.KTL"), back, &error, texts)) << qPrintable(error);
    EXPECT_EQ(back, names);
    // Saving what was loaded gives the same bytes.
    ASSERT_TRUE(labelFile::save(path("jmena.KTL"), back, &error, texts));
    EXPECT_EQ(readFile(path("jmena.KTL")), bytes);
}

TEST_F(LabelFileTest, FileOfTheEarlierProgramLoadsAndKeepsItsOtherEntries) {
    // As the earlier program wrote it, with a comment section and a key of its own added by
    // hand; keys 3..24 missing.
    const QByteArray original = "[Info]\r\nAuthor=Kov\xe1\xf8\r\n\r\n[N]\r\n1=Pan \x8eiv\xfd\r\n"
                                "2 = Dvo\xf8\xe1k \r\nPozn=ponechat\r\n";
    ASSERT_TRUE(writeFile(path("stare.ktl"), original));
    LabelNames names;
    names.fill(QStringLiteral("x"));
    QString error;
    ASSERT_TRUE(labelFile::load(path("stare.ktl"), names, &error, texts)) << qPrintable(error);
    EXPECT_EQ(names[0], QStringLiteral("Pan Živý"));
    EXPECT_EQ(names[1], QStringLiteral("Dvořák"));
    for (std::size_t i = 2; i < 24; ++i)
        EXPECT_TRUE(names[i].isEmpty()) << i;

    names[2] = QStringLiteral("Nový");
    ASSERT_TRUE(labelFile::save(path("stare.ktl"), names, &error, texts)) << qPrintable(error);
    const QByteArray saved = readFile(path("stare.ktl"));
    EXPECT_TRUE(saved.startsWith("[Info]\r\nAuthor=Kov\xe1\xf8\r\n\r\n[N]\r\n"));
    EXPECT_TRUE(saved.contains("Pozn=ponechat\r\n"));
    EXPECT_TRUE(saved.contains("3=Nov\xfd\r\n"));
    LabelNames again;
    ASSERT_TRUE(labelFile::load(path("stare.ktl"), again, &error, texts));
    EXPECT_EQ(again, names);
}

TEST_F(LabelFileTest, ExtensionTest) {
    EXPECT_TRUE(labelFile::hasLabelExtension(QStringLiteral("/tmp/a.KTL")));
    EXPECT_TRUE(labelFile::hasLabelExtension(QStringLiteral("/tmp/a.ktl")));
    EXPECT_TRUE(labelFile::hasLabelExtension(QStringLiteral("/tmp/a.kTl ")));
    EXPECT_FALSE(labelFile::hasLabelExtension(QStringLiteral("/tmp/a.KTF")));
    EXPECT_FALSE(labelFile::hasLabelExtension(QStringLiteral("/tmp/a.KTL.bak")));
    EXPECT_TRUE(labelFile::hasLabelExtension(QStringLiteral("KTL")));
}

TEST_F(LabelFileTest, FailuresNameTheFileAndTheReason) {
    LabelNames names = sampleNames();
    QString error;
    EXPECT_FALSE(labelFile::load(path("chybi.KTL"), names, &error, texts));
    EXPECT_TRUE(error.contains(path("chybi.KTL")));
    EXPECT_TRUE(error.contains(texts.message(58)));
    EXPECT_EQ(names, sampleNames());

    // A folder that cannot hold the file: its parent is a plain file.
    ASSERT_TRUE(writeFile(path("plain"), "x"));
    const QString target = path("plain") + QStringLiteral("/jmena.KTL");
    EXPECT_FALSE(labelFile::save(target, names, &error, texts));
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Soubor s vizitkami \"") + target + "\" nelze uložit"))
        << qPrintable(error);
    EXPECT_EQ(readFile(path("plain")), QByteArray("x"));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("slozka.KTL")));
    EXPECT_FALSE(labelFile::save(path("slozka.KTL"), names, &error, texts));
    EXPECT_TRUE(error.contains(texts.message(59)));
}

TEST_F(LabelFileTest, LoadCommandChecksTheChosenName) {
    LabelNames names = sampleNames();
    // Cancel: no file chosen.
    dialogs.answers = {std::nullopt};
    EXPECT_FALSE(commands.load(names));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Nebyl vybrán žádný soubor"));
    // The dialog as it was asked for.
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const FileDialogRequest& r = dialogs.requests[0];
    EXPECT_EQ(r.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.title, QStringLiteral("Otevřít - soubory s vizitkami"));
    EXPECT_EQ(r.filter,
              QStringLiteral("Soubory s nastavením Vizitek|*.KTL|Všechny soubory    *.*|*.*"));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("KTL"));
    EXPECT_EQ(QDir(r.folder), QDir(dir.path()));
    EXPECT_TRUE(r.fileName.isEmpty());

    // Seven characters are no file either.
    dialogs.answers = {QStringLiteral("a.b.KTL")};
    EXPECT_FALSE(commands.load(names));
    EXPECT_EQ(messenger.messages.back(), QStringLiteral("Nebyl vybrán žádný soubor"));

    // A settings file is refused with message 30.
    ASSERT_TRUE(writeFile(path("nastaveni.KTF"), "[N]\r\n1=x\r\n"));
    dialogs.answers = {path("nastaveni.KTF")};
    EXPECT_FALSE(commands.load(names));
    EXPECT_EQ(messenger.messages.back(), QStringLiteral("Vybraný soubor není soubor s vizitkami"));
    EXPECT_EQ(names, sampleNames());

    // Lower-case extension is accepted.
    ASSERT_TRUE(writeFile(path("male.ktl"), "[N]\r\n1=Mal\xfd\r\n"));
    dialogs.answers = {path("male.ktl")};
    const std::size_t before = messenger.messages.size();
    EXPECT_TRUE(commands.load(names));
    EXPECT_EQ(messenger.messages.size(), before);
    EXPECT_EQ(names[0], QStringLiteral("Malý"));
    EXPECT_TRUE(names[1].isEmpty());
}

TEST_F(LabelFileTest, SaveCommand) {
    const LabelNames names = sampleNames();
    // Cancel: nothing written, nothing said.
    EXPECT_FALSE(commands.save(names));
    EXPECT_TRUE(messenger.messages.empty());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(dialogs.requests[0].title, QStringLiteral("Uložit soubor s vizitkami"));
    EXPECT_EQ(dialogs.requests[0].filter, QStringLiteral("Soubory s nastavením  Vizitek|*.KTL"));
    EXPECT_EQ(dialogs.requests[0].defaultSuffix, QStringLiteral("KTL"));

    // Too short a name: told, not silently dropped.
    dialogs.answers = {QStringLiteral("abc.KTL")};
    EXPECT_FALSE(commands.save(names));
    EXPECT_EQ(messenger.messages,
              std::vector<QString>{QStringLiteral("Nebyl vybrán žádný soubor")});
    EXPECT_FALSE(QFile::exists(QStringLiteral("abc.KTL")));

    dialogs.answers = {path("nove.KTL")};
    EXPECT_TRUE(commands.save(names));
    EXPECT_TRUE(messenger.questions.empty());
    LabelNames back;
    QString error;
    ASSERT_TRUE(labelFile::load(path("nove.KTL"), back, &error, texts));
    EXPECT_EQ(back, names);

    // An existing file: No goes back to the dialog, Cancel there leaves the file as it was.
    const QByteArray before = readFile(path("nove.KTL"));
    LabelNames other;
    other[0] = QStringLiteral("Jiný");
    dialogs.answers = {path("nove.KTL"), std::nullopt};
    messenger.answers = {false};
    EXPECT_FALSE(commands.save(other));
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].title, QStringLiteral("Dotaz systému"));
    EXPECT_EQ(messenger.questions[0].text,
              QStringLiteral("Soubor již existuje, chcete ho přepsat?"));
    EXPECT_EQ(dialogs.requests.back().fileName, path("nove.KTL"));
    EXPECT_EQ(readFile(path("nove.KTL")), before);
    // Yes replaces it.
    dialogs.answers = {path("nove.KTL")};
    messenger.answers = {true};
    EXPECT_TRUE(commands.save(other));
    ASSERT_TRUE(labelFile::load(path("nove.KTL"), back, &error, texts));
    EXPECT_EQ(back, other);

    // An unwritable place: the message names the file.
    ASSERT_TRUE(writeFile(path("plain"), "x"));
    dialogs.answers = {path("plain") + QStringLiteral("/jmena.KTL")};
    EXPECT_FALSE(commands.save(names));
    EXPECT_TRUE(messenger.messages.back().contains(path("plain") + QStringLiteral("/jmena.KTL")));
}
