// What a command tells of its read (the whole memory, part of it, nothing), which makes the
// window's set the unit's, and the write that reads the unit into a backup first: the order on
// the wire, what the backup holds and what a failed read lets through.
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

namespace {

struct QuietMessenger : Messenger {
    QStringList messages;
    void message(const QString& text, const QString&) override { messages << text; }
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

struct ReportRig {
    ReportRig()
        : data(model, texts, &messenger), link(clock, unit, Kind::Serial),
          engine(clock, data, view), commands(engine, model, linkState, texts, messenger) {
        engine.setLink(&link);
        QByteArray number(16, char(0xFF));
        number[0] = 7, number[1] = 7;
        unit.setNumberMemory(9, number);
        unit.setCounter(4);
    }
    // Runs to the end in virtual time; nullopt when the command never reported.
    std::optional<bool> settle() {
        clock.runUntilIdle(3600000);
        return std::exchange(result, std::nullopt);
    }
    bool run(Command command) {
        EXPECT_TRUE(commands.run(command, [this](bool ok) { result = ok; }));
        return settle().value_or(false);
    }
    // A backup-first write whose backup keeps a copy of the side set.
    std::optional<bool> runWithBackup(Command command, bool keeps, bool writeAnyway) {
        LocalTransferCommands::WriteBackup backup;
        backup.keep = [this, keeps](const ParameterModel& side, bool complete) {
            kept.push_back({side.params(), complete, link.sent()});
            return keeps;
        };
        backup.writeAnyway = [this, writeAnyway] {
            ++writeAnywayAsked;
            return writeAnyway;
        };
        EXPECT_TRUE(commands.runWithBackup(command, backup, [this](bool ok) { result = ok; }));
        return settle();
    }
    struct Kept {
        ParameterSet params;
        bool complete;
        QByteArray sentSoFar;
    };

