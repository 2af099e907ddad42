// The command sequences of the local link on the real codec and parameter set, against the
// virtual unit in virtual time: what goes on the wire, what ends in the fields and in the
// unit's memory, when the write confirmation is asked and what its answers do.
#include "link/LocalTransferCommands.h"
#include "params/FieldTable.h"
#include "platform/Messenger.h"
#include "test_transfer_support.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace lumo;
using Command = LocalTransferCommands::Command;
using Kind = TransferLink::Kind;

namespace {

struct RecordingMessenger : Messenger {
    QStringList messages;
    void message(const QString& text, const QString&) override { messages << text; }
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

struct ScriptedConfirmation : WriteConfirmation {
    Answer answer = Answer::Ok;
    int asked = 0;
    QString setMode; // applied on Ok when not empty
    Answer confirm(const UnitSnapshot&, ParameterSet& params) override {
        ++asked;
        if (answer == Answer::Ok && !setMode.isEmpty())
            params.setText("Edit156", setMode);
        return answer;
    }
};

struct CommandRig {
    explicit CommandRig(Kind kind)
        : data(model, texts, &messenger), link(clock, unit, kind), engine(clock, data, view),
          commands(engine, model, linkState, texts, messenger) {
        engine.setLink(&link);
        commands.setConfirmation(&confirmation);
    }
    bool run(Command command) {
        bool ok = false;
        bool finished = false;
        EXPECT_TRUE(commands.run(command, [&](bool result) {
            ok = result;
            finished = true;
        }));
        clock.runUntilIdle(3600000);
        EXPECT_TRUE(finished);
        return ok;
    }
    VirtualClock clock;
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    RecordingMessenger messenger;
    CodecTransferData data;
    sim::VirtualUnit unit;
    sim::UnitLink link;
    lumo::testing::RecordingView view;
    TransferEngine engine;
    LocalTransferCommands commands;
    ScriptedConfirmation confirmation;
};

class CommandsBothLinks : public ::testing::TestWithParam<Kind> {
protected:
    CommandRig rig{GetParam()};
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, CommandsBothLinks, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(CommandsBothLinks, ReadAllFillsTheParameterSetFromTheUnit) {
    QByteArray number(16, char(0xFF));
    number[0] = 1, number[1] = 10, number[2] = 11; // "10*"
    rig.unit.setNumberMemory(64, number);
    rig.unit.setMode(1);
    rig.unit.setCounter(12);
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.link.sent().left(3), QByteArray("VRP"));
    EXPECT_EQ(rig.link.requestedBlocks().size(), 128);
    EXPECT_EQ(rig.model.params().text("Edit65"), "10*");
    EXPECT_EQ(rig.model.params().text("Edit156"), "NOC");
    EXPECT_EQ(rig.model.params().text("Edit157"), "12");
    EXPECT_EQ(rig.model.params().text("Edit144"), "7850");
    EXPECT_EQ(rig.model.params().firmwareVersion(), "1.7");
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST_P(CommandsBothLinks, WriteAllThenReadAllGivesTheSameParameters) {
    ASSERT_TRUE(rig.run(Command::ReadAll));
    rig.model.params().setText("Edit1", "123456789");
    rig.model.params().setText("Edit128", "0P*#F");
    rig.model.params().setText("Edit144", "1234");
    rig.model.params().setChecked("RadioButton7", true);
    const ParameterSet written = rig.model.params();
    ASSERT_TRUE(rig.run(Command::WriteAll));
    EXPECT_EQ(rig.confirmation.asked, 0); // the unit's values match: no question
    EXPECT_EQ(rig.unit.settingsWrites(), 1);
    EXPECT_EQ(rig.unit.numberWrites(), 128);

    rig.model.params().resetToDefaults();
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_TRUE(rig.model.params().sameValues(written));
}

TEST_P(CommandsBothLinks, WriteNumbersAloneSendsNoStatusRequest) {
    rig.model.params().setText("Edit1", "5");
    ASSERT_TRUE(rig.run(Command::WriteNumbers));
    EXPECT_EQ(rig.link.sent().left(3), QByteArray("WT\0", 3));
    EXPECT_EQ(rig.link.sent().size(), 128 * 19); // the blocks and nothing else
    EXPECT_EQ(rig.confirmation.asked, 0);
    EXPECT_EQ(rig.unit.numberMemory(0)[0], char(5));
}

TEST_P(CommandsBothLinks, ConfirmationOnlyWhenTheUnitDiffersAndStornoStops) {
    rig.unit.setCounter(3); // the window shows 0
    rig.confirmation.answer = WriteConfirmation::Answer::Storno;
    EXPECT_FALSE(rig.run(Command::WriteAll));
    EXPECT_EQ(rig.confirmation.asked, 1);
    EXPECT_EQ(rig.link.sent(), QByteArray("V")); // nothing after the pre-write check
    EXPECT_EQ(rig.model.snapshot().counter, "3");
    EXPECT_EQ(rig.model.params().text("Edit157"), "0"); // the check fills the snapshot only

    rig.link.clearSent();
    rig.confirmation.answer = WriteConfirmation::Answer::Ok;
    rig.confirmation.setMode = "NOC";
    EXPECT_TRUE(rig.run(Command::WriteSettings));
    EXPECT_EQ(rig.confirmation.asked, 2);
    EXPECT_EQ(rig.link.sent().left(3), QByteArray("VWP"));
    EXPECT_EQ(rig.unit.mode(), 1); // the changed field went to the unit
    EXPECT_EQ(rig.unit.numberWrites(), 0);
}

TEST_P(CommandsBothLinks, InvalidParameterSetSendsNothing) {
    rig.commands.setValidator([](const ParameterSet& p) {
        return p.text("Edit146").isEmpty() ? QString("Edit146 is empty") : QString();
    });
    rig.model.params().setText("Edit146", "");
    EXPECT_FALSE(rig.run(Command::WriteAll));
    EXPECT_TRUE(rig.link.sent().isEmpty());
    EXPECT_EQ(rig.messenger.messages, QStringList{"Edit146 is empty"});
}

TEST_P(CommandsBothLinks, ReadAllStopsAfterAFailedStatusRead) {
    rig.unit.faults().statusDelta = 1;
    EXPECT_FALSE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.link.sent(), QByteArray("V"));
    EXPECT_EQ(rig.view.messages.size(), 1);
}

TEST(LocalTransferCommands, ReadAllReportsBothSettingsAndNumberFailures) {
    CommandRig rig(Kind::Serial);
    rig.unit.faults().settingsDelta = -1;
    rig.unit.faults().numberDelta = 1;
    EXPECT_FALSE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.view.messages.size(), 2); // no test between the two reads
}

TEST(LocalTransferCommands, MissingCableShowsCommunicationErrorAndSendsNothing) {
    CommandRig rig(Kind::Usb);
    rig.link.setCableMissing(true);
    EXPECT_FALSE(rig.run(Command::ReadAll));
    EXPECT_TRUE(rig.link.sent().isEmpty());
    EXPECT_EQ(rig.messenger.messages, QStringList{"Chyba komunikace"});
}

TEST(LocalTransferCommands, MissingSerialPortStopsTheSequenceAfterOneMessage) {
    CommandRig rig(Kind::Serial);
    rig.link.setPortMissing(true);
    EXPECT_FALSE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.view.messages, QStringList{"Chybné číslo portu, prosím nastavte správné"});
}

