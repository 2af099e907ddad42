#include "texts/TextPlaces.h"
#include "texts/Texts.h"

namespace lumo {

QString placeText(const TextPlace& place, const Texts& texts) {
    const QString value = texts.get(place.key);
    if (place.kind == TextPlace::Kind::Group)
        // Pack values lose their outer blanks; the frame needs exactly one on each side.
        return place.prefix + QLatin1Char(' ') + value.trimmed() + QLatin1Char(' ') + place.suffix;
    return place.prefix + value + place.suffix;
}

} // namespace lumo
