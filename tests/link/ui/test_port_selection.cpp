// The port selection dialog: the USB cable box and the port list.
#include "link/LocalLinkSettings.h"
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "params/ParameterModel.h"
#include "texts/Texts.h"
#include <QCheckBox>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace lumo;

TEST(TForm5, UsbBoxHidesThePortListAndIsTheLinkChoice) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    QList<bool> changes;
    TForm5 form(linkState, texts, [&changes](bool ticked) { changes << ticked; });
    EXPECT_EQ(form.portGroup()->MaxComPorts(), 16);
    EXPECT_EQ(form.portGroup()->Options(),
              unsigned(pcCheckExist | pcDisableOpen | pcHighlightOpen));
    EXPECT_EQ(form.windowTitle(), "Výběr sériového portu");

    form.usbBox()->click();
    EXPECT_TRUE(linkState.settings.useUsbCable);
    EXPECT_TRUE(form.portGroup()->isHidden());
    form.usbBox()->click();
    EXPECT_FALSE(linkState.settings.useUsbCable);
    EXPECT_FALSE(form.portGroup()->isHidden());
    EXPECT_EQ(changes, (QList<bool>{true, false}));

    // Start-up runs the effects even when the box already shows the choice.
    form.setUsbChosen(false);
    EXPECT_EQ(changes.size(), 3);
}

TEST(TForm5, ThePortNumberIsHeldByTheGroup) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm5 form(linkState, texts, {});
    form.portGroup()->SetPortNumber(5);
    EXPECT_EQ(form.portGroup()->PortNumber(), 5);
    EXPECT_EQ(form.portGroup()->ItemIndex(), 4);
}

TEST(TForm5, SixteenPortsInTwoColumns) {
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    TForm5 form(linkState, texts, {});
    form.show();
    QRadioButton* first = form.portGroup()->Button(0);
    QRadioButton* eighth = form.portGroup()->Button(7);
    QRadioButton* ninth = form.portGroup()->Button(8);
    ASSERT_TRUE(first && eighth && ninth);
    EXPECT_EQ(ninth->x(), form.portGroup()->Button(15)->x());
    EXPECT_GT(ninth->x(), first->x());
    EXPECT_EQ(eighth->x(), first->x());
    EXPECT_EQ(ninth->y(), first->y());
}
