// The pages the generator builds hold every placed row of the field table, where the table
// puts it, with the captions of the texts table.
#include "params/FieldTable.h"
#include "params/ui/ParameterPages.h"
#include "texts/Texts.h"
#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QString nameOf(const char* s) {
    return QString::fromLatin1(s);
}

class ParameterPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ParameterPages::build(&tabs);
        ParameterPages::applyTexts(&tabs, texts);
    }

    QString pageOf(QWidget* w) const {
        for (QWidget* p = w; p; p = p->parentWidget())
            if (tabs.indexOf(p) >= 0)
                return p->objectName();
        return {};
    }
    QWidget* frameOf(QWidget* w) const {
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (qobject_cast<QGroupBox*>(p))
                return p;
        return nullptr;
    }

    QTabWidget tabs;
    Texts texts;
};

} // namespace

TEST_F(ParameterPagesTest, PagesComeInTableOrderWithTheirCaptions) {
    ASSERT_EQ(tabs.count(), int(pageTable().size()));
    for (int i = 0; i < tabs.count(); ++i) {
        const PageDef& def = pageTable()[size_t(i)];
        EXPECT_EQ(tabs.widget(i)->objectName(), nameOf(def.name));
        EXPECT_EQ(tabs.tabText(i), texts.get(def.caption) + nameOf(def.captionSuffix));
    }
    EXPECT_EQ(tabs.tabText(4), texts.get(TextSection::TAB4, 2) + " 17- 32");
}

TEST_F(ParameterPagesTest, EveryPlacedFieldIsOnItsPageInItsFrameWithItsLabel) {
    int placed = 0;
    for (const FieldDef& f : fieldTable()) {
        if (!f.place.frame)
            continue;
        ++placed;
        const FrameDef* frame = findFrame(nameOf(f.place.frame));
        ASSERT_TRUE(frame);
        QWidget* w = tabs.findChild<QWidget*>(nameOf(f.name));
        ASSERT_TRUE(w) << f.name;
        EXPECT_EQ(pageOf(w), nameOf(frame->page)) << f.name;
        if (frame->kind == FrameKind::BareRow) {
            EXPECT_EQ(frameOf(w), nullptr) << f.name;
        } else {
            ASSERT_TRUE(frameOf(w)) << f.name;
            EXPECT_EQ(frameOf(w)->objectName(), nameOf(f.place.frame)) << f.name;
        }
        if (f.kind == FieldKind::Text) {
            auto* edit = qobject_cast<QLineEdit*>(w);
            ASSERT_TRUE(edit) << f.name;
            EXPECT_EQ(edit->width(), f.place.width) << f.name;
            auto* label = tabs.findChild<QLabel*>(nameOf(f.labelName));
            ASSERT_TRUE(label) << f.labelName;
            EXPECT_EQ(label->text(), rowCaption(f, texts)) << f.labelName;
            EXPECT_EQ(pageOf(label), pageOf(w)) << f.labelName;
        } else {
            auto* check = qobject_cast<QCheckBox*>(w);
            ASSERT_TRUE(check) << f.name;
            EXPECT_EQ(check->text(), texts.get(*f.caption)) << f.name;
        }
        if (f.hint) {
            EXPECT_EQ(w->toolTip(), texts.get(*f.hint)) << f.name;
        }
    }
    EXPECT_EQ(placed, 128 + 27 + 1 + 5); // numbers, basic/switch/time texts, prefix, checks
    // Fields that live elsewhere get no widget here.
    EXPECT_FALSE(tabs.findChild<QWidget*>(statusField(StatusTag::Mode)));
    EXPECT_FALSE(tabs.findChild<QWidget*>(QStringLiteral("ComboBox1")));
}

TEST_F(ParameterPagesTest, RowsOfAFrameFollowTheTableRows) {
    // Within a frame the rows are laid out, and reached with the tab key, in row order.
    auto* grid = qobject_cast<QGridLayout*>(tabs.findChild<QGroupBox*>("GroupBox3")->layout());
    ASSERT_TRUE(grid);
    QStringList inRows;
    for (int r = 0; r < grid->rowCount(); ++r)
        if (QLayoutItem* item = grid->itemAtPosition(r, grid->columnCount() - 1))
            if (item->widget())
                inRows << item->widget()->objectName();
    EXPECT_EQ(inRows, QStringList({"GroupBox18", "Edit129", "Edit130", "Edit131", "Edit132",
                                   "Edit133", "CheckBox1"}));

    QStringList focusOrder;
    for (QWidget* w = tabs.findChild<QWidget*>("Edit129"); w && focusOrder.size() < 6;
         w = w->nextInFocusChain())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w))
            focusOrder << w->objectName();
    EXPECT_EQ(focusOrder,
              QStringList({"Edit129", "Edit130", "Edit131", "Edit132", "Edit133", "CheckBox1"}));
}

TEST_F(ParameterPagesTest, OptionGroupsAndFramesGetTheirButtonsAndCaptions) {
    for (const OptionGroupDef& g : optionGroups()) {
        auto* box = tabs.findChild<QGroupBox*>(nameOf(g.groupBox));
        ASSERT_TRUE(box) << g.groupBox;
        const QList<QRadioButton*> buttons = box->findChildren<QRadioButton*>();
        ASSERT_EQ(buttons.size(), qsizetype(g.options.size())) << g.groupBox;
        for (size_t i = 0; i < g.options.size(); ++i) {
            EXPECT_EQ(buttons[qsizetype(i)]->objectName(), nameOf(g.options[i].button));
            EXPECT_EQ(buttons[qsizetype(i)]->text(),
                      texts.get(g.options[i].caption) + nameOf(g.options[i].captionSuffix));
        }
    }
    for (const FrameDef& frame : frameTable()) {
        if (!frame.caption || frame.kind == FrameKind::Command)
            continue;
        auto* box = tabs.findChild<QGroupBox*>(nameOf(frame.name));
        ASSERT_TRUE(box) << frame.name;
        EXPECT_EQ(box->title(), " " + texts.get(*frame.caption).trimmed() + " ") << frame.name;
        EXPECT_EQ(pageOf(box), nameOf(frame.page)) << frame.name;
    }
    EXPECT_EQ(tabs.findChild<QWidget*>("GroupBox11")->toolTip(), texts.get(TextSection::HINT, 4));
    EXPECT_EQ(tabs.findChild<QWidget*>("RadioButton16")->toolTip(),
              "Only for version firmware > V1.6");
    EXPECT_EQ(tabs.findChild<QLabel*>("Label167")->text(), "#");
}

TEST_F(ParameterPagesTest, TheToneDetectionButtonStartsDisabled) {
    auto* button = tabs.findChild<QPushButton*>("Button1");
    ASSERT_TRUE(button);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->text(), texts.get(TextSection::TAB3, 32));
    EXPECT_EQ(pageOf(button), "TabSheet5");
}

TEST_F(ParameterPagesTest, TextsFollowALanguageChange) {
    Texts other;
    other.set(TextSection::TAB4, 5, "Button");
    other.set(TextSection::TAB2, 12, "  Switch 1  ");
    ParameterPages::applyTexts(&tabs, other);
    EXPECT_EQ(tabs.findChild<QLabel*>("ButtonLabel70")->text(), "Button 6");
    EXPECT_EQ(tabs.findChild<QGroupBox*>("GroupBox3")->title(), " Switch 1 ");
}
