#pragma once
#include <QString>
#include <optional>

namespace lumo::codes {

// The small code tables of the settings image, both ways. Functions returning std::nullopt
// mean "leave the field (or the transfer-buffer entry) as it is".

// A decimal integer with an optional sign, nothing else (no blanks, no hex): nullopt otherwise.
std::optional<int> parseDecimal(const QString& text);

// One half minute written with the locale's decimal separator ("0,5" under a Czech locale).
QString callTimeHalf();
// Call time (position 3): half -> 10, "1".."9" -> 1..9, "15" -> 11, "30" -> 12, other -> 1.
int callTimeToCode(const QString& text, const QString& half);
std::optional<QString> callTimeFromCode(unsigned char byte, const QString& half);

// Firmware version (position 119 and the status tag "V"): 17 -> "1.7", 8 -> "8.".
QString versionText(unsigned char byte);
// 60 when the text is shorter than 3 characters, else the number of its first and last
// character ("1.7" -> 17).
int versionByte(const QString& version);

// Busy-tone count (position 121, ComboBox1).
std::optional<int> busyToneCode(const QString& countText);
std::optional<QString> busyToneText(unsigned char byte);

// Frequency band (position 122, ComboBox2): code c is 50c..50c+150 Hz.
std::optional<int> bandCode(const QString& bandText);
std::optional<QString> bandText(unsigned char byte);

// Continuous-tone time (position 123, ComboBox3): 50 units per second.
std::optional<int> toneTimeCode(const QString& secondsText);
QString toneTimeText(unsigned char byte);

// Digit code of dialling numbers, codes and passwords: "1".."9" 1..9, "0" 10, "*" 11, "#" 12,
// "P" 13, "F" 14, "D" 0. nullopt for any other character.
std::optional<int> digitCode(QChar ch);
// The character of a digit-code byte; empty for 15, 255 and every byte outside the code.
QString digitFromCode(unsigned char byte);

} // namespace lumo::codes