TEST(LocalTransferCommands, PortCheckWaitsForAnOpenAdapterAndIsConsumed) {
    CommandRig rig(Kind::Usb);
    rig.linkState.portCheckRequested = true;
    EXPECT_FALSE(rig.commands.portCheck()); // adapter not open: the request stays raised
    EXPECT_TRUE(rig.linkState.portCheckRequested);
    rig.link.open(nullptr);
    EXPECT_TRUE(rig.commands.portCheck());
    rig.clock.runUntilIdle(100000);
    EXPECT_FALSE(rig.linkState.portCheckRequested);
    EXPECT_EQ(rig.link.sent(), QByteArray("V"));
}

TEST(LocalTransferCommands, SnapshotComparisonIsTextual) {
    ParameterSet params;
    UnitSnapshot unit{params.text("Edit156"), params.text("Edit151"), params.text("Edit157")};
    EXPECT_FALSE(LocalTransferCommands::snapshotDiffers(unit, params));
    unit.counter = "00";
    EXPECT_TRUE(LocalTransferCommands::snapshotDiffers(unit, params));
}

TEST(LocalTransferCommands, QuietHoldsBackOnlyTheNextTransfersTimeOutMessage) {
    CommandRig rig(Kind::Serial);
    rig.unit.faults().silent = true;
    rig.commands.quietNextTransfer();
    std::vector<TransferResult> results;
    auto record = [&](const TransferResult& r) { results.push_back(r); };
    rig.linkState.portCheckRequested = true;
    ASSERT_TRUE(rig.commands.portCheck(record));
    rig.clock.runUntilIdle(100000);
    rig.linkState.portCheckRequested = true;
    ASSERT_TRUE(rig.commands.portCheck(record));
    rig.clock.runUntilIdle(100000);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].failed());
    EXPECT_TRUE(results[0].quiet);
    EXPECT_TRUE(results[1].failed());
    EXPECT_FALSE(results[1].quiet);
    EXPECT_EQ(rig.view.messages, QStringList{"  Chyba komunikace"});
}

