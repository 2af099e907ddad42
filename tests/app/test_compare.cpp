// Comparing the window with the unit or a file from the Soubor menu, the jump back to a field,
// and the marks of edited fields with their count in the status bar.
#include "AppTestSupport.h"
#include "app/ComparePart.h"
#include "files/ParameterFiles.h"
#include "params/FieldTable.h"
#include "params/ui/CompareDialog.h"
#include "params/ui/EditMarkPainter.h"
#include "texts/MessageKeys.h"
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace lumo::test {
namespace {

// Hands out one file name, then cancels.
class ChosenFile : public FileDialogs {
public:
    std::optional<QString> run(const FileDialogRequest&) override {
        std::optional<QString> out = next;
        next.reset();
        return out;
    }
    std::optional<QString> next;
};

class CompareTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        compare = std::make_unique<ComparePart>(
            form.get(),
            [this](ParameterModel& side, std::function<void(bool)> done) {
                ++reads;
                if (!unitAnswers) {
                    done(false);
                    return true;
                }
                side.params() = unit;
                done(true);
                return true;
            },
            &files);
        form->addPart(*compare);
    }
    void TearDown() override {
        compare.reset();
        MainWindowTest::TearDown();
    }
    // Runs a command; when the compare dialog opens, `inside` runs in it (by default it
    // records what the dialog lists and closes it).
    void runAndCapture(const char* command, std::function<void(CompareDialog*)> inside = {}) {
        shown = false;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
            CompareDialog* d = form->compareDialog();
            if (!d->isVisible())
                return;
            poll.stop();
            shown = true;
            listed.clear();
            for (const ParameterDifference& x : d->differences())
                listed << x.name;
            if (inside)
                inside(d);
            if (d->isVisible())
                d->accept();
        });
        poll.start();
        form->findChild<QAction*>(QString::fromLatin1(command))->trigger();
        pump();
        poll.stop();
    }
    QString editsPanel() const { return child<QLabel>("StatusPanelEdits")->text(); }

    std::unique_ptr<ComparePart> compare;
    ChosenFile files;
    ParameterSet unit;
    bool unitAnswers = true;
    int reads = 0;
    bool shown = false;
    QStringList listed;
};

} // namespace

TEST_F(CompareTest, CompareWithTheUnitListsItsDifferencesAndLeavesTheFields) {
    unit.setText("Edit129", "123456");
    unit.setText(numberFieldName(64), "777");
    const ParameterSet before = model.params();
    runAndCapture("Porovnatsjednotkou1");
    EXPECT_EQ(reads, 1);
    ASSERT_TRUE(shown);
    EXPECT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.contains("Edit129"));
    EXPECT_TRUE(listed.contains(numberFieldName(64)));
    EXPECT_TRUE(model.params().sameValues(before));
    EXPECT_EQ(form->compareDialog()->findChild<QTreeWidget*>("CompareList")->headerItem()->text(3),
              texts.message(Msg::CompareUnitColumn));
}

TEST_F(CompareTest, AUnitThatDoesNotAnswerOpensNoDialog) {
    unitAnswers = false;
    runAndCapture("Porovnatsjednotkou1");
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(shown);
}

TEST_F(CompareTest, CompareWithAFileKeepsWhatFilesDoNotHoldAndRefusesADamagedOne) {
    ParameterSet stored;
    stored.setText("Edit130", "654321");
    const QString path = folder.filePath("other.KTF");
    QString error;
    ASSERT_TRUE(saveParameterFile(path, stored, &error, &texts)) << error.toStdString();
    model.params().setText("Edit156", "NOC"); // the unit's mode: no file holds it

    files.next = path;
    runAndCapture("Porovnatsesouborem1");
    ASSERT_TRUE(shown);
    EXPECT_EQ(listed, QStringList{"Edit130"});

    // The same compare in JSON.
    const QString json = folder.filePath("other.json");
    ASSERT_TRUE(saveParameterFile(json, stored, &error, &texts)) << error.toStdString();
    files.next = json;
    runAndCapture("Porovnatsesouborem1");
    EXPECT_EQ(listed, QStringList{"Edit130"});

    QFile damaged(folder.filePath("bad.KTF"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a settings file\r\n");
    damaged.close();
    const ParameterSet before = model.params();
    files.next = damaged.fileName();
    runAndCapture("Porovnatsesouborem1");
    EXPECT_FALSE(shown);
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(model.params().sameValues(before));
}

TEST_F(CompareTest, TypedEditsAreMarkedCountedAndClearedByALoad) {
    EXPECT_TRUE(editsPanel().isEmpty());
    focus("Edit129");
    typeText(edit("Edit129"), "123456");
    focus("Edit130");
    typeText(edit("Edit130"), "654321");
    EXPECT_TRUE(form->editMarks().isMarked("Edit129"));
    EXPECT_FALSE(form->editMarks().isMarked("Edit131"));
    EXPECT_EQ(editsPanel(), texts.message(Msg::MarkedEdits).arg(2));
    EXPECT_NE(edit("Edit129")->palette().color(QPalette::Base),
              edit("Edit131")->palette().color(QPalette::Base));

    // Typed back: the mark goes.
    edit("Edit130")->setText(QString());
    model.params().setText("Edit130", QString());
    EXPECT_FALSE(form->editMarks().isMarked("Edit130"));
    EXPECT_EQ(editsPanel(), texts.message(Msg::MarkedEdits).arg(1));

    const QString path = folder.filePath("saved.KTF");
    QString error;
    ASSERT_TRUE(saveParameterFile(path, ParameterSet(), &error, &texts));
    form->useFileDialogs(&files);
    files.next = path;
    form->findChild<QAction*>("Otevt1")->trigger();
    pump();
    ASSERT_TRUE(messenger.messages.empty());
    EXPECT_EQ(model.params().text("Edit129"), QString());
    EXPECT_FALSE(form->editMarks().isMarked("Edit129"));
    EXPECT_TRUE(editsPanel().isEmpty());
    EXPECT_EQ(edit("Edit129")->palette().color(QPalette::Base),
              edit("Edit131")->palette().color(QPalette::Base));
}

TEST_F(CompareTest, TakingAValueMarksItAndTheJumpShowsItsPage) {
    unit.setText(numberFieldName(20), "321"); // a memory on the second number page
    runAndCapture("Porovnatsjednotkou1", [](CompareDialog* d) {
        d->select({numberFieldName(20)});
        d->takeSelected();
        EXPECT_TRUE(d->differences().empty());
        d->jumpTo(numberFieldName(20));
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(model.params().text(numberFieldName(20)), "321");
    EXPECT_EQ(edit(numberFieldName(20))->text(), "321");
    EXPECT_TRUE(form->editMarks().isMarked(numberFieldName(20)));
    auto* pages = child<QTabWidget>("PageControl1");
    EXPECT_TRUE(pages->currentWidget()->isAncestorOf(edit(numberFieldName(20))));
    EXPECT_TRUE(edit(numberFieldName(20))->hasFocus());
}

} // namespace lumo::test
