// The virtual unit's side of the local protocol, its memory and its faults.
#include "sim/VirtualUnit.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

using lumo::sim::VirtualUnit;

TEST(VirtualUnit, AnswersStatusSettingsAndNumberReads) {
    VirtualUnit unit;
    unit.setFirmwareByte(20);
    unit.setMode(1);
    unit.setUnfitted(2);
    unit.setCounter(9);
    EXPECT_EQ(unit.feed("V"), QByteArray("V\x14N\x02S\x01U\x09", 8));
    const QByteArray settings = unit.feed("RP");
    ASSERT_EQ(settings.size(), 128);
    EXPECT_EQ(uchar(settings[0]), 0x55);
    EXPECT_EQ(uchar(settings[118]), 20); // the firmware byte
    EXPECT_EQ(uchar(settings[126]), 1);
    EXPECT_EQ(unit.feed(QByteArray("RT\x05", 3)), QByteArray(16, char(0xFF)));
    EXPECT_EQ(unit.feed(QByteArray("RT\x80", 3)), QByteArray("E")); // no memory 128
    EXPECT_EQ(unit.feed("X"), QByteArray());                        // noise is ignored
}

TEST(VirtualUnit, SettingsWriteAcknowledgesEachByteAndKeepsItsFirmware) {
    VirtualUnit unit;
    QByteArray image(128, char(3));
    image[0] = 0x55;
    image[118] = char(99);
    image[125] = char(200); // counter
    EXPECT_TRUE(unit.feed("WP").isEmpty());
    QByteArray acks;
    for (char c : image)
        acks += unit.feedByte(uchar(c));
    EXPECT_EQ(acks, QByteArray(127, 'D') + 'Z');
    EXPECT_EQ(unit.counter(), 200);
    EXPECT_EQ(unit.settings().mid(119), image.mid(119));
    EXPECT_EQ(uchar(unit.feed("RP")[118]), 17); // firmware not writable
    EXPECT_TRUE(unit.takeMemoryChanged());
    EXPECT_FALSE(unit.takeMemoryChanged());
    // A write not starting with the marker is refused.
    EXPECT_EQ(unit.feed("WPX"), QByteArray("E"));
}

TEST(VirtualUnit, NumberWriteStoresTheMemoryAndRefusesOnRequest) {
    VirtualUnit unit;
    const QByteArray memory("\x01\x02\x03\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16);
    EXPECT_EQ(unit.feed(QByteArray("WT\x07", 3) + memory), QByteArray("Z"));
    EXPECT_EQ(unit.numberMemory(7), memory);
    unit.faults().writeErrorBlock = 8;
    EXPECT_EQ(unit.feed(QByteArray("WT\x08", 3) + memory), QByteArray("E"));
    EXPECT_EQ(unit.numberMemory(8), QByteArray(16, char(0xFF)));
}

TEST(VirtualUnit, ReplyFaults) {
    VirtualUnit unit;
    unit.faults().statusDelta = 1;
    EXPECT_EQ(unit.feed("V").size(), 9);
    unit.faults().settingsDelta = -1;
    EXPECT_EQ(unit.feed("RP").size(), 127);
    unit.faults().readErrorBlock = 3;
    unit.faults().readErrorTimes = 2;
    EXPECT_EQ(unit.feed(QByteArray("RT\x03", 3)), QByteArray("E"));
    EXPECT_EQ(unit.feed(QByteArray("RT\x03", 3)), QByteArray("E"));
    EXPECT_EQ(unit.feed(QByteArray("RT\x03", 3)).size(), 16);
    unit.faults().garbage = "??";
    EXPECT_EQ(unit.feed(QByteArray("RT\x01", 3)).left(2), QByteArray("??"));
    EXPECT_EQ(unit.feed(QByteArray("RT\x01", 3)).size(), 16); // once only
    unit.faults().silent = true;
    EXPECT_TRUE(unit.feed("V").isEmpty());
}

TEST(VirtualUnit, AnswerFaultHitsTheNthAnswerOrEveryOneFromThere) {
    using Answer = lumo::sim::UnitFaults::Answer;
    const QByteArray status = VirtualUnit().feed("V");
    const QByteArray block = QByteArray("RT\x02", 3);
    struct Case {
        Answer kind;
        QByteArray hitStatus; // what the faulty answer to "V" is
    } cases[] = {
        {Answer::Silence, {}},
        {Answer::Short, status.left(7)},
        {Answer::Long, status + status.right(1)},
        {Answer::E, "E"},
        {Answer::Garbage, QByteArray("\x00\x11\xFF", 3) + status},
    };
    for (const Case& c : cases) {
        VirtualUnit unit;
        unit.faults().answerFault = c.kind;
        unit.faults().answerFaultAt = 2;
        // Bytes that are no command are no answer and do not count.
        EXPECT_TRUE(unit.feed("X").isEmpty());
        EXPECT_EQ(unit.feed("V"), status) << int(c.kind);
        EXPECT_EQ(unit.feed("V"), c.hitStatus) << int(c.kind);
        EXPECT_EQ(unit.feed("V"), status) << int(c.kind); // that one answer only
        EXPECT_EQ(unit.feed(block).size(), 16) << int(c.kind);
    }
    // Always: every answer from the N-th on, acknowledgements included.
    VirtualUnit unit;
    unit.faults().answerFault = Answer::E;
    unit.faults().answerFaultAt = 2;
    unit.faults().answerFaultAlways = true;
    EXPECT_EQ(unit.feed(block).size(), 16);
    EXPECT_EQ(unit.feed(block), QByteArray("E"));
    EXPECT_EQ(unit.feed("WPU"), QByteArray("E"));
    EXPECT_EQ(unit.feed("V"), QByteArray("E"));
}

TEST(VirtualUnit, MemoryFileRoundTripAndRejectsDamagedFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("unit.img");
    VirtualUnit unit;
    unit.setNumberMemory(127, QByteArray(16, char(4)));
    unit.setCounter(33);
    unit.setFirmwareByte(21);
    ASSERT_TRUE(unit.save(path));
    VirtualUnit other;
    ASSERT_TRUE(other.load(path));
    EXPECT_EQ(other.serialize(), unit.serialize());
    EXPECT_EQ(other.counter(), 33);

    QByteArray truncated = unit.serialize();
    truncated.chop(1);
    VirtualUnit third;
    EXPECT_FALSE(third.deserialize(truncated));
    EXPECT_FALSE(third.deserialize(QByteArray(truncated.size() + 1, 'x')));
    EXPECT_EQ(third.counter(), 0); // untouched
    EXPECT_FALSE(third.load(dir.filePath("missing.img")));
}
