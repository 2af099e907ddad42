// Checking a write against what was read back: which parameters a write carried, what the
// unit's images make of the written values, and what the compare view is handed.
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "params/WriteCheck.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QStringList names(const std::vector<ParameterDifference>& diffs) {
    QStringList out;
    for (const ParameterDifference& d : diffs)
        out << d.name;
    return out;
}

} // namespace

TEST(WrittenParameters, LocalWritesCarryTheirImage) {
    const WrittenParameters settings = locallyWritten(true, false);
    const WrittenParameters numbers = locallyWritten(false, true);
    for (const char* name : {"Edit144", "Edit156", "CheckBox5", "ComboBox2", "GroupBox19"}) {
        EXPECT_TRUE(settings(QString::fromLatin1(name))) << name;
        EXPECT_FALSE(numbers(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(settings(numberFieldName(0)));
    EXPECT_TRUE(numbers(numberFieldName(0)));
    EXPECT_TRUE(numbers(numberFieldName(127)));
    EXPECT_FALSE(settings(QStringLiteral("NoSuchField")));
    EXPECT_FALSE(numbers(QStringLiteral("NoSuchField")));
}

TEST(WrittenParameters, RemoteWritesCarryTheirGroupsAndAcknowledgedMemories) {
    const WrittenParameters switches = remotelyWritten({false, false, true}, {5, 70});
    EXPECT_TRUE(switches("Edit129"));
    EXPECT_TRUE(switches("GroupBox18"));
    EXPECT_FALSE(switches("Edit144"));    // basic
    EXPECT_FALSE(switches("GroupBox13")); // basic
    EXPECT_FALSE(switches("Edit145"));    // time
    EXPECT_FALSE(switches("GroupBox26")) << "never written remotely";
    EXPECT_TRUE(switches(numberFieldName(5)));
    EXPECT_TRUE(switches(numberFieldName(70)));
    EXPECT_FALSE(switches(numberFieldName(6)));

    const WrittenParameters basicAndTime = remotelyWritten({true, true, false}, {});
    EXPECT_TRUE(basicAndTime("Edit144"));
    EXPECT_TRUE(basicAndTime("GroupBox13"));
    EXPECT_TRUE(basicAndTime("Edit145"));
    EXPECT_TRUE(basicAndTime("CheckBox4")) << "carried by its partner's entry";
    EXPECT_FALSE(basicAndTime("Edit129"));
    EXPECT_FALSE(basicAndTime(numberFieldName(0)));
}

TEST(WriteCheckTest, DifferencesOutsideTheWriteDoNotCount) {
    const Texts texts;
    ParameterSet written;
    written.setText("Edit144", "1234");
    ParameterSet held = written;
    held.setText("Edit156", "NOC"); // not carried by a number write
    held.setChecked("RadioButton19", true);
    const WriteCheck numbers = checkWrite(written, held, locallyWritten(false, true), texts);
    EXPECT_EQ(numbers.outcome, WriteCheck::Outcome::Verified);
    EXPECT_TRUE(numbers.differences.empty());

    held.setText(numberFieldName(3), "999"); // not carried by a settings write
    const WriteCheck settings = checkWrite(written, held, locallyWritten(true, false), texts);
    ASSERT_EQ(settings.outcome, WriteCheck::Outcome::Differs);
    QStringList found = names(settings.differences);
    found.sort();
    EXPECT_EQ(found, (QStringList{"Edit156", "GroupBox19"}));
    EXPECT_FALSE(settings.verified());
    EXPECT_EQ(settings.held.text(numberFieldName(3)), "999");
}

TEST(WriteCheckTest, ImagesRoundWhatTheyCannotHoldBeforeTheComparison) {
    const Texts texts;
    ParameterSet written;
    written.setText("Edit153", "105"); // tone gap: tens of milliseconds in a nibble
    written.setText(numberFieldName(2), "123");
    const ParameterSet expected = expectedAfterWrite(written, true, true, texts);
    EXPECT_EQ(expected.text("Edit153"), "100");
    EXPECT_EQ(expected.text(numberFieldName(2)), "123");
    // A unit that stores the image gives back the rounded value: no failed write.
    ParameterSet held = expected;
    EXPECT_TRUE(checkWrite(expected, held, locallyWritten(true, true), texts).verified());
    // Without the settings the settings stay as written.
    EXPECT_EQ(expectedAfterWrite(written, false, true, texts).text("Edit153"), "105");
}

TEST(WriteCheckTest, TheUnitsFirmwareDecidesWhichFieldsExist) {
    const Texts texts;
    ParameterSet written;
    written.setText("Edit158", "12"); // the prefix needs firmware 7.4
    ParameterSet held = written;
    held.setFirmwareVersion(QStringLiteral("1.7"));
    applyFirmwareRules(held);
    held.setText("Edit158", "");
    ASSERT_FALSE(held.isVisible("Edit158"));
    EXPECT_TRUE(checkWrite(written, held, locallyWritten(true, true), texts).verified());
}

TEST(WriteCheckTest, CompareViewGetsExactlyTheDifferences) {
    const Texts texts;
    ParameterSet window;
    window.setText("Edit153", "105"); // rounded by the image, not a difference
    window.setText(numberFieldName(0), "42");
    const ParameterSet expected = expectedAfterWrite(window, true, true, texts);
    ParameterSet held = expected;
    held.setText(numberFieldName(0), "4");
    held.setChecked("RadioButton7", true);
    held.setChecked("CheckBox5", !held.isChecked("CheckBox5"));
    const WriteCheck check = checkWrite(expected, held, locallyWritten(true, true), texts);
    ASSERT_EQ(check.differences.size(), 3u);
    const ParameterSet shown = heldForComparison(window, check);
    EXPECT_EQ(names(diffParameters(window, shown, texts)), names(check.differences));
    EXPECT_EQ(shown.text(numberFieldName(0)), "4");
    EXPECT_EQ(shown.text("Edit153"), "105");
}
