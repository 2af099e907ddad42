// The standard keys run their menu items from anywhere in the window, even from a field that
// takes typing, and leave every caption as the texts table has it.
#include "AppTestSupport.h"
#include <QAction>
#include <QKeySequence>
#include <QTest>

namespace lumo::test {
namespace {

using MainWindowShortcuts = MainWindowTest;

struct Shortcut {
    const char* command;
    QKeyCombination keys;
    TextKey caption;
};

const Shortcut kShortcuts[] = {
    {"Otevt1", Qt::CTRL | Qt::Key_O, {TextSection::Menu, 11}},
    {"Uloit1", Qt::CTRL | Qt::Key_S, {TextSection::Menu, 12}},
    {"Uloitjako1", Qt::CTRL | Qt::SHIFT | Qt::Key_S, {TextSection::Menu, 13}},
    {"isknastaven1", Qt::CTRL | Qt::Key_P, {TextSection::Menu, 14}},
    {"Konec1", Qt::CTRL | Qt::Key_Q, {TextSection::Menu, 15}},
    {"Nastve1", QKeyCombination(Qt::Key_F5), {TextSection::Menu, 21}},
    {"Npovda1", QKeyCombination(Qt::Key_F1), {TextSection::Menu, 41}},
};

// Presses the keys on the focused widget as the keyboard would: the shortcut map sees them
// before the widget does.
void press(QKeyCombination keys) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, keys.key(), keys.keyboardModifiers());
    pump();
}

TEST_F(MainWindowShortcuts, EachKeyRunsItsItemAndNoCaptionChanges) {
    // Each command records its runs instead of opening dialogs or closing the window.
    QStringList runs;
    for (const Shortcut& s : kShortcuts) {
        const QString name = QString::fromLatin1(s.command);
        shell.commands().add(
            name, [&runs, name] { runs << name; }, s.caption);
    }
    // A field that takes typing has the focus, as while a technician edits.
    focus(QStringLiteral("Edit17"));
    const QString typed = edit(QStringLiteral("Edit17"))->text();

    for (const Shortcut& s : kShortcuts) {
        QAction* a = form->action(QString::fromLatin1(s.command));
        ASSERT_NE(a, nullptr) << s.command;
        EXPECT_EQ(a->shortcut(), QKeySequence(s.keys)) << s.command;
        // The key stands beside the caption; the caption itself is the table's.
        EXPECT_EQ(a->text(), texts.get(s.caption)) << s.command;

        runs.clear();
        press(s.keys);
        EXPECT_EQ(runs, QStringList{QString::fromLatin1(s.command)}) << s.command;
    }
    // Typing into the field went on undisturbed: no key reached it as text.
    EXPECT_EQ(edit(QStringLiteral("Edit17"))->text(), typed);
}

} // namespace
} // namespace lumo::test