    VirtualClock clock;
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    QuietMessenger messenger;
    CodecTransferData data;
    sim::VirtualUnit unit;
    sim::UnitLink link;
    lumo::testing::RecordingView view;
    TransferEngine engine;
    LocalTransferCommands commands;
    std::optional<bool> result;
    std::vector<Kept> kept;
    int writeAnywayAsked = 0;
};

} // namespace

TEST(ReadReport, AWholeReadAPartialOneAndNoneAtAll) {
    ReportRig rig;
    EXPECT_FALSE(rig.model.cameFromUnitOrFile());
    // The settings reply never completes: nothing came in.
    rig.unit.faults().settingsDelta = -1;
    EXPECT_FALSE(rig.run(Command::ReadSettings));
    EXPECT_FALSE(rig.commands.readReport().anyRead());
    EXPECT_FALSE(rig.model.cameFromUnitOrFile());

    // Memory 12 is always refused: the read ends after twelve memories.
    rig.unit.faults().settingsDelta = 0;
    rig.unit.faults().readErrorBlock = 12;
    rig.unit.faults().readErrorTimes = -1;
    EXPECT_FALSE(rig.run(Command::ReadNumbers));
    EXPECT_FALSE(rig.commands.readReport().settingsRead);
    EXPECT_EQ(rig.commands.readReport().memoriesRead, 12);
    EXPECT_TRUE(rig.model.cameFromUnitOrFile()) << "twelve memories are the unit's";
    EXPECT_EQ(rig.model.params().text(numberFieldName(9)), "77");

    rig.unit.faults().readErrorBlock = -1;
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_TRUE(rig.commands.readReport().complete());
    EXPECT_EQ(rig.commands.readReport().memoriesRead, 128);
    // A write reads nothing; the next report says so.
    ASSERT_TRUE(rig.run(Command::WriteSettings));
    EXPECT_FALSE(rig.commands.readReport().anyRead());
}

TEST(ReadReport, AReadIntoASideSetLeavesTheWindowsOriginAlone) {
    ReportRig rig;
    ParameterModel side;
    ASSERT_TRUE(rig.commands.readInto(side, Command::ReadAll, [&](bool ok) { rig.result = ok; }));
    ASSERT_EQ(rig.settle(), std::optional<bool>(true));
    EXPECT_TRUE(rig.commands.readReport().complete());
    EXPECT_FALSE(rig.model.cameFromUnitOrFile());
}

TEST(BackupBeforeWrite, TheUnitIsReadAndKeptBeforeTheWriteStarts) {
    ReportRig rig;
    rig.model.params().setText(numberFieldName(9), "123");
    rig.model.params().setText("Edit157", "4"); // as the unit: no confirmation needed
    const ParameterSet window = rig.model.params();
    ASSERT_EQ(rig.runWithBackup(Command::WriteAll, true, false), std::optional<bool>(true));
    ASSERT_EQ(rig.kept.size(), 1u);
    const ReportRig::Kept& backup = rig.kept[0];
    EXPECT_TRUE(backup.complete);
    EXPECT_EQ(backup.params.text(numberFieldName(9)), "77") << "what the unit held";
    EXPECT_EQ(backup.params.text("Edit157"), "4");
    // Read first, wholly, and only then the write: its status check, settings, memories.
    EXPECT_EQ(backup.sentSoFar.left(3), QByteArray("VRP"));
    EXPECT_EQ(backup.sentSoFar.indexOf("WP"), -1);
    const QByteArray sent = rig.link.sent();
    EXPECT_EQ(sent.mid(backup.sentSoFar.size(), 3), QByteArray("VWP"));
    EXPECT_EQ(rig.link.requestedBlocks().size(), 128);
    EXPECT_EQ(rig.writeAnywayAsked, 0);
    EXPECT_EQ(editedParameters(rig.model.params(), window), QStringList())
        << "the backup read left the window";
    EXPECT_EQ(rig.unit.numberMemory(9).left(3), QByteArray("\x01\x02\x03"));
}

TEST(BackupBeforeWrite, AFailedReadOrBackupAsksAndNoStopsTheWrite) {
    ReportRig rig;
    rig.model.params().setText("Edit157", "4");
    rig.unit.faults().readErrorBlock = 3;
    rig.unit.faults().readErrorTimes = -1;
    ASSERT_EQ(rig.runWithBackup(Command::WriteSettings, true, false), std::optional<bool>(false));
    ASSERT_EQ(rig.kept.size(), 1u);
    EXPECT_FALSE(rig.kept[0].complete) << "what did come in is kept, as incomplete";
    EXPECT_EQ(rig.writeAnywayAsked, 1);
    EXPECT_EQ(rig.link.sent().indexOf("WP"), -1);
    EXPECT_EQ(rig.unit.settingsWrites(), 0);

    // Yes: the write goes on as without a backup.
    ASSERT_EQ(rig.runWithBackup(Command::WriteSettings, true, true), std::optional<bool>(true));
    EXPECT_EQ(rig.writeAnywayAsked, 2);
    EXPECT_EQ(rig.unit.settingsWrites(), 1);

    // A read that came in whole but could not be kept asks the same.
    rig.unit.faults().readErrorBlock = -1;
    ASSERT_EQ(rig.runWithBackup(Command::WriteSettings, false, false), std::optional<bool>(false));
    EXPECT_EQ(rig.writeAnywayAsked, 3);
    EXPECT_EQ(rig.unit.settingsWrites(), 1);

    // A unit that does not answer at all leaves nothing to keep.
    rig.kept.clear();
    rig.unit.faults().silent = true;
    ASSERT_EQ(rig.runWithBackup(Command::WriteAll, true, false), std::optional<bool>(false));
    EXPECT_TRUE(rig.kept.empty());
    EXPECT_EQ(rig.writeAnywayAsked, 4);
}

TEST(BackupBeforeWrite, AnInvalidSetIsRefusedBeforeTheUnitIsRead) {
    ReportRig rig;
    rig.commands.setValidator([](const ParameterSet& p) {
        return p.text("Edit146").isEmpty() ? QString("Edit146 is empty") : QString();
    });
    rig.model.params().setText("Edit146", "");
    ASSERT_EQ(rig.runWithBackup(Command::WriteAll, true, true), std::optional<bool>(false));
    EXPECT_TRUE(rig.link.sent().isEmpty());
    EXPECT_TRUE(rig.kept.empty());
    EXPECT_EQ(rig.messenger.messages, QStringList{"Edit146 is empty"});
    EXPECT_FALSE(rig.commands.runWithBackup(Command::ReadAll, {})) << "writes only";
}
