#pragma once
#include "platform/Messenger.h"

class QWidget;

namespace lumo {

// Message boxes and Yes/No questions of the desktop program, shown with QMessageBox over the
// given parent window (or the active window when none is given).
class GuiMessenger : public Messenger {
public:
    explicit GuiMessenger(QWidget* parent = nullptr) : m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, const QString& title = {}) override;
    bool ask(const QString& title, const QString& text, Icon icon = Icon::Question,
             bool defaultNo = true) override;

    // The title a box gets when the caller names none: the application title "Lumo  ".
    static QString defaultTitle();

private:
    QWidget* parentWindow() const;

    QWidget* m_parent;
};

} // namespace lumo
