#include "params/Codec.h"
#include "params/FieldRules.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

const QChar kComma = QLatin1Char(',');

QString typed(KeyFilter filter, const QString& keys, QChar sep = kComma) {
    QString out;
    for (QChar c : keys)
        if (auto accepted = filterKey(filter, c, sep))
            out += *accepted;
    return out;
}

// Runs the exit rule of a field of the table.
ExitResult exitWith(const char* field, const QString& text) {
    return applyExitRule(*findField(QString::fromLatin1(field)), text, kComma);
}

} // namespace

TEST(KeyFilters, DiallingNumberMapsTypingAidsAndRefusesOtherLetters) {
    EXPECT_EQ(typed(KeyFilter::DiallingNumber, "0123456789*#"), "0123456789*#");
    EXPECT_EQ(typed(KeyFilter::DiallingNumber, "hHkKpPfF"), "**##PPFF");
    EXPECT_EQ(typed(KeyFilter::DiallingNumber, "DAaBcxz ,.-+"), "");
    // Backspace always passes.
    EXPECT_EQ(filterKey(KeyFilter::DiallingNumber, kBackspace, kComma), kBackspace);
}

TEST(KeyFilters, PrefixTakesStarAndHashButNoPauseOrFlash) {
    EXPECT_EQ(typed(KeyFilter::Prefix, "12hk*#pPfF"), "12*#*#");
}

TEST(KeyFilters, NumericFamilies) {
    EXPECT_EQ(typed(KeyFilter::Digits, "a0b9,.-"), "09");
    EXPECT_EQ(typed(KeyFilter::Count1to9, "0123456789"), "123456789");
    EXPECT_EQ(typed(KeyFilter::Count1to5, "0123456789"), "12345");
    EXPECT_EQ(typed(KeyFilter::Unfitted, "0123x"), "012");
    EXPECT_EQ(typed(KeyFilter::CallTime, "0,5.7", kComma), "0,57");
    EXPECT_EQ(typed(KeyFilter::CallTime, "0,5.7", QLatin1Char('.')), "05.7");
}

TEST(KeyFilters, DisplayOnlyAndListsSwallowEveryKeyEvenBackspace) {
    EXPECT_EQ(typed(KeyFilter::DisplayOnly, "0aN"), "");
    EXPECT_FALSE(filterKey(KeyFilter::DisplayOnly, kBackspace, kComma));
    EXPECT_FALSE(filterKey(KeyFilter::NoTyping, kBackspace, kComma));
    EXPECT_FALSE(filterKey(KeyFilter::NoTyping, QLatin1Char('4'), kComma));
}

TEST(RejectingExitRules, CodesAndPasswordsRefuseASingleDigit) {
    for (const char* rule : {"Edit140", "Edit129"}) {
        const ExitResult one = exitWith(rule, " 5 ");
        EXPECT_TRUE(one.rejected);
        EXPECT_EQ(one.text, " 5 ") << "a rejecting rule keeps the text";
        EXPECT_FALSE(exitWith(rule, "").rejected);
        EXPECT_FALSE(exitWith(rule, "55").rejected);
    }
    EXPECT_EQ(exitWith("Edit140", "5").message->key, 12);
    EXPECT_EQ(exitWith("Edit129", "5").message->key, 11);
    EXPECT_FALSE(exitWith("Edit129", "123456").rejected);
}

TEST(RejectingExitRules, ServicePasswordNeedsExactlyFourCharacters) {
    EXPECT_TRUE(exitWith("Edit144", "").rejected);
    EXPECT_TRUE(exitWith("Edit144", "785").rejected);
    EXPECT_EQ(exitWith("Edit144", "785").message->key, 14);
    EXPECT_FALSE(exitWith("Edit144", "7850").rejected);
    EXPECT_FALSE(exitWith("Edit144", " 7850 ").rejected);
}

TEST(RejectingExitRules, UnfittedEmptyRestoresValueOnEntry) {
    const ExitResult r = exitWith("Edit151", "  ");
    EXPECT_TRUE(r.rejected);
    EXPECT_TRUE(r.restoreValueOnEntry);
    EXPECT_EQ(r.message->key, 13);
    EXPECT_FALSE(exitWith("Edit151", "2").rejected);
}

TEST(CorrectingExitRules, AtLeastOneAndEmptyBecomesOne) {
    EXPECT_EQ(exitWith("Edit133", "0").text, "1");
    EXPECT_EQ(exitWith("Edit133", "").text, "1");
    EXPECT_EQ(exitWith("Edit133", "00").text, "1");
    EXPECT_EQ(exitWith("Edit133", "99").text, "99");
    EXPECT_FALSE(exitWith("Edit133", "99").changed);
    EXPECT_EQ(exitWith("Edit146", "").text, "1");
    EXPECT_EQ(exitWith("Edit146", "5").text, "5");
    EXPECT_EQ(exitWith("Edit148", "").text, "1");
}