TEST(LocalTransferCommands, PortCheckHandsTheStatusReadsResultToTheCaller) {
    CommandRig rig(Kind::Serial);
    rig.unit.setCounter(9);
    rig.linkState.portCheckRequested = true;
    std::optional<TransferResult> result;
    ASSERT_TRUE(rig.commands.portCheck([&](const TransferResult& r) { result = r; }));
    EXPECT_FALSE(rig.linkState.portCheckRequested); // consumed when "V" went out
    EXPECT_FALSE(rig.commands.portCheck());         // nothing more requested
    rig.clock.runUntilIdle(100000);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->ok());
    EXPECT_EQ(result->kind, TransferKind::Status);
    EXPECT_EQ(result->reply, rig.unit.statusImage());
    EXPECT_FALSE(result->snapshot); // into the fields, not a snapshot
    EXPECT_EQ(rig.model.params().text("Edit157"), "9");
}

TEST(LocalTransferCommands, MissingPortConsumesThePortCheckRequest) {
    CommandRig rig(Kind::Serial);
    rig.link.setPortMissing(true);
    rig.linkState.portCheckRequested = true;
    ASSERT_TRUE(rig.commands.portCheck());
    EXPECT_FALSE(rig.linkState.portCheckRequested);
    rig.clock.runUntilIdle(100000);
    EXPECT_EQ(rig.view.messages, QStringList{"Chybné číslo portu, prosím nastavte správné"});
}

TEST(LocalTransferCommands, EachStepOfACommandIsOneTransferWindow) {
    using S = TransferState;
    using lumo::testing::Trace;
    CommandRig rig(Kind::Serial);
    rig.unit.setCounter(3); // differs from the window: the confirmation is asked
    rig.confirmation.answer = WriteConfirmation::Answer::Storno;
    EXPECT_FALSE(rig.run(Command::WriteSettings));
    // The pre-write check only: Storno stops before the write's window opens.
    EXPECT_EQ(rig.view.trace, (Trace{S::Opening, S::Waiting, S::Done, S::Closed}));

    rig.view.trace.clear();
    ASSERT_TRUE(rig.run(Command::ReadSettings));
    EXPECT_EQ(rig.view.trace, (Trace{S::Opening, S::Waiting, S::Done, S::Closed, S::Opening,
                                     S::Waiting, S::Done, S::Closed}));
    EXPECT_EQ(rig.view.shows, 3);
    EXPECT_EQ(rig.view.closes, 3);
}

TEST(LocalTransferCommands, PreWriteCheckReplacesTheWholeSnapshot) {
    // The unit's values of an earlier check (maybe of another unit) never survive a new one.
    CommandRig rig(Kind::Serial);
    rig.model.snapshot() = UnitSnapshot{"X", "Y", "Z"};
    rig.unit.setCounter(5);
    rig.confirmation.answer = WriteConfirmation::Answer::Storno;
    EXPECT_FALSE(rig.run(Command::WriteSettings));
    EXPECT_EQ(rig.model.snapshot().counter, "5");
    EXPECT_EQ(rig.model.snapshot().mode, "DEN");
    EXPECT_EQ(rig.model.snapshot().unfitted, QString::number(rig.unit.unfitted()));
}

