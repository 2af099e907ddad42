// Open, Save, Save As and the settings file named on the command line.
#include "files/SettingsFile.h"
#include "files/SettingsFileCommands.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

using test::readFile;

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

using test::ScriptedMessenger;

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previousFolder); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString data(const char* name) const {
        return QStringLiteral(LUMO_TEST_DATA_DIR "/files/") + QString::fromLatin1(name);
    }
    bool copyData(const char* from, const QString& to) const { return QFile::copy(data(from), to); }

    QTemporaryDir dir;
    QString previousFolder;
    ParameterModel model;
    Texts texts;
    ScriptedDialogs dialogs;
    ScriptedMessenger messenger;
    SettingsFileCommands commands{model, texts, messenger, dialogs};
};

} // namespace

TEST_F(FileCommandsTest, OpenAsksWithTheTitleFilterAndFolderAndLoads) {
    const QString file = path("site.ktf"); // lower-case extension
    ASSERT_TRUE(copyData("records164.KTF", file));
    dialogs.answers = {file};
    EXPECT_TRUE(commands.open());
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const FileDialogRequest& r = dialogs.requests.front();
    EXPECT_EQ(r.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.title, QStringLiteral("Otevřít - soubory s nastavením Vexo"));
    EXPECT_EQ(r.filter,
              QStringLiteral("Soubory s nastavením Vexo|*.KTF|Všechny soubory    *.*|*.*"));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("KTF"));
    EXPECT_EQ(QDir(r.folder), QDir(dir.path()));
    EXPECT_TRUE(r.fileName.isEmpty());
    EXPECT_EQ(model.settingsFileName(), file);
    EXPECT_EQ(model.params().text(QStringLiteral("Edit144")), QStringLiteral("1234"));
    EXPECT_TRUE(messenger.messages.empty());
}

TEST_F(FileCommandsTest, CancelledOpenChangesNothing) {
    const QString before = path("before.KTF");
    ASSERT_TRUE(copyData("records164.KTF", before));
    dialogs.answers = {before};
    ASSERT_TRUE(commands.open());
    dialogs.answers = {std::nullopt};
    EXPECT_FALSE(commands.open());
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(model.settingsFileName(), before);
    EXPECT_EQ(model.params().text(QStringLiteral("Edit144")), QStringLiteral("1234"));

    // Save still goes to the current file, without a dialog.
    model.params().setText(QStringLiteral("Edit144"), QStringLiteral("4321"));
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(dialogs.requests.size(), 2u);
    ParameterSet back;
    ASSERT_TRUE(LoadSettingsFile(back, before, nullptr, &texts));
    EXPECT_EQ(back.text(QStringLiteral("Edit144")), QStringLiteral("4321"));
}

TEST_F(FileCommandsTest, ReadOnlyFileOpensAndOnlySaveSaysItCannotWrite) {
    const QString file = path("stick.KTF");
    ASSERT_TRUE(copyData("records164.KTF", file));
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    if (QFileInfo(file).isWritable())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    dialogs.answers = {file};
    EXPECT_TRUE(commands.open());
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(model.params().text(QStringLiteral("Edit144")), QStringLiteral("1234"));
    EXPECT_FALSE(commands.save());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages.front().contains(QStringLiteral("stick.KTF")))
        << qPrintable(messenger.messages.front());
}

TEST_F(FileCommandsTest, OpenRefusesOtherExtensionsAndKeepsTheParameters) {
    const QString file = path("settings.txt");
    ASSERT_TRUE(copyData("records164.KTF", file));
    model.setSettingsFileName(path("old.KTF"));
    const ParameterSet before = model.params();
    dialogs.answers = {file};
    EXPECT_FALSE(commands.open());
    EXPECT_EQ(messenger.messages, std::vector<QString>{QStringLiteral(
                                      "Vybraný soubor není soubor pro nastavení Vexo")});
    EXPECT_TRUE(model.settingsFileName().isEmpty());
    EXPECT_TRUE(model.params().sameValues(before));
}

TEST_F(FileCommandsTest, ADamagedFileChangesNothingAndKeepsTheCurrentName) {
    const QString file = path("bad.KTF");
    ASSERT_TRUE(copyData("truncated.KTF", file));
    model.setSettingsFileName(path("current.KTF"));
    model.params().setText(QStringLiteral("Edit1"), QStringLiteral("42"));
    const ParameterSet before = model.params();
    dialogs.answers = {file};
    EXPECT_FALSE(commands.open());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages.front().contains(file));
    EXPECT_TRUE(model.params().sameValues(before));
    EXPECT_EQ(model.settingsFileName(), path("current.KTF"));
    EXPECT_FALSE(model.cameFromUnitOrFile()) << "nothing came from the file";

    // A sound file does count: a write from it needs no question.
    ASSERT_TRUE(copyData("records164.KTF", path("good.KTF")));
    dialogs.answers = {path("good.KTF")};
    EXPECT_TRUE(commands.open());
    EXPECT_TRUE(model.cameFromUnitOrFile());
}

