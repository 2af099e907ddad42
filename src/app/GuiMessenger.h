#pragma once
#include "platform/Messenger.h"
#include <functional>
#include <vector>

#include <QMessageBox>

class QWidget;

namespace lumo {

// Message boxes and Yes/No questions of the desktop program, shown with QMessageBox over the
// given parent window (or the active window when none is given).
class GuiMessenger : public Messenger {
public:
    explicit GuiMessenger(QWidget* parent = nullptr) : m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, const QString& title = {}) override;
    void warning(const QString& text, const QString& title = {}) override;
    bool ask(const QString& title, const QString& text, Icon icon = Icon::Question,
             bool defaultNo = true) override;

    void whenNoBoxIsOpen(std::function<void()> then) override;
    int openBoxes() const { return m_open; }

    // The title a box gets when the caller names none: the application title "Lumo  ".
    static QString defaultTitle();

private:
    QWidget* parentWindow() const;
    int exec(QMessageBox& box);
    void show(QMessageBox::Icon icon, const QString& text, const QString& title);

    QWidget* m_parent;
    int m_open = 0; // boxes shown now (a box may be shown from another box's event loop)
    std::vector<std::function<void()>> m_waiting;
};

} // namespace lumo
