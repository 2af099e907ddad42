// The transfer engine's state traces: every state change the view was told of, for each of
// the five transfers on both links, complete, timed out, retried and refused, and for the
// links that cannot be opened, vanish or refuse a write. Virtual time throughout.
#include "test_transfer_support.h"
#include <gtest/gtest.h>
#include <optional>

using namespace lumo;
using lumo::testing::EngineRig;
using lumo::testing::HandLink;
using lumo::testing::repeat;
using lumo::testing::Trace;
using Kind = TransferLink::Kind;
using lumo::testing::operator+;
using S = TransferState;

// The expected trace may hold braces and commas.
#define EXPECT_TRACE(view, ...) EXPECT_EQ((view).trace, (__VA_ARGS__))

namespace {

class StatesBothLinks : public ::testing::TestWithParam<Kind> {
protected:
    EngineRig rig{GetParam()};
    // The ticks of silence after which the transfer ends, in virtual milliseconds.
    qint64 timeOutMs() const {
        return qint64(rig.engine.timeoutLimit() + 1) * rig.engine.tickInterval();
    }
};

const Trace kOpened{S::Opening, S::Waiting};
const Trace kDone{S::Done, S::Closed};
const Trace kFailed{S::Failed, S::Closed};
const Trace kAborted{S::Aborted, S::Closed};

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, StatesBothLinks, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(StatesBothLinks, StatusReadCompleteAndTimedOut) {
    EXPECT_TRUE(rig.run({TransferKind::Status}).ok());
    EXPECT_TRACE(rig.view, kOpened + kDone);

    rig.view.trace.clear();
    rig.unit.faults().statusDelta = 1; // nine bytes are never a reply
    EXPECT_TRUE(rig.run({TransferKind::Status}).failed());
    EXPECT_TRACE(rig.view, kOpened + kFailed);
    EXPECT_EQ(rig.view.shows, 2);
    EXPECT_EQ(rig.view.closes, 2);
}

TEST_P(StatesBothLinks, SettingsReadCompleteAndShortByOne) {
    EXPECT_TRUE(rig.run({TransferKind::SettingsRead}).ok());
    EXPECT_TRACE(rig.view, kOpened + kDone);

    rig.view.trace.clear();
    rig.unit.faults().settingsDelta = -1;
    EXPECT_TRUE(rig.run({TransferKind::SettingsRead}).failed());
    EXPECT_TRACE(rig.view, kOpened + kFailed);
    EXPECT_EQ(rig.took, timeOutMs());
}

TEST_P(StatesBothLinks, NumbersReadStepsThroughEveryBlock) {
    EXPECT_TRUE(rig.run({TransferKind::NumbersRead}).ok());
    // Block 0 goes out on opening, each answer is a next step, block 127's answer ends it.
    EXPECT_TRACE(rig.view,
                 kOpened + repeat({S::NextStep, S::Waiting}, 127) + Trace{S::NextStep} + kDone);
}

TEST_P(StatesBothLinks, NumbersReadRetriesABlockAnsweredE) {
    rig.unit.faults().readErrorBlock = 5;
    rig.unit.faults().readErrorTimes = 2;
    const TransferResult result = rig.run({TransferKind::NumbersRead});
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.retries, 2);
    EXPECT_TRACE(rig.view, kOpened + repeat({S::NextStep, S::Waiting}, 5) +
                               repeat({S::Retrying, S::Waiting}, 2) +
                               repeat({S::NextStep, S::Waiting}, 122) + Trace{S::NextStep} + kDone);
}

TEST_P(StatesBothLinks, NumbersReadGivesUpAfter68Retries) {
    rig.unit.faults().readErrorBlock = 0;
    rig.unit.faults().readErrorTimes = -1;
    const TransferResult result = rig.run({TransferKind::NumbersRead});
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.retries, 69);
    EXPECT_TRACE(rig.view, kOpened + repeat({S::Retrying, S::Waiting}, 68) + kFailed);
    // 69 time-outs, each counted from the unit's "E"; a retry goes out one tick after the
    // time-out before it.
    EXPECT_EQ(rig.took, 69 * timeOutMs() + 68 * rig.engine.tickInterval());
}