TEST_F(FileCommandsTest, SaveWritesUnderTheCurrentNameWithoutADialog) {
    model.setSettingsFileName(path("current.KTF"));
    model.params().setText(QStringLiteral("Edit1"), QStringLiteral("123"));
    EXPECT_TRUE(commands.save());
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(readFile(model.settingsFileName()), settingsFile::toBytes(model.params()));
}

TEST_F(FileCommandsTest, SaveAsOverwriteQuestionReopensTheDialogOnNo) {
    const QString existing = path("exists.KTF");
    ASSERT_TRUE(copyData("records164.KTF", existing));
    const QByteArray original = readFile(existing);
    dialogs.answers = {existing, std::nullopt};
    messenger.answers = {false};
    EXPECT_FALSE(commands.saveAs());
    ASSERT_EQ(dialogs.requests.size(), 2u);
    const FileDialogRequest& r = dialogs.requests.front();
    EXPECT_EQ(r.title, QStringLiteral("Uložit nastavení vrátného Vexo do souboru"));
    EXPECT_EQ(r.filter, QStringLiteral("Soubory s nastavením Vexo|*.KTF"));
    EXPECT_EQ(r.defaultSuffix, QStringLiteral("KTF"));
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].title, QStringLiteral("Dotaz systému"));
    EXPECT_EQ(messenger.questions[0].text,
              QStringLiteral("Soubor již existuje, chcete ho přepsat?"));
    EXPECT_TRUE(messenger.questions[0].defaultNo);
    EXPECT_TRUE(model.settingsFileName().isEmpty());
    EXPECT_EQ(readFile(existing), original);

    // Yes overwrites.
    dialogs.answers = {existing};
    messenger.answers = {true};
    EXPECT_TRUE(commands.saveAs());
    EXPECT_EQ(model.settingsFileName(), existing);
    EXPECT_EQ(readFile(existing), settingsFile::toBytes(model.params()));
}

TEST_F(FileCommandsTest, SaveAsPrefillsTheCurrentNameOnlyWhenTheCloseSequenceAsks) {
    model.setSettingsFileName(path("current.KTF"));
    dialogs.answers = {std::nullopt, std::nullopt};
    commands.saveAs();
    EXPECT_TRUE(dialogs.requests.back().fileName.isEmpty());
    EXPECT_EQ(model.settingsFileName(), path("current.KTF")); // Cancel keeps it
    model.setSaveAsWithCurrentName(true);
    commands.saveAs();
    EXPECT_EQ(dialogs.requests.back().fileName, path("current.KTF"));
}

TEST_F(FileCommandsTest, SaveFailureIsReported) {
    model.setSettingsFileName(path("no/such/folder/x.KTF"));
    EXPECT_FALSE(commands.save());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages.front().contains(model.settingsFileName()));
}

TEST_F(FileCommandsTest, CommandLineArgumentChecks) {
    // A short name relative to the current folder is taken as its full path.
    ASSERT_TRUE(copyData("records164.KTF", path("a.KTF")));
    EXPECT_TRUE(commands.loadFromCommandLine(QStringLiteral("a.KTF")));
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(model.settingsFileName(), QFileInfo(path("a.KTF")).absoluteFilePath());
    EXPECT_EQ(model.params().text(QStringLiteral("Edit144")), QStringLiteral("1234"));

    EXPECT_FALSE(commands.loadFromCommandLine(path("settings.txt")));
    EXPECT_EQ(messenger.messages.back(),
              QStringLiteral("Vybraný soubor není soubor pro nastavení Vexo"));
    EXPECT_TRUE(model.settingsFileName().isEmpty());

    const QString blanks = path("site.KTF  "); // extension followed by blanks
    ASSERT_TRUE(copyData("records165.KTF", blanks));
    messenger.messages.clear();
    EXPECT_TRUE(commands.loadFromCommandLine(blanks));
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(model.settingsFileName(), blanks);
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("CheckBox4")));
    EXPECT_FALSE(model.params().isChecked(QStringLiteral("CheckBox3")));

    model.setSettingsFileName(QString());
    EXPECT_FALSE(commands.loadFromCommandLine(path("missing.ktf")));
    EXPECT_TRUE(model.settingsFileName().isEmpty());
}

TEST(SettingsExtension, AnyLetterCaseAndSurroundingBlanks) {
    EXPECT_TRUE(SettingsFileCommands::hasSettingsExtension(QStringLiteral("/a/b.KTF")));
    EXPECT_TRUE(SettingsFileCommands::hasSettingsExtension(QStringLiteral("/a/b.kTf ")));
    EXPECT_TRUE(SettingsFileCommands::hasSettingsExtension(QStringLiteral("KTF")));
    EXPECT_FALSE(SettingsFileCommands::hasSettingsExtension(QStringLiteral("/a/b.KTF.txt")));
    EXPECT_FALSE(SettingsFileCommands::hasSettingsExtension(QStringLiteral("/a/b.KTFX")));
    EXPECT_FALSE(SettingsFileCommands::hasSettingsExtension(QString()));
}
