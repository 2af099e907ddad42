#include "app/GuiMessenger.h"
#include <QApplication>
#include <QMessageBox>

namespace lumo {

namespace {
// Start-up messages come while the stay-on-top warning window is up; a box under it would
// block the program unseen.
void keepAbove(QMessageBox& box) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}
} // namespace

// The application title of the program: its name and two blanks. Not set as Qt's display
// name, which the window system would append to every window caption.
QString GuiMessenger::defaultTitle() {
    return QStringLiteral("Lumo  ");
}

QWidget* GuiMessenger::parentWindow() const {
    return m_parent ? m_parent : QApplication::activeWindow();
}

void GuiMessenger::message(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? defaultTitle() : title, text,
                    QMessageBox::Ok, parentWindow());
    keepAbove(box);
    box.exec();
}

bool GuiMessenger::ask(const QString& title, const QString& text, Icon icon, bool defaultNo) {
    QMessageBox::Icon boxIcon = QMessageBox::Question;
    switch (icon) {
    case Icon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        boxIcon = QMessageBox::Warning;
        break;
    case Icon::Stop:
        boxIcon = QMessageBox::Critical;
        break;
    case Icon::Question:
        boxIcon = QMessageBox::Question;
        break;
    }
    QMessageBox box(boxIcon, title.isEmpty() ? defaultTitle() : title, text,
                    QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    keepAbove(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace lumo
