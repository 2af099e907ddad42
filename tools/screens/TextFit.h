#pragma once
#include <QSize>
#include <QString>
#include <vector>

class QWidget;

namespace lumo::screens {

// A text that does not fit its control: wider or taller than the room the style gives it.
struct ClippedText {
    QString control; // objectName (or class name) of the control
    QString text;
    QSize needed;
    QSize available;
    QString describe() const;
};

// Every visible caption of a shown window measured with the control's own font against the
// room the style leaves for it: labels, push and tool buttons, check boxes, option buttons,
// group-box titles, page tabs, menu-bar items and the texts of read-only fields. Controls
// outside the window's visible area are not looked at.
std::vector<ClippedText> clippedTexts(QWidget& window);

} // namespace lumo::screens
