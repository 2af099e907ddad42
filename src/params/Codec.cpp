#include "params/Codec.h"
#include "params/FieldCodings.h"
#include "params/FieldTable.h"
#include "params/ToneCodes.h"
#include "texts/Texts.h"
#include <algorithm>

namespace lumo {

namespace {

constexpr unsigned char kMarker = 0x55;
constexpr int kVersionPosition = 119;
// The message shown when a settings image does not start with the marker.
constexpr int kWrongMarkerMessage = 36;
constexpr int kDayMessage = 45;
constexpr int kNightMessage = 46;
// The status read's tag for the firmware version; the other tags are the fields' status tags.
constexpr char kVersionTag = 'V';

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

} // namespace

Codec::Codec(ParameterSet& params, TransferBuffer& buffer, const Texts& texts)
    : m_params(params), m_buffer(buffer), m_texts(texts) {}

DecodeReport Codec::DecodeSettings(const QByteArray& image) {
    DecodeReport report;
    if (image.size() < 128)
        return report; // callers only decode complete images
    if (at(image, 1) != kMarker)
        report.messages.append(m_texts.message(kWrongMarkerMessage));

    const ImageContext context{m_texts, codes::callTimeHalf()};
    for (const FieldDef* f : settingsFields())
        imageCodingRow(f->imageCoding).decode(*f, image, context, m_params);

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
                // A sequential switch 2 implies a plain switch 1; the unit stores it that way.
                if (o.role == SwitchRole::SequentialSwitch2)
                    m_params.setChecked(switchRoleButton(SwitchRole::PlainSwitch1), true);
                break;
            }
        }
    }

    const unsigned char version = at(image, kVersionPosition);
    if (version != 255)
        m_params.setFirmwareVersion(codes::versionText(version));
    return report;
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
        if (tag == kVersionTag) {
            m_params.setFirmwareVersion(codes::versionText(value));
            continue;
        }
        const StatusTag status = static_cast<StatusTag>(tag);
        QString text;
        QString UnitSnapshot::*slot = nullptr;
        switch (status) {
        case StatusTag::Unfitted:
            text = QString::number(value);
            slot = &UnitSnapshot::unfitted;
            break;
        case StatusTag::Mode:
            if (value > 1)
                continue; // not a mode: the field keeps its text
            text = m_texts.message(value == 0 ? kDayMessage : kNightMessage);
            slot = &UnitSnapshot::mode;
            break;
        case StatusTag::Counter:
            text = QString::number(value);
            slot = &UnitSnapshot::counter;
            break;
        default:
            continue; // unknown tags are skipped with their value
        }
        if (toSnapshot)
            snapshot.*slot = text;
        else
            m_params.setText(statusField(status), text);
    }
}

void Codec::EncodeSettings() {
    const ImageContext context{m_texts, codes::callTimeHalf()};
    // A value that cannot be converted leaves its slot as it was; Validation refuses such sets
    // before any transfer starts.
    for (const FieldDef* f : settingsFields())
        if (const auto encode = imageCodingRow(f->imageCoding).encode)
            encode(*f, m_params, context, m_buffer);

    auto put = [this](int position, int value) { m_buffer[position - 1] = value; };
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
    digitsToCodesInBuffer(buffer, text, count, first);
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