TEST(LocalTransferCommands, ReadIntoASideSetLeavesTheWindowAndItsMarksAlone) {
    CommandRig rig(Kind::Serial);
    rig.unit.setMode(1);
    QByteArray number(16, char(0xFF));
    number[0] = 4, number[1] = 2;
    rig.unit.setNumberMemory(0, number);
    rig.model.params().setText("Edit129", "111111"); // an edit in the window
    const ParameterSet window = rig.model.params();

    ParameterModel side;
    bool ok = false;
    ASSERT_TRUE(rig.commands.readInto(side, Command::ReadAll, [&](bool r) { ok = r; }));
    rig.clock.runUntilIdle(3600000);
    EXPECT_TRUE(ok);
    EXPECT_EQ(side.params().text("Edit156"), "NOC");
    EXPECT_EQ(side.params().text(numberFieldName(0)), "42");
    EXPECT_EQ(side.params().firmwareVersion(), "1.7");
    EXPECT_TRUE(rig.model.params().sameValues(window));
    EXPECT_EQ(editedParameters(rig.model.params(), rig.model.baseline().values()),
              QStringList{"Edit129"});

    // The engine is the window's again afterwards.
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.model.params().text(numberFieldName(0)), "42");
    EXPECT_TRUE(editedParameters(rig.model.params(), rig.model.baseline().values()).isEmpty());
}

TEST(LocalTransferCommands, ReadIntoFromASilentUnitFailsAndChangesNothing) {
    CommandRig rig(Kind::Serial);
    rig.unit.faults().statusDelta = 1;
    const ParameterSet window = rig.model.params();
    ParameterModel side;
    std::optional<bool> ok;
    ASSERT_TRUE(rig.commands.readInto(side, Command::ReadAll, [&](bool r) { ok = r; }));
    rig.clock.runUntilIdle(3600000);
    ASSERT_TRUE(ok.has_value());
    EXPECT_FALSE(*ok);
    EXPECT_EQ(rig.view.messages.size(), 1); // the link's usual message
    EXPECT_TRUE(rig.model.params().sameValues(window));
    EXPECT_FALSE(rig.commands.readInto(side, Command::WriteAll)) << "reads only";
}

TEST(LocalTransferCommands, ReadsAndWritesMoveTheBaselineOfWhatTheyCarried) {
    CommandRig rig(Kind::Serial);
    const QString number = numberFieldName(3);
    auto edited = [&] {
        return editedParameters(rig.model.params(), rig.model.baseline().values());
    };
    rig.model.params().setText(number, "12");
    rig.model.params().setText("Edit129", "222222");
    ASSERT_EQ(edited().size(), 2);
    ASSERT_TRUE(rig.run(Command::WriteSettings));
    EXPECT_EQ(edited(), QStringList{number});
    ASSERT_TRUE(rig.run(Command::WriteNumbers));
    EXPECT_TRUE(edited().isEmpty());

    rig.model.params().setText("Edit129", "333333");
    rig.unit.faults().numberDelta = 1; // the number read fails: its marks stay
    rig.model.params().setText(number, "34");
    EXPECT_FALSE(rig.run(Command::ReadAll));
    EXPECT_FALSE(edited().contains("Edit129")) << "the settings came from the unit";
    EXPECT_TRUE(edited().contains(number));
}

// Runs `command` until the engine waits for the answer to `block` of `kind`, then stops it.
static bool runAndStopAt(CommandRig& rig, Command command, TransferKind kind, int block) {
    rig.link.setPacing(true); // an exchange is in flight for a while, as on the line
    bool ok = true;
    bool finished = false;
    EXPECT_TRUE(rig.commands.run(command, [&](bool result) {
        ok = result;
        finished = true;
    }));
    for (int i = 0; i < 600000 && !(rig.engine.kind() == kind && rig.engine.blockIndex() == block);
         ++i)
        rig.clock.advance(1);
    EXPECT_EQ(rig.engine.kind(), kind);
    rig.commands.stop();
    EXPECT_TRUE(rig.commands.stopping());
    rig.clock.runUntilIdle(3600000);
    EXPECT_TRUE(finished);
    EXPECT_FALSE(rig.commands.busy());
    return ok;
}

