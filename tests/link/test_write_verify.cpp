// Writes read back and checked against the virtual unit in virtual time: a unit that silently
// loses one byte of a write and one that stores everything, what goes on the wire, and a
// read-back that fails.
#include "link/LocalTransferCommands.h"
#include "params/FieldTable.h"
#include "platform/Messenger.h"
#include "test_transfer_support.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>
#include <optional>

using namespace lumo;
using Command = LocalTransferCommands::Command;
using Kind = TransferLink::Kind;
using Outcome = WriteCheck::Outcome;

namespace {

struct SilentMessenger : Messenger {
    QStringList messages;
    void message(const QString& text, const QString&) override { messages << text; }
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

struct VerifyRig {
    explicit VerifyRig(Kind kind = Kind::Serial)
        : data(model, texts, &messenger), link(clock, unit, kind), engine(clock, data, view),
          commands(engine, model, linkState, texts, messenger) {
        engine.setLink(&link);
    }
    WriteCheck runVerified(Command command) {
        std::optional<WriteCheck> check;
        EXPECT_TRUE(commands.runVerified(command, [&](const WriteCheck& c) { check = c; }));
        clock.runUntilIdle(3600000);
        EXPECT_TRUE(check.has_value());
        EXPECT_FALSE(commands.busy());
        return check.value_or(WriteCheck{});
    }
    QStringList names(const WriteCheck& check) const {
        QStringList out;
        for (const ParameterDifference& d : check.differences)
            out << d.name;
        return out;
    }
    VirtualClock clock;
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    SilentMessenger messenger;
    CodecTransferData data;
    sim::VirtualUnit unit;
    sim::UnitLink link;
    lumo::testing::RecordingView view;
    TransferEngine engine;
    LocalTransferCommands commands;
};

QByteArray settingsWrite(const QByteArray& image) {
    return QByteArray("WP") + image;
}

} // namespace

TEST(VirtualUnitDropByte, SettingsByteIsAcknowledgedButItsCellKeepsItsValue) {
    sim::VirtualUnit unit;
    const QByteArray before = unit.settings();
    unit.faults().dropWriteByte = 20; // image position 21, the password's first digit
    QByteArray image = before;
    for (int i = 1; i < 118; ++i)
        image[i] = char(i % 10 + 1);
    const QByteArray answer = unit.feed(settingsWrite(image));
    EXPECT_EQ(answer, QByteArray(127, 'D') + 'Z') << "the loss is silent";
    EXPECT_EQ(unit.settings()[20], before[20]);
    EXPECT_NE(image[20], before[20]);
    EXPECT_EQ(unit.settings().mid(21, 97), image.mid(21, 97));
    EXPECT_EQ(unit.settings().mid(1, 19), image.mid(1, 19));
}

TEST(VirtualUnitDropByte, CountRunsOverEveryWriteAndLosesOneByteOnly) {
    sim::VirtualUnit unit;
    unit.faults().dropWriteByte = 127 + 16 + 3; // block 1, third byte, after a settings write
    ASSERT_EQ(unit.feed(settingsWrite(unit.settings())), QByteArray(127, 'D') + 'Z');
    const QByteArray number = QByteArray::fromHex("0102030405060708090a0102030405ff");
    for (int block = 0; block < 3; ++block)
        ASSERT_EQ(unit.feed(QByteArray("WT") + char(block) + number), "Z");
    EXPECT_EQ(unit.numberMemory(0), number);
    QByteArray kept = number;
    kept[2] = char(0xFF); // what the memory held before
    EXPECT_EQ(unit.numberMemory(1), kept);
    EXPECT_EQ(unit.numberMemory(2), number);
    // A later write of the same block stores everything.
    ASSERT_EQ(unit.feed(QByteArray("WT") + char(1) + number), "Z");
    EXPECT_EQ(unit.numberMemory(1), number);
}

TEST(WriteVerify, LostSettingsByteIsFoundAndNamed) {
    VerifyRig rig;
    rig.unit.faults().dropWriteByte = 20;
    rig.model.params().setText("Edit144", "1234"); // unit holds 7850
    const WriteCheck check = rig.runVerified(Command::WriteSettings);
    ASSERT_EQ(check.outcome, Outcome::Differs);
    ASSERT_EQ(rig.names(check), QStringList{"Edit144"});
    EXPECT_EQ(check.differences[0].thisValue, "1234");
    EXPECT_EQ(check.differences[0].otherValue, "7234");
    EXPECT_EQ(check.held.text("Edit144"), "7234");
    // The write, then the same kind of read: status and settings.
    const QByteArray sent = rig.link.sent();
    EXPECT_TRUE(sent.startsWith("VWPU"));
    EXPECT_TRUE(sent.endsWith("VRP"));
    EXPECT_EQ(rig.model.params().text("Edit144"), "1234") << "the window keeps what was written";
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(WriteVerify, UnitThatStoresEverythingVerifiesAWriteOfAll) {
    VerifyRig rig(Kind::Usb);
    rig.model.params().setText(numberFieldName(0), "123456789");
    rig.model.params().setText(numberFieldName(127), "0P*#F");
    rig.model.params().setChecked("RadioButton7", true);
    const WriteCheck check = rig.runVerified(Command::WriteAll);
    EXPECT_EQ(check.outcome, Outcome::Verified) << rig.names(check).join(' ').toStdString();
    EXPECT_TRUE(check.verified());
    EXPECT_EQ(rig.unit.numberWrites(), 128);
    EXPECT_EQ(rig.link.requestedBlocks().size(), 128) << "every memory read back";
}

TEST(WriteVerify, LostNumberByteNamesTheMemoryOnly) {
    VerifyRig rig;
    // The window's mode differs from the unit's: a number write does not carry it, so it is no
    // difference of this write.
    rig.model.params().setText("Edit156", "NOC");
    rig.model.params().setText(numberFieldName(70), "5556");
    rig.unit.faults().dropWriteByte = 70 * 16 + 2; // memory 70, second digit
    const WriteCheck check = rig.runVerified(Command::WriteNumbers);
    ASSERT_EQ(check.outcome, Outcome::Differs);
    ASSERT_EQ(rig.names(check), QStringList{numberFieldName(70)});
    EXPECT_EQ(check.differences[0].thisValue, "5556");
    EXPECT_EQ(check.differences[0].otherValue, "556") << "the cell kept its empty code";
    EXPECT_TRUE(rig.link.sent().startsWith(QByteArray("WT\0", 3))) << "no status before";
    EXPECT_TRUE(rig.link.sent().mid(128 * 19).startsWith("VRT")) << "the read-back follows";
}

TEST(WriteVerify, FailedReadBackIsNoSuccess) {
    VerifyRig rig;
    rig.unit.faults().numberDelta = -1; // writes work, number reads come short
    rig.model.params().setText(numberFieldName(0), "12");
    const WriteCheck check = rig.runVerified(Command::WriteNumbers);
    EXPECT_EQ(check.outcome, Outcome::ReadBackFailed);
    EXPECT_FALSE(check.verified());
    EXPECT_EQ(rig.view.messages.size(), 1); // the link's usual message
    EXPECT_EQ(rig.unit.numberMemory(0).left(2), QByteArray("\x01\x02"));
}

TEST(WriteVerify, FailedWriteIsNotReadBack) {
    VerifyRig rig;
    rig.unit.faults().writeErrorBlock = 3;
    const WriteCheck check = rig.runVerified(Command::WriteNumbers);
    EXPECT_EQ(check.outcome, Outcome::WriteFailed);
    EXPECT_FALSE(rig.link.sent().contains('R'));
    EXPECT_FALSE(rig.link.sent().contains('V'));
}

TEST(WriteVerify, OnlyWritesAreVerifiedAndOneExchangeAtATime) {
    VerifyRig rig;
    EXPECT_FALSE(rig.commands.runVerified(Command::ReadAll, [](const WriteCheck&) {}));
    std::optional<WriteCheck> first;
    ASSERT_TRUE(
        rig.commands.runVerified(Command::WriteSettings, [&](const WriteCheck& c) { first = c; }));
    EXPECT_FALSE(rig.commands.runVerified(Command::WriteSettings, [](const WriteCheck&) {}));
    EXPECT_FALSE(rig.commands.run(Command::ReadAll));
    rig.clock.runUntilIdle(3600000);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->outcome, Outcome::Verified);
    EXPECT_TRUE(rig.link.sent().startsWith("VWPU"));
    EXPECT_EQ(rig.link.sent().count("VRP"), 1);
}
