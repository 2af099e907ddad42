// Taking a value from a compared set into the window's set: through the same filters and exit
// rules as typing, so nothing the window would refuse gets in.
#include "params/FieldTable.h"
#include "params/ParameterTake.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

struct TakeRig {
    TakeResult take(const QString& name, const std::function<bool()>& confirm = {}) {
        return takeParameter(window, other, name, texts, QLatin1Char(','), confirm);
    }
    Texts texts;
    ParameterSet window;
    ParameterSet other;
};

} // namespace

TEST(ParameterTake, AcceptedValuesArriveAsTheyAre) {
    TakeRig rig;
    rig.other.setText("Edit1", "12P*#F");
    rig.other.setText("Edit129", "123456");
    rig.other.setChecked("CheckBox1", !rig.window.isChecked("CheckBox1"));
    for (const char* name : {"Edit1", "Edit129", "CheckBox1"}) {
        const TakeResult r = rig.take(name);
        EXPECT_TRUE(r.taken) << name;
        EXPECT_TRUE(r.reason.isEmpty()) << name;
    }
    EXPECT_EQ(rig.window.text("Edit1"), "12P*#F");
    EXPECT_EQ(rig.window.text("Edit129"), "123456");
    EXPECT_EQ(rig.window.isChecked("CheckBox1"), rig.other.isChecked("CheckBox1"));
}

TEST(ParameterTake, ValuesTheFieldRulesRefuseLeaveTheWindowUnchanged) {
    TakeRig rig;
    const ParameterSet before = rig.window;

    rig.other.setText("Edit129", "12a456"); // a letter in a digits field
    TakeResult r = rig.take("Edit129");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(Msg::CompareCharacterRefused).arg("a"));

    rig.other.setText("Edit129", "1234567"); // longer than the field holds
    r = rig.take("Edit129");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(Msg::CompareTooLong).arg(6));

    rig.other.setText("Edit129", "7"); // a one-digit password: the exit rule rejects it
    r = rig.take("Edit129");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(11));

    rig.other.setText("Edit144", "12"); // the service password needs four digits
    r = rig.take("Edit144");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(14));

    rig.other.setText("ComboBox1", "not an item");
    r = rig.take("ComboBox1");
    EXPECT_FALSE(r.taken);
    EXPECT_FALSE(r.reason.isEmpty());

    rig.other.setText("Edit156", "NOC"); // the unit's mode is shown, never entered
    r = rig.take("Edit156");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(Msg::CompareDisplayOnly));

    EXPECT_TRUE(rig.window.sameValues(before));
}

TEST(ParameterTake, CorrectingRulesApplyAndSayWhatTheyMadeOfTheValue) {
    TakeRig rig;
    rig.other.setText("Edit133", "0"); // at least 1
    TakeResult r = rig.take("Edit133");
    EXPECT_TRUE(r.taken);
    EXPECT_EQ(rig.window.text("Edit133"), "1");
    EXPECT_EQ(r.reason, rig.texts.message(Msg::CompareCorrected).arg("1"));

    rig.other.setText("Edit152", "73"); // dialling time, in steps of 10
    r = rig.take("Edit152");
    EXPECT_TRUE(r.taken);
    EXPECT_EQ(rig.window.text("Edit152"), "70");
}

TEST(ParameterTake, ParametersTheWindowsFirmwareLacksAreRefused) {
    TakeRig rig;
    rig.window.setVisible("Edit158", false);
    rig.other.setText("Edit158", "12");
    const TakeResult r = rig.take("Edit158");
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(r.reason, rig.texts.message(Msg::CompareNotAvailable));
    EXPECT_TRUE(rig.window.text("Edit158").isEmpty());

    // The other set's firmware lacks it: it holds nothing there, and nothing is what arrives.
    rig.window.setVisible("Edit158", true);
    rig.window.setText("Edit158", "34");
    rig.other.setVisible("Edit158", false);
    EXPECT_TRUE(rig.take("Edit158").taken);
    EXPECT_TRUE(rig.window.text("Edit158").isEmpty());
}

TEST(ParameterTake, AnOptionGroupTakesTheCheckedButtonAndItsClickRule) {
    TakeRig rig;
    const OptionGroupDef* switch2 = findOptionGroup("RadioButton21");
    ASSERT_TRUE(switch2);
    rig.window.setChecked("RadioButton13", true); // switch 1 camera mode
    rig.other.setChecked("RadioButton21", true);  // switch 2 after switch 1
    const TakeResult r = rig.take(QString::fromLatin1(switch2->groupBox));
    EXPECT_TRUE(r.taken);
    EXPECT_TRUE(rig.window.isChecked("RadioButton21"));
    EXPECT_TRUE(rig.window.isChecked("RadioButton12")); // as a click on it would
}

TEST(ParameterTake, TheUnfittedCountIsTakenOnlyWhenConfirmed) {
    TakeRig rig;
    rig.other.setText("Edit151", "2");
    int asked = 0;
    TakeResult r = rig.take("Edit151", [&] {
        ++asked;
        return false;
    });
    EXPECT_FALSE(r.taken);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(rig.window.text("Edit151"), "0");
    EXPECT_FALSE(rig.take("Edit151").taken) << "no question means no";

    r = rig.take("Edit151", [] { return true; });
    EXPECT_TRUE(r.taken);
    EXPECT_EQ(rig.window.text("Edit151"), "2");
}
