#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include <QMap>
#include <QSet>
#include <gtest/gtest.h>

using namespace lumo;

TEST(FieldTable, DeclaresEveryParameterOnce) {
    QSet<QString> names;
    for (const FieldDef& f : fieldTable())
        EXPECT_FALSE(names.contains(f.name)) << f.name;
    for (const FieldDef& f : fieldTable())
        names.insert(f.name);
    for (const OptionGroupDef& g : optionGroups())
        for (const OptionDef& o : g.options) {
            EXPECT_FALSE(names.contains(o.button)) << o.button;
            names.insert(o.button);
        }
    EXPECT_EQ(names.size(), 158 + 5 + 3 + 25);
    for (const QString& n : allParameterNames())
        EXPECT_TRUE(names.contains(n)) << qPrintable(n);
}

TEST(FieldTable, SettingsImagePositionsAreEachUsedByOneParameter) {
    // Positions 8, 9 and 125 hold two fields each (nibbles, bits); every other position one.
    QMap<int, int> uses;
    for (const FieldDef& f : fieldTable())
        for (int i = 0; f.imagePosition && i < f.imageLength; ++i)
            uses[f.imagePosition + i]++;
    for (const OptionGroupDef& g : optionGroups())
        uses[g.imagePosition]++;
    for (auto it = uses.begin(); it != uses.end(); ++it) {
        const int expected = (it.key() == 8 || it.key() == 9 || it.key() == 125) ? 2 : 1;
        EXPECT_EQ(it.value(), expected) << "position " << it.key();
    }
    EXPECT_FALSE(uses.contains(1));
    for (int unused : {75, 100, 112, 117, 118, 119, 120})
        EXPECT_FALSE(uses.contains(unused)) << unused;
}

TEST(FieldTable, FileRecordsAreSixCharacterNamesInOrder) {
    const auto& records = fileRecords();
    ASSERT_EQ(records.size(), 171u);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].number, int(i + 1));
        EXPECT_EQ(qstrlen(records[i].name), 6u) << records[i].name;
    }
    EXPECT_STREQ(records[0].name, "Dial: ");
    EXPECT_STREQ(records[5].name, "Day : ");
    EXPECT_STREQ(records[36].name, "M001: ");
    EXPECT_STREQ(records[163].name, "M128: ");
    EXPECT_STREQ(records[168].name, "FREQU:");
    EXPECT_EQ(findField("Edit1")->fileRecord, 37);
    EXPECT_EQ(findField("Edit128")->fileRecord, 164);
    EXPECT_EQ(findOptionGroupByRecord(19)->groupBox, QLatin1String("GroupBox19"));
}

TEST(ParameterSet, StartsWithTheDefaults) {
    const ParameterSet p;
    EXPECT_EQ(p.text("Edit140"), "55");
    EXPECT_EQ(p.text("Edit144"), "7850");
    EXPECT_EQ(p.text("Edit150"), "12");
    EXPECT_EQ(p.text("Edit155"), "800");
    EXPECT_EQ(p.text("Edit156"), "DEN");
    EXPECT_EQ(p.text("Edit1"), "");
    EXPECT_EQ(p.text("ComboBox2"), "350-500");
    EXPECT_TRUE(p.isChecked("RadioButton6"));
    EXPECT_TRUE(p.isChecked("RadioButton9"));
    EXPECT_TRUE(p.isChecked("RadioButton22"));
    EXPECT_TRUE(p.isChecked("CheckBox3"));
    EXPECT_FALSE(p.isChecked("CheckBox5"));
    EXPECT_FALSE(p.isVisible("Edit158"));
    EXPECT_TRUE(p.firmwareVersion().isEmpty());
    EXPECT_NE(p.text("Edit132"), p.text("Edit137"));
    EXPECT_EQ(p.text("Edit132").size(), 2);
}

TEST(ParameterSet, OptionGroupsKeepExactlyOneChecked) {
    ParameterSet p;
    p.setChecked("RadioButton3", true);
    EXPECT_EQ(p.checkedOption("RadioButton1"), "RadioButton3");
    EXPECT_FALSE(p.isChecked("RadioButton1"));
    p.setChecked("RadioButton3", false); // clearing directly is ignored
    EXPECT_TRUE(p.isChecked("RadioButton3"));
    // Other groups are untouched.
    EXPECT_TRUE(p.isChecked("RadioButton4"));
}

TEST(ParameterSet, AssignmentNotifiesOnlyWhatChanged) {
    ParameterSet a;
    ParameterSet b;
    b.setText("Edit5", "123");
    b.setChecked("RadioButton7", true);
    QStringList seen;
    a.setListener([&](const QString& name) { seen << name; });
    a = b;
    seen.sort();
    EXPECT_EQ(seen, QStringList({"Edit5", "RadioButton6", "RadioButton7"}));
    EXPECT_TRUE(a.sameValues(b));
    seen.clear();
    a.resetToDefaults();
    EXPECT_EQ(a.text("Edit5"), "");
    EXPECT_EQ(seen.size(), 3);
}

TEST(ParameterSet, UnknownNamesAreIgnored) {
    ParameterSet p;
    p.setText("Edit999", "x");
    EXPECT_FALSE(p.contains("Edit999"));
    EXPECT_EQ(p.text("Edit999"), "");
    EXPECT_FALSE(p.isChecked("CheckBox9"));
}