TEST_P(StatesBothLinks, SettingsWriteMarkerThenOneBytePerD) {
    EXPECT_TRUE(rig.run({TransferKind::SettingsWrite}).ok());
    // "W" "P" on opening leaves the marker to the first tick; each "D" is a next step; the
    // unit's "Z" after the 127th byte ends it.
    EXPECT_TRACE(rig.view, Trace{S::Opening, S::NextStep, S::Waiting} +
                               repeat({S::NextStep, S::Waiting}, 127) + kDone);
}

TEST_P(StatesBothLinks, SettingsWriteAnsweredDAfterTheLastByteTimesOut) {
    rig.unit.faults().settingsWriteNoEnd = true;
    EXPECT_TRUE(rig.run({TransferKind::SettingsWrite}).failed());
    // The 128th "D" is a next step that sends nothing; then silence.
    EXPECT_TRACE(rig.view, Trace{S::Opening, S::NextStep, S::Waiting} +
                               repeat({S::NextStep, S::Waiting}, 128) + kFailed);
}

TEST_P(StatesBothLinks, NumbersWriteCompleteAndRefused) {
    EXPECT_TRUE(rig.run({TransferKind::NumbersWrite}).ok());
    EXPECT_TRACE(rig.view,
                 kOpened + repeat({S::NextStep, S::Waiting}, 127) + Trace{S::NextStep} + kDone);

    rig.view.trace.clear();
    rig.unit.faults().writeErrorBlock = 9;
    EXPECT_TRUE(rig.run({TransferKind::NumbersWrite}).failed());
    EXPECT_TRACE(rig.view, kOpened + repeat({S::NextStep, S::Waiting}, 9) + kFailed);
}

// Every transfer on a unit that never answers ends after the same silence.
TEST_P(StatesBothLinks, SilentUnitTimesOutEveryTransfer) {
    rig.unit.faults().silent = true;
    for (TransferKind kind : {TransferKind::Status, TransferKind::SettingsRead,
                              TransferKind::NumbersRead, TransferKind::NumbersWrite}) {
        rig.view.trace.clear();
        EXPECT_TRUE(rig.run({kind}).failed());
        EXPECT_TRACE(rig.view, kOpened + kFailed) << int(kind);
        EXPECT_EQ(rig.took, timeOutMs()) << int(kind);
    }
    rig.view.trace.clear();
    EXPECT_TRUE(rig.run({TransferKind::SettingsWrite}).failed());
    EXPECT_TRACE(rig.view, (Trace{S::Opening, S::NextStep, S::Waiting} + kFailed));
    EXPECT_EQ(rig.took, timeOutMs());
}

TEST_P(StatesBothLinks, StateIsClosedAndTheKindClearedAfterEveryEnd) {
    rig.unit.faults().silent = true;
    rig.run({TransferKind::SettingsRead});
    EXPECT_EQ(rig.engine.state(), S::Closed);
    EXPECT_EQ(rig.engine.kind(), TransferKind::None);
    EXPECT_EQ(rig.engine.blockIndex(), 0);
    // A late byte after the close is no reply to anything.
    rig.unit.faults().silent = false;
    rig.link.writeByte('V');
    rig.clock.runUntilIdle(1000);
    EXPECT_EQ(rig.view.trace.back(), S::Closed);
    EXPECT_TRUE(rig.data.status.isEmpty());
}

