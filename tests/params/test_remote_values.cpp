#include "params/RemoteValues.h"
#include "params/ToneCodes.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

QStringList codesOf(const std::vector<RemoteEntry>& entries) {
    QStringList out;
    for (const RemoteEntry& e : entries)
        out << e.code();
    return out;
}

QStringList addressesOf(const std::vector<RemoteEntry>& entries) {
    QStringList out;
    for (const RemoteEntry& e : entries)
        out << e.address;
    return out;
}

QString codeFor(RemoteGroup group, const ParameterSet& p, const QString& field) {
    for (const RemoteEntry& e : remoteWriteEntries(group, p))
        if (e.field == field)
            return e.code();
    return QStringLiteral("<none>");
}

} // namespace

TEST(RemoteWriteGroups, BasicTimeAndSwitchGroupsSendTheirAddressesInStepOrder) {
    const ParameterSet p;
    EXPECT_EQ(addressesOf(remoteWriteEntries(RemoteGroup::Basic, p)),
              QStringList({"41", "42", "431", "432", "44", "45", "46", "47", "48", "49", "6#"}));
    EXPECT_EQ(addressesOf(remoteWriteEntries(RemoteGroup::Time, p)),
              QStringList({"51", "52", "53", "54", "55", "56", "57", "58", "59", "50", "6", "6*"}));
    EXPECT_EQ(addressesOf(remoteWriteEntries(RemoteGroup::Switch, p)),
              QStringList({"311", "312", "321", "331", "341", "322", "332", "342", "351", "352",
                           "361", "362", "371", "372", "38"}));
    EXPECT_TRUE(remoteWriteEntries(RemoteGroup::None, p).empty());
}

TEST(RemoteWriteGroups, DefaultSetGivesTheFactoryCodes) {
    const ParameterSet p;
    EXPECT_EQ(codesOf(remoteWriteEntries(RemoteGroup::Basic, p)),
              QStringList({"410", "42*", "43155", "43266", "447850", "4511", "4610", "471", "480",
                           "490", "6#0"}));
    EXPECT_EQ(codesOf(remoteWriteEntries(RemoteGroup::Time, p)),
              QStringList({"511", "522", "532", "542", "551", "5612", "575", "585", "591", "508",
                           "63", "6*1"}));
    EXPECT_EQ(codesOf(remoteWriteEntries(RemoteGroup::Switch, p)),
              QStringList({"3111", "3121", "321#", "331#", "341#", "322#", "332#", "342#", "35122",
                           "35233", "36105", "36205", "3711", "3721", "3815"}));
}

TEST(RemoteWriteGroups, OptionGroupsSendTheCodeOfTheCheckedButton) {
    ParameterSet p;
    p.setChecked("RadioButton7", true);
    p.setChecked("RadioButton11", true);
    p.setChecked("RadioButton8", true);
    p.setChecked("RadioButton16", true);
    p.setChecked("RadioButton5", true);
    p.setChecked("RadioButton15", true);
    p.setChecked("RadioButton21", true);
    EXPECT_EQ(codeFor(RemoteGroup::Basic, p, "GroupBox13"), "411");
    EXPECT_EQ(codeFor(RemoteGroup::Basic, p, "GroupBox15"), "42#");
    EXPECT_EQ(codeFor(RemoteGroup::Basic, p, "GroupBox14"), "470");
    EXPECT_EQ(codeFor(RemoteGroup::Basic, p, "GroupBox11"), "483");
    EXPECT_EQ(codeFor(RemoteGroup::Basic, p, "GroupBox12"), "491");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "GroupBox18"), "3114");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "GroupBox19"), "3125");
}

TEST(RemoteWriteGroups, SwitchCodesAreTerminatedUnlessSixLong) {
    ParameterSet p;
    p.setText("Edit129", "123456");
    p.setText("Edit130", "1234");
    p.setText("Edit131", "");
    p.setText("Edit134", "12345");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit129"), "321123456");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit130"), "3311234#");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit131"), "341#");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit134"), "32212345#");
    p.setText("Edit133", "25");
    p.setText("Edit139", "7");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit133"), "36125");
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "Edit139"), "3807");
    p.setChecked("CheckBox1", false);
    EXPECT_EQ(codeFor(RemoteGroup::Switch, p, "CheckBox1"), "3710");
}

