// The transfer engine against the virtual unit over an in-memory link, in virtual time, over
// both link kinds: the bytes on the wire, acceptance of replies, retries, time-outs, the
// close-port mode and the failures of opening and writing.
#include "platform/Cp1250.h"
#include "test_transfer_support.h"
#include <gtest/gtest.h>

using namespace lumo;
using lumo::testing::EngineRig;
using Kind = TransferLink::Kind;
using Outcome = TransferResult::Outcome;

namespace {

const TransferRequest kStatus{TransferKind::Status};
const TransferRequest kSettingsRead{TransferKind::SettingsRead};
const TransferRequest kNumbersRead{TransferKind::NumbersRead};
const TransferRequest kSettingsWrite{TransferKind::SettingsWrite};
const TransferRequest kNumbersWrite{TransferKind::NumbersWrite};

// What RecordingData serves for a number block.
QByteArray numbersWriteBytes(int block) {
    QByteArray b("WT");
    b += char(block);
    for (int slot = 1; slot <= 16; ++slot)
        b += char((block + slot) % 10 + 1);
    return b;
}

class EngineBothLinks : public ::testing::TestWithParam<Kind> {
protected:
    EngineRig rig{GetParam()};
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, EngineBothLinks, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(EngineBothLinks, StatusReadSendsVAndDecodesTheEightByteImage) {
    rig.unit.setMode(1);
    rig.unit.setCounter(42);
    const TransferResult result = rig.run(kStatus);
    EXPECT_EQ(rig.link.sent(), QByteArray("V"));
    EXPECT_EQ(rig.data.status, rig.unit.statusImage());
    EXPECT_FALSE(rig.data.statusToSnapshot);
    EXPECT_FALSE(result.snapshot.has_value());
    EXPECT_EQ(result.reply, rig.unit.statusImage());
    EXPECT_EQ(rig.view.progress.at(1), 2);
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::StatusReply);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(result.kind, TransferKind::Status);
    EXPECT_EQ(rig.engine.kind(), TransferKind::None);
}

TEST_P(EngineBothLinks, PreWriteCheckDecodesIntoTheSnapshot) {
    rig.unit.setCounter(42);
    const TransferResult result = rig.run({TransferKind::Status, true});
    EXPECT_EQ(rig.link.sent(), QByteArray("V"));
    EXPECT_TRUE(rig.data.statusToSnapshot);
    ASSERT_TRUE(result.snapshot.has_value());
    EXPECT_EQ(result.snapshot->counter, "42"); // what the data sink decoded into it
}

TEST_P(EngineBothLinks, StatusReplyOfNineBytesIsNeverAccepted) {
    rig.unit.faults().statusDelta = 1;
    const TransferResult result = rig.run(kStatus);
    EXPECT_TRUE(rig.data.status.isEmpty());
    ASSERT_EQ(rig.view.messages.size(), 1);
    const QByteArray nine = rig.unit.statusImage() + rig.unit.statusImage().right(1);
    EXPECT_EQ(rig.view.messages[0], QString::fromLatin1(nine) + "  Chyba komunikace");
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.reply, nine);
}

TEST_P(EngineBothLinks, SettingsReadDecodesExactly128Bytes) {
    rig.run(kSettingsRead);
    EXPECT_EQ(rig.link.sent(), QByteArray("RP"));
    ASSERT_EQ(rig.data.settings.size(), 128);
    EXPECT_EQ(uchar(rig.data.settings[0]), 0x55);
    EXPECT_EQ(uchar(rig.data.settings[118]), rig.unit.firmwareByte());
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::SettingsReply);
}

TEST_P(EngineBothLinks, SettingsReplyShortByOneTimesOutWithTheBytesReceived) {
    rig.unit.faults().settingsDelta = -1;
    const TransferResult result = rig.run(kSettingsRead);
    const qint64 took = rig.took;
    EXPECT_TRUE(rig.data.settings.isEmpty());
    ASSERT_EQ(rig.view.messages.size(), 1);
    const QByteArray expected = rig.unit.settings().left(118) + char(rig.unit.firmwareByte()) +
                                rig.unit.settings().mid(119, 8);
    EXPECT_EQ(rig.view.messages[0], cp1250::toUnicode(expected) + "  Chyba komunikace");
    // Silence tolerated: 101 ticks of 10 ms on the serial port, 100 ticks of 5 ms on the cable.
    if (GetParam() == Kind::Serial)
        EXPECT_EQ(took, 102 * 10);
    else
        EXPECT_EQ(took, 101 * 5);
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::Error);
    EXPECT_TRUE(result.failed());
}