TEST(TransferStatesSerial, MissingPortClosesAtTheFirstTickWithThePortMessage) {
    EngineRig rig(Kind::Serial);
    rig.link.setPortMissing(true);
    std::optional<TransferResult> result;
    EXPECT_EQ(
        rig.engine.start({TransferKind::Status}, [&](const TransferResult& r) { result = r; }),
        S::OpenFailed);
    EXPECT_TRUE(rig.view.messages.isEmpty()); // the message comes with the close
    rig.clock.runUntilIdle(1000);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_TRACE(rig.view, (Trace{S::Opening, S::OpenFailed} + kAborted));
    EXPECT_EQ(rig.clock.nowMs(), 10);
    EXPECT_EQ(rig.view.messages, QStringList{"Chybné číslo portu, prosím nastavte správné"});
}

TEST(TransferStatesSerial, RefusedWriteEndsAsATimeOutAtTheNextTick) {
    VirtualClock clock;
    HandLink link(Kind::Serial);
    lumo::testing::RecordingView view;
    lumo::testing::RecordingData data;
    TransferEngine engine(clock, data, view);
    engine.setLink(&link);
    link.refuseWrites = true;
    std::optional<TransferResult> result;
    engine.start({TransferKind::SettingsRead}, [&](const TransferResult& r) { result = r; });
    clock.runUntilIdle(10000);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->failed());
    EXPECT_TRACE(view, kOpened + kFailed);
    EXPECT_EQ(clock.nowMs(), 10);
    EXPECT_EQ(view.messages, QStringList{"  Chyba komunikace"});
}

TEST(TransferStatesSerial, LateBlockAfterAnERetryIsTakenForTheBlockAskedFor) {
    // The unit answers block 0 with "E", the time-out schedules a retry, and then the block's
    // 16 bytes arrive before the retry went out: they are block 0, and the read moves on.
    VirtualClock clock;
    HandLink link(Kind::Serial);
    lumo::testing::RecordingView view;
    lumo::testing::RecordingData data;
    TransferEngine engine(clock, data, view);
    engine.setLink(&link);
    std::optional<TransferResult> result;
    engine.start({TransferKind::NumbersRead}, [&](const TransferResult& r) { result = r; });
    EXPECT_EQ(link.sent, QByteArray("RT\0", 3));
    link.arrive("E");
    clock.advance(qint64(engine.timeoutLimit() + 1) * engine.tickInterval());
    ASSERT_EQ(engine.state(), S::Retrying);
    link.arrive(QByteArray(16, char(3)));
    ASSERT_EQ(data.numbers.size(), 1u);
    EXPECT_EQ(data.numbers[0].first, 0);
    EXPECT_EQ(engine.state(), S::NextStep);
    clock.advance(engine.tickInterval());
    EXPECT_EQ(link.sent, QByteArray("RT\0RT\1", 6)); // block 1 next, block 0 not again
    EXPECT_TRACE(view, kOpened + Trace{S::Retrying, S::NextStep, S::Waiting});
    EXPECT_FALSE(result);
}

