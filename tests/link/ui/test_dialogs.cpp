// The write confirmation and the action choice on the offscreen platform.
#include "link/LocalLinkSettings.h"
#include "link/ui/TForm7.h"
#include "link/ui/TForm9.h"
#include "params/ParameterModel.h"
#include "texts/Texts.h"
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
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm9 form(texts);
    model.params().setText("Edit156", "NOC");
    form.prepare({"NOC", "2", model.params().text("Edit157")}, model.params());
    EXPECT_TRUE(shown(form, "Panel3"));
    EXPECT_FALSE(shown(form, "Panel2"));
    EXPECT_FALSE(shown(form, "Panel1"));
    EXPECT_EQ(child<QLabel>(form, "Label1")->text(), "Počet neosazených tlačítek je: 2 změnit na:");
    form.applyChoices(model.params());
    EXPECT_EQ(model.params().text("Edit156"), "NOC");
    EXPECT_EQ(model.params().text("Edit151"), "0"); // Edit1 was preset to the window's value
}

TEST(TForm9, AllThreePanelsAndTheChoicesTaken) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm9 form(texts);
    model.params().setText("Edit156", "DEN");
    model.params().setText("Edit157", "4");
    model.params().setText("Edit151", "0");
    form.prepare({"NOC", "2", "9"}, model.params());
    EXPECT_TRUE(shown(form, "Panel1") && shown(form, "Panel2") && shown(form, "Panel3"));
    EXPECT_EQ(child<QLabel>(form, "Label2")->text(), "Ve vrátném je režim: NOC změnit na:");
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton5")->isChecked()); // from Edit156
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton3")->isChecked()); // keep, first show
    EXPECT_EQ(child<QRadioButton>(form, "RadioButton3")->text(), "9");
    EXPECT_EQ(child<QRadioButton>(form, "RadioButton4")->text(), "4");
    child<QRadioButton>(form, "RadioButton6")->setChecked(true);
    child<QLineEdit>(form, "Edit1")->setText("1");
    form.applyChoices(model.params());
    EXPECT_EQ(model.params().text("Edit156"), "NOC");
    EXPECT_EQ(model.params().text("Edit157"), "9");
    EXPECT_EQ(model.params().text("Edit151"), "1");
}

TEST(TForm9, OkAndStornoAnswerTheConfirmation) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm9 form(texts);
    model.params().setText("Edit157", "4");
    QTimer::singleShot(0, [&form] { child<QPushButton>(form, "Button2")->click(); });
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, model.params()), WriteConfirmation::Answer::Storno);
    EXPECT_EQ(model.params().text("Edit157"), "4");
    QTimer::singleShot(0, [&form] {
        child<QRadioButton>(form, "RadioButton4")->setChecked(true);
        child<QPushButton>(form, "Button1")->click();
    });
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, model.params()), WriteConfirmation::Answer::Ok);
    EXPECT_EQ(model.params().text("Edit157"), "4");
    QTimer::singleShot(0, [&form] { form.reject(); }); // system menu close
    EXPECT_EQ(form.confirm({"DEN", "0", "5"}, model.params()), WriteConfirmation::Answer::Closed);
}

TEST(TForm7, SwitchModeClearCounterAndReadRequest) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm7 form(model.params(), linkState, texts);
    form.setAction("rezim");
    EXPECT_EQ(form.windowTitle(), "Výběr akce ");
    EXPECT_EQ(child<QPushButton>(form, "Button2")->text(), "Přepnout režim");
    model.params().setText("Edit156", "DEN");
    form.Button2Click();
    EXPECT_EQ(model.params().text("Edit156"), "NOC");
    form.Button2Click();
    EXPECT_EQ(model.params().text("Edit156"), "DEN");
    model.params().setText("Edit156", "???");
    form.Button2Click();
    EXPECT_EQ(model.params().text("Edit156"), "DEN");

    form.setAction("citac");
    EXPECT_EQ(child<QPushButton>(form, "Button2")->text(), "Vymazat počítadlo");
    model.params().setText("Edit157", "17");
    form.Button2Click();
    EXPECT_EQ(model.params().text("Edit157"), "0");

    linkState.portCheckRequested = false;
    form.Button1Click();
    EXPECT_TRUE(linkState.portCheckRequested);
    EXPECT_EQ(child<QPushButton>(form, "Button3")->text(), "Storno");
}
