// Timing of the transfer engine over links paced like a 2400 Bd line, in virtual time: replies
// that take longer on the wire than the time-out allows for silence, and a periodic tick that
// keeps its phase when its timer fires late.
#include "test_transfer_support.h"
#include <gtest/gtest.h>

using namespace lumo;
using lumo::testing::EngineRig;
using Kind = TransferLink::Kind;

namespace {

const TransferRequest kSettingsRead{TransferKind::SettingsRead};
const TransferRequest kSettingsWrite{TransferKind::SettingsWrite};

class PacedLinks : public ::testing::TestWithParam<Kind> {
protected:
    PacedLinks() { rig.link.setPacing(true); }
    EngineRig rig{GetParam()};
};

// A clock whose timers all fire one millisecond late, as real timers do.
class LateClock : public Clock {
public:
    explicit LateClock(Clock& inner) : m_inner(inner) {}
    qint64 nowMs() const override { return m_inner.nowMs(); }
    TaskId runAfter(int delayMs, Task task) override {
        return m_inner.runAfter(delayMs + 1, std::move(task));
    }
    void cancel(TaskId id) override { m_inner.cancel(id); }

private:
    Clock& m_inner;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, PacedLinks, ::testing::Values(Kind::Serial, Kind::Usb),
                         [](const auto& info) {
                             return info.param == Kind::Serial ? "Serial" : "Usb";
                         });

TEST_P(PacedLinks, SettingsReplyLongerOnTheWireThanTheTimeOutIsRead) {
    // 130 bytes at 2400 Bd take 542 ms; the cable tolerates 100 ticks of 5 ms of silence.
    const TransferResult result = rig.run(kSettingsRead);
    EXPECT_TRUE(rig.view.messages.isEmpty());
    ASSERT_EQ(rig.data.settings.size(), 128);
    EXPECT_EQ(uchar(rig.data.settings[0]), 0x55);
    EXPECT_TRUE(result.ok());
    EXPECT_GT(rig.took, 130 * sim::UnitLink::kByteMs);
}

TEST_P(PacedLinks, TimeOutCountsTheSilenceAfterTheLastByte) {
    rig.unit.faults().settingsDelta = -1;
    const TransferResult result = rig.run(kSettingsRead);
    const qint64 took = rig.took;
    EXPECT_TRUE(rig.data.settings.isEmpty());
    ASSERT_EQ(rig.view.messages.size(), 1);
    EXPECT_TRUE(rig.view.messages[0].endsWith("  Chyba komunikace"));
    EXPECT_TRUE(result.failed());
    const double lastByte = (2 + 127) * sim::UnitLink::kByteMs;
    const int interval = rig.engine.tickInterval();
    EXPECT_GE(took, lastByte + rig.engine.timeoutLimit() * interval);
    EXPECT_LE(took, lastByte + (rig.engine.timeoutLimit() + 2) * interval);
}

TEST(TransferTick, LateTimersDoNotStretchThePeriod) {
    // Over an instant link each settings byte goes out at the tick after the unit's "D": 128
    // ticks in all. A tick restarted when it ran would drift by the lateness every time.
    VirtualClock clock;
    LateClock late(clock);
    sim::VirtualUnit unit;
    sim::UnitLink link(clock, unit, Kind::Serial);
    lumo::testing::RecordingView view;
    lumo::testing::RecordingData data;
    TransferEngine engine(late, data, view);
    engine.setLink(&link);
    bool closed = false;
    ASSERT_NE(engine.start(kSettingsWrite, [&closed](const TransferResult&) { closed = true; }),
              TransferState::Closed);
    clock.runUntilIdle(100000);
    ASSERT_TRUE(closed);
    EXPECT_EQ(unit.settingsWrites(), 1);
    EXPECT_EQ(clock.nowMs(), 128 * 10 + 1);
}
