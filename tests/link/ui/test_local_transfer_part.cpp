// The local link's part of the main window on a shell without the window: what it registers,
// what it takes from and gives to Config.ini, its status panel and click, and that it starts
// no exchange while another holds the exchange guard.
#include "link/ui/LocalTransferUi.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QWidget>
#include <gtest/gtest.h>

namespace lumo {
namespace {

struct PartRig {
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    LocalLinkState link;
    QWidget window;
    LocalTransferUi part{shell, link, &window};
    PartRig() { shell.addPart(part); }
    QString caption(const char* name) {
        const CommandTable::Command* c = shell.commands().find(QString::fromLatin1(name));
        return c && c->text ? texts.get(*c->text) : QString();
    }
};

TEST(LocalTransferPart, RegistersTheMenuCommandsWithTheirCaptionsAndTheClicks) {
    PartRig rig;
    EXPECT_EQ(rig.caption("Nastve1"), QStringLiteral("Načíst vše"));
    for (const char* name : {"Nastnastaven1", "Nastpamtisel1", "Uloitve1", "Ulotnastaven1",
                             "Uloitpamtisel1", "Nastavenportu1"})
        EXPECT_FALSE(rig.caption(name).isEmpty()) << name;
    for (const char* name : {"StatusBar1", "Panel1", "Panel2"})
        EXPECT_TRUE(rig.shell.commands().contains(QString::fromLatin1(name))) << name;
}

TEST(LocalTransferPart, TakesTheLinkFromConfigAndGivesItBack) {
    PartRig rig;
    AppConfig config;
    config.existed = true;
    config.com = 3;
    config.closePort = QStringLiteral("1");
    config.timeOutRS = 25;
    rig.shell.readConfig(config);
    EXPECT_EQ(rig.link.settings.comPort, 3);
    EXPECT_FALSE(rig.link.settings.useUsbCable);
    EXPECT_EQ(rig.link.settings.closePortMode, QStringLiteral("1"));
    EXPECT_EQ(rig.link.settings.serialTimeoutMs, 25);
    EXPECT_TRUE(rig.part.portCheckRequested()); // the start-up status read

    rig.link.settings.comPort = 5;
    AppConfig written;
    rig.shell.writeConfig(written);
    EXPECT_EQ(written.com, 5);
    EXPECT_FALSE(written.usb);
}

TEST(LocalTransferPart, StatusPanelAndClickFollowTheLink) {
    PartRig rig;
    rig.link.settings.comPort = 3;
    rig.part.portTick();
    EXPECT_EQ(rig.shell.statusPanels().text(StatusPanels::Link), QStringLiteral("COM:3"));

    // On the serial link a click asks for a status read.
    EXPECT_TRUE(rig.shell.commands().trigger(QStringLiteral("StatusBar1")));
    EXPECT_TRUE(rig.link.portCheckRequested);

    // On the cable with no adapter the click reports the communication error instead.
    rig.link.portCheckRequested = false;
    rig.link.settings.useUsbCable = true;
    rig.shell.commands().trigger(QStringLiteral("StatusBar1"));
    EXPECT_FALSE(rig.link.portCheckRequested);
    ASSERT_EQ(rig.messenger.messages.size(), 1u);
    // The specified message, and why on a line of its own.
    EXPECT_EQ(rig.messenger.messages[0],
              QStringLiteral("Chyba komunikace\nkabel USB Vexo-USB není připojen"));
    rig.part.portTick();
    EXPECT_EQ(rig.shell.statusPanels().text(StatusPanels::Link),
              QStringLiteral("USB:") + rig.part.usbAdapterState());
}

TEST(LocalTransferPart, StartsNothingWhileAnotherExchangeHoldsTheGuard) {
    PartRig rig;
    rig.link.portCheckRequested = true;
    ExchangeGuard::Ticket remote = rig.shell.guard().acquire(QStringLiteral("remote"));
    ASSERT_TRUE(remote);
    rig.shell.commands().trigger(QStringLiteral("Nastve1"));
    rig.shell.portTimer().tick();
    EXPECT_FALSE(rig.part.commands().busy());
    EXPECT_EQ(rig.shell.guard().holder(), QStringLiteral("remote"));
    EXPECT_TRUE(rig.link.portCheckRequested); // still waiting for its turn
    EXPECT_TRUE(rig.messenger.messages.empty());
}

} // namespace
} // namespace lumo
