#pragma once
#include "texts/TextPlaces.h"

class QWidget;

namespace lumo {

class Texts;

// Puts every declared text in its place inside `window` (found by objectName among the
// window's children: labels, buttons, group boxes, actions and their menus, page tabs).
// Returns the places whose control was not found, so a test can tell a stale declaration.
std::vector<TextPlace> applyTextPlaces(QWidget& window, const std::vector<TextPlace>& places,
                                       const Texts& texts);

} // namespace lumo
