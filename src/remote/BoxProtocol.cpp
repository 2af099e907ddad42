#include "remote/BoxProtocol.h"
#include "params/RemoteValues.h"
#include "params/ToneCodes.h"

namespace lumo {

namespace {
const QByteArray kOk = QByteArrayLiteral("OK");
}

bool ReplyComplete(const QByteArray& buffer) {
    return buffer.endsWith(kCrLf);
}

QByteArray ReplyText(const QByteArray& buffer) {
    return ReplyComplete(buffer) ? buffer.left(buffer.size() - 2) : buffer;
}

bool IsResetReply(const QByteArray& buffer) {
    return ReplyComplete(buffer) && ReplyText(buffer).endsWith("RESET");
}

bool EndsWithOk(const QByteArray& buffer) {
    return buffer.endsWith("OK\r\n");
}

int DtmfCode(char character) {
    if (character >= '1' && character <= '9')
        return character - '0';
    switch (character) {
    case '0':
        return 10;
    case '*':
        return 11;
    case '#':
        return 12;
    case 'A':
        return 13;
    case 'B':
        return 14;
    case 'C':
        return 15;
    default:
        return 0; // "D" and everything outside the sixteen DTMF characters
    }
}

quint8 DtmfPairToByte(char first, char second) {
    return static_cast<quint8>(DtmfCode(second) * 16 + DtmfCode(first));
}

void BuildConnectSequence(remote::CommandTable& table, const QByteArray& telephoneNumber,
                          const QByteArray& password) {
    const QByteArray ok = kOk;
    table.set(0, "AT@RESET" + kCrLf, "RESET");
    table.set(1, "AT@DEFAULT" + kCrLf, ok);
    table.set(2, "AT@NORM" + kCrLf, ok);
    table.set(3, "ATA" + kCrLf, ok);
    table.set(4, "ATDE" + telephoneNumber.trimmed() + kCrLf, ok);
    table.set(5, "ATDEA" + kCrLf, ok);
    table.set(6, kRecordCommand, ok);
    table.set(7, kReadRecordedCommand, "BOK");
    table.set(8, "ATDE#" + password.trimmed() + kCrLf, ok);
    table.set(9, "ATDE8*5" + kCrLf, ok);
    table.set(10, kRecordCommand, ok);
    table.set(11, kReadRecordedCommand, "BOK");
    table.set(12, "AT", "OK21");
}

void BuildKeepAliveSequence(remote::CommandTable& table) {
    table.set(0, "ATDE8*5" + kCrLf, kOk);
    table.set(1, kRecordCommand, kOk);
    table.set(2, kReadRecordedCommand, "BOK");
    table.set(3, "AT", "OK21");
}

QByteArray TalkTimeCode(const QString& text) {
    return talkTimeCode(text, codes::callTimeHalf()).toLatin1();
}

QByteArray TalkTimeCode(const QString& text, QChar decimalSeparator) {
    const QString half = QStringLiteral("0") + decimalSeparator + QStringLiteral("5");
    return talkTimeCode(text, half).toLatin1();
}

QByteArray SettingsBlockRequest(int block) {
    return "ATDE8*#" + QByteArray::number(block) + kCrLf;
}

QByteArray NumberMemoryRequest(int memory) {
    const bool day = memory <= 64;
    const int m = day ? memory - 1 : memory - 65;
    return QByteArray("ATDE8*") + (day ? '1' : '2') + QByteArray::number(m / 8) +
           QByteArray::number(m % 8) + kCrLf;
}

void DecodeSettingsBlock(const QByteArray& characters, int block, QByteArray& image) {
    if (image.size() < 128)
        image.append(QByteArray(128 - image.size(), '\0'));
    auto at = [&](int i) { return i < characters.size() ? characters[i] : 'D'; };
    for (int j = 1; j <= 16; ++j) {
        const int position = 16 * block + j; // 1-based
        if (position < 1 || position > 128)
            continue;
        image[position - 1] = static_cast<char>(DtmfPairToByte(at(2 * j - 2), at(2 * j - 1)));
    }
}

QByteArray DecodeNumberMemoryCharacters(const QByteArray& characters) {
    QByteArray image(kNumberMemoryChars, char(15));
    for (int j = 0; j < kNumberMemoryChars && j < characters.size(); ++j)
        image[j] = static_cast<char>(DtmfCode(characters[j]));
    return image;
}

std::optional<SplitCommand> SplitLongCommand(const QByteArray& command) {
    if (command.size() < kSplitLength)
        return std::nullopt;
    return SplitCommand{command.left(17) + kCrLf, "ATDE" + command.mid(17)};
}

} // namespace lumo