TEST(CorrectingExitRules, RingCountIsTwoDigitsFromFour) {
    EXPECT_EQ(exitWith("Edit150", "3").text, "04");
    EXPECT_EQ(exitWith("Edit150", "").text, "04");
    EXPECT_EQ(exitWith("Edit150", "7").text, "07");
    EXPECT_EQ(exitWith("Edit150", "12").text, "12");
    EXPECT_EQ(exitWith("Edit150", "03").text, "04");
}

TEST(CorrectingExitRules, DiallingTimesClampAndRound) {
    EXPECT_EQ(exitWith("Edit152", "45").text, "60");
    EXPECT_EQ(exitWith("Edit152", "200").text, "150");
    EXPECT_EQ(exitWith("Edit152", "65").text, "70");
    EXPECT_EQ(exitWith("Edit152", "64").text, "60");
    EXPECT_EQ(exitWith("Edit152", "").text, "60");
    EXPECT_EQ(exitWith("Edit153", "151").text, "150") << "the gap has the tone's range";
    EXPECT_EQ(exitWith("Edit154", "").text, "100");
    EXPECT_EQ(exitWith("Edit154", "150").text, "200");
    EXPECT_EQ(exitWith("Edit154", "999").text, "600");
    EXPECT_EQ(exitWith("Edit155", "1200").text, "1000");
    EXPECT_EQ(exitWith("Edit155", "740").text, "700");
    EXPECT_EQ(exitWith("Edit155", "").text, "500");
    EXPECT_EQ(exitWith("Edit155", "1000").text, "1000");
}

TEST(CorrectingExitRules, CallTimeSnapsToStorableValues) {
    EXPECT_EQ(exitWith("Edit145", "0").text, "0,5");
    EXPECT_EQ(exitWith("Edit145", ",7").text, "0,5");
    EXPECT_EQ(exitWith("Edit145", "7,").text, "0,5");
    EXPECT_EQ(exitWith("Edit145", "").text, "0,5");
    EXPECT_EQ(exitWith("Edit145", "0,5").text, "0,5");
    EXPECT_EQ(exitWith("Edit145", "2,7").text, "2");
    EXPECT_EQ(exitWith("Edit145", "9").text, "9");
    EXPECT_EQ(exitWith("Edit145", "12").text, "9");
    EXPECT_EQ(exitWith("Edit145", "13").text, "15");
    EXPECT_EQ(exitWith("Edit145", "22").text, "15");
    EXPECT_EQ(exitWith("Edit145", "23").text, "30");
    EXPECT_EQ(exitWith("Edit145", "1,,2").text, "0,5");
    // Under a locale with a decimal point the half is written with a point.
    EXPECT_EQ(applyExitRule(*findField("Edit145"), "0", QLatin1Char('.')).text, "0.5");
}

TEST(UnfittedButtons, SameDigitPassesOtherDigitsAsk) {
    EXPECT_EQ(unfittedKeyDecision(QLatin1Char('1'), "1"), UnfittedKey::Pass);
    EXPECT_EQ(unfittedKeyDecision(QLatin1Char('2'), "1"), UnfittedKey::Ask);
    EXPECT_EQ(unfittedKeyDecision(QLatin1Char('0'), ""), UnfittedKey::Ask);
    EXPECT_EQ(unfittedKeyDecision(QLatin1Char('3'), "1"), UnfittedKey::Discard);
    EXPECT_EQ(unfittedKeyDecision(kBackspace, "1"), UnfittedKey::Pass);
}

TEST(SwitchModeRule, SequentialSwitch2KeepsSwitch1Plain) {
    ParameterSet p;
    p.setChecked("RadioButton13", true); // switch 1 camera
    p.setChecked("RadioButton21", true);
    applySwitchModeRule(p, "RadioButton21");
    EXPECT_TRUE(p.isChecked("RadioButton12"));
    p.setChecked("RadioButton13", true);
    applySwitchModeRule(p, "RadioButton13");
    EXPECT_TRUE(p.isChecked("RadioButton12"));
    EXPECT_FALSE(p.isChecked("RadioButton13"));
    // Another mode for switch 2 frees switch 1.
    p.setChecked("RadioButton18", true);
    applySwitchModeRule(p, "RadioButton18");
    p.setChecked("RadioButton14", true);
    applySwitchModeRule(p, "RadioButton14");
    EXPECT_TRUE(p.isChecked("RadioButton14"));
}

