// Feeds arbitrary settings, number-memory and status images to the decoders, then encodes the
// result: nothing may crash, and a set that passes validation must encode to an image that
// decodes to the same values.
#include "params/Codec.h"
#include "params/Validation.h"
#include "texts/Texts.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const lumo::Texts texts;
    lumo::ParameterSet params;
    lumo::TransferBuffer buffer;
    lumo::Codec codec(params, buffer, texts);

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (bytes.size() >= 128)
        codec.DecodeSettings(bytes.left(128));
    if (bytes.size() >= 144)
        codec.DecodeNumberMemory(bytes.mid(128, 16), static_cast<unsigned char>(bytes[0]) & 0x7F);
    lumo::UnitSnapshot snapshot;
    codec.DecodeStatus(bytes.right(8), size % 2 == 0, snapshot);

    codec.EncodeSettings();
    const QByteArray image = codec.settingsImageFromBuffer();
    for (int m = 0; m < 128; ++m)
        codec.EncodeNumberMemory(m);

    if (lumo::validateForUnit(params, texts).empty()) {
        lumo::ParameterSet decoded = params;
        lumo::TransferBuffer b;
        lumo::Codec again(decoded, b, texts);
        again.DecodeSettings(image);
        again.EncodeSettings();
        if (again.settingsImageFromBuffer() != image)
            std::abort();
    }
    return 0;
}
