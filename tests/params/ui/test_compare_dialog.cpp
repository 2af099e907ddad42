// The compare dialog over the window's set: rows, filter, the jump, taking values and the
// empty list.
#include "params/FieldTable.h"
#include "params/ui/CompareDialog.h"
#include "support/ScriptedMessenger.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

class CompareDialogTest : public ::testing::Test {
protected:
    void open(bool allowTake = true) {
        CompareRequest request;
        request.other = other;
        request.otherHeader = QStringLiteral("In the unit");
        request.allowTake = allowTake;
        dialog.setRequest(request);
    }
    template <class T> T* child(const char* name) {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidgetItem* row(const QString& name) {
        QTreeWidget* list = child<QTreeWidget>("CompareList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->toolTip(1) == name)
                return list->topLevelItem(i);
        return nullptr;
    }

    Texts texts;
    test::ScriptedMessenger messenger;
    ParameterSet window;
    ParameterSet other;
    CompareDialog dialog{window, texts, messenger};
};

} // namespace

TEST_F(CompareDialogTest, EqualSetsSayNoDifferencesAndOfferNothingToTake) {
    open();
    EXPECT_TRUE(dialog.differences().empty());
    EXPECT_TRUE(child<QTreeWidget>("CompareList")->isHidden());
    QLabel* empty = child<QLabel>("CompareEmpty");
    EXPECT_FALSE(empty->isHidden());
    EXPECT_EQ(empty->text(), "Žádné rozdíly");
    EXPECT_FALSE(child<QPushButton>("CompareTake")->isEnabled());
}

TEST_F(CompareDialogTest, RowsShowPageCaptionBothValuesAndTheColumnHeading) {
    other.setText("Edit129", "123456");
    other.setText(numberFieldName(64), "777");
    open();
    QTreeWidget* list = child<QTreeWidget>("CompareList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_FALSE(list->isHidden());
    EXPECT_TRUE(child<QLabel>("CompareEmpty")->isHidden());
    EXPECT_EQ(list->headerItem()->text(3), "In the unit");
    EXPECT_EQ(list->headerItem()->text(2), texts.message(Msg::CompareWindowColumn));
    QTreeWidgetItem* item = row("Edit129");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(3), "123456");
    EXPECT_EQ(item->text(2), window.text("Edit129"));
    EXPECT_FALSE(item->text(0).isEmpty());
    EXPECT_FALSE(item->text(1).isEmpty());
    EXPECT_EQ(child<QLabel>("CompareCount")->text(), texts.message(Msg::CompareCount).arg(2));
}

TEST_F(CompareDialogTest, TheFilterMatchesAnyColumnAndTheControlName) {
    other.setText("Edit129", "123456");
    other.setText("Edit130", "654321");
    other.setText(numberFieldName(0), "999");
    open();
    ASSERT_EQ(dialog.shownNames().size(), 3);
    dialog.setFilter("654");
    EXPECT_EQ(dialog.shownNames(), QStringList{"Edit130"});
    dialog.setFilter("edit129");
    EXPECT_EQ(dialog.shownNames(), QStringList{"Edit129"});
    dialog.setFilter(" ");
    EXPECT_EQ(dialog.shownNames().size(), 3);
    dialog.setFilter("no such thing");
    EXPECT_TRUE(dialog.shownNames().isEmpty());
}

TEST_F(CompareDialogTest, TakeMovesAcceptedValuesAndKeepsRefusedRowsWithTheirReason) {
    other.setText("Edit129", "123456");
    other.setText("Edit144", "12"); // the service password needs four digits
    other.setText("Edit130", "654321");
    open();
    dialog.select({"Edit129", "Edit144"});
    EXPECT_TRUE(child<QPushButton>("CompareTake")->isEnabled());
    child<QPushButton>("CompareTake")->click();

    EXPECT_EQ(window.text("Edit129"), "123456");
    EXPECT_EQ(window.text("Edit144"), ParameterSet().text("Edit144"));
    EXPECT_EQ(window.text("Edit130"), ParameterSet().text("Edit130")) << "not selected";
    ASSERT_EQ(dialog.differences().size(), 2u);
    QTreeWidgetItem* refused = row("Edit144");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text(4), texts.message(14));
    EXPECT_TRUE(refused->isSelected()) << "the refused row stays selected";
    EXPECT_FALSE(row("Edit129"));
}

TEST_F(CompareDialogTest, TakeSkipsSelectedRowsTheFilterHides) {
    other.setText("Edit129", "123456");
    other.setText("Edit130", "654321");
    open();
    dialog.select({"Edit129", "Edit130"});
    dialog.setFilter("Edit130");
    dialog.takeSelected();
    EXPECT_EQ(window.text("Edit130"), "654321");
    EXPECT_EQ(window.text("Edit129"), ParameterSet().text("Edit129"));
}

TEST_F(CompareDialogTest, WithoutTakeTheButtonIsGoneAndNothingChanges) {
    other.setText("Edit129", "123456");
    open(false);
    dialog.select({"Edit129"});
    EXPECT_TRUE(child<QPushButton>("CompareTake")->isHidden());
    dialog.takeSelected();
    EXPECT_NE(window.text("Edit129"), "123456");
}

TEST_F(CompareDialogTest, DoubleClickJumpsToTheParameterAndCloses) {
    other.setText("Edit129", "123456");
    QString jumped;
    dialog.setJump([&](const QString& name) { jumped = name; });
    open();
    dialog.show();
    QTreeWidget* list = child<QTreeWidget>("CompareList");
    emit list->itemDoubleClicked(row("Edit129"), 1);
    EXPECT_EQ(jumped, "Edit129");
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CompareDialogTest, AFieldTheOtherFirmwareLacksShowsNoValue) {
    window.setVisible("Edit158", true);
    window.setText("Edit158", "12");
    other.setVisible("Edit158", false);
    open();
    QTreeWidgetItem* item = row("Edit158");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(2), "12");
    EXPECT_EQ(item->text(3), "--");
}

// However long the captions, the note column stays in view at the dialog's width: the caption
// gives way, and has its whole width again when there is room.
TEST_F(CompareDialogTest, TheNoteColumnStaysInViewAndTheCaptionGivesWay) {
    other.setText("Edit1", "0609999999");
    other.setText("Edit144", "4321"); // the longest caption, over two lines
    other.setText("Edit145", "5");
    other.setChecked("RadioButton7", true);
    CompareRequest request; // the default headings
    request.other = other;
    dialog.setRequest(request);
    dialog.show();
    QTreeWidget* tree = child<QTreeWidget>("CompareList");
    const QAbstractItemView* list = tree;
    QHeaderView* header = tree->header();
    auto noteInView = [&] {
        QCoreApplication::processEvents();
        // Nothing to scroll to, and the note's heading whole.
        return header->length() <= list->viewport()->width() &&
               header->sectionViewportPosition(4) + header->sectionSizeHint(4) <=
                   list->viewport()->width();
    };
    const int whole = std::max(list->sizeHintForColumn(1), header->sectionSizeHint(1));
    EXPECT_TRUE(noteInView()) << "at the default width";
    EXPECT_EQ(header->sectionSize(1), whole);

    dialog.resize(560, dialog.height());
    EXPECT_TRUE(noteInView());
    EXPECT_LT(header->sectionSize(1), whole);
    EXPECT_GE(header->sectionSize(2), list->sizeHintForColumn(2)) << "the values keep theirs";

    dialog.resize(1400, dialog.height());
    EXPECT_TRUE(noteInView());
    EXPECT_EQ(header->sectionSize(1), whole);
}
