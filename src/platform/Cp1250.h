#pragma once
#include <QByteArray>
#include <QString>

namespace lumo::cp1250 {

// Windows code page 1250 (Central European). Byte values that the code page leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 control of the same number, so every byte
// round-trips. Characters that the code page cannot hold become '?'.
QString toUnicode(const QByteArray& bytes);
QByteArray fromUnicode(const QString& text);
// One byte <-> one character.
QChar toChar(unsigned char byte);
bool fromChar(QChar ch, unsigned char* byte);

} // namespace lumo::cp1250