TEST(RemoteWriteGroups, TimeValuesAreScaledAndTruncated) {
    ParameterSet p;
    p.setText("Edit152", "100");
    p.setText("Edit153", "65"); // 6.5 - 5 truncates to 1
    p.setText("Edit154", "600");
    p.setText("Edit155", "1000");
    p.setText("Edit145", "30");
    p.setText("Edit150", "4");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit152"), "575");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit153"), "581");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit154"), "596");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit155"), "500");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit145"), "52#");
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "Edit150"), "5604");
    p.setText("Edit152", "x");
    const auto entries = remoteWriteEntries(RemoteGroup::Time, p);
    EXPECT_FALSE(entries.at(6).value.has_value()) << "a text that is no number has no code";
}

TEST(RemoteWriteGroups, SoundBitsTravelInOneEntryAndDelayedStartIsInverted) {
    ParameterSet p;
    for (auto [seize, other, expected] : {std::tuple{false, false, "60"},
                                          {true, false, "61"},
                                          {false, true, "62"},
                                          {true, true, "63"}}) {
        p.setChecked("CheckBox3", seize);
        p.setChecked("CheckBox4", other);
        EXPECT_EQ(codeFor(RemoteGroup::Time, p, "CheckBox3"), expected);
    }
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "CheckBox4"), "<none>");
    p.setChecked("CheckBox5", true);
    EXPECT_EQ(codeFor(RemoteGroup::Time, p, "CheckBox5"), "6*0");
}

TEST(RemoteWriteGroups, TalkTimeCodeMatchesOnlyExactTexts) {
    const QString half = QStringLiteral("0,5");
    EXPECT_EQ(talkTimeCode("0,5", half), "0");
    EXPECT_EQ(talkTimeCode("0.5", half), "1");
    EXPECT_EQ(talkTimeCode("15", half), "*");
    EXPECT_EQ(talkTimeCode("30", half), "#");
    EXPECT_EQ(talkTimeCode("7", half), "7");
    EXPECT_EQ(talkTimeCode("0", half), "1");
    EXPECT_EQ(talkTimeCode("12", half), "1");
    EXPECT_EQ(talkTimeCode("", half), "1");
}

TEST(RemoteWriteGroups, MemoriesArePackedAndEscaped) {
    ParameterSet p;
    EXPECT_TRUE(remoteWriteEntries(RemoteGroup::Memory, p).empty());
    p.setText("Edit3", "F12P*");
    p.setText("Edit65", "5");
    p.setText("Edit64", "1");
    p.setText("Edit128", "9");
    EXPECT_EQ(codesOf(remoteWriteEntries(RemoteGroup::Memory, p)),
              QStringList({"103*#12*0**", "1641", "2015", "2649"}));
    EXPECT_EQ(escapeMemoryNumber("FFFFFFFFFFFFFFFF").size(), 32);
}

TEST(RemoteWriteGroups, EveryRemoteColumnIsComplete) {
    // Each group's steps run 0..n-1 without gaps or doubles (a shared step only for a
    // PartOfStep partner), and every entry has an address.
    for (auto [group, count] :
         {std::pair{RemoteGroup::Basic, 11}, {RemoteGroup::Time, 12}, {RemoteGroup::Switch, 15}}) {
        std::vector<int> seen(size_t(count), 0);
        for (const FieldDef& f : fieldTable()) {
            if (f.remote.group != group)
                continue;
            ASSERT_TRUE(f.remote.address) << f.name;
            ASSERT_GE(f.remote.step, 0) << f.name;
            ASSERT_LT(f.remote.step, count) << f.name;
            if (f.remote.coding != RemoteCoding::PartOfStep)
                ++seen[size_t(f.remote.step)];
        }
        for (const OptionGroupDef& g : optionGroups())
            if (g.remote.group == group) {
                ASSERT_EQ(g.remote.coding, RemoteCoding::Option) << g.groupBox;
                for (const OptionDef& o : g.options)
                    EXPECT_TRUE(o.remoteCode) << o.button;
                ++seen[size_t(g.remote.step)];
            }
        for (int s = 0; s < count; ++s)
            EXPECT_EQ(seen[size_t(s)], 1) << "step " << s;
    }
}
