#include "platform/Cp1250.h"

#include <QSet>
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(Cp1250, EveryByteRoundTrips) {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = cp1250::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(cp1250::fromUnicode(text), all);
    // Distinct bytes must give distinct characters, otherwise the round trip would be luck.
    QSet<QChar> seen(text.begin(), text.end());
    EXPECT_EQ(seen.size(), 256);
}

TEST(Cp1250, CzechTextMatchesCodePage) {
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉÚŮŤĎŇ");
    const QByteArray expected = QByteArray::fromHex(
        "50f8ed6c699a209e6c759d6f75e86bfd206bf9f220fa70ec6c20efe162656c736be920f3647920cc8ac8d88e"
        "ddc1cdc9dad98dcfd2");
    EXPECT_EQ(cp1250::fromUnicode(czech), expected);
    EXPECT_EQ(cp1250::toUnicode(expected), czech);
}

TEST(Cp1250, SpecialCharactersAndHoles) {
    EXPECT_EQ(cp1250::toChar(0x80), QChar(0x20AC)); // euro sign
    EXPECT_EQ(cp1250::toChar(0x84), QChar(0x201E)); // low double quote
    EXPECT_EQ(cp1250::toChar(0xA0), QChar(0x00A0));
    EXPECT_EQ(cp1250::toChar(0xFF), QChar(0x02D9));
    for (unsigned char hole : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        EXPECT_EQ(cp1250::toChar(hole), QChar(hole));
        unsigned char back = 0;
        EXPECT_TRUE(cp1250::fromChar(QChar(hole), &back));
        EXPECT_EQ(back, hole);
    }
    // Other C1 controls are not in the code page.
    unsigned char byte = 0;
    EXPECT_FALSE(cp1250::fromChar(QChar(0x80), &byte));
    EXPECT_FALSE(cp1250::fromChar(QChar(0x00E0), &byte)); // a-grave is Latin-1, not 1250
}

TEST(Cp1250, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(cp1250::fromUnicode(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
    // A character outside the BMP is one character, so one '?'.
    EXPECT_EQ(cp1250::fromUnicode(QStringLiteral("x\U0001F600y")), QByteArray("x?y"));
}

} // namespace
} // namespace lumo
