// The line box's command language: framing, DTMF decoding, the fixed sequences, read
// requests and the splitting of long commands.
#include "remote/BoxProtocol.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(BoxFraming, ReplyIsCompleteOnlyWithFinalCrLf) {
    EXPECT_FALSE(ReplyComplete(""));
    EXPECT_FALSE(ReplyComplete("OK"));
    EXPECT_FALSE(ReplyComplete("OK\r"));
    EXPECT_FALSE(ReplyComplete("OK\n")); // LF alone is not a line end
    EXPECT_TRUE(ReplyComplete("OK\r\n"));
    EXPECT_EQ(ReplyText("BOK\r\n"), QByteArray("BOK"));
    // A buffer holding two lines is one reply, compared as a whole.
    EXPECT_EQ(ReplyText("OK\r\nFULL\r\n"), QByteArray("OK\r\nFULL"));
}

TEST(BoxFraming, ResetReplyAllowsTextBeforeButNothingAfter) {
    EXPECT_TRUE(IsResetReply("RESET\r\n"));
    EXPECT_TRUE(IsResetReply("AT@RESET\r\nRESET\r\n"));
    EXPECT_TRUE(IsResetReply("xyzRESET\r\n"));
    EXPECT_FALSE(IsResetReply("RESETX\r\n"));
    EXPECT_FALSE(IsResetReply("RESET"));
    EXPECT_FALSE(IsResetReply("RESE\r\n"));
    EXPECT_FALSE(IsResetReply("\r\n"));
}

TEST(BoxFraming, OkLoopAcceptsAnyTextEndingInOkCrLf) {
    EXPECT_TRUE(EndsWithOk("OK\r\n"));
    EXPECT_TRUE(EndsWithOk("BOK\r\n"));
    EXPECT_TRUE(EndsWithOk("ERR\r\nOK\r\n"));
    EXPECT_FALSE(EndsWithOk("OK"));
    EXPECT_FALSE(EndsWithOk("ERR\r\n"));
    EXPECT_FALSE(EndsWithOk("K\r\n"));
}

TEST(DtmfDecoding, CodesOfTheSixteenCharactersAndOthers) {
    const char chars[] = {'D', '1', '2', '3', '4', '5', '6', '7',
                          '8', '9', '0', '*', '#', 'A', 'B', 'C'};
    for (int code = 0; code < 16; ++code)
        EXPECT_EQ(DtmfCode(chars[code]), code) << chars[code];
    for (char other : {'d', 'a', 'E', ' ', '\0', '\r', 'P'})
        EXPECT_EQ(DtmfCode(other), 0) << int(other);
}

TEST(DtmfDecoding, SecondCharacterIsTheHighNibble) {
    EXPECT_EQ(DtmfPairToByte('2', '1'), 0x12);
    EXPECT_EQ(DtmfPairToByte('1', '2'), 0x21);
    EXPECT_EQ(DtmfPairToByte('0', '0'), 0xAA);
    EXPECT_EQ(DtmfPairToByte('D', 'D'), 0x00);
    EXPECT_EQ(DtmfPairToByte('C', 'C'), 0xFF);
    EXPECT_EQ(DtmfPairToByte('#', '*'), 0xBC);
}

TEST(DtmfDecoding, SettingsBlockFillsItsSixteenPositions) {
    QByteArray image(128, char(0x77));
    // Block 2: positions 33..48. Pair j = (low, high).
    QByteArray chars;
    for (int j = 1; j <= 16; ++j) {
        const char digits[] = "123456789";
        chars.append(digits[(j - 1) % 9]); // low nibble j
        chars.append('D');                 // high nibble 0
    }
    DecodeSettingsBlock(chars, 2, image);
    EXPECT_EQ(quint8(image[31]), 0x77); // position 32 untouched
    for (int j = 1; j <= 16; ++j)
        EXPECT_EQ(quint8(image[32 + j - 1]), (j - 1) % 9 + 1) << j;
    EXPECT_EQ(quint8(image[48]), 0x77); // position 49 untouched

    // Block 7 ends at position 128; block 0 starts at position 1 (the marker).
    DecodeSettingsBlock(QByteArray(32, '0'), 7, image);
    EXPECT_EQ(quint8(image[127]), 0xAA);
    DecodeSettingsBlock("BB" + QByteArray(30, 'D'), 0, image);
    EXPECT_EQ(quint8(image[0]), 0xEE);
    EXPECT_EQ(quint8(image[1]), 0x00);
}

TEST(DtmfDecoding, NumberMemoryCharactersGiveTheDigitCode) {
    const QByteArray image = DecodeNumberMemoryCharacters("1290*#ABCCCCCCCC");
    ASSERT_EQ(image.size(), 16);
    const int expected[] = {1, 2, 9, 10, 11, 12, 13, 14, 15, 15, 15, 15, 15, 15, 15, 15};
    for (int j = 0; j < 16; ++j)
        EXPECT_EQ(quint8(image[j]), expected[j]) << j;
    // A short memory ends where its characters end.
    EXPECT_EQ(DecodeNumberMemoryCharacters("12"), QByteArray("\x01\x02") + QByteArray(14, 15));
}