TEST_P(CommandsBothLinks, ReadAllStoppedInTheNumbersKeepsWhatCameIn) {
    QByteArray number(16, char(0xFF));
    number[0] = 7;
    rig.unit.setNumberMemory(10, number); // read before the stop
    rig.unit.setNumberMemory(90, number); // not reached
    rig.model.params().setText("Edit91", "55");
    EXPECT_FALSE(runAndStopAt(rig, Command::ReadAll, TransferKind::NumbersRead, 40));
    EXPECT_EQ(rig.model.params().text("Edit11"), "7");
    EXPECT_EQ(rig.model.params().text("Edit91"), "55");
    const ReadReport& report = rig.commands.readReport();
    EXPECT_TRUE(report.started);
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.settingsRead);
    EXPECT_EQ(report.memoriesRead, 41);
    EXPECT_FALSE(report.complete());
    EXPECT_TRUE(rig.view.messages.isEmpty()); // a stop is no communication error
}

TEST_P(CommandsBothLinks, ReadAllStoppedInTheSettingsReadStartsNoNumberRead) {
    EXPECT_FALSE(runAndStopAt(rig, Command::ReadAll, TransferKind::SettingsRead, 0));
    EXPECT_TRUE(rig.link.requestedBlocks().isEmpty());
    const ReadReport& report = rig.commands.readReport();
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.settingsRead); // the read in flight completed
    EXPECT_EQ(report.memoriesRead, 0);
    // The next command runs as usual.
    EXPECT_TRUE(rig.run(Command::ReadNumbers));
    EXPECT_TRUE(rig.commands.readReport().complete());
    EXPECT_FALSE(rig.commands.readReport().stopped);
}

TEST_P(CommandsBothLinks, WriteAllStoppedInTheSettingsWritesThemWholeAndNoNumbers) {
    EXPECT_FALSE(runAndStopAt(rig, Command::WriteAll, TransferKind::SettingsWrite, 0));
    EXPECT_EQ(rig.unit.settingsWrites(), 1);
    EXPECT_EQ(rig.unit.numberWrites(), 0);
}

TEST(LocalTransferCommands, AFailedReadReportsWhatCameInAndARefusedOneNothing) {
    CommandRig rig(Kind::Serial);
    rig.unit.faults().readErrorBlock = 20;
    rig.unit.faults().readErrorTimes = -1;
    EXPECT_FALSE(rig.run(Command::ReadAll));
    ReadReport report = rig.commands.readReport();
    EXPECT_TRUE(report.started);
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(report.settingsRead);
    EXPECT_EQ(report.memoriesRead, 20);

    // The cable could not be used: nothing was started, nothing to report.
    CommandRig usb(Kind::Usb);
    usb.link.setCableMissing(true);
    EXPECT_FALSE(usb.run(Command::ReadSettings));
    EXPECT_FALSE(usb.commands.readReport().started);
}

TEST(LocalTransferCommands, AMissingCableOrPortSaysWhyOnASecondLine) {
    CommandRig usb(Kind::Usb);
    usb.link.setCableMissing(true);
    usb.link.setOpenProblem(QStringLiteral("kabel USB Vexo-USB není připojen"));
    EXPECT_FALSE(usb.run(Command::ReadSettings));
    EXPECT_EQ(usb.messenger.messages,
              QStringList{"Chyba komunikace\nkabel USB Vexo-USB není připojen"});

    CommandRig serial(Kind::Serial);
    serial.link.setPortMissing(true);
    serial.link.setOpenProblem(QStringLiteral("port /dev/ttyS2 neexistuje"));
    EXPECT_FALSE(serial.run(Command::ReadSettings));
    EXPECT_EQ(serial.view.messages, QStringList{"Chybné číslo portu, prosím nastavte správné\n"
                                                "port /dev/ttyS2 neexistuje"});
}