TEST_P(EngineBothLinks, NumbersReadRequestsBlocks0To127InOrder) {
    QByteArray memory(16, char(0xFF));
    memory[0] = 5;
    rig.unit.setNumberMemory(77, memory);
    const TransferResult result = rig.run(kNumbersRead);
    QList<int> expected;
    for (int b = 0; b < 128; ++b)
        expected << b;
    EXPECT_EQ(rig.link.requestedBlocks(), expected);
    EXPECT_EQ(rig.link.sent().size(), 128 * 3);
    ASSERT_EQ(rig.data.numbers.size(), 128u);
    EXPECT_EQ(rig.data.numbers[77].first, 77);
    EXPECT_EQ(rig.data.numbers[77].second, memory);
    EXPECT_EQ(rig.engine.progress(), 127);
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::Completed);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.reply, rig.unit.numberMemory(127));
}

TEST_P(EngineBothLinks, NumberBlockAnsweredEOnceIsAskedAgain) {
    rig.unit.faults().readErrorBlock = 5;
    rig.unit.faults().readErrorTimes = 1;
    const TransferResult result = rig.run(kNumbersRead);
    const QList<int> blocks = rig.link.requestedBlocks();
    EXPECT_EQ(blocks.size(), 129);
    EXPECT_EQ(blocks.count(5), 2);
    EXPECT_EQ(blocks.mid(4, 4), (QList<int>{4, 5, 5, 6}));
    EXPECT_EQ(rig.data.numbers.size(), 128u);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.retries, 1);
}

TEST_P(EngineBothLinks, EveryBlockAnsweredEGivesUpAfter68Retries) {
    rig.unit.faults().readErrorBlock = 0;
    rig.unit.faults().readErrorTimes = -1;
    const TransferResult result = rig.run(kNumbersRead);
    const QList<int> blocks = rig.link.requestedBlocks();
    EXPECT_EQ(blocks.size(), 69);
    EXPECT_EQ(blocks.count(0), 69);
    EXPECT_EQ(rig.view.messages, QStringList{"E x Chyba komunikace"});
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.reply, QByteArray("E"));
    EXPECT_TRUE(rig.data.numbers.empty());
}

TEST_P(EngineBothLinks, NumbersWriteSendsEveryBlockAfterTheUnitsZ) {
    rig.run(kNumbersWrite);
    QByteArray expected;
    for (int b = 0; b < 128; ++b)
        expected += numbersWriteBytes(b);
    EXPECT_EQ(rig.link.sent(), expected);
    EXPECT_EQ(rig.unit.numberWrites(), 128);
    EXPECT_EQ(rig.unit.numberMemory(100), expected.mid(100 * 19 + 3, 16));
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::Completed);
    EXPECT_EQ(rig.engine.progress(), 127);
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST_P(EngineBothLinks, NumbersWriteEndedByEIsReportedWithTheBlock) {
    rig.unit.faults().writeErrorBlock = 9;
    const TransferResult result = rig.run(kNumbersWrite);
    EXPECT_EQ(rig.link.sent().size(), 10 * 19); // nothing after the refused block
    EXPECT_EQ(rig.unit.numberWrites(), 9);
    ASSERT_EQ(rig.view.messages.size(), 1);
    EXPECT_TRUE(rig.view.messages[0].contains("9"));
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::Error);
}

TEST_P(EngineBothLinks, SettingsWriteSendsMarkerOnTheFirstTickThenOneBytePerD) {
    std::optional<TransferResult> result;
    ASSERT_EQ(rig.engine.start(kSettingsWrite, [&](const TransferResult& r) { result = r; }),
              TransferEngine::State::NextStep);
    EXPECT_EQ(rig.link.sent(), QByteArray("WP"));
    rig.clock.advance(rig.engine.tickInterval());
    EXPECT_EQ(rig.link.sent(), QByteArray("WPU"));
    EXPECT_EQ(rig.data.settingsEncodes, 1);
    rig.clock.runUntilIdle(100000);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(rig.link.sent(), QByteArray("WPU") + rig.data.settingsImage.mid(1));
    EXPECT_EQ(rig.unit.settingsWrites(), 1);
    EXPECT_EQ(rig.view.lastIndicator(), TransferIndicator::Completed);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_TRUE(result->ok());
}

TEST_P(EngineBothLinks, SettingsWriteAnsweredDAfterTheLastByteEndsByTimeOut) {
    rig.unit.faults().settingsWriteNoEnd = true;
    const TransferResult result = rig.run(kSettingsWrite);
    EXPECT_EQ(rig.link.sent().size(), 2 + 128); // nothing more after the 127th byte
    EXPECT_EQ(rig.view.messages, QStringList{"  Chyba komunikace"});
    EXPECT_TRUE(result.failed());
}

TEST_P(EngineBothLinks, QuietTransferFailsWithoutTheTimeOutMessage) {
    rig.unit.faults().silent = true;
    TransferResult result = rig.run({TransferKind::Status, false, true});
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_TRUE(result.failed());
    EXPECT_TRUE(result.quiet);
    result = rig.run(kStatus);
    EXPECT_EQ(rig.view.messages, QStringList{"  Chyba komunikace"});
    EXPECT_FALSE(result.quiet);
}