TEST(BoxSequences, ConnectSequenceStepsAndStoredEnd) {
    remote::CommandTable t;
    t.set(13, "OLD\r\n", "OLD"); // beyond the sequence: kept
    BuildConnectSequence(t, "  0601234567 ", " 1234\t");
    const std::vector<std::pair<QByteArray, QByteArray>> expected = {
        {"AT@RESET\r\n", "RESET"},
        {"AT@DEFAULT\r\n", "OK"},
        {"AT@NORM\r\n", "OK"},
        {"ATA\r\n", "OK"},
        {"ATDE0601234567\r\n", "OK"},
        {"ATDEA\r\n", "OK"},
        {"AT@RECE\r\n", "OK"},
        {"AT@RECN\r\n", "BOK"},
        {"ATDE#1234\r\n", "OK"},
        {"ATDE8*5\r\n", "OK"},
        {"AT@RECE\r\n", "OK"},
        {"AT@RECN\r\n", "BOK"},
        {"AT", "OK21"},
    };
    for (int i = 0; i < int(expected.size()); ++i) {
        EXPECT_EQ(t.command(i), expected[size_t(i)].first) << i;
        EXPECT_EQ(t.reply(i), expected[size_t(i)].second) << i;
    }
    EXPECT_EQ(kConnectStepCount, 12);
    EXPECT_EQ(t.command(13), QByteArray("OLD\r\n"));
}

TEST(BoxSequences, KeepAliveOverwritesOnlyItsFourSlots) {
    remote::CommandTable t;
    BuildConnectSequence(t, "1", "1234");
    BuildKeepAliveSequence(t);
    EXPECT_EQ(t.command(0), QByteArray("ATDE8*5\r\n"));
    EXPECT_EQ(t.reply(0), QByteArray("OK"));
    EXPECT_EQ(t.command(1), QByteArray("AT@RECE\r\n"));
    EXPECT_EQ(t.command(2), QByteArray("AT@RECN\r\n"));
    EXPECT_EQ(t.reply(2), QByteArray("BOK"));
    EXPECT_EQ(t.command(3), QByteArray("AT"));
    EXPECT_EQ(t.reply(3), QByteArray("OK21"));
    EXPECT_EQ(t.command(4), QByteArray("ATDE1\r\n")); // older contents stay
    EXPECT_EQ(kKeepAliveStepCount, 3);
}

TEST(BoxSequences, TalkTimeCodeForEveryCallTime) {
    EXPECT_EQ(TalkTimeCode("0,5", QLatin1Char(',')), "0");
    EXPECT_EQ(TalkTimeCode("0.5", QLatin1Char('.')), "0");
    // The other notation is not the half minute of this locale.
    EXPECT_EQ(TalkTimeCode("0.5", QLatin1Char(',')), "1");
    EXPECT_EQ(TalkTimeCode("15", QLatin1Char(',')), "*");
    EXPECT_EQ(TalkTimeCode("30", QLatin1Char(',')), "#");
    for (char d = '1'; d <= '9'; ++d)
        EXPECT_EQ(TalkTimeCode(QString(QLatin1Char(d)), QLatin1Char(',')), QByteArray(1, d));
    for (const char* other : {"", "0", "10", "16", "31", "05", " 5", "x"})
        EXPECT_EQ(TalkTimeCode(QString::fromLatin1(other), QLatin1Char(',')), "1") << other;
}

TEST(BoxRequests, SettingsBlocksAndNumberMemories) {
    EXPECT_EQ(SettingsBlockRequest(0), QByteArray("ATDE8*#0\r\n"));
    EXPECT_EQ(SettingsBlockRequest(7), QByteArray("ATDE8*#7\r\n"));
    EXPECT_EQ(NumberMemoryRequest(1), QByteArray("ATDE8*100\r\n"));
    EXPECT_EQ(NumberMemoryRequest(9), QByteArray("ATDE8*110\r\n"));
    EXPECT_EQ(NumberMemoryRequest(64), QByteArray("ATDE8*177\r\n"));
    EXPECT_EQ(NumberMemoryRequest(65), QByteArray("ATDE8*200\r\n"));
    EXPECT_EQ(NumberMemoryRequest(74), QByteArray("ATDE8*211\r\n"));
    EXPECT_EQ(NumberMemoryRequest(128), QByteArray("ATDE8*277\r\n"));
}

TEST(BoxRequests, LongCommandsSplitAfterSeventeenCharacters) {
    // 19 characters with CR LF: whole.
    EXPECT_FALSE(SplitLongCommand("ATDE1011234567890\r\n").has_value());
    // 20 characters: split.
    const QByteArray twenty = "ATDE10112345678901\r\n";
    ASSERT_EQ(twenty.size(), 20);
    auto parts = SplitLongCommand(twenty);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->first, QByteArray("ATDE1011234567890\r\n"));
    EXPECT_EQ(parts->second, QByteArray("ATDE1\r\n"));
    // The longest memory entry: 32 escaped characters.
    const QByteArray longest = "ATDE164" + QByteArray(32, '*') + "\r\n";
    parts = SplitLongCommand(longest);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->first, "ATDE164" + QByteArray(10, '*') + "\r\n");
    EXPECT_EQ(parts->second, "ATDE" + QByteArray(22, '*') + "\r\n");
}

} // namespace
} // namespace lumo
