#include "app/TForm3.h"
#include "platform/SoundOutput.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

// A click as the mouse gives it, through the event filters.
void click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Records what was played and ends each sound only when the test says so.
class RecordingSound : public SoundOutput {
public:
    bool device = true;
    QStringList played; // paths, "<beep>" for the default
    std::function<void()> pending;

    bool hasOutputDevice() const override { return device; }
    void play(const QString& path, std::function<void()> done) override {
        played.append(path);
        pending = std::move(done);
    }
    void playDefault(std::function<void()> done) override {
        played.append(QStringLiteral("<beep>"));
        pending = std::move(done);
    }
    void end() {
        auto done = std::move(pending);
        pending = nullptr;
        if (done)
            done();
    }
};

class ToneSamples : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }
    void touch(const QString& dir, const QString& name) {
        QFile f(QDir(dir).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    QPushButton* button(TForm3& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QTemporaryDir folder;
    QString previous;
    RecordingSound sound;
};

TEST_F(ToneSamples, EachButtonPlaysItsOwnFileFromTheWorkingFolder) {
    for (const auto& tone : TForm3::toneButtons())
        touch(folder.path(), QString::fromLatin1(tone.file));
    TForm3 dialog(sound);
    dialog.show();
    for (const auto& tone : TForm3::toneButtons()) {
        click(button(dialog, tone.button));
        ASSERT_EQ(sound.played.size(), 1) << tone.button;
        EXPECT_EQ(QFileInfo(sound.played.last()).fileName(), QString::fromLatin1(tone.file));
        EXPECT_EQ(QFileInfo(sound.played.last()).absolutePath(),
                  QFileInfo(folder.path()).absoluteFilePath());
        sound.end();
        sound.played.clear();
    }
}

TEST_F(ToneSamples, FileNamesFollowTheButtons) {
    // The file behind each button is part of what the technician hears: keep the pairs.
    const std::map<QString, QString> expected = {
        {"Button7", "PowerOn.WAV"},     {"Button1", "PickUp.WAV"},  {"Button2", "HangUp.WAV"},
        {"Button5", "Buttonerror.WAV"}, {"Button6", "Allert.WAV"},  {"Button8", "OnProgram.WAV"},
        {"Button9", "Programming.WAV"}, {"Button3", "Confirm.WAV"}, {"Button4", "Error.WAV"}};
    std::map<QString, QString> actual;
    for (const auto& tone : TForm3::toneButtons())
        actual[QString::fromLatin1(tone.button)] = QString::fromLatin1(tone.file);
    EXPECT_EQ(actual, expected);
}

TEST_F(ToneSamples, MissingFileGivesTheDefaultBeepWithoutMessage) {
    TForm3 dialog(sound);
    dialog.show();
    click(button(dialog, "Button3"));
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("<beep>")});
    EXPECT_TRUE(dialog.playing());
    sound.end();
    EXPECT_FALSE(dialog.playing());
    // No message box was opened.
    EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
}

TEST_F(ToneSamples, FileNameIsFoundInAnyLetterCase) {
    touch(folder.path(), QStringLiteral("confirm.wav"));
    TForm3 dialog(sound);
    dialog.show();
    dialog.playTone(QStringLiteral("Button3"));
    ASSERT_EQ(sound.played.size(), 1);
    EXPECT_EQ(QFileInfo(sound.played[0]).fileName(), QStringLiteral("confirm.wav"));
    sound.end();
}

TEST_F(ToneSamples, WhilePlayingTheDialogTakesNoCommandAndShowsTheHourglass) {
    TForm3 dialog(sound);
    dialog.show();
    click(button(dialog, "Button1"));
    ASSERT_TRUE(dialog.playing());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // Further clicks, the close button and Escape are ignored until the tone ends.
    click(button(dialog, "Button2"));
    click(button(dialog, "Button11"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    dialog.reject();
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_TRUE(dialog.isVisible());
    // The window still repaints.
    dialog.repaint();
    sound.end();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    click(button(dialog, "Button11"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ToneSamples, ReopeningLooksInTheNewWorkingFolder) {
    QTemporaryDir other;
    touch(other.path(), QStringLiteral("Error.WAV"));
    TForm3 dialog(sound);
    dialog.show();
    dialog.hide();
    QDir::setCurrent(other.path());
    dialog.show();
    EXPECT_EQ(QFileInfo(dialog.soundFolder()).absoluteFilePath(),
              QFileInfo(other.path()).absoluteFilePath());
    dialog.playTone(QStringLiteral("Button4"));
    ASSERT_EQ(sound.played.size(), 1);
    EXPECT_NE(sound.played[0], QStringLiteral("<beep>"));
    sound.end();
}

TEST_F(ToneSamples, LaterKeysWinOverTheFirstButtonCaptions) {
    Texts texts;
    for (int key = 14; key <= 22; ++key)
        texts.set(TextSection::OTHER, key, QStringLiteral("first%1").arg(key));
    texts.set(TextSection::OTHER, 46, QStringLiteral("Reset"));
    texts.set(TextSection::OTHER, 44, QStringLiteral("Pick up"));
    texts.set(TextSection::OTHER, 13, QStringLiteral("Tones"));
    texts.set(TextSection::MESSAGE, 31, QStringLiteral("Cancel"));
    TForm3 dialog(sound);
    dialog.applyTexts(texts);
    EXPECT_EQ(button(dialog, "Button7")->text(), QStringLiteral("Reset"));
    EXPECT_EQ(button(dialog, "Button1")->text(), QStringLiteral("Pick up"));
    EXPECT_EQ(button(dialog, "Button11")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tones"));
    for (const auto& tone : TForm3::toneButtons())
        EXPECT_FALSE(button(dialog, tone.button)->text().startsWith(QLatin1String("first")))
            << tone.button;
}

TEST_F(ToneSamples, CzechDefaultsAndFixedSize) {
    TForm3 dialog(sound);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ukázky tónů vrátného"));
    // Too long for one line of the fixed button: two lines of the dialog's own font.
    EXPECT_EQ(button(dialog, "Button7")->text().replace(QLatin1Char('\n'), QLatin1Char(' ')),
              QStringLiteral("Připojení linky (reset)"));
    EXPECT_EQ(button(dialog, "Button11")->text(), QStringLiteral("Storno"));
    EXPECT_EQ(dialog.size(), QSize(309, 256));
    for (const auto& tone : TForm3::toneButtons())
        EXPECT_EQ(button(dialog, tone.button)->size(), QSize(130, 33));
}

TEST_F(ToneSamples, LongCaptionsWrapBeforeTheyShrink) {
    TForm3 dialog(sound);
    QPushButton* longest = button(dialog, "Button6"); // "Upozornění na konec hovoru"
    EXPECT_EQ(longest->text(), QStringLiteral("Upozornění na\nkonec hovoru"));
    EXPECT_EQ(longest->font().pointSizeF(), dialog.font().pointSizeF());
    // A caption that fits stays whole on one line.
    EXPECT_EQ(button(dialog, "Button4")->text(), QStringLiteral("Chyba"));
    // One word too long for two lines is made smaller instead.
    Texts texts;
    texts.set(TextSection::OTHER, 43, QStringLiteral("Konecvšechhovorůnalincevrátného"));
    dialog.applyTexts(texts);
    EXPECT_FALSE(longest->text().contains(QLatin1Char('\n')));
    EXPECT_LT(longest->font().pointSizeF(), dialog.font().pointSizeF());
}

} // namespace
} // namespace lumo
