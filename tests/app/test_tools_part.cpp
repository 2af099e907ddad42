#include "app/TForm3.h"
#include "app/ToolsPart.h"
#include "params/ParameterModel.h"
#include "platform/SoundOutput.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
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
