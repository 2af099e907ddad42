// "Ověřit zápis" in the Nastavení menu: kept in Config.ini, and with it on every local write is
// read back, against a simulated unit in virtual time, with the answer a message or the
// compare view of what differs. With it off the wire carries the write alone.
#include "link/ui/LocalTransferUi.h"
#include "params/Comparison.h"
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include "support/LocalTransferRig.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>

namespace lumo {
namespace {

const QString kOption = QStringLiteral("Ovitzpis1");

struct VerifyRig : test::LocalTransferRig {
    std::vector<CompareRequest> compared;
    VerifyRig() {
        shell.addPart(part);
        // Values as after an Open, and a unit already backed up: the write goes straight out.
        model.setCameFromUnitOrFile();
        AppConfig noBackup;
        noBackup.backupBeforeWrite = false;
        shell.readConfig(noBackup);
        part.useLink(&unitLink);
        shell.setComparisonViewer([this](const CompareRequest& r) { compared.push_back(r); });
    }
    void run(const char* command) {
        ASSERT_TRUE(shell.commands().trigger(QString::fromLatin1(command)));
        const qint64 limit = clock.nowMs() + 600000;
        while (part.busy() && clock.nowMs() < limit)
            clock.advance(10);
        ASSERT_FALSE(part.busy());
        // The answer follows once the last transfer's call has returned.
        QApplication::processEvents();
    }
};

TEST(WriteVerifyOption, MenuItemIsACheckableOptionKeptInConfig) {
    VerifyRig rig;
    const CommandTable::Command* item = rig.shell.commands().find(kOption);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->text);
    EXPECT_EQ(rig.texts.get(*item->text), QStringLiteral("Ověřit zápis"));
    EXPECT_FALSE(rig.shell.commands().isChecked(kOption)) << "off by default";

    AppConfig config;
    config.verify = true;
    config.backupBeforeWrite = false;
    rig.shell.readConfig(config);
    EXPECT_TRUE(rig.part.verifyWrites());
    EXPECT_TRUE(rig.shell.commands().isChecked(kOption));
    rig.shell.commands().trigger(kOption);
    EXPECT_FALSE(rig.part.verifyWrites());
    EXPECT_FALSE(rig.shell.commands().isChecked(kOption));
    AppConfig written;
    written.verify = true;
    rig.shell.writeConfig(written);
    EXPECT_FALSE(written.verify);
    rig.shell.commands().trigger(kOption);
    rig.shell.writeConfig(written);
    EXPECT_TRUE(written.verify);
}

TEST(WriteVerifyOption, OffTheWriteIsAllThatGoesOnTheWire) {
    VerifyRig rig;
    rig.run("Ulotnastaven1");
    const QByteArray sent = rig.unitLink.sent();
    EXPECT_TRUE(sent.startsWith("VWPU"));
    EXPECT_EQ(sent.size(), 4 + 127);
    EXPECT_TRUE(rig.messenger.messages.empty());
    EXPECT_TRUE(rig.compared.empty());
}

TEST(WriteVerifyOption, OnAUnitThatStoresEverythingSaysVerified) {
    VerifyRig rig;
    rig.shell.commands().trigger(kOption);
    rig.model.params().setText(numberFieldName(9), "601");
    rig.run("Uloitve1");
    EXPECT_EQ(rig.unitLink.requestedBlocks().size(), 128);
    ASSERT_EQ(rig.messenger.messages.size(), 1u);
    EXPECT_EQ(rig.messenger.messages[0], QStringLiteral("Zápis ověřen"));
    EXPECT_TRUE(rig.compared.empty());
    EXPECT_TRUE(rig.shell.statusPanels().note().startsWith(QStringLiteral("Zapsáno vše")))
        << rig.shell.statusPanels().note().toStdString();
}

TEST(WriteVerifyOption, OnALostByteOpensTheCompareViewWithThatParameter) {
    VerifyRig rig;
    rig.shell.commands().trigger(kOption);
    rig.unit.faults().dropWriteByte = 20; // the service password's first digit
    rig.model.params().setText("Edit144", "1234");
    rig.run("Ulotnastaven1");
    EXPECT_TRUE(rig.messenger.messages.empty());
    ASSERT_EQ(rig.compared.size(), 1u);
    const CompareRequest& request = rig.compared[0];
    EXPECT_FALSE(request.allowTake);
    EXPECT_TRUE(request.title.startsWith(QStringLiteral("Zápis neověřen")));
    EXPECT_EQ(request.otherHeader, QStringLiteral("Přečteno zpět"));
    const auto listed = diffParameters(rig.model.params(), request.other, rig.texts);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, QStringLiteral("Edit144"));
    EXPECT_EQ(listed[0].otherValue, QStringLiteral("7234"));
    EXPECT_EQ(rig.model.params().text("Edit144"), QStringLiteral("1234"));
}

TEST(WriteVerifyOption, AReadBackThatFailsSaysSoAfterTheLinksMessage) {
    VerifyRig rig;
    rig.shell.commands().trigger(kOption);
    rig.unit.faults().numberDelta = -1;
    rig.run("Uloitpamtisel1");
    ASSERT_EQ(rig.messenger.messages.size(), 2u);
    EXPECT_TRUE(rig.messenger.messages[0].endsWith(QStringLiteral("Chyba komunikace")));
    EXPECT_TRUE(rig.messenger.messages[1].startsWith(QStringLiteral("Zápis nelze ověřit")));
    EXPECT_TRUE(rig.compared.empty());
}

} // namespace
} // namespace lumo
