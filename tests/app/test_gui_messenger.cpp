// The message boxes of the desktop program: icons, titles, and steps that wait for a box.
#include "app/GuiMessenger.h"
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace lumo::test {
namespace {

// Runs `inside` with the box the messenger shows next, then closes it with `button`.
void whileBoxIsOpen(std::function<void(QMessageBox&)> inside,
                    QMessageBox::StandardButton button = QMessageBox::Ok) {
    QTimer::singleShot(0, [inside = std::move(inside), button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inside(*box);
        box->button(button)->click();
    });
}

TEST(GuiMessenger, BoxesShowTheirKindsIconAndATitleWithoutTrailingBlanks) {
    GuiMessenger messenger;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    whileBoxIsOpen([&](QMessageBox& box) {
        icon = box.icon();
        title = box.windowTitle();
    });
    messenger.message(QStringLiteral("Nebyl vybrán žádný soubor"));
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(title, QStringLiteral("Lumo"));

    whileBoxIsOpen([&](QMessageBox& box) {
        icon = box.icon();
        title = box.windowTitle();
    });
    messenger.warning(QStringLiteral("  Chyba komunikace"), QStringLiteral("Upozornění  "));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(title, QStringLiteral("Upozornění"));

    whileBoxIsOpen(
        [&](QMessageBox& box) {
            icon = box.icon();
            title = box.windowTitle();
        },
        QMessageBox::No);
    EXPECT_FALSE(
        messenger.ask(QStringLiteral("Uložit  "), QStringLiteral("?"), Messenger::Icon::Warning));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(title, QStringLiteral("Uložit"));
}

TEST(GuiMessenger, AStepWaitsUntilTheOpenBoxIsClosed) {
    GuiMessenger messenger;
    int ran = 0;
    messenger.whenNoBoxIsOpen([&] { ++ran; });
    EXPECT_EQ(ran, 1); // nothing open: at once

    bool ranWhileOpen = true;
    int openInside = 0;
    whileBoxIsOpen([&](QMessageBox&) {
        openInside = messenger.openBoxes();
        messenger.whenNoBoxIsOpen([&] { ++ran; });
        ranWhileOpen = ran == 2;
    });
    messenger.message(QStringLiteral("Chyba"));
    EXPECT_EQ(openInside, 1);
    EXPECT_FALSE(ranWhileOpen);
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(messenger.openBoxes(), 0);
}

} // namespace
} // namespace lumo::test