TEST(TransferStatesUsb, MissingCableClosesAtTheFirstTickSilently) {
    EngineRig rig(Kind::Usb);
    rig.link.setCableMissing(true);
    std::optional<TransferResult> result;
    EXPECT_EQ(
        rig.engine.start({TransferKind::Status}, [&](const TransferResult& r) { result = r; }),
        S::Closing);
    rig.clock.runUntilIdle(1000);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_TRACE(rig.view, (Trace{S::Opening, S::Closing} + kAborted));
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(TransferStatesUsb, AdapterMarkedClosedEndsTheTransferAtTheNextTick) {
    EngineRig rig(Kind::Usb);
    rig.unit.faults().silent = true;
    std::optional<TransferResult> result;
    rig.engine.start({TransferKind::SettingsRead}, [&](const TransferResult& r) { result = r; });
    rig.clock.advance(50);
    rig.link.markUsbClosed();
    rig.clock.advance(5);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_TRACE(rig.view, kOpened + kAborted);
    EXPECT_FALSE(rig.link.hasDevice()); // released
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(TransferStatesUsb, FailedWriteFailsTheSettingsWriteAtOnce) {
    EngineRig rig(Kind::Usb);
    rig.link.open(nullptr);
    rig.link.failWriteAt(5); // "W" "P" "U", bytes 1 and 2 go out; byte 3 fails
    const TransferResult result = rig.run({TransferKind::SettingsWrite});
    EXPECT_TRUE(result.failed());
    EXPECT_TRACE(rig.view, Trace{S::Opening, S::NextStep, S::Waiting} +
                               repeat({S::NextStep, S::Waiting}, 3) + kFailed);
    EXPECT_FALSE(rig.link.hasDevice());
}

TEST(TransferStatesUsb, FailedWriteOfARequestFailsAtTheNextTick) {
    EngineRig rig(Kind::Usb);
    rig.link.open(nullptr);
    rig.link.failWriteAt(0);
    const TransferResult result = rig.run({TransferKind::Status});
    EXPECT_TRUE(result.failed());
    EXPECT_TRACE(rig.view, kOpened + kFailed);
    EXPECT_EQ(rig.took, 5);
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(TransferStates, ChangingTheLinkWhileShowingAbortsTheTransfer) {
    EngineRig rig(Kind::Serial);
    sim::UnitLink other(rig.clock, rig.unit, Kind::Usb);
    std::optional<TransferResult> result;
    rig.engine.start({TransferKind::NumbersRead}, [&](const TransferResult& r) { result = r; });
    rig.engine.setLink(&other);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_TRACE(rig.view, kOpened + kAborted);
    rig.clock.runUntilIdle(10000); // no tick of the old transfer runs on the new link
    EXPECT_TRUE(other.sent().isEmpty());
    rig.engine.setLink(nullptr); // `other` goes first
}

// The device goes away in the middle of a transfer: the transfer ends at the next tick, long
// before the time-out, with the message that says so and not the time-out's; the command
// cannot go on (Aborted). A unit that is there but silent still times out as before.
class LostDevice : public ::testing::TestWithParam<Kind> {
protected:
    VirtualClock clock;
    HandLink link{GetParam()};
    lumo::testing::RecordingView view;
    lumo::testing::RecordingData data;
    TransferEngine engine{clock, data, view};
    std::optional<TransferResult> result;
    void SetUp() override {
        engine.setLink(&link);
        TransferEngine::Texts texts;
        texts.deviceLost = QStringLiteral("gone");
        engine.setTexts(texts);
    }
};

INSTANTIATE_TEST_SUITE_P(Links, LostDevice, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(LostDevice, MidReadEndsAtTheNextTickWithItsOwnMessage) {
    engine.start({TransferKind::NumbersRead}, [&](const TransferResult& r) { result = r; });
    link.arrive(QByteArray(16, char(1))); // block 0
    clock.advance(engine.tickInterval());
    ASSERT_EQ(link.sent, QByteArray("RT\0RT\1", 6));
    link.arrive(QByteArray(5, char(2))); // part of block 1, then the device goes
    link.lost = true;
    clock.advance(engine.tickInterval());
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_EQ(result->memoriesRead, 1);
    EXPECT_EQ(view.messages, QStringList{"gone"});
    EXPECT_EQ(view.lastIndicator(), TransferIndicator::Error);
    EXPECT_TRACE(view, kOpened + Trace{S::NextStep, S::Waiting} + kAborted);
    EXPECT_EQ(data.numbers.size(), 1u); // the partial block is not decoded
}

TEST_P(LostDevice, QuietTransferHoldsTheMessageBack) {
    engine.start({TransferKind::Status, false, true}, [&](const TransferResult& r) { result = r; });
    link.lost = true;
    clock.advance(engine.tickInterval());
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->aborted());
    EXPECT_TRUE(result->quiet);
    EXPECT_TRUE(view.messages.isEmpty());
}

TEST_P(LostDevice, SilentDeviceThatIsThereStillTimesOut) {
    engine.start({TransferKind::SettingsRead}, [&](const TransferResult& r) { result = r; });
    clock.runUntilIdle(10000);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->failed());
    EXPECT_EQ(view.messages, QStringList{"  Chyba komunikace"});
}
