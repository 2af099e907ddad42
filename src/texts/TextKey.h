#pragma once
#include <QString>

namespace lumo {

// The nine sections of a language pack.
enum class TextSection { Menu, TAB1, TAB2, TAB3, TAB4, MESSAGE, OTHER, HINT, REMOTE };

struct TextKey {
    TextSection section;
    int key;
    friend bool operator==(const TextKey&, const TextKey&) = default;
};

// "Menu", "TAB1", ... as written in the pack files.
QString sectionName(TextSection section);

} // namespace lumo
