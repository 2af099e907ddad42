// Saving and loading a settings file leave a note of what was done and when in the status bar;
// a cancelled dialog leaves none.
#include "AppTestSupport.h"
#include <QDateTime>
#include <QFileInfo>
#include <QStatusBar>

namespace lumo::test {
namespace {

// Answers every file dialog with the same name.
class NamedDialogs : public FileDialogs {
public:
    std::optional<QString> run(const FileDialogRequest&) override { return name; }
    std::optional<QString> name;
};

class StatusNotes : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        form->useFileDialogs(&named);
        shell.setWallClockOrigin(QDateTime(QDate(2026, 3, 2), QTime(9, 15, 30)), clock.nowMs());
    }
    QString shown() const { return form->statusBar()->currentMessage(); }
    NamedDialogs named;
};

TEST_F(StatusNotes, SaveAndOpenSayWhatWasDoneAndWhen) {
    named.name = folder.filePath(QStringLiteral("unit.KTF"));
    form->action(QStringLiteral("Uloitjako1"))->trigger();
    pump();
    ASSERT_TRUE(QFileInfo::exists(*named.name));
    EXPECT_EQ(shown(), QStringLiteral("Soubor uložen 09:15:30"));

    clock.advance(2000);
    form->action(QStringLiteral("Otevt1"))->trigger();
    pump();
    EXPECT_EQ(shown(), QStringLiteral("Soubor načten 09:15:32"));
    EXPECT_TRUE(messenger.messages.empty());

    // The panels come back when the note's time is over.
    clock.advance(Shell::kNoteMs);
    pump();
    EXPECT_TRUE(shown().isEmpty());
}

TEST_F(StatusNotes, ACancelledDialogLeavesNoNote) {
    named.name.reset();
    form->action(QStringLiteral("Otevt1"))->trigger();
    form->action(QStringLiteral("Uloitjako1"))->trigger();
    pump();
    EXPECT_TRUE(shown().isEmpty());
}

} // namespace
} // namespace lumo::test
