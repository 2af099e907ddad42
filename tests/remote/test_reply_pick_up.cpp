// The reply watch shared by the remote engines, at the edges the engines' own tests do not
// reach: a reply completed on the very last pass, a stop or an end of the exchange in the
// middle of the passes, and the box lost in a pass.
#include "RemoteTestSupport.h"
#include "remote/BoxProtocol.h"
#include "remote/RemoteLink.h"
#include "remote/ReplyPickUp.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

using test::BoxScript;
using test::ScriptedBus;

constexpr int kTick = 10; // nine passes, then the tick

class ReplyPickUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        script = bus.add("Kavrostanel", "KAV001");
        link.ListBoxDevices();
        link.setSelectedIndex(0);
        link.OpenBoxLink("KAV001");
    }
    // Bytes the box has for the program from `atMs` on.
    void arrive(qint64 atMs, const QByteArray& bytes) {
        clock.runAfter(int(atMs - clock.nowMs()), [this, bytes] { script->toHost += bytes; });
    }
    void unplugAt(qint64 atMs) {
        clock.runAfter(int(atMs - clock.nowMs()), [this] {
            script->unplugged = true;
            bus.devices[0].present = false;
        });
    }

    VirtualClock clock;
    ScriptedBus bus{clock};
    std::shared_ptr<BoxScript> script;
    RemoteLink link{bus, clock};
    bool running = true;
    std::vector<qint64> ticks, replies, losses;
    ReplyPickUp pickUp{link,
                       kTick,
                       {[this] { return running; },
                        [this] {
                            ticks.push_back(clock.nowMs());
                            pickUp.poll();
                        },
                        [this] {
                            losses.push_back(clock.nowMs());
                            pickUp.stop();
                        },
                        [this] { replies.push_back(clock.nowMs()); }}};
};

TEST_F(ReplyPickUpTest, AReplyIsTakenOnTheLastPassAndTheTickIsCancelled) {
    arrive(3, "O");
    arrive(kTick - 1, "K\r\n");
    pickUp.pickUp();
    clock.runUntilIdle();
    EXPECT_EQ(replies, std::vector<qint64>{kTick - 1});
    EXPECT_TRUE(ticks.empty());
    EXPECT_EQ(link.ReceiveBuffer, "OK\r\n");
}

TEST_F(ReplyPickUpTest, AReplyAfterThePassesComesOnTheTicks) {
    arrive(kTick, "OK\r\n"); // after the last pass: the tick takes it
    pickUp.pickUp();
    clock.runUntilIdle();
    EXPECT_EQ(ticks, std::vector<qint64>{kTick});
    EXPECT_EQ(replies, std::vector<qint64>{kTick});

    // Later ticks have no passes before them.
    ticks.clear();
    replies.clear();
    link.ReceiveBuffer.clear();
    const qint64 t0 = clock.nowMs();
    arrive(t0 + kTick + 1, "OK\r\n");
    pickUp.continueTicking();
    clock.runUntilIdle();
    EXPECT_EQ(ticks, (std::vector<qint64>{t0 + kTick, t0 + 2 * kTick}));
    EXPECT_EQ(replies, std::vector<qint64>{t0 + 2 * kTick});
}

TEST_F(ReplyPickUpTest, NothingRunsAfterAStopOrOnceTheExchangeIsOver) {
    arrive(6, "OK\r\n");
    pickUp.pickUp();
    clock.advance(5);
    pickUp.stop();
    clock.runUntilIdle();
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(link.ReceiveBuffer.isEmpty());

    // Not running any more: due passes and the tick neither receive nor report.
    script->toHost.clear();
    arrive(clock.nowMs() + 3, "OK\r\n");
    pickUp.pickUp();
    clock.advance(2);
    running = false;
    clock.runUntilIdle();
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(link.ReceiveBuffer.isEmpty());
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(ReplyPickUpTest, ABoxLostInAPassIsReportedOnceAndEndsTheWatch) {
    unplugAt(4);
    pickUp.pickUp();
    clock.runUntilIdle();
    EXPECT_EQ(losses, std::vector<qint64>{4});
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(replies.empty());
}

TEST_F(ReplyPickUpTest, WaitingPassesEndOnTheLastPassOrGiveUp) {
    int then = 0, exhausted = 0;
    auto wait = [&](int passes) {
        pickUp.waitPasses(
            passes, EndsWithOk, [&] { ++then; }, [&] { ++exhausted; });
    };
    // The acknowledgement completed on the third and last pass is taken.
    arrive(3, "OK\r\n");
    wait(3);
    clock.runUntilIdle();
    EXPECT_EQ(then, 1);
    EXPECT_EQ(exhausted, 0);
    EXPECT_TRUE(ticks.empty()); // no tick runs meanwhile

    // One millisecond later is too late.
    link.ReceiveBuffer.clear();
    const qint64 t0 = clock.nowMs();
    arrive(t0 + 4, "OK\r\n");
    wait(3);
    clock.runUntilIdle();
    EXPECT_EQ(then, 1);
    EXPECT_EQ(exhausted, 1);

    // No passes at all: given up at once.
    wait(0);
    EXPECT_EQ(exhausted, 2);

    // The waiting passes are the pause between steps: cancelled with it, replaced by a new one.
    link.ReceiveBuffer.clear();
    arrive(clock.nowMs() + 1, "OK\r\n");
    wait(5);
    pickUp.cancelPause();
    clock.runUntilIdle();
    wait(5);
    int paused = 0;
    pickUp.pause(2, [&] { ++paused; });
    clock.runUntilIdle();
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(then, 1);
    EXPECT_EQ(exhausted, 2);
}

TEST_F(ReplyPickUpTest, AHaltedWatchNoticesTheBoxPulledOut) {
    bool halted = true;
    pickUp.watchHalted([&] { return halted; });
    clock.advance(3 * kTick);
    EXPECT_TRUE(losses.empty());
    unplugAt(clock.nowMs() + 1);
    clock.advance(kTick);
    EXPECT_EQ(losses, std::vector<qint64>{4 * kTick});

    // Once no longer halted the watch ends by itself.
    losses.clear();
    script->unplugged = false;
    bus.devices[0].present = true;
    link.OpenBoxLink("KAV001");
    pickUp.watchHalted([&] { return halted; });
    halted = false;
    clock.runUntilIdle();
    EXPECT_EQ(clock.pendingCount(), 0u);
    EXPECT_TRUE(losses.empty());
}

} // namespace
} // namespace lumo
