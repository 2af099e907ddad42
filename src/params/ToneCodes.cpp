#include "params/ToneCodes.h"
#include "platform/Locale.h"
#include <cstdint>

namespace lumo::codes {

std::optional<int> parseDecimal(const QString& text) {
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    int start = (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    long long value = 0;
    for (int i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (text[0] == QLatin1Char('-'))
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

QString callTimeHalf() {
    return QStringLiteral("0") + decimalSeparator() + QStringLiteral("5");
}

int callTimeToCode(const QString& text, const QString& half) {
    if (text == half)
        return 10;
    if (text == QLatin1String("15"))
        return 11;
    if (text == QLatin1String("30"))
        return 12;
    if (text.size() == 1 && text[0] >= QLatin1Char('1') && text[0] <= QLatin1Char('9'))
        return text[0].unicode() - '0';
    return 1;
}

std::optional<QString> callTimeFromCode(unsigned char byte, const QString& half) {
    if (byte == 0 || byte == 10)
        return half;
    if (byte <= 9)
        return QString::number(byte);
    if (byte == 11)
        return QStringLiteral("15");
    if (byte == 12)
        return QStringLiteral("30");
    return std::nullopt;
}

QString versionText(unsigned char byte) {
    const QString digits = QString::number(byte);
    return digits.left(1) + QLatin1Char('.') + digits.mid(1);
}

int versionByte(const QString& version) {
    if (version.size() < 3)
        return 60;
    // Only texts made by versionText() reach here; anything else is treated as unknown.
    const std::optional<int> v = parseDecimal(QString(version.front()) + version.back());
    return v && *v >= 0 ? *v : 60;
}

std::optional<int> busyToneCode(const QString& countText) {
    const std::optional<int> n = parseDecimal(countText);
    if (!n || *n < 0 || *n > 255)
        return std::nullopt;
    if (*n <= 2)
        return 5;
    if (*n <= 4)
        return 1;
    if (*n <= 6)
        return 2;
    if (*n <= 8)
        return 3;
    return 4;
}

std::optional<QString> busyToneText(unsigned char byte) {
    switch (byte) {
    case 1:
        return QStringLiteral("4");
    case 2:
        return QStringLiteral("6");
    case 3:
        return QStringLiteral("8");
    case 4:
        return QStringLiteral("10");
    case 5:
        return QStringLiteral("2");
    case 255:
        return QStringLiteral("8");
    default:
        if (byte >= 6 && byte <= 12)
            return QStringLiteral("10");
        return std::nullopt;
    }
}

static QString bandOf(int code) {
    return QStringLiteral("%1-%2").arg(50 * code).arg(50 * code + 150);
}

std::optional<int> bandCode(const QString& text) {
    for (int code = 4; code <= 16; ++code)
        if (text == bandOf(code))
            return code;
    return std::nullopt;
}

std::optional<QString> bandText(unsigned char byte) {
    if (byte >= 1 && byte <= 4)
        return bandOf(4);
    if (byte >= 5 && byte <= 14)
        return bandOf(byte);
    if (byte >= 15 && byte <= 18)
        return bandOf(15);
    if (byte == 255)
        return bandOf(7);
    return std::nullopt;
}

std::optional<int> toneTimeCode(const QString& secondsText) {
    const std::optional<int> n = parseDecimal(secondsText);
    if (!n || *n < 0 || *n > 255)
        return std::nullopt;
    if (*n <= 1)
        return 50;
    if (*n >= 5)
        return 250;
    return 50 * *n;
}

QString toneTimeText(unsigned char byte) {
    if (byte <= 82)
        return QStringLiteral("1");
    if (byte <= 136)
        return QStringLiteral("2");
    if (byte <= 190)
        return QStringLiteral("3");
    if (byte <= 234)
        return QStringLiteral("4");
    return QStringLiteral("5");
}

std::optional<int> digitCode(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'1' && c <= u'9')
        return c - u'0';
    switch (c) {
    case u'0':
        return 10;
    case u'*':
        return 11;
    case u'#':
        return 12;
    case u'P':
        return 13;
    case u'F':
        return 14;
    case u'D':
        return 0;
    default:
        return std::nullopt;
    }
}

QString digitFromCode(unsigned char byte) {
    static const char* const chars[15] = {"D", "1", "2", "3", "4", "5", "6", "7",
                                          "8", "9", "0", "*", "#", "P", "F"};
    // 15 and 255 are padding; 16..254 never come from a sound unit and are read as padding
    // too rather than repeating the previous character.
    if (byte < 15)
        return QString::fromLatin1(chars[byte]);
    return {};
}

} // namespace lumo::codes
