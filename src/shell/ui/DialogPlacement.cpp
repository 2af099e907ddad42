#include "shell/ui/DialogPlacement.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumo {

void centreOnParent(QWidget* dialog) {
    if (!dialog)
        return;
    if (QWidget* owner = dialog->parentWidget())
        dialog->move(owner->geometry().center() - dialog->rect().center());
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace lumo
