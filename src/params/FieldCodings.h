#pragma once
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "params/TransferBuffer.h"
#include <QByteArray>
#include <QString>
#include <vector>

namespace lumo {

class Texts;

// One row of operations per coding of the field table. The codec, the settings file and the
// validation walk the table and call the row of each field's coding; none of them switches
// over a coding of its own. Special cases are rows of their own: the nibble pairs of image
// positions 8 and 9, the two sound bits of position 125, the mode texts.

// What the image operations need besides the field.
struct ImageContext {
    const Texts& texts; // mode texts DEN/NOC
    QString half;       // one half minute in the locale's format
};

struct ImageCodingRow {
    ImageCoding coding;
    // Sets the field from its byte(s) of the 128-byte image; a byte outside the coding leaves
    // the field as it is.
    void (*decode)(const FieldDef&, const QByteArray& image, const ImageContext&, ParameterSet&);
    // Writes the field's byte(s) into the transfer buffer (slot = position - 1). A value that
    // cannot be coded leaves its slot. nullptr: the field's byte is written by its partner.
    void (*encode)(const FieldDef&, const ParameterSet&, const ImageContext&, TransferBuffer&);
    // Whether a text can be coded, for fields that have neither a range nor a text-shape rule.
    bool (*valid)(const QString& text);
};
const ImageCodingRow& imageCodingRow(ImageCoding coding);

struct FileCodingRow {
    FileCoding coding;
    // The value text of a record from the fields stored in it.
    QString (*text)(const std::vector<const FieldDef*>& fields, const ParameterSet&);
    // Applies a record's value to one of its fields; `optional` for records after the
    // mandatory ones.
    void (*apply)(const FieldDef&, const QString& value, bool optional, ParameterSet&);
    // What the absence of an optional record means for the field.
    void (*missing)(const FieldDef&, ParameterSet&);
};
const FileCodingRow& fileCodingRow(FileCoding coding);

struct DisplayCodingRow {
    DisplayCoding coding;
    QString (*text)(const FieldDef&, const ParameterSet&, const Texts&);
};
const DisplayCodingRow& displayCodingRow(DisplayCoding coding);

// The field's value as the printout and compare views show it.
QString displayText(const FieldDef& field, const ParameterSet& params, const Texts& texts);

// Writes `count` digit codes of `text` from buffer slot `first`; slots past the text get 255.
void digitsToCodesInBuffer(TransferBuffer& buffer, const QString& text, int count, int first);

// The fields stored in one settings-file record (CheckBox3 and CheckBox4 share TONE).
std::vector<const FieldDef*> fieldsOfRecord(int record);

} // namespace lumo
