// Which parameters count as the user's edits against what was last read, loaded or written.
#include "params/EditMarks.h"
#include "params/FieldTable.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QString groupBoxOf(const char* button) {
    return QString::fromLatin1(findOptionGroup(QString::fromLatin1(button))->groupBox);
}

} // namespace

TEST(EditMarks, FieldsCheckBoxesAndOptionGroupsCountOnceEach) {
    const ParameterSet baseline;
    ParameterSet current;
    EXPECT_TRUE(editedParameters(current, baseline).isEmpty());

    current.setText("Edit1", "123");
    current.setText("Edit144", "1111");
    current.setChecked("CheckBox1", !baseline.isChecked("CheckBox1"));
    const QString was = baseline.checkedOption("RadioButton13");
    current.setChecked(was == "RadioButton13" ? "RadioButton14" : "RadioButton13", true);
    const QStringList edited = editedParameters(current, baseline);
    EXPECT_EQ(edited.size(), 4);
    EXPECT_TRUE(edited.contains("Edit1"));
    EXPECT_TRUE(edited.contains("Edit144"));
    EXPECT_TRUE(edited.contains("CheckBox1"));
    EXPECT_TRUE(edited.contains(groupBoxOf("RadioButton13")));

    // Typed back to the old value: no longer an edit.
    current.setText("Edit144", baseline.text("Edit144"));
    EXPECT_FALSE(editedParameters(current, baseline).contains("Edit144"));
}

TEST(EditMarks, OnlyTheNewlyCheckedButtonOfAGroupIsMarked) {
    const ParameterSet baseline;
    ParameterSet current;
    const QString was = baseline.checkedOption("RadioButton13");
    const QString now = was == "RadioButton13" ? "RadioButton14" : "RadioButton13";
    current.setChecked(now, true);
    EXPECT_TRUE(isEditedWidget(now, current, baseline));
    EXPECT_FALSE(isEditedWidget(was, current, baseline));
    EXPECT_FALSE(isEditedWidget("Edit1", current, baseline));
    // Back to the first choice: nothing marked.
    current.setChecked(was, true);
    EXPECT_FALSE(isEditedWidget(was, current, baseline));
    EXPECT_FALSE(isEditedWidget(now, current, baseline));
}

TEST(EditMarks, TheUnitsStateAndFieldsTheFirmwareHidesAreNoEdits) {
    const ParameterSet baseline;
    ParameterSet current;
    current.setText("Edit156", "NOC"); // mode, shown from the unit
    current.setText("Edit157", "42");  // power-on counter
    EXPECT_TRUE(editedParameters(current, baseline).isEmpty());
    EXPECT_FALSE(isEditedWidget("Edit156", current, baseline));

    // A hidden field counts as empty, whatever text it keeps.
    current.setVisible("Edit158", false);
    current.setText("Edit158", "99");
    EXPECT_TRUE(editedParameters(current, baseline).isEmpty());
    current.setVisible("Edit158", true);
    EXPECT_EQ(editedParameters(current, baseline), QStringList{"Edit158"});
}

TEST(EditMarks, ASettingsTransferKeepsTheNumberMemoriesMarksAndTheOtherWayRound) {
    EditBaseline baseline;
    int told = 0;
    baseline.setListener([&] { ++told; });
    ParameterSet current;
    const QString number = numberFieldName(0);
    current.setText(number, "555");
    current.setText("Edit129", "123456");
    ASSERT_EQ(editedParameters(current, baseline.values()).size(), 2);

    baseline.reset(current, BaselinePart::Settings);
    EXPECT_EQ(editedParameters(current, baseline.values()), QStringList{number});
    EXPECT_EQ(told, 1);

    current.setText("Edit129", "654321");
    baseline.reset(current, BaselinePart::Numbers);
    EXPECT_EQ(editedParameters(current, baseline.values()), QStringList{"Edit129"});

    baseline.reset(current);
    EXPECT_TRUE(editedParameters(current, baseline.values()).isEmpty());
    EXPECT_EQ(told, 3);
}

TEST(EditMarks, NamedResetTakesOnlyThoseFieldsBoxesAndGroups) {
    EditBaseline baseline;
    int told = 0;
    baseline.setListener([&] { ++told; });
    ParameterSet current;
    current.setText("Edit129", "123456");
    current.setText("Edit130", "654321");
    current.setChecked("CheckBox1", !current.isChecked("CheckBox1"));
    current.setChecked("RadioButton14", true);
    current.setChecked("RadioButton18", true);
    ASSERT_EQ(editedParameters(current, baseline.values()).size(), 5);

    baseline.reset(current,
                   QStringList{"Edit129", "CheckBox1", groupBoxOf("RadioButton14"), "NoSuchField"});
    EXPECT_EQ(told, 1);
    EXPECT_EQ(editedParameters(current, baseline.values()),
              (QStringList{"Edit130", groupBoxOf("RadioButton18")}));
    EXPECT_FALSE(isEditedWidget("RadioButton14", current, baseline.values()));

    baseline.reset(current, QStringList{});
    EXPECT_EQ(told, 1); // nothing taken, nothing to repaint
}