TEST_P(EngineBothLinks, GarbageBeforeAReplyIsNotTakenForIt) {
    rig.unit.faults().garbage = QByteArray("\x01\x02", 2);
    rig.run(kStatus);
    EXPECT_TRUE(rig.data.status.isEmpty());
    EXPECT_EQ(rig.view.messages.size(), 1);
    // The next read works again.
    rig.view.messages.clear();
    rig.run(kSettingsRead);
    EXPECT_EQ(rig.data.settings.size(), 128);
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(TransferEngineSerial, ClosePortModeOneClosesAfterEveryTransfer) {
    EngineRig rig(Kind::Serial);
    rig.engine.setClosePortMode("1");
    rig.run(kSettingsRead);
    EXPECT_FALSE(rig.link.isOpen());
    rig.run(kNumbersRead);
    EXPECT_FALSE(rig.link.isOpen());
    EXPECT_EQ(rig.link.opens(), 2);
    EXPECT_EQ(rig.link.closes(), 2);
    EXPECT_EQ(rig.data.numbers.size(), 128u);
}

TEST(TransferEngineSerial, ClosePortModeZeroKeepsThePortOpen) {
    EngineRig rig(Kind::Serial);
    rig.run(kSettingsRead);
    rig.run(kNumbersRead);
    EXPECT_TRUE(rig.link.isOpen());
    EXPECT_EQ(rig.link.opens(), 1);
    EXPECT_EQ(rig.link.closes(), 0);
}

TEST(TransferEngineSerial, MissingPortShowsThePortMessageEvenWhenQuiet) {
    EngineRig rig(Kind::Serial);
    rig.link.setPortMissing(true);
    const TransferResult result = rig.run({TransferKind::Status, false, true});
    EXPECT_EQ(rig.took, 10); // closes at the first tick
    EXPECT_TRUE(rig.link.sent().isEmpty());
    EXPECT_EQ(rig.view.messages, QStringList{"Chybné číslo portu, prosím nastavte správné"});
    EXPECT_TRUE(result.aborted());
}

TEST(TransferEngineSerial, TimeoutLimitFollowsTheSerialTimeout) {
    EngineRig rig(Kind::Serial);
    EXPECT_EQ(rig.engine.timeoutLimit(), 101);
    rig.engine.setSerialTimeout(30);
    EXPECT_EQ(rig.engine.timeoutLimit(), 34);
    EXPECT_EQ(rig.engine.tickInterval(), 30);
    rig.engine.setSerialTimeout(0); // undefined in Config.ini terms: the default instead
    EXPECT_EQ(rig.engine.tickInterval(), 10);
    rig.engine.setSerialTimeout(-5);
    EXPECT_EQ(rig.engine.timeoutLimit(), 101);
}

TEST(TransferEngineSerial, SecondStartWhileShowingIsRefused) {
    EngineRig rig(Kind::Serial);
    ASSERT_EQ(rig.engine.start(kSettingsRead, {}), TransferEngine::State::Waiting);
    EXPECT_EQ(rig.engine.start(kNumbersRead, {}), TransferEngine::State::Closed);
    rig.clock.runUntilIdle(100000);
    EXPECT_EQ(rig.link.sent(), QByteArray("RP"));
}

TEST(TransferEngineUsb, MissingCableClosesAtTheFirstTickSilently) {
    EngineRig rig(Kind::Usb);
    rig.link.setCableMissing(true);
    const TransferResult result = rig.run(kStatus);
    EXPECT_EQ(rig.took, 5);
    EXPECT_TRUE(rig.link.sent().isEmpty());
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_TRUE(result.aborted());
}

TEST(TransferEngineUsb, FailedWriteDuringSettingsWriteSetsFailedAndReleasesTheCable) {
    EngineRig rig(Kind::Usb);
    rig.link.open(nullptr);
    rig.link.failWriteAt(10);
    const TransferResult result = rig.run(kSettingsWrite);
    EXPECT_TRUE(result.failed());
    EXPECT_FALSE(rig.link.hasDevice());
    EXPECT_TRUE(rig.view.messages.isEmpty());
    EXPECT_EQ(rig.link.sent().size(), 10);
    EXPECT_EQ(rig.unit.settingsWrites(), 0);
}

TEST(TransferEngineUsb, NumberTransferWithClosePortOneReleasesTheCable) {
    EngineRig rig(Kind::Usb);
    rig.engine.setClosePortMode("1");
    rig.run(kSettingsRead);
    EXPECT_TRUE(rig.link.hasDevice()); // successful single replies keep the cable
    rig.run(kNumbersRead);
    EXPECT_FALSE(rig.link.hasDevice());
}

TEST(TransferEngineUsb, TimeOutReleasesTheCable) {
    EngineRig rig(Kind::Usb);
    rig.unit.faults().silent = true;
    const TransferResult result = rig.run(kSettingsRead);
    EXPECT_FALSE(rig.link.hasDevice());
    EXPECT_TRUE(result.failed());
}
