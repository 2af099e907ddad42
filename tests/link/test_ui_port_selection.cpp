// The port selection dialog: the USB cable box and the port list.
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/TForm5.h"
#include "params/MainState.h"
#include <QCheckBox>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace lumo;

TEST(TForm5, UsbBoxHidesThePortListAndIsTheLinkChoice) {
    MainState state;
    QList<bool> changes;
    TForm5 form(state, [&changes](bool ticked) { changes << ticked; });
    EXPECT_EQ(form.portGroup()->MaxComPorts(), 16);
    EXPECT_EQ(form.portGroup()->Options(),
              unsigned(pcCheckExist | pcDisableOpen | pcHighlightOpen));
    EXPECT_EQ(form.windowTitle(), "Výběr sériového portu");

    form.usbBox()->click();
    EXPECT_TRUE(state.link.useUsbCable);
    EXPECT_TRUE(form.portGroup()->isHidden());
    form.usbBox()->click();
    EXPECT_FALSE(state.link.useUsbCable);
    EXPECT_FALSE(form.portGroup()->isHidden());
    EXPECT_EQ(changes, (QList<bool>{true, false}));

    // Start-up runs the effects even when the box already shows the choice.
    form.setUsbChosen(false);
    EXPECT_EQ(changes.size(), 3);
}

TEST(TForm5, ThePortNumberIsHeldByTheGroup) {
    MainState state;
    TForm5 form(state, {});
    form.portGroup()->SetPortNumber(5);
    EXPECT_EQ(form.portGroup()->PortNumber(), 5);
    EXPECT_EQ(form.portGroup()->ItemIndex(), 4);
}

TEST(TForm5, SixteenPortsInTwoColumns) {
    MainState state;
    TForm5 form(state, {});
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
