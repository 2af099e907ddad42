#include "params/FieldCodings.h"
#include "params/ToneCodes.h"
#include "texts/Texts.h"
#include <cmath>
#include <optional>

namespace lumo {

namespace {

// Message numbers of the mode texts and the yes/no display texts.
constexpr int kDayMessage = 45;
constexpr int kNightMessage = 46;
constexpr int kYesMessage = 53;
constexpr int kNoMessage = 54;

QString nameOf(const FieldDef& f) {
    return QString::fromLatin1(f.name);
}

unsigned char at(const QByteArray& image, int position) {
    return static_cast<unsigned char>(image.at(position - 1));
}

// Slot k of the buffer carries image position k + 1.
void put(TransferBuffer& buffer, int position, std::optional<int> value) {
    if (value)
        buffer[position - 1] = *value;
}

std::optional<int> number(const ParameterSet& p, const FieldDef& f) {
    return codes::parseDecimal(p.text(nameOf(f)));
}

// The other field at the same image position: the low half of a nibble pair, the other sound
// bit.
const FieldDef* partnerOf(const FieldDef& f) {
    for (const FieldDef& other : fieldTable())
        if (&other != &f && other.imagePosition == f.imagePosition)
            return &other;
    return nullptr;
}

void digitsToCodes(TransferBuffer& buffer, const QString& text, int count, int first) {
    for (int j = 1; j <= count; ++j) {
        const int slot = first + j - 1;
        if (slot < 1 || slot > 128)
            continue;
        if (j > text.size()) {
            buffer[slot] = 255;
        } else if (const auto code = codes::digitCode(text[j - 1])) {
            buffer[slot] = *code;
        }
        // A character outside the digit code leaves its slot; Validation refuses such texts.
    }
}

bool onlyDigitCode(const QString& t) {
    for (QChar c : t)
        if (!codes::digitCode(c))
            return false;
    return true;
}

bool anyText(const QString&) {
    return true;
}

// --- decoders ---------------------------------------------------------------------------

void decodeNumber(const FieldDef& f, const QByteArray& image, const ImageContext&,
                  ParameterSet& p) {
    p.setText(nameOf(f), QString::number(at(image, f.imagePosition)));
}

void decodeRingCount(const FieldDef& f, const QByteArray& image, const ImageContext&,
                     ParameterSet& p) {
    p.setText(
        nameOf(f),
        QString::number(at(image, f.imagePosition)).rightJustified(2, QLatin1Char('0')).right(2));
}

// Nibble pairs: positions 8 (tone | gap, 10 ms) and 9 (flash, 100 ms | pause, 100 ms).
template <bool High, int Unit>
void decodeNibble(const FieldDef& f, const QByteArray& image, const ImageContext&,
                  ParameterSet& p) {
    const unsigned char b = at(image, f.imagePosition);
    p.setText(nameOf(f), QString::number((High ? b >> 4 : b & 0x0F) * Unit));
}

// The byte is computed once, from the high-nibble field and its partner, in floating point as
// the unit's tool always did (tone 100 + gap 100 gives 170).
template <int Unit>
void encodeNibblePair(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                      TransferBuffer& buffer) {
    const FieldDef* low = partnerOf(f);
    const auto high = number(p, f);
    const auto lowValue = low ? number(p, *low) : std::nullopt;
    if (!high || !lowValue)
        return;
    const double v = std::trunc(*high / double(Unit) * 16 + *lowValue / double(Unit));
    if (v >= -2147483648.0 && v <= 2147483647.0)
        put(buffer, f.imagePosition, static_cast<int>(v));
}

void decodeDigits(const FieldDef& f, const QByteArray& image, const ImageContext&,
                  ParameterSet& p) {
    QString digits;
    for (int pos = f.imagePosition; pos < f.imagePosition + f.imageLength; ++pos)
        digits += codes::digitFromCode(at(image, pos));
    p.setText(nameOf(f), digits);
}

void decodeCallTime(const FieldDef& f, const QByteArray& image, const ImageContext& c,
                    ParameterSet& p) {
    if (const auto t = codes::callTimeFromCode(at(image, f.imagePosition), c.half))
        p.setText(nameOf(f), *t);
}

void decodeCheckOneZero(const FieldDef& f, const QByteArray& image, const ImageContext&,
                        ParameterSet& p) {
    const unsigned char b = at(image, f.imagePosition);
    if (b <= 1)
        p.setChecked(nameOf(f), b == 1);
}

void decodeCheckZeroOne(const FieldDef& f, const QByteArray& image, const ImageContext&,
                        ParameterSet& p) {
    p.setChecked(nameOf(f), at(image, f.imagePosition) == 0);
}

template <int Bit>
void decodeSoundBit(const FieldDef& f, const QByteArray& image, const ImageContext&,
                    ParameterSet& p) {
    const unsigned char b = at(image, f.imagePosition);
    if (b <= 3)
        p.setChecked(nameOf(f), (b & Bit) != 0);
}

void decodeMode(const FieldDef& f, const QByteArray& image, const ImageContext& c,
                ParameterSet& p) {
    const unsigned char b = at(image, f.imagePosition);
    if (b <= 1)
        p.setText(nameOf(f), c.texts.message(b == 0 ? kDayMessage : kNightMessage));
}

template <std::optional<QString> (*Text)(unsigned char)>
void decodeListCode(const FieldDef& f, const QByteArray& image, const ImageContext&,
                    ParameterSet& p) {
    if (const auto t = Text(at(image, f.imagePosition)))
        p.setText(nameOf(f), *t);
}

void decodeToneDuration(const FieldDef& f, const QByteArray& image, const ImageContext&,
                        ParameterSet& p) {
    p.setText(nameOf(f), codes::toneTimeText(at(image, f.imagePosition)));
}

// --- encoders ---------------------------------------------------------------------------

void encodeNumber(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                  TransferBuffer& buffer) {
    put(buffer, f.imagePosition, number(p, f));
}

void encodeRingCount(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                     TransferBuffer& buffer) {
    const QString t = p.text(nameOf(f));
    put(buffer, f.imagePosition,
        codes::parseDecimal(t.startsWith(QLatin1Char('0')) ? t.right(1) : t));
}

void encodeDigits(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                  TransferBuffer& buffer) {
    digitsToCodes(buffer, p.text(nameOf(f)), f.imageLength, f.imagePosition - 1);
}

void encodeCallTime(const FieldDef& f, const ParameterSet& p, const ImageContext& c,
                    TransferBuffer& buffer) {
    put(buffer, f.imagePosition, codes::callTimeToCode(p.text(nameOf(f)), c.half));
}

void encodeCheckOneZero(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                        TransferBuffer& buffer) {
    put(buffer, f.imagePosition, p.isChecked(nameOf(f)) ? 1 : 0);
}

void encodeCheckZeroOne(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                        TransferBuffer& buffer) {
    put(buffer, f.imagePosition, p.isChecked(nameOf(f)) ? 0 : 1);
}

// Bit 0 from this box, bit 1 from its partner at the same position.
void encodeSoundBits(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                     TransferBuffer& buffer) {
    const FieldDef* other = partnerOf(f);
    put(buffer, f.imagePosition,
        (p.isChecked(nameOf(f)) ? 1 : 0) + (other && p.isChecked(nameOf(*other)) ? 2 : 0));
}

void encodePowerOnCount(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                        TransferBuffer& buffer) {
    const QString t = p.text(nameOf(f));
    put(buffer, f.imagePosition,
        t.isEmpty() || t == QLatin1String("-") ? std::optional<int>(0) : codes::parseDecimal(t));
}

void encodeMode(const FieldDef& f, const ParameterSet& p, const ImageContext& c,
                TransferBuffer& buffer) {
    put(buffer, f.imagePosition, p.text(nameOf(f)) == c.texts.message(kNightMessage) ? 1 : 0);
}

template <std::optional<int> (*Code)(const QString&)>
void encodeListCode(const FieldDef& f, const ParameterSet& p, const ImageContext&,
                    TransferBuffer& buffer) {
    put(buffer, f.imagePosition, Code(p.text(nameOf(f))));
}

// A byte written as decimal digits only.
bool validByte(const QString& t) {
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const std::optional<int> v = codes::parseDecimal(t);
    return v && *v >= 0 && *v <= 255;
}

bool validPowerOnCount(const QString& t) {
    return t.isEmpty() || t == QLatin1String("-") || validByte(t);
}

bool validBand(const QString& t) {
    return codes::bandCode(t).has_value();
}

using C = ImageCoding;
const ImageCodingRow kImageRows[] = {
    {C::Number, decodeNumber, encodeNumber, anyText},
    {C::RingCount, decodeRingCount, encodeRingCount, anyText},
    {C::ToneNibbleHigh, decodeNibble<true, 10>, encodeNibblePair<10>, anyText},
    {C::ToneNibbleLow, decodeNibble<false, 10>, nullptr, anyText},
    {C::FlashNibbleHigh, decodeNibble<true, 100>, encodeNibblePair<100>, anyText},
    {C::PauseNibbleLow, decodeNibble<false, 100>, nullptr, anyText},
    {C::DigitGroup, decodeDigits, encodeDigits, onlyDigitCode},
    {C::CallTime, decodeCallTime, encodeCallTime, anyText},
    {C::CheckOneZero, decodeCheckOneZero, encodeCheckOneZero, anyText},
    {C::CheckZeroOne, decodeCheckZeroOne, encodeCheckZeroOne, anyText},
    {C::SoundBit0, decodeSoundBit<1>, encodeSoundBits, anyText},
    {C::SoundBit1, decodeSoundBit<2>, nullptr, anyText},
    {C::PowerOnCount, decodeNumber, encodePowerOnCount, validPowerOnCount},
    {C::DayNightMode, decodeMode, encodeMode, anyText},
    {C::BusyToneCount, decodeListCode<codes::busyToneText>, encodeListCode<codes::busyToneCode>,
     validByte},
    {C::ToneBand, decodeListCode<codes::bandText>, encodeListCode<codes::bandCode>, validBand},
    {C::ToneDuration, decodeToneDuration, encodeListCode<codes::toneTimeCode>, validByte},
};

// --- settings-file records ---------------------------------------------------------------

QString yesNo(bool checked, const char* yes, const char* no) {
    return QString::fromLatin1(checked ? yes : no);
}

// Bit of a sound box in the TONE record: bit 0 for CheckBox3, bit 1 for CheckBox4.
int soundBit(const FieldDef& f) {
    return f.imageCoding == ImageCoding::SoundBit1 ? 2 : 1;
}

QString fileTextNone(const std::vector<const FieldDef*>&, const ParameterSet&) {
    return {};
}
QString fileText(const std::vector<const FieldDef*>& fields, const ParameterSet& p) {
    return p.text(nameOf(*fields.front()));
}
QString fileCheck(const std::vector<const FieldDef*>& fields, const ParameterSet& p) {
    return yesNo(p.isChecked(nameOf(*fields.front())), "1", "0");
}
QString fileCheckZeroOne(const std::vector<const FieldDef*>& fields, const ParameterSet& p) {
    return yesNo(p.isChecked(nameOf(*fields.front())), "0", "1");
}
QString fileSoundBits(const std::vector<const FieldDef*>& fields, const ParameterSet& p) {
    int bits = 0;
    for (const FieldDef* f : fields)
        if (p.isChecked(nameOf(*f)))
            bits |= soundBit(*f);
    return QString::number(bits);
}

void applyNothing(const FieldDef&, const QString&, bool, ParameterSet&) {}
void applyText(const FieldDef& f, const QString& value, bool optional, ParameterSet& p) {
    p.setText(nameOf(f), value);
    if (optional && f.kind == FieldKind::Text) // the prefix shows once a file has it
        p.setVisible(nameOf(f), true);
}
void applyCheck(const FieldDef& f, const QString& value, bool, ParameterSet& p) {
    p.setChecked(nameOf(f), value == QLatin1String("1"));
}
void applyCheckZeroOne(const FieldDef& f, const QString& value, bool, ParameterSet& p) {
    p.setEnabled(nameOf(f), true);
    p.setChecked(nameOf(f), value == QLatin1String("0"));
}
void applySoundBits(const FieldDef& f, const QString& value, bool, ParameterSet& p) {
    p.setEnabled(nameOf(f), true);
    if (value.size() == 1 && value[0] >= QLatin1Char('0') && value[0] <= QLatin1Char('3'))
        p.setChecked(nameOf(f), ((value[0].unicode() - '0') & soundBit(f)) != 0);
}

void missingNothing(const FieldDef&, ParameterSet&) {}
void missingText(const FieldDef& f, ParameterSet& p) {
    if (f.kind == FieldKind::Text) { // the prefix; the lists keep their values
        p.setText(nameOf(f), QString());
        p.setVisible(nameOf(f), false);
    }
}
void missingSoundBits(const FieldDef& f, ParameterSet& p) {
    p.setChecked(nameOf(f), true);
    p.setEnabled(nameOf(f), false);
}
void missingCheckZeroOne(const FieldDef& f, ParameterSet& p) {
    p.setChecked(nameOf(f), false);
    p.setEnabled(nameOf(f), false);
}

using FC = FileCoding;
const FileCodingRow kFileRows[] = {
    {FC::None, fileTextNone, applyNothing, missingNothing},
    {FC::Text, fileText, applyText, missingText},
    {FC::Check, fileCheck, applyCheck, missingNothing},
    {FC::SoundBits, fileSoundBits, applySoundBits, missingSoundBits},
    {FC::CheckZeroOne, fileCheckZeroOne, applyCheckZeroOne, missingCheckZeroOne},
};

const DisplayCodingRow kDisplayRows[] = {
    {DisplayCoding::Text,
     [](const FieldDef& f, const ParameterSet& p, const Texts&) { return p.text(nameOf(f)); }},
    {DisplayCoding::CheckMark,
     [](const FieldDef& f, const ParameterSet& p, const Texts&) {
         return yesNo(p.isChecked(nameOf(f)), "X", "-");
     }},
    {DisplayCoding::YesNo,
     [](const FieldDef& f, const ParameterSet& p, const Texts& t) {
         return t.message(p.isChecked(nameOf(f)) ? kYesMessage : kNoMessage);
     }},
};

template <typename Row, size_t N, typename Coding>
const Row& rowFor(const Row (&rows)[N], Coding coding) {
    for (const Row& r : rows)
        if (r.coding == coding)
            return r;
    return rows[0];
}

} // namespace

const ImageCodingRow& imageCodingRow(ImageCoding coding) {
    return rowFor(kImageRows, coding);
}

const FileCodingRow& fileCodingRow(FileCoding coding) {
    return rowFor(kFileRows, coding);
}

const DisplayCodingRow& displayCodingRow(DisplayCoding coding) {
    return rowFor(kDisplayRows, coding);
}

QString displayText(const FieldDef& field, const ParameterSet& params, const Texts& texts) {
    return displayCodingRow(field.display).text(field, params, texts);
}

std::vector<const FieldDef*> fieldsOfRecord(int record) {
    std::vector<const FieldDef*> fields;
    for (const FieldDef& f : fieldTable())
        if (record > 0 && f.fileRecord == record)
            fields.push_back(&f);
    return fields;
}

void digitsToCodesInBuffer(TransferBuffer& buffer, const QString& text, int count, int first) {
    digitsToCodes(buffer, text, count, first);
}

} // namespace lumo
