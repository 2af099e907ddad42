// The write confirmation and the action choice on the offscreen platform.
#include "link/ui/TForm7.h"
#include "link/ui/TForm9.h"
#include "params/MainState.h"
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace lumo;

namespace {
template <typename T> T* child(QWidget& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}
bool shown(QWidget& form, const char* panel) {
    return !child<QFrame>(form, panel)->isHidden();
}
} // namespace

TEST(TForm9, OnlyTheUnfittedPanelWhenOnlyTheCountDiffers) {
    MainState state;
    TForm9 form(state.texts);
    state.params.setText("Edit156", "NOC");
    form.prepare({"NOC", "2", state.params.text("Edit157")}, state.params);
    EXPECT_TRUE(shown(form, "Panel3"));
    EXPECT_FALSE(shown(form, "Panel2"));
    EXPECT_FALSE(shown(form, "Panel1"));
    EXPECT_EQ(child<QLabel>(form, "Label1")->text(), "Počet neosazených tlačítek je: 2 změnit na:");
    form.applyChoices(state.params);
    EXPECT_EQ(state.params.text("Edit156"), "NOC");
    EXPECT_EQ(state.params.text("Edit151"), "0"); // Edit1 was preset to the window's value
}

TEST(TForm9, AllThreePanelsAndTheChoicesTaken) {
    MainState state;
    TForm9 form(state.texts);
    state.params.setText("Edit156", "DEN");
    state.params.setText("Edit157", "4");
    state.params.setText("Edit151", "0");
    form.prepare({"NOC", "2", "9"}, state.params);
    EXPECT_TRUE(shown(form, "Panel1") && shown(form, "Panel2") && shown(form, "Panel3"));
    EXPECT_EQ(child<QLabel>(form, "Label2")->text(), "Ve vrátném je režim: NOC změnit na:");
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton5")->isChecked()); // from Edit156
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton3")->isChecked()); // keep, first show
    EXPECT_EQ(child<QRadioButton>(form, "RadioButton3")->text(), "9");
    EXPECT_EQ(child<QRadioButton>(form, "RadioButton4")->text(), "4");
    child<QRadioButton>(form, "RadioButton6")->setChecked(true);
    child<QLineEdit>(form, "Edit1")->setText("1");
    form.applyChoices(state.params);
    EXPECT_EQ(state.params.text("Edit156"), "NOC");
    EXPECT_EQ(state.params.text("Edit157"), "9");
    EXPECT_EQ(state.params.text("Edit151"), "1");
}

TEST(TForm9, OkAndStornoAnswerTheConfirmation) {
    MainState state;
    TForm9 form(state.texts);
    state.params.setText("Edit157", "4");
    QTimer::singleShot(0, [&form] { child<QPushButton>(form, "Button2")->click(); });
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, state.params), WriteConfirmation::Answer::Storno);
    EXPECT_EQ(state.params.text("Edit157"), "4");
    QTimer::singleShot(0, [&form] {
        child<QRadioButton>(form, "RadioButton4")->setChecked(true);
        child<QPushButton>(form, "Button1")->click();
    });
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, state.params), WriteConfirmation::Answer::Ok);
    EXPECT_EQ(state.params.text("Edit157"), "4");
    QTimer::singleShot(0, [&form] { form.reject(); }); // system menu close
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, state.params), WriteConfirmation::Answer::Closed);
}

TEST(TForm7, SwitchModeClearCounterAndReadRequest) {
    MainState state;
    TForm7 form(state);
    form.setAction("rezim");
    EXPECT_EQ(form.windowTitle(), "Výběr akce ");
    EXPECT_EQ(child<QPushButton>(form, "Button2")->text(), "Přepnout režim");
    state.params.setText("Edit156", "DEN");
    form.Button2Click();
    EXPECT_EQ(state.params.text("Edit156"), "NOC");
    form.Button2Click();
    EXPECT_EQ(state.params.text("Edit156"), "DEN");
    state.params.setText("Edit156", "???");
    form.Button2Click();
    EXPECT_EQ(state.params.text("Edit156"), "DEN");

    form.setAction("citac");
    EXPECT_EQ(child<QPushButton>(form, "Button2")->text(), "Vymazat počítadlo");
    state.params.setText("Edit157", "17");
    form.Button2Click();
    EXPECT_EQ(state.params.text("Edit157"), "0");

    state.portCheckRequested = false;
    form.Button1Click();
    EXPECT_TRUE(state.portCheckRequested);
    EXPECT_EQ(child<QPushButton>(form, "Button3")->text(), "Storno");
}
