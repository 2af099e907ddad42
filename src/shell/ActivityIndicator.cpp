#include "shell/ActivityIndicator.h"

namespace lumo {

void ActivityIndicator::set(quint32 rgb) {
    m_colour = rgb;
    emit changed();
}

void ActivityIndicator::reset() {
    m_colour.reset();
    emit changed();
}

} // namespace lumo
