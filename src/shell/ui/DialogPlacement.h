#pragma once

class QWidget;

namespace lumo {

// Moves a dialog so that its centre lies on its parent window's centre (the place every
// dialog of the program opens at); a dialog without a parent stays where it is.
void centreOnParent(QWidget* dialog);

// Moves a window, frame included, to the middle of the primary screen's free area.
void centreOnScreen(QWidget* window);

} // namespace lumo
