#include "shell/ActivityIndicator.h"

namespace lumo {

// Every port tick resets it: the window repaints it only when the colour is a new one.
void ActivityIndicator::set(quint32 rgb) {
    if (m_colour == rgb)
        return;
    m_colour = rgb;
    emit changed();
}

void ActivityIndicator::reset() {
    if (!m_colour)
        return;
    m_colour.reset();
    emit changed();
}

} // namespace lumo
