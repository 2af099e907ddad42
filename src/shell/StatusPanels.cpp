#include "shell/StatusPanels.h"

namespace lumo {

void StatusPanels::setText(int panel, const QString& text) {
    // The port tick sets every panel three times a second: only a new text is worth a repaint.
    if (panel < 0 || panel >= kCount || m_texts[size_t(panel)] == text)
        return;
    m_texts[size_t(panel)] = text;
    emit changed(panel);
}

void StatusPanels::setNote(const QString& text) {
    if (text == m_note)
        return;
    m_note = text;
    emit noteChanged();
}

QString StatusPanels::text(int panel) const {
    return panel >= 0 && panel < kCount ? m_texts[size_t(panel)] : QString();
}

} // namespace lumo
