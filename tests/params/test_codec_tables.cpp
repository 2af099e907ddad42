// The code tables of the settings image, both ways, at their boundaries.
#include "params/Codec.h"
#include "params/ToneCodes.h"
#include <QLocale>
#include <gtest/gtest.h>

using namespace lumo;

namespace {

class CzechLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Czech)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(DigitCode, EveryCharacterBothWays) {
    const QString chars = QStringLiteral("D1234567890*#PF");
    const int bytes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    for (int i = 0; i < chars.size(); ++i) {
        EXPECT_EQ(codes::digitCode(chars[i]), bytes[i]) << i;
        EXPECT_EQ(Codec::CodeToDigit(static_cast<unsigned char>(bytes[i])), QString(chars[i]));
    }
    for (QChar c : QStringLiteral("AaBCpf hk-."))
        EXPECT_FALSE(codes::digitCode(c).has_value()) << int(c.unicode());
    EXPECT_EQ(Codec::CodeToDigit(15), QString());
    EXPECT_EQ(Codec::CodeToDigit(255), QString());
    // Bytes a sound unit never sends decode to nothing, never to a stale character.
    for (int b = 16; b <= 254; ++b)
        EXPECT_EQ(Codec::CodeToDigit(static_cast<unsigned char>(b)), QString()) << b;
}

TEST(DigitsToCodes, PadsShortTextsAndStoresOnlyCountCharacters) {
    TransferBuffer buffer;
    for (int s = 1; s <= 128; ++s)
        buffer[s] = 77;
    Codec::DigitsToCodes(buffer, QStringLiteral("1204"), 6, 38);
    const int expected[] = {1, 2, 10, 4, 255, 255};
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(buffer[38 + j], expected[j]) << j;
    EXPECT_EQ(buffer[37], 77);
    EXPECT_EQ(buffer[44], 77);

    Codec::DigitsToCodes(buffer, QString(), 6, 38);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(buffer[38 + j], 255);

    Codec::DigitsToCodes(buffer, QStringLiteral("123"), 2, 1); // the third character is dropped
    EXPECT_EQ(buffer[1], 1);
    EXPECT_EQ(buffer[2], 2);
    EXPECT_EQ(buffer[3], 77);
}

TEST_F(CzechLocale, CallTimeBothWays) {
    const QString half = codes::callTimeHalf();
    EXPECT_EQ(half, QStringLiteral("0,5"));
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("0,5")), 10);
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("0.5")), 1); // not this locale's half
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("1")), 1);
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("9")), 9);
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("15")), 11);
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("30")), 12);
    EXPECT_EQ(Codec::CallTimeToCode(QStringLiteral("10")), 1);
    EXPECT_EQ(Codec::CallTimeToCode(QString()), 1);

    EXPECT_EQ(codes::callTimeFromCode(0, half), half);
    EXPECT_EQ(codes::callTimeFromCode(10, half), half);
    EXPECT_EQ(codes::callTimeFromCode(1, half), QStringLiteral("1"));
    EXPECT_EQ(codes::callTimeFromCode(9, half), QStringLiteral("9"));
    EXPECT_EQ(codes::callTimeFromCode(11, half), QStringLiteral("15"));
    EXPECT_EQ(codes::callTimeFromCode(12, half), QStringLiteral("30"));
    EXPECT_FALSE(codes::callTimeFromCode(13, half));
    EXPECT_FALSE(codes::callTimeFromCode(255, half));
}

TEST(VersionByte, BothWays) {
    EXPECT_EQ(Codec::VersionText(17), QStringLiteral("1.7"));
    EXPECT_EQ(Codec::VersionText(20), QStringLiteral("2.0"));
    EXPECT_EQ(Codec::VersionText(100), QStringLiteral("1.00"));
    EXPECT_EQ(Codec::VersionText(8), QStringLiteral("8."));
    EXPECT_EQ(Codec::VersionText(0), QStringLiteral("0."));
    EXPECT_EQ(codes::versionByte(QString()), 60);
    EXPECT_EQ(codes::versionByte(QStringLiteral("8.")), 60);
    EXPECT_EQ(codes::versionByte(QStringLiteral("1.7")), 17);
    EXPECT_EQ(codes::versionByte(QStringLiteral("7.4")), 74);
    EXPECT_EQ(codes::versionByte(QStringLiteral("1.00")), 10); // first and last character
}

