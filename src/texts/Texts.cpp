#include "texts/Texts.h"

namespace lumo {

namespace {

int slot(TextSection section, int key) {
    return static_cast<int>(section) * 1000 + key;
}

} // namespace

Texts::Texts() {
    resetToDefaults();
}

QString Texts::get(TextSection section, int key) const {
    return m_values.value(slot(section, key));
}

void Texts::set(TextSection section, int key, const QString& value) {
    m_values.insert(slot(section, key), value);
}

void Texts::resetToDefaults() {
    m_values.clear();
    for (const TextDef& def : builtInTexts())
        m_values.insert(slot(def.key.section, def.key.key), QString::fromUtf8(def.czech));
}

} // namespace lumo
