// Ring-buffer arithmetic of the serial write thread.
#include "link/AfCircularBuffer.h"

#include <QByteArray>
#include <gtest/gtest.h>

namespace lumo {
namespace {

QByteArray run(const TAfCircularBuffer& ring) {
    const char* start = nullptr;
    const int n = ring.ContiguousRun(&start);
    return QByteArray(start, n);
}

TEST(SerialRingBuffer, FillsToExactlyItsSizeAndRefusesMore) {
    TAfCircularBuffer ring(8);
    EXPECT_EQ(ring.Free(), 8);
    EXPECT_FALSE(ring.Write("123456789", 9));
    EXPECT_EQ(ring.Used(), 0); // a refused block stores nothing
    EXPECT_TRUE(ring.Write("12345678", 8));
    EXPECT_EQ(ring.Used(), 8);
    EXPECT_EQ(ring.Free(), 0);
    EXPECT_FALSE(ring.Write("x", 1));
    // Full with read == write: the whole storage is one run.
    EXPECT_EQ(run(ring), "12345678");
    EXPECT_TRUE(ring.Write("", 0));
}

TEST(SerialRingBuffer, WrapsAndReportsTheRunUpToTheEnd) {
    TAfCircularBuffer ring(8);
    ASSERT_TRUE(ring.Write("abcdef", 6));
    ring.Remove(5); // read position 5, write position 6
    EXPECT_EQ(ring.Used(), 1);
    ASSERT_TRUE(ring.Write("ghijk", 5)); // wraps: write position 3
    EXPECT_EQ(ring.Used(), 6);
    EXPECT_EQ(ring.Free(), 2);
    // Write position below read position: the run ends at the end of the storage.
    EXPECT_EQ(run(ring), "fgh");
    char all[8];
    EXPECT_EQ(ring.Peek(all, 8), 6);
    EXPECT_EQ(QByteArray(all, 6), "fghijk");
    ring.Remove(2); // read position 7
    EXPECT_EQ(run(ring), "h");
    ASSERT_TRUE(ring.Write("lmno", 4));
    EXPECT_EQ(ring.Free(), 0);
    EXPECT_EQ(run(ring), "h"); // full and wrapped: up to the end again
    ring.Remove(1);
    EXPECT_EQ(run(ring), "ijklmno");
}

TEST(SerialRingBuffer, RemoveAndClearStayWithinWhatIsUsed) {
    TAfCircularBuffer ring(4);
    ASSERT_TRUE(ring.Write("ab", 2));
    ring.Remove(10);
    EXPECT_EQ(ring.Used(), 0);
    EXPECT_EQ(run(ring), "");
    ASSERT_TRUE(ring.Write("cdef", 4));
    ring.Clear();
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_EQ(ring.Free(), 4);
    ASSERT_TRUE(ring.Write("gh", 2));
    EXPECT_EQ(run(ring), "gh");
}

TEST(SerialRingBuffer, ZeroSizeHoldsNothing) {
    TAfCircularBuffer ring(0);
    EXPECT_EQ(ring.Free(), 0);
    EXPECT_FALSE(ring.Write("a", 1));
    EXPECT_TRUE(ring.Write("", 0));
    EXPECT_EQ(run(ring), "");
}

} // namespace
} // namespace lumo
