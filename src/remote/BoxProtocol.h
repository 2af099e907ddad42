#pragma once
#include "remote/CommandTable.h"
#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

namespace lumo {

// The line box's command language and the unit's DTMF programming codes, as plain functions
// over bytes: framing of replies, the fixed sequences, the read requests, the decoding of what
// the unit sends back and the splitting of long commands.

inline const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// --- framing ---------------------------------------------------------------------------------

// A reply is complete when the buffer ends in CR LF.
bool ReplyComplete(const QByteArray& buffer);
// The complete reply without its final CR LF.
QByteArray ReplyText(const QByteArray& buffer);
// The reply to "AT@RESET" counts when the five characters before the final CR LF are "RESET";
// text before them is allowed.
bool IsResetReply(const QByteArray& buffer);
// The loops that wait inside one step for "OK" accept a buffer ending in "OK\r\n".
bool EndsWithOk(const QByteArray& buffer);

// --- DTMF characters ---------------------------------------------------------------------------

// "D" 0, "1".."9" 1..9, "0" 10, "*" 11, "#" 12, "A" 13, "B" 14, "C" 15; any other character 0.
int DtmfCode(char character);
// The first received character is the low nibble, the second the high one.
quint8 DtmfPairToByte(char first, char second);

// --- fixed sequences ---------------------------------------------------------------------------

// Steps 0..11 of a connection and the stored, unsent "AT"/"OK21" at 12. The number and the
// password are trimmed here.
void BuildConnectSequence(remote::CommandTable& table, const QByteArray& telephoneNumber,
                          const QByteArray& password);
constexpr int kConnectStepCount = 12;
// "8*5", record, read back "B"; the stored "AT"/"OK21" at 3.
void BuildKeepAliveSequence(remote::CommandTable& table);
constexpr int kKeepAliveStepCount = 3;

// Hang-up: "ATH", then "AT@BASIC".
inline const QByteArray kHangUpCommand = QByteArrayLiteral("ATH\r\n");
inline const QByteArray kBasicCommand = QByteArrayLiteral("AT@BASIC\r\n");
// Read-back of recorded characters and the box's report that 16 of them are waiting.
inline const QByteArray kRecordCommand = QByteArrayLiteral("AT@RECE\r\n");
inline const QByteArray kReadRecordedCommand = QByteArrayLiteral("AT@RECN\r\n");
inline const QByteArray kFullReply = QByteArrayLiteral("FULL");
inline const QByteArray kErrReply = QByteArrayLiteral("ERR");
// The entry that ends a write group: stored, never sent.
inline const QByteArray kGroupEnd = QByteArrayLiteral("Kon");

// The maximum call time as its one-character programming code: "0" for a half minute (in the
// locale's decimal notation, "0,5" or "0.5"), "*" for 15, "#" for 30, the digit for 1..9 and
// "1" for anything else.
QByteArray TalkTimeCode(const QString& text);
QByteArray TalkTimeCode(const QString& text, QChar decimalSeparator);

// --- read requests and decoding ----------------------------------------------------------------

// "ATDE8*#" + b + CR LF for settings block b (0..7).
QByteArray SettingsBlockRequest(int block);
// "ATDE8*" + group + (m div 8) + (m mod 8) + CR LF for number memory k (1..128): group "1" and
// m = k - 1 for DAY memories 1..64, group "2" and m = k - 65 for NIGHT memories 65..128.
QByteArray NumberMemoryRequest(int memory);
constexpr int kSettingsBlockChars = 32;
constexpr int kNumberMemoryChars = 16;
// A settings block arrives as 32 DTMF characters; byte j (1..16) is the pair (2j-1, 2j) and
// goes to position 16*block + j of the 128-byte image. Characters missing from a short block
// are taken as "D" (0). The image is grown to 128 bytes if needed.
void DecodeSettingsBlock(const QByteArray& characters, int block, QByteArray& image);
// A number memory arrives as 16 DTMF characters; byte j is the code of character j, which is
// the digit code of the memory image. Missing characters give 15 (end of number).
QByteArray DecodeNumberMemoryCharacters(const QByteArray& characters);

// --- splitting ---------------------------------------------------------------------------------

// A command of 20 or more characters (CR LF included) goes out in two parts: its first 17
// characters + CR LF, then, once the first is acknowledged, "ATDE" + the rest from its 18th
// character. Shorter commands are sent whole (nullopt).
struct SplitCommand {
    QByteArray first;
    QByteArray second;
};
constexpr int kSplitLength = 20;
std::optional<SplitCommand> SplitLongCommand(const QByteArray& command);

} // namespace lumo
