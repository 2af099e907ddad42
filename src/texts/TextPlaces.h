#pragma once
#include "texts/TextKey.h"
#include <QString>
#include <vector>

namespace lumo {

// Where one key's text goes in a window. Each window declares its places in the reading
// order of a pack, so where a control gets several keys the last one wins. The declaration
// sets texts only: visibility and enabled state are never touched by a texts change.
struct TextPlace {
    enum class Kind {
        Text,    // a label's, button's, action's or page tab's text
        Caption, // the window title (`control` empty)
        Hint,    // the control's hint (tool tip)
        Group    // a group-box caption with exactly one blank before and after
    };
    TextKey key;
    QString control; // objectName inside the window; empty for the window itself
    Kind kind = Kind::Text;
    QString suffix; // a literal that follows the text
    QString prefix; // a literal before the text

    static TextPlace text(TextKey key, const char* control, const char* suffix = "") {
        return {key, QString::fromLatin1(control), Kind::Text, QString::fromLatin1(suffix), {}};
    }
    static TextPlace caption(TextKey key) { return {key, {}, Kind::Caption, {}, {}}; }
    static TextPlace hint(TextKey key, const char* control) {
        return {key, QString::fromLatin1(control), Kind::Hint, {}, {}};
    }
    static TextPlace group(TextKey key, const char* control) {
        return {key, QString::fromLatin1(control), Kind::Group, {}, {}};
    }
    static TextPlace prefixed(const char* prefix, TextKey key, const char* control) {
        return {key, QString::fromLatin1(control), Kind::Text, {}, QString::fromLatin1(prefix)};
    }
};

// One window's places: its objectName (the window's name less the leading "T", as "Form3")
// and the list. A window built by any subsystem offers one of these and applies it with
// applyTextPlaces (texts/ui) whenever the texts change.
struct WindowTexts {
    QString window;
    std::vector<TextPlace> places;
};

class Texts;

// The text a place shows for the current texts (composition rules applied).
QString placeText(const TextPlace& place, const Texts& texts);

} // namespace lumo
