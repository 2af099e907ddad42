// Stopping a running transfer from the window, one progress over the transfers of a command,
// and the message after a read that did not complete. Virtual time throughout.
#include "link/ReadReport.h"
#include "link/TransferProgress.h"
#include "test_transfer_support.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>
#include <optional>

using namespace lumo;
using lumo::testing::EngineRig;
using lumo::testing::repeat;
using lumo::testing::Trace;
using Kind = TransferLink::Kind;
using lumo::testing::operator+;
using S = TransferState;

namespace {

class StopBothLinks : public ::testing::TestWithParam<Kind> {
protected:
    EngineRig rig{GetParam()};
    std::optional<TransferResult> result;

    void start(TransferKind kind) {
        // At the pace of the line, so that an exchange is in flight for a while.
        rig.link.setPacing(true);
        ASSERT_NE(rig.engine.start({kind}, [this](const TransferResult& r) { result = r; }),
                  TransferState::Closed);
    }
    // Runs virtual time until the engine is waiting for the answer to `block`.
    void runUntilWaitingFor(int block) {
        for (int i = 0; i < 200000 && !(rig.engine.blockIndex() == block &&
                                        rig.engine.state() == TransferState::Waiting);
             ++i)
            rig.clock.advance(1);
        ASSERT_EQ(rig.engine.blockIndex(), block);
    }
    TransferResult finish() {
        rig.clock.runUntilIdle(600000);
        EXPECT_TRUE(result.has_value());
        return result.value_or(TransferResult{});
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, StopBothLinks, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(StopBothLinks, NumbersReadStopsOnceTheBlockInFlightIsIn) {
    start(TransferKind::NumbersRead);
    runUntilWaitingFor(36);
    rig.engine.requestStop();
    const TransferResult r = finish();
    EXPECT_TRUE(r.stopped());
    EXPECT_FALSE(r.ok());
    // Block 36 was asked for before the stop: it is taken and decoded, nothing is asked after.
    EXPECT_EQ(r.memoriesRead, 37);
    ASSERT_EQ(rig.data.numbers.size(), 37u);
    EXPECT_EQ(rig.data.numbers.back().first, 36);
    EXPECT_EQ(rig.link.requestedBlocks().size(), 37);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    const Trace expected = Trace{S::Opening, S::Waiting} + repeat({S::NextStep, S::Waiting}, 36) +
                           Trace{S::NextStep, S::Stopped, S::Closed};
    EXPECT_EQ(rig.view.trace, expected);
    EXPECT_EQ(rig.engine.state(), TransferState::Closed);
}

TEST_P(StopBothLinks, ABlockTheUnitKeepsRefusingEndsAtTheNextTimeOutWithoutAMessage) {
    rig.unit.faults().readErrorBlock = 3;
    rig.unit.faults().readErrorTimes = -1;
    start(TransferKind::NumbersRead);
    // A few retries in, the user gives up.
    rig.clock.advance(5000);
    ASSERT_EQ(rig.engine.blockIndex(), 3);
    const qint64 stoppedAt = rig.clock.nowMs();
    rig.engine.requestStop();
    const TransferResult r = finish();
    EXPECT_TRUE(r.stopped());
    EXPECT_EQ(r.memoriesRead, 3);
    EXPECT_LT(r.retries, 68);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    // Not the minutes of the 68 retries: one time-out at most.
    const qint64 timeOutMs = qint64(rig.engine.timeoutLimit() + 2) * rig.engine.tickInterval();
    EXPECT_LE(rig.clock.nowMs() - stoppedAt, timeOutMs);
}

TEST_P(StopBothLinks, NumbersWriteStopsBetweenBlocks) {
    start(TransferKind::NumbersWrite);
    runUntilWaitingFor(10);
    rig.engine.requestStop();
    EXPECT_TRUE(finish().stopped());
    // Block 10 was on the wire: the unit took it whole, and no block after it.
    EXPECT_EQ(rig.unit.numberWrites(), 11);
}

TEST_P(StopBothLinks, ASettingsWriteIsNotCutShort) {
    start(TransferKind::SettingsWrite);
    rig.clock.advance(300);
    ASSERT_TRUE(rig.engine.isShowing());
    rig.engine.requestStop();
    EXPECT_TRUE(finish().ok());
    EXPECT_EQ(rig.unit.settingsWrites(), 1);
}

TEST_P(StopBothLinks, AStopWhileTheLastBlockIsInFlightLetsTheReadComplete) {
    start(TransferKind::NumbersRead);
    runUntilWaitingFor(127);
    rig.engine.requestStop();
    const TransferResult r = finish();
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.memoriesRead, 128);
}

TEST(TransferStop, AStopAsksNothingOfTheNextTransfer) {
    EngineRig rig(Kind::Serial);
    rig.engine.requestStop(); // no window: nothing to stop
    EXPECT_FALSE(rig.engine.stopRequested());
    EXPECT_TRUE(rig.run({TransferKind::NumbersRead}).ok());

    std::optional<TransferResult> first;
    rig.engine.start({TransferKind::NumbersRead}, [&](const TransferResult& r) { first = r; });
    rig.clock.advance(200);
    rig.engine.requestStop();
    rig.clock.runUntilIdle(600000);
    ASSERT_TRUE(first && first->stopped());
    // The stop belonged to that window only.
    EXPECT_TRUE(rig.run({TransferKind::NumbersRead}).ok());
}

TEST(TransferProgress, OneBarOverReadAllThatNeverGoesBack) {
    using K = TransferKind;
    TransferProgress p;
    p.plan({K::Status, K::SettingsRead, K::NumbersRead});
    int last = 0;
    auto step = [&](int position) {
        p.setPosition(position);
        EXPECT_GE(p.overall(), last) << "at " << int(p.kind()) << "/" << position;
        last = p.overall();
    };
    p.starting(K::Status);
    step(2);
    step(127);
    const int afterStatus = p.overall();
    p.starting(K::SettingsRead);
    EXPECT_EQ(p.overall(), afterStatus); // the next phase starts where the last ended
    step(0);
    step(60);
    p.starting(K::NumbersRead);
    const int numbersFrom = p.overall();
    for (int block = 0; block <= 127; ++block)
        step(block);
    EXPECT_EQ(p.overall(), TransferProgress::kMax);
    // The number read is most of the time on the wire, and most of the bar.
    EXPECT_LT(numbersFrom, TransferProgress::kMax / 10);
}

TEST(TransferProgress, ATransferOutsideThePlanCountsOnItsOwn) {
    using K = TransferKind;
    TransferProgress p;
    p.plan({K::Status, K::SettingsRead});
    p.starting(K::Status);
    p.setPosition(127);
    p.starting(K::SettingsRead);
    p.setPosition(127);
    EXPECT_EQ(p.overall(), TransferProgress::kMax);
    p.plan({});
    p.starting(K::Status); // the port timer's check after the command
    EXPECT_EQ(p.overall(), 0);
    p.setPosition(127);
    EXPECT_EQ(p.overall(), TransferProgress::kMax);
    // A planned step that never ran is passed over.
    p.plan({K::Status, K::NumbersRead});
    p.starting(K::NumbersRead);
    EXPECT_EQ(p.kind(), K::NumbersRead);
    p.setPosition(127);
    EXPECT_EQ(p.overall(), TransferProgress::kMax);
}

TEST(TransferProgress, PhaseTextsNameThePartAndTheMemory) {
    using K = TransferKind;
    const Texts texts;
    TransferProgress p;
    EXPECT_TRUE(p.phaseText(texts).isEmpty());
    p.plan({K::Status, K::SettingsRead, K::NumbersRead});
    p.starting(K::Status);
    EXPECT_EQ(p.phaseText(texts), QStringLiteral("Stav vrátného"));
    p.starting(K::SettingsRead);
    EXPECT_EQ(p.phaseText(texts), QStringLiteral("Nastavení"));
    p.starting(K::NumbersRead);
    p.setPosition(36); // block 36 is memory 37 of the window
    EXPECT_EQ(p.phaseText(texts), QStringLiteral("Paměť 37 ze 128"));
    p.setPosition(500);
    EXPECT_EQ(p.phaseText(texts), QStringLiteral("Paměť 128 ze 128"));
}

TEST(PartialReadMessage, SaysPartByPartWhatWasReadAndWhatNot) {
    const Texts texts;
    ReadReport all;
    all.started = all.settingsWanted = all.numbersWanted = true;
    all.settingsRead = true;
    all.memoriesRead = 36;
    EXPECT_FALSE(all.complete());
    EXPECT_EQ(partialReadMessage(all, texts),
              QStringLiteral("Načítání nebylo dokončeno.\nNastavení: načteno celé.\n"
                             "Paměti čísel: 1 až 36 načteny, 37 až 128 nenačteny, v okně "
                             "zůstaly dřívější."));

    all.stopped = true;
    all.settingsRead = false;
    all.memoriesRead = 0;
    EXPECT_EQ(partialReadMessage(all, texts),
              QStringLiteral("Načítání bylo zastaveno.\nNastavení: nenačteno, v okně zůstalo "
                             "dřívější.\nPaměti čísel: nenačteny, v okně zůstaly dřívější."));

    // Only the parts the command reads.
    ReadReport numbers;
    numbers.started = numbers.numbersWanted = true;
    numbers.memoriesRead = 128;
    EXPECT_TRUE(numbers.complete());
    EXPECT_EQ(partialReadMessage(numbers, texts),
              QStringLiteral("Načítání nebylo dokončeno.\nPaměti čísel: načteny všechny."));
}