TEST(SwitchModeRule, SettingValuesFromDataNeverRunsIt) {
    // The unit holds camera mode for switch 1 and a plain switch 2.
    ParameterSet stored;
    stored.setChecked("RadioButton13", true);
    stored.setChecked("RadioButton18", true);
    const Texts texts;
    TransferBuffer buffer;
    Codec(stored, buffer, texts).EncodeSettings();
    const QByteArray image = Codec(stored, buffer, texts).settingsImageFromBuffer();

    // The window's set still has sequential switching. Decoding sets switch 1 while switch 2 is
    // still sequential: had it run the rule, switch 1 would have become a plain switch.
    ParameterSet p;
    p.setChecked("RadioButton21", true);
    TransferBuffer other;
    Codec(p, other, texts).DecodeSettings(image);
    EXPECT_TRUE(p.isChecked("RadioButton13"));
    EXPECT_FALSE(p.isChecked("RadioButton12"));
    EXPECT_TRUE(p.isChecked("RadioButton18"));
}

namespace {
ParameterSet withVersion(const QString& version) {
    ParameterSet p;
    p.setFirmwareVersion(version);
    return p;
}
} // namespace

TEST(FirmwareRules, UnknownVersionLeavesSoundBoxesAndPrefixAlone) {
    ParameterSet p = withVersion("");
    p.setChecked("CheckBox3", false);
    p.setEnabled("CheckBox3", false);
    p.setVisible("Edit158", true);
    p.setText("Edit158", "0*");
    const FirmwareRuleStates s = applyFirmwareRules(p);
    EXPECT_FALSE(s.toneDetectionEnabled);
    EXPECT_TRUE(p.isEnabled("RadioButton16"));
    EXPECT_FALSE(p.isChecked("CheckBox3"));
    EXPECT_FALSE(p.isEnabled("CheckBox3"));
    EXPECT_TRUE(p.isVisible("Edit158"));
    EXPECT_EQ(p.text("Edit158"), "0*");
}

TEST(FirmwareRules, Version16) {
    ParameterSet p = withVersion("1.6");
    p.setChecked("RadioButton16", true);
    p.setChecked("CheckBox3", false);
    p.setChecked("CheckBox5", true);
    p.setVisible("Edit158", true);
    p.setText("Edit158", "9");
    const FirmwareRuleStates s = applyFirmwareRules(p);
    EXPECT_FALSE(p.isEnabled("RadioButton16"));
    EXPECT_TRUE(p.isChecked("RadioButton1"));
    EXPECT_FALSE(s.toneDetectionEnabled);
    EXPECT_TRUE(p.isChecked("CheckBox3"));
    EXPECT_TRUE(p.isChecked("CheckBox4"));
    EXPECT_FALSE(p.isChecked("CheckBox5"));
    EXPECT_FALSE(p.isEnabled("CheckBox3"));
    EXPECT_FALSE(p.isEnabled("CheckBox4"));
    EXPECT_FALSE(p.isEnabled("CheckBox5"));
    EXPECT_FALSE(p.isVisible("Edit158"));
    EXPECT_EQ(p.text("Edit158"), "");
}

TEST(FirmwareRules, Version17EnablesPlace3Only) {
    ParameterSet p = withVersion("1.7");
    applyFirmwareRules(p);
    EXPECT_TRUE(p.isEnabled("RadioButton16"));
    EXPECT_FALSE(applyFirmwareRules(p).toneDetectionEnabled);
}

TEST(FirmwareRules, Version40EnablesToneDetection) {
    ParameterSet p = withVersion("4.0");
    EXPECT_TRUE(applyFirmwareRules(p).toneDetectionEnabled);
    EXPECT_FALSE(p.isEnabled("CheckBox3"));
    EXPECT_FALSE(p.isVisible("Edit158"));
}

TEST(FirmwareRules, Version73HidesAndClearsPrefix74ShowsIt) {
    ParameterSet p = withVersion("7.3");
    p.setVisible("Edit158", true);
    p.setText("Edit158", "12");
    applyFirmwareRules(p);
    EXPECT_TRUE(p.isEnabled("CheckBox3"));
    EXPECT_TRUE(p.isEnabled("CheckBox5"));
    EXPECT_FALSE(p.isVisible("Edit158"));
    EXPECT_EQ(p.text("Edit158"), "");

    p.setFirmwareVersion("7.4");
    const FirmwareRuleStates s = applyFirmwareRules(p);
    EXPECT_TRUE(s.toneDetectionEnabled);
    EXPECT_TRUE(p.isVisible("Edit158"));
    EXPECT_TRUE(p.isEnabled("RadioButton16"));
    EXPECT_TRUE(p.isEnabled("CheckBox4"));

    p.setFirmwareVersion("8.0");
    applyFirmwareRules(p);
    EXPECT_TRUE(p.isVisible("Edit158"));
}
