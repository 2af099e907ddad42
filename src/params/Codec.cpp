#include "params/Codec.h"
#include "params/FieldTable.h"
#include "params/ToneCodes.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"
#include <algorithm>
#include <cmath>

namespace lumo {

namespace {

constexpr unsigned char kMarker = 0x55;
constexpr int kVersionPosition = 119;
// A sequential switch 2 implies a plain switch 1; the unit stores it that way.
const QString kSequentialSwitch2 = QStringLiteral("RadioButton21");
const QString kPlainSwitch1 = QStringLiteral("RadioButton12");

QString name(const FieldDef& f) {
    return QString::fromLatin1(f.name);
}
QString name(const OptionDef& o) {
    return QString::fromLatin1(o.button);
}

// Fields that live in the settings image, ordered by position (the table is in control-name
// order; decoding walks the image).
const std::vector<const FieldDef*>& settingsFields() {
    static const std::vector<const FieldDef*> fields = [] {
        std::vector<const FieldDef*> v;
        for (const FieldDef& f : fieldTable())
            if (f.imagePosition > 0)
                v.push_back(&f);
        std::stable_sort(v.begin(), v.end(), [](const FieldDef* a, const FieldDef* b) {
            return a->imagePosition < b->imagePosition;
        });
        return v;
    }();
    return fields;
}

// Positions 2..128 that no parameter uses; the encoder writes 255 there.
const std::vector<bool>& unusedPositions() {
    static const std::vector<bool> unused = [] {
        std::vector<bool> u(129, true);
        u[0] = u[1] = false;
        u[kVersionPosition] = false;
        for (const FieldDef& f : fieldTable())
            for (int p = f.imagePosition;
                 f.imagePosition > 0 && p < f.imagePosition + f.imageLength; ++p)
                u[size_t(p)] = false;
        for (const OptionGroupDef& g : optionGroups())
            u[size_t(g.imagePosition)] = false;
        return u;
    }();
    return unused;
}

unsigned char at(const QByteArray& image, int position) {
    return static_cast<unsigned char>(image.at(position - 1));
}

// Field values with integer semantics: the text read as a decimal integer, or nothing.
std::optional<int> number(const ParameterSet& params, const FieldDef& f) {
    return codes::parseDecimal(params.text(name(f)));
}

// The other field that shares an image position (the low nibble of positions 8 and 9).
const FieldDef* partnerAt(int position, const FieldDef* self) {
    for (const FieldDef* other : settingsFields())
        if (other->imagePosition == position && other != self)
            return other;
    return nullptr;
}

} // namespace

Codec::Codec(ParameterSet& params, TransferBuffer& buffer, const Texts& texts, Messenger* messenger)
    : m_params(params), m_buffer(buffer), m_texts(texts), m_messenger(messenger) {}

void Codec::DecodeSettings(const QByteArray& image) {
    if (image.size() < 128)
        return; // callers only decode complete images
    if (at(image, 1) != kMarker && m_messenger)
        m_messenger->message(m_texts.message(36));

    const QString half = codes::callTimeHalf();
    for (const FieldDef* fp : settingsFields()) {
        const FieldDef& f = *fp;
        const QString n = name(f);
        const unsigned char b = at(image, f.imagePosition);
        switch (f.imageCoding) {
        case ImageCoding::None:
            break;
        case ImageCoding::Number:
        case ImageCoding::PowerOnCount:
            m_params.setText(n, QString::number(b));
            break;
        case ImageCoding::RingCount:
            m_params.setText(n, QString::number(b).rightJustified(2, QLatin1Char('0')).right(2));
            break;
        case ImageCoding::ToneNibbleHigh:
            m_params.setText(n, QString::number((b >> 4) * 10));
            break;
        case ImageCoding::ToneNibbleLow:
            m_params.setText(n, QString::number((b & 0x0F) * 10));
            break;
        case ImageCoding::FlashNibbleHigh:
            m_params.setText(n, QString::number((b >> 4) * 100));
            break;
        case ImageCoding::PauseNibbleLow:
            m_params.setText(n, QString::number((b & 0x0F) * 100));
            break;
        case ImageCoding::DigitGroup: {
            QString digits;
            for (int p = f.imagePosition; p < f.imagePosition + f.imageLength; ++p)
                digits += CodeToDigit(at(image, p));
            m_params.setText(n, digits);
            break;
        }
        case ImageCoding::CallTime:
            if (const auto t = codes::callTimeFromCode(b, half))
                m_params.setText(n, *t);
            break;
        case ImageCoding::CheckOneZero:
            if (b <= 1)
                m_params.setChecked(n, b == 1);
            break;
        case ImageCoding::CheckZeroOne:
            m_params.setChecked(n, b == 0);
            break;
        case ImageCoding::SoundBit0:
            if (b <= 3)
                m_params.setChecked(n, (b & 1) != 0);
            break;
        case ImageCoding::SoundBit1:
            if (b <= 3)
                m_params.setChecked(n, (b & 2) != 0);
            break;
        case ImageCoding::DayNightMode:
            if (b == 0)
                m_params.setText(n, m_texts.message(45));
            else if (b == 1)
                m_params.setText(n, m_texts.message(46));
            break;
        case ImageCoding::BusyToneCount:
            if (const auto t = codes::busyToneText(b))
                m_params.setText(n, *t);
            break;
        case ImageCoding::ToneBand:
            if (const auto t = codes::bandText(b))
                m_params.setText(n, *t);
            break;
        case ImageCoding::ToneDuration:
            m_params.setText(n, codes::toneTimeText(b));
            break;
        }
    }

    // Option groups go in position order, so switch 1 (37) is set before switch 2 (38). Setting
    // buttons from data never runs the switch-mode rule: the stored switch-1 mode survives.
    std::vector<const OptionGroupDef*> groups;
    for (const OptionGroupDef& g : optionGroups())
        groups.push_back(&g);
    std::stable_sort(groups.begin(), groups.end(),
                     [](auto* a, auto* b) { return a->imagePosition < b->imagePosition; });
    for (const OptionGroupDef* g : groups) {
        const unsigned char b = at(image, g->imagePosition);
        for (const OptionDef& o : g->options) {
            if (o.imageCode == b) {
                m_params.setChecked(name(o), true);
                if (name(o) == kSequentialSwitch2)
                    m_params.setChecked(kPlainSwitch1, true);
                break;
            }
        }
    }

    const unsigned char version = at(image, kVersionPosition);
    if (version != 255)
        m_params.setFirmwareVersion(codes::versionText(version));
}

void Codec::DecodeNumberMemory(const QByteArray& image, int memory) {
    if (memory < 0 || memory > 127)
        return;
    QString digits;
    for (int i = 0; i < 16 && i < image.size(); ++i)
        digits += CodeToDigit(static_cast<unsigned char>(image.at(i)));
    m_params.setText(numberFieldName(memory), digits);
}

void Codec::DecodeStatus(const QByteArray& image, bool toSnapshot, UnitSnapshot& snapshot) {
    for (int k = 0; k + 1 < image.size() && k < 8; k += 2) {
        const char tag = image.at(k);
        const unsigned char value = static_cast<unsigned char>(image.at(k + 1));
        switch (tag) {
        case 'V':
            m_params.setFirmwareVersion(codes::versionText(value));
            break;
        case 'N':
            if (toSnapshot)
                snapshot.unfitted = QString::number(value);
            else
                m_params.setText(QStringLiteral("Edit151"), QString::number(value));
            break;
        case 'S':
            if (value <= 1) {
                const QString mode = m_texts.message(value == 0 ? 45 : 46);
                if (toSnapshot)
                    snapshot.mode = mode;
                else
                    m_params.setText(QStringLiteral("Edit156"), mode);
            }
            break;
        case 'U':
            if (toSnapshot)
                snapshot.counter = QString::number(value);
            else
                m_params.setText(QStringLiteral("Edit157"), QString::number(value));
            break;
        default:
            break; // unknown tags are skipped with their value
        }
    }
}

void Codec::EncodeSettings() {
    const QString half = codes::callTimeHalf();
    // Slot k carries image position k + 1. A value that cannot be converted leaves its slot as
    // it was; Validation refuses such sets before any transfer starts.
    auto put = [this](int position, std::optional<int> value) {
        if (value)
            m_buffer[position - 1] = *value;
    };

    for (const FieldDef* fp : settingsFields()) {
        const FieldDef& f = *fp;
        const QString n = name(f);
        const int pos = f.imagePosition;
        switch (f.imageCoding) {
        case ImageCoding::None:
            break;
        case ImageCoding::Number:
            put(pos, number(m_params, f));
            break;
        case ImageCoding::RingCount: {
            const QString t = m_params.text(n);
            if (t.startsWith(QLatin1Char('0')))
                put(pos, codes::parseDecimal(t.right(1)));
            else
                put(pos, codes::parseDecimal(t));
            break;
        }
        case ImageCoding::ToneNibbleHigh:
        case ImageCoding::FlashNibbleHigh: {
            // The byte is computed once, from the high-nibble field and its partner, in floating
            // point as the unit's tool always did (tone 100 + gap 100 gives 170).
            const double unit = f.imageCoding == ImageCoding::ToneNibbleHigh ? 10.0 : 100.0;
            const FieldDef* lowField = partnerAt(pos, fp);
            const auto high = number(m_params, f);
            const auto low = lowField ? number(m_params, *lowField) : std::nullopt;
            if (high && low) {
                const double v = std::trunc(*high / unit * 16 + *low / unit);
                if (v >= -2147483648.0 && v <= 2147483647.0)
                    put(pos, static_cast<int>(v));
            }
            break;
        }
        case ImageCoding::ToneNibbleLow:
        case ImageCoding::PauseNibbleLow:
            break; // written with the high nibble
        case ImageCoding::DigitGroup:
            DigitsToCodes(m_buffer, m_params.text(n), f.imageLength, pos - 1);
            break;
        case ImageCoding::CallTime:
            put(pos, codes::callTimeToCode(m_params.text(n), half));
            break;
        case ImageCoding::CheckOneZero:
            put(pos, m_params.isChecked(n) ? 1 : 0);
            break;
        case ImageCoding::CheckZeroOne:
            put(pos, m_params.isChecked(n) ? 0 : 1);
            break;
        case ImageCoding::SoundBit0:
            m_buffer[pos - 1] = (m_params.isChecked(n) ? 1 : 0) +
                                (m_params.isChecked(QStringLiteral("CheckBox4")) ? 2 : 0);
            break;
        case ImageCoding::SoundBit1:
            break; // written with bit 0
        case ImageCoding::PowerOnCount: {
            const QString t = m_params.text(n);
            if (t.isEmpty() || t == QLatin1String("-"))
                put(pos, 0);
            else
                put(pos, codes::parseDecimal(t));
            break;
        }
        case ImageCoding::DayNightMode:
            put(pos, m_params.text(n) == m_texts.message(46) ? 1 : 0);
            break;
        case ImageCoding::BusyToneCount:
            put(pos, codes::busyToneCode(m_params.text(n)));
            break;
        case ImageCoding::ToneBand:
            put(pos, codes::bandCode(m_params.text(n)));
            break;
        case ImageCoding::ToneDuration:
            put(pos, codes::toneTimeCode(m_params.text(n)));
            break;
        }
    }

    for (const OptionGroupDef& g : optionGroups()) {
        const QString checked =
            m_params.checkedOption(QString::fromLatin1(g.options.front().button));
        for (const OptionDef& o : g.options)
            if (name(o) == checked)
                put(g.imagePosition, o.imageCode);
    }

    const std::vector<bool>& unused = unusedPositions();
    for (int pos = 2; pos <= 128; ++pos)
        if (unused[size_t(pos)])
            m_buffer[pos - 1] = 255;
    m_buffer[kVersionPosition - 1] = codes::versionByte(m_params.firmwareVersion());
}

void Codec::EncodeNumberMemory(int memory) {
    if (memory < 0 || memory > 127)
        return;
    DigitsToCodes(m_buffer, m_params.text(numberFieldName(memory)), 16, 1);
}

QByteArray Codec::settingsImageFromBuffer() const {
    QByteArray image(128, '\0');
    image[0] = static_cast<char>(kMarker);
    for (int slot = 1; slot <= 127; ++slot)
        image[slot] = m_buffer.byteAt(slot);
    return image;
}

QByteArray Codec::numberImageFromBuffer() const {
    QByteArray image(16, '\0');
    for (int slot = 1; slot <= 16; ++slot)
        image[slot - 1] = m_buffer.byteAt(slot);
    return image;
}

void Codec::DigitsToCodes(TransferBuffer& buffer, const QString& text, int count, int first) {
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

QString Codec::CodeToDigit(unsigned char byte) {
    return codes::digitFromCode(byte);
}

int Codec::CallTimeToCode(const QString& text) {
    return codes::callTimeToCode(text, codes::callTimeHalf());
}

QString Codec::VersionText(unsigned char byte) {
    return codes::versionText(byte);
}

} // namespace lumo
