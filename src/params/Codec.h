#pragma once
#include "params/ParameterSet.h"
#include "params/TransferBuffer.h"
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lumo {

class Texts;

// What decoding found that the user should be told (the wrong-marker message); the caller
// shows it. Decoding goes on regardless.
struct DecodeReport {
    QStringList messages;
    bool clean() const { return messages.isEmpty(); }
};

// Converts between the unit's memory images and the parameter set. Holds no state of its
// own: it works on the parameter set, the transfer buffer and the unit snapshot it is given.
// Each field is coded by the row of its coding (FieldCodings.h). Mode texts ("DEN"/"NOC",
// MESSAGE 45/46) and the wrong-marker message (MESSAGE 36) come from the texts table; the
// call-time half uses the decimal separator of QLocale().
class Codec {
public:
    Codec(ParameterSet& params, TransferBuffer& buffer, const Texts& texts);

    // Image lengths are the caller's guarantee: 128, 16 and 8 bytes.
    DecodeReport DecodeSettings(const QByteArray& image);
    void DecodeNumberMemory(const QByteArray& image, int memory);
    void DecodeStatus(const QByteArray& image, bool toSnapshot, UnitSnapshot& snapshot);

    void EncodeSettings();               // slots 1..127 = image positions 2..128
    void EncodeNumberMemory(int memory); // slots 1..16

    // The 128-byte settings image a sender transmits: 0x55, then slots 1..127.
    QByteArray settingsImageFromBuffer() const;
    // The 16-byte number-memory image: slots 1..16.
    QByteArray numberImageFromBuffer() const;

    static void DigitsToCodes(TransferBuffer& buffer, const QString& text, int count, int first);
    static QString CodeToDigit(unsigned char byte);
    static int CallTimeToCode(const QString& text);
    // The firmware version text of a version byte ("1.7" for 17).
    static QString VersionText(unsigned char byte);

private:
    ParameterSet& m_params;
    TransferBuffer& m_buffer;
    const Texts& m_texts;
};

} // namespace lumo
