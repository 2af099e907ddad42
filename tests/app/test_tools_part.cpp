#include "app/TForm3.h"
#include "app/ToolsPart.h"
#include "params/ParameterModel.h"
#include "platform/SoundOutput.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

class FakeSound : public SoundOutput {
public:
    bool device = false;
    bool hasOutputDevice() const override { return device; }
    void play(const QString&, std::function<void()> done) override { done(); }
    void playDefault(std::function<void()> done) override { done(); }
};

struct ToolsFixture : ::testing::Test {
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    FakeSound sound;
    QStringList opened;
    ToolsPart part{nullptr, sound, [this](const QString& t) { opened << t; }};
    void SetUp() override { shell.addPart(part); }
    void TearDown() override {
        part.toneSamples().hide();
        part.about().hide();
    }
};

TEST_F(ToolsFixture, NoSoundDeviceShowsMessage15InsteadOfTheDialog) {
    ASSERT_TRUE(shell.commands().trigger(QStringLiteral("Ukzkytn1")));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0],
              QStringLiteral("Nelze přehrávat zvukové soubory, zvuková karta není nainstalovaná"));
    EXPECT_FALSE(part.toneSamples().isVisible());

    // The message follows the active pack.
    texts.set(TextSection::MESSAGE, 15, QStringLiteral("No sound card"));
    shell.commands().trigger(QStringLiteral("Ukzkytn1"));
    EXPECT_EQ(messenger.messages.back(), QStringLiteral("No sound card"));
}

TEST_F(ToolsFixture, WithADeviceTheDialogOpensModally) {
    sound.device = true;
    ASSERT_TRUE(shell.commands().trigger(QStringLiteral("Ukzkytn1")));
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_TRUE(part.toneSamples().isVisible());
    EXPECT_EQ(part.toneSamples().windowModality(), Qt::ApplicationModal);
}

TEST_F(ToolsFixture, AboutCommandAndCaptionsComeFromTheTable) {
    ASSERT_TRUE(shell.commands().trigger(QStringLiteral("Oprogramu1")));
    EXPECT_TRUE(part.about().isVisible());
    EXPECT_EQ(shell.commands().find(QStringLiteral("Oprogramu1"))->text,
              (TextKey{TextSection::Menu, 44}));
    EXPECT_EQ(shell.commands().find(QStringLiteral("Ukzkytn1"))->text,
              (TextKey{TextSection::Menu, 31}));
}

TEST_F(ToolsFixture, TextsChangeReachesBothDialogs) {
    texts.set(TextSection::OTHER, 13, QStringLiteral("Tone samples"));
    texts.set(TextSection::OTHER, 23, QStringLiteral("About ..."));
    shell.applyTexts();
    EXPECT_EQ(part.toneSamples().windowTitle(), QStringLiteral("Tone samples"));
    EXPECT_EQ(part.about().windowTitle(), QStringLiteral("About ..."));
}

} // namespace
} // namespace lumo

namespace lumo {
namespace {

struct HelpFixture : ToolsFixture {
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    void SetUp() override {
        ToolsFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        QDir::setCurrent(folder.path());
    }
    void TearDown() override {
        QDir::setCurrent(previous);
        ToolsFixture::TearDown();
    }
    void touch(const char* name) {
        QFile f(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(HelpFixture, NoHelpFileShowsOther38) {
    ASSERT_TRUE(shell.commands().trigger(QStringLiteral("Npovda1")));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Nenalezl soubor nápovědy"));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(HelpFixture, TheNamedFileOpensAndAMissingHlpFallsBackToTheHtmlManual) {
    touch("lumo-cz.html");
    shell.commands().trigger(QStringLiteral("Npovda1"));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened[0]).fileName(), QStringLiteral("lumo-cz.html"));
    EXPECT_TRUE(QFileInfo(opened[0]).isAbsolute());
    // The file the pack names wins when it exists.
    touch("Lumo-CZ.HLP");
    shell.commands().trigger(QStringLiteral("Npovda1"));
    EXPECT_EQ(QFileInfo(opened[1]).fileName(), QStringLiteral("Lumo-CZ.HLP"));
    // Another pack names another manual; no fallback for names that are not .HLP.
    texts.set(TextSection::OTHER, 37, QStringLiteral("Lumo-EN.html"));
    shell.commands().trigger(QStringLiteral("Npovda1"));
    EXPECT_EQ(opened.size(), 2);
    EXPECT_EQ(messenger.messages.size(), 1u);
    touch("Lumo-EN.html");
    shell.commands().trigger(QStringLiteral("Npovda1"));
    EXPECT_EQ(QFileInfo(opened[2]).fileName(), QStringLiteral("Lumo-EN.html"));
}

} // namespace
} // namespace lumo
