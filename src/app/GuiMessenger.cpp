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

// Titles come from the message table with the blanks that padded them in a caption bar; a
// window title shows them as a gap, so they go.
QString shownTitle(const QString& title) {
    QString shown = title.isEmpty() ? GuiMessenger::defaultTitle() : title;
    while (!shown.isEmpty() && shown.back().isSpace())
        shown.chop(1);
    return shown;
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

int GuiMessenger::exec(QMessageBox& box) {
    ++m_open;
    const int result = box.exec();
    if (--m_open == 0) {
        // What waited runs now; it may show boxes of its own and queue again.
        std::vector<std::function<void()>> waiting;
        waiting.swap(m_waiting);
        for (auto& then : waiting)
            then();
    }
    return result;
}

void GuiMessenger::whenNoBoxIsOpen(std::function<void()> then) {
    if (m_open == 0)
        then();
    else
        m_waiting.push_back(std::move(then));
}

void GuiMessenger::show(QMessageBox::Icon icon, const QString& text, const QString& title) {
    QMessageBox box(icon, shownTitle(title), text, QMessageBox::Ok, parentWindow());
    keepAbove(box);
    exec(box);
}

void GuiMessenger::message(const QString& text, const QString& title) {
    show(QMessageBox::Information, text, title);
}

void GuiMessenger::warning(const QString& text, const QString& title) {
    show(QMessageBox::Warning, text, title);
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
    QMessageBox box(boxIcon, shownTitle(title), text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    keepAbove(box);
    return exec(box) == QMessageBox::Yes;
}

} // namespace lumo