TEST(BusyToneCode, BothWaysAtTheBoundaries) {
    const std::pair<const char*, int> writes[] = {{"0", 5}, {"2", 5},  {"3", 1},  {"4", 1},
                                                  {"5", 2}, {"6", 2},  {"7", 3},  {"8", 3},
                                                  {"9", 4}, {"10", 4}, {"255", 4}};
    for (const auto& [text, code] : writes)
        EXPECT_EQ(codes::busyToneCode(QString::fromLatin1(text)), code) << text;
    for (const char* other : {"256", "-1", "", "abc", " 8"})
        EXPECT_FALSE(codes::busyToneCode(QString::fromLatin1(other))) << other;

    const std::pair<int, const char*> reads[] = {{1, "4"}, {2, "6"},  {3, "8"},   {4, "10"},
                                                 {5, "2"}, {6, "10"}, {12, "10"}, {255, "8"}};
    for (const auto& [byte, text] : reads)
        EXPECT_EQ(codes::busyToneText(static_cast<unsigned char>(byte)), QString::fromLatin1(text));
    for (int byte : {0, 13, 100, 254})
        EXPECT_FALSE(codes::busyToneText(static_cast<unsigned char>(byte))) << byte;
}

TEST(BandCode, BothWaysAtTheBoundaries) {
    EXPECT_EQ(codes::bandCode(QStringLiteral("200-350")), 4);
    EXPECT_EQ(codes::bandCode(QStringLiteral("350-500")), 7);
    EXPECT_EQ(codes::bandCode(QStringLiteral("750-900")), 15);
    EXPECT_EQ(codes::bandCode(QStringLiteral("800-950")), 16);
    EXPECT_FALSE(codes::bandCode(QStringLiteral("150-300")));
    EXPECT_FALSE(codes::bandCode(QStringLiteral("850-1000")));
    EXPECT_FALSE(codes::bandCode(QString()));

    EXPECT_FALSE(codes::bandText(0));
    EXPECT_EQ(codes::bandText(1), QStringLiteral("200-350"));
    EXPECT_EQ(codes::bandText(4), QStringLiteral("200-350"));
    EXPECT_EQ(codes::bandText(5), QStringLiteral("250-400"));
    EXPECT_EQ(codes::bandText(14), QStringLiteral("700-850"));
    EXPECT_EQ(codes::bandText(15), QStringLiteral("750-900"));
    EXPECT_EQ(codes::bandText(16), QStringLiteral("750-900"));
    EXPECT_EQ(codes::bandText(18), QStringLiteral("750-900"));
    EXPECT_FALSE(codes::bandText(19));
    EXPECT_FALSE(codes::bandText(254));
    EXPECT_EQ(codes::bandText(255), QStringLiteral("350-500"));
}

TEST(ToneTimeCode, BothWaysAtTheBoundaries) {
    const std::pair<const char*, int> writes[] = {{"0", 50},  {"1", 50},  {"2", 100},  {"3", 150},
                                                  {"4", 200}, {"5", 250}, {"255", 250}};
    for (const auto& [text, code] : writes)
        EXPECT_EQ(codes::toneTimeCode(QString::fromLatin1(text)), code) << text;
    EXPECT_FALSE(codes::toneTimeCode(QStringLiteral("256")));
    EXPECT_FALSE(codes::toneTimeCode(QStringLiteral("x")));

    const std::pair<int, const char*> reads[] = {{0, "1"},   {82, "1"},  {83, "2"},  {136, "2"},
                                                 {137, "3"}, {190, "3"}, {191, "4"}, {234, "4"},
                                                 {235, "5"}, {255, "5"}};
    for (const auto& [byte, text] : reads)
        EXPECT_EQ(codes::toneTimeText(static_cast<unsigned char>(byte)), QString::fromLatin1(text))
            << byte;
}
