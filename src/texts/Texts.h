#pragma once
#include "texts/TextKey.h"
#include <QHash>
#include <QString>
#include <vector>

namespace lumo {

// One built-in text: its key, its Czech default, and where it goes.
struct TextDef {
    TextKey key;
    const char* czech; // UTF-8
};

// Every built-in text by (section, key) with its Czech default, in the reading order of a
// language pack. Language packs override entries; a missing key keeps its default.
const std::vector<TextDef>& builtInTexts();

// The current text of every key: the built-in defaults overlaid with the active pack.
// Windows and messages take their texts from one instance of this class.
class Texts {
public:
    Texts(); // all defaults

    QString get(TextSection section, int key) const;
    QString get(TextKey key) const { return get(key.section, key.key); }
    void set(TextSection section, int key, const QString& value);
    void resetToDefaults();

    // Message table helpers for the keys used most.
    QString message(int key) const { return get(TextSection::MESSAGE, key); }

private:
    QHash<int, QString> m_values; // key: section * 1000 + key
};

} // namespace lumo
