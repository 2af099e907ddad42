#pragma once
#include <QWidget>

class QLabel;

namespace lumo {

class Texts;

// The start-up warning: a borderless, stay-on-top window in the middle of the screen that
// reminds the technician to read the unit before writing to it. It shows while the main window
// is still disabled and is closed by the main window's first port-timer tick.
class TForm8 : public QWidget {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    void applyTexts(const Texts& texts);
    void centreOnScreen();

private:
    QLabel* m_label1;
    QLabel* m_image1;
};

// The picture under the warning: a door-entry panel with a read arrow, drawn in code.
QPixmap startupPicture(int width, int height);

} // namespace lumo
