// Typing into and leaving the real fields of the main window runs the field rules: key filters,
// rejecting and correcting exit rules, the unfitted-buttons question, the switch-mode rule on
// clicks, and the firmware rules on each port-timer tick.
#include "AppTestSupport.h"
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace lumo::test {
namespace {

using FieldEditing = MainWindowTest;

TEST_F(FieldEditing, DiallingNumberFilterMapsTypingAidsAndRefusesLetters) {
    focus(QStringLiteral("Edit5"));
    typeText(edit(QStringLiteral("Edit5")), QStringLiteral("1h2kpfDAx9*#"));
    EXPECT_EQ(edit(QStringLiteral("Edit5"))->text(), QStringLiteral("1*2#PF9*#"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit5")), QStringLiteral("1*2#PF9*#"));
    typeChar(edit(QStringLiteral("Edit5")), QChar(8));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit5")), QStringLiteral("1*2#PF9*"));
    // At most 16 characters, mapped ones included.
    typeText(edit(QStringLiteral("Edit5")), QStringLiteral("hhhhhhhhhh"));
    EXPECT_EQ(edit(QStringLiteral("Edit5"))->text().size(), 16);
}

TEST_F(FieldEditing, PastedTextPassesTheKeyFilter) {
    QApplication::clipboard()->setText(QStringLiteral("+420 h12-p"));
    focus(QStringLiteral("Edit70"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(edit(QStringLiteral("Edit70")), &paste);
    EXPECT_EQ(model.params().text(QStringLiteral("Edit70")), QStringLiteral("420*12P"));
}

TEST_F(FieldEditing, OtherFiltersAcceptOnlyTheirCharacters) {
    focus(QStringLiteral("Edit158"));
    typeText(edit(QStringLiteral("Edit158")), QStringLiteral("hkP1"));
    EXPECT_EQ(edit(QStringLiteral("Edit158"))->text(), QStringLiteral("*#1"));
    focus(QStringLiteral("Edit148"));
    edit(QStringLiteral("Edit148"))->clear();
    typeText(edit(QStringLiteral("Edit148")), QStringLiteral("07"));
    EXPECT_EQ(edit(QStringLiteral("Edit148"))->text(), QString());
    typeText(edit(QStringLiteral("Edit148")), QStringLiteral("5"));
    EXPECT_EQ(edit(QStringLiteral("Edit148"))->text(), QStringLiteral("5"));
}

TEST_F(FieldEditing, DisplayOnlyFieldsSwallowEveryKey) {
    for (const char* name : {"Edit156", "Edit157"}) {
        QLineEdit* e = edit(QString::fromLatin1(name));
        const QString before = e->text();
        e->setFocus();
        typeText(e, QStringLiteral("12a"));
        typeChar(e, QChar(8));
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(e, &del);
        EXPECT_EQ(e->text(), before) << name;
    }
}

TEST_F(FieldEditing, TwoDigitCodeIsRejectedOnExitAndTakesTheFocusBack) {
    focus(QStringLiteral("Edit140"));
    edit(QStringLiteral("Edit140"))->clear();
    typeText(edit(QStringLiteral("Edit140")), QStringLiteral("5"));
    focus(QStringLiteral("Edit141"));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(
        messenger.messages[0],
        QStringLiteral("Nesmí obsahovat 1 číslo, povinná jsou 2 čísla, prázdné je zrušení kódu"));
    EXPECT_TRUE(edit(QStringLiteral("Edit140"))->hasFocus());
    EXPECT_EQ(edit(QStringLiteral("Edit140"))->text(), QStringLiteral("5"));

    // Two digits, and an empty code, leave freely.
    typeText(edit(QStringLiteral("Edit140")), QStringLiteral("7"));
    focus(QStringLiteral("Edit141"));
    edit(QStringLiteral("Edit141"))->clear();
    focus(QStringLiteral("Edit142"));
    EXPECT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(edit(QStringLiteral("Edit142"))->hasFocus());
    EXPECT_EQ(model.params().text(QStringLiteral("Edit140")), QStringLiteral("57"));
}

TEST_F(FieldEditing, TwoRejectedFieldsDoNotPingPong) {
    // Both fields hold one digit (as a damaged file could leave them); leaving the first must
    // show one message, not an endless exchange between the two.
    model.params().setText(QStringLiteral("Edit140"), QStringLiteral("1"));
    model.params().setText(QStringLiteral("Edit141"), QStringLiteral("2"));
    focus(QStringLiteral("Edit140"));
    focus(QStringLiteral("Edit141"));
    pump();
    EXPECT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(edit(QStringLiteral("Edit140"))->hasFocus());
}

TEST_F(FieldEditing, CorrectingRulesRewriteSilently) {
    focus(QStringLiteral("Edit152"));
    edit(QStringLiteral("Edit152"))->clear();
    typeText(edit(QStringLiteral("Edit152")), QStringLiteral("45"));
    focus(QStringLiteral("Edit153"));
    EXPECT_EQ(edit(QStringLiteral("Edit152"))->text(), QStringLiteral("60"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit152")), QStringLiteral("60"));
    edit(QStringLiteral("Edit153"))->clear();
    typeText(edit(QStringLiteral("Edit153")), QStringLiteral("65"));
    focus(QStringLiteral("Edit150"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit153")), QStringLiteral("70"));
    edit(QStringLiteral("Edit150"))->clear();
    typeText(edit(QStringLiteral("Edit150")), QStringLiteral("7"));
    focus(QStringLiteral("Edit145"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit150")), QStringLiteral("07"));
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_TRUE(edit(QStringLiteral("Edit145"))->hasFocus());
}

TEST_F(FieldEditing, UnfittedButtonsAskBeforeAChangeAndNoRestoresTheValueOnEntry) {
    QLineEdit* e = edit(QStringLiteral("Edit151"));
    focus(QStringLiteral("Edit151"));
    // The digit it already holds passes without a question.
    e->selectAll();
    typeText(e, QStringLiteral("0"));
    EXPECT_TRUE(messenger.questions.empty());
    EXPECT_EQ(e->text(), QStringLiteral("0"));

    // Another digit asks; No keeps the value the field had on entry.
    e->selectAll();
    messenger.answers = {false};
    typeText(e, QStringLiteral("2"));
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].title, QStringLiteral("Pozor !"));
    EXPECT_TRUE(messenger.questions[0].text.startsWith(
        QStringLiteral("Pozor změna tohoto parametru změní chování celého vrátného,\n")));
    EXPECT_EQ(messenger.questions[0].icon, Messenger::Icon::Stop);
    EXPECT_TRUE(messenger.questions[0].defaultNo);
    EXPECT_EQ(e->text(), QStringLiteral("0"));

    // Yes lets it through; other keys never get in.
    e->selectAll();
    messenger.answers = {true};
    typeText(e, QStringLiteral("2"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit151")), QStringLiteral("2"));
    typeText(e, QStringLiteral("a"));
    EXPECT_EQ(messenger.questions.size(), 2u);
}

TEST_F(FieldEditing, UnfittedButtonsEmptiedOnExitRestoresAndWarns) {
    QLineEdit* e = edit(QStringLiteral("Edit151"));
    model.params().setText(QStringLiteral("Edit151"), QStringLiteral("1"));
    focus(QStringLiteral("Edit151"));
    typeChar(e, QChar(8));
    EXPECT_EQ(e->text(), QString());
    focus(QStringLiteral("Edit144"));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0],
              QStringLiteral("Musíte vyplnit počet neosazených tlačítek [0-2]"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit151")), QStringLiteral("1"));
    EXPECT_TRUE(e->hasFocus());
}

TEST_F(FieldEditing, SwitchModeRuleRunsOnClicksOnly) {
    auto* sequential = child<QRadioButton>(QStringLiteral("RadioButton21"));
    auto* camera = child<QRadioButton>(QStringLiteral("RadioButton13"));
    child<QRadioButton>(QStringLiteral("RadioButton14"))->click();
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton14")));
    sequential->click();
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton21")));
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton12")));
    EXPECT_TRUE(child<QRadioButton>(QStringLiteral("RadioButton12"))->isChecked());
    camera->click();
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton12")));
    EXPECT_TRUE(child<QRadioButton>(QStringLiteral("RadioButton12"))->isChecked());
    EXPECT_FALSE(camera->isChecked());

    // Values set from data (a decode, a file) keep the stored mode of switch 1.
    model.params().setChecked(QStringLiteral("RadioButton13"), true);
    model.params().setChecked(QStringLiteral("RadioButton21"), true);
    EXPECT_TRUE(camera->isChecked());
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton13")));
    EXPECT_TRUE(sequential->isChecked());
    // Another mode for switch 2 frees switch 1.
    child<QRadioButton>(QStringLiteral("RadioButton18"))->click();
    child<QRadioButton>(QStringLiteral("RadioButton15"))->click();
    EXPECT_TRUE(model.params().isChecked(QStringLiteral("RadioButton15")));
}

struct FirmwareCase {
    const char* version;
    bool keypad3Enabled, toneEnabled, soundEnabled, prefixShown;
};

TEST_F(FieldEditing, FirmwareRulesApplyOnEachTick) {
    auto* keypad3 = child<QRadioButton>(QStringLiteral("RadioButton16"));
    auto* tone = child<QPushButton>(QStringLiteral("Button1"));
    auto* sound = child<QCheckBox>(QStringLiteral("CheckBox3"));
    auto* prefix = edit(QStringLiteral("Edit158"));

    // Unknown version: tone detection off, everything else as it was.
    form->Timer1Timer();
    EXPECT_FALSE(tone->isEnabled());
    EXPECT_TRUE(keypad3->isEnabled());
    EXPECT_TRUE(sound->isEnabled());
    EXPECT_TRUE(prefix->isHidden());

    keypad3->click();
    model.params().setFirmwareVersion(QStringLiteral("1.6"));
    form->Timer1Timer();
    EXPECT_FALSE(keypad3->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(QStringLiteral("RadioButton1"))->isChecked());
    EXPECT_FALSE(tone->isEnabled());
    EXPECT_FALSE(sound->isEnabled());
    EXPECT_TRUE(sound->isChecked());
    EXPECT_FALSE(child<QCheckBox>(QStringLiteral("CheckBox5"))->isChecked());

    const FirmwareCase cases[] = {{"4.0", true, true, false, false},
                                  {"7.4", true, true, true, true},
                                  {"7.3", true, true, true, false}};
    for (const FirmwareCase& c : cases) {
        if (qstrcmp(c.version, "7.3") == 0)
            model.params().setText(QStringLiteral("Edit158"), QStringLiteral("12"));
        model.params().setFirmwareVersion(QString::fromLatin1(c.version));
        form->Timer1Timer();
        EXPECT_EQ(keypad3->isEnabled(), c.keypad3Enabled) << c.version;
        EXPECT_EQ(tone->isEnabled(), c.toneEnabled) << c.version;
        EXPECT_EQ(sound->isEnabled(), c.soundEnabled) << c.version;
        EXPECT_EQ(!prefix->isHidden(), c.prefixShown) << c.version;
        EXPECT_EQ(!child(QStringLiteral("Label168"))->isHidden(), c.prefixShown) << c.version;
    }
    EXPECT_EQ(prefix->text(), QString()); // 7.3 hides and clears the prefix
}

} // namespace
} // namespace lumo::test
