// The remote part of the main window with its connect dialog, on a shell in virtual time and a
// stand-in window that holds the menu items by name: the commands, the dialog's entry rules,
// the menu states while connecting and connected, the status items and the close sequence.
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "remote/RemoteTestSupport.h"
#include "remote/ui/RemoteUi.h"
#include "remote/ui/TForm10.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace lumo {
namespace {

// The menu items the remote part drives, named as the main window names them.
class StandInWindow : public QMainWindow {
public:
    StandInWindow() {
        QMenu* n5 = addMenu("N5");
        for (const char* n : {"Connect1", "Readdata1", "Writedata1", "Unconnect1"})
            add(n5, n);
        addMenu("N6")->menuAction()->setText("   ");
        add(addMenu("N8"), "imeofconnection1");
        QMenu* c2 = addMenu("Connect2");
        c2->menuAction()->setVisible(false);
        add(c2, "Numberofconnect1");
    }
    QAction* action(const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); }

private:
    QMenu* addMenu(const char* name) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(name));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    }
    void add(QMenu* menu, const char* name) {
        menu->addAction(QString::fromLatin1(name))->setObjectName(QString::fromLatin1(name));
    }
};

void type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

class RemoteUiTest : public ::testing::Test {
protected:
    RemoteUiTest() : shell(clock, messenger, model, texts) {
        auto scripted = std::make_unique<test::ScriptedBus>(clock);
        bus = scripted.get();
        part = std::make_unique<RemoteUi>(&window, std::move(scripted));
        part->setWaiter([this](const std::function<bool()>& done) {
            for (int i = 0; i < 1000 && !done(); ++i)
                clock.advance(10);
        });
        shell.addPart(*part);
        model.params().setText("Edit144", "4321");
    }
    template <typename W> W* child(const char* name) {
        return part->dialog().findChild<W*>(QString::fromLatin1(name));
    }
    // "Připojit", choose the box, "Vyber".
    void selectBox(int index = 0) {
        ASSERT_TRUE(shell.commands().trigger("Connect1"));
        ASSERT_TRUE(part->dialog().isVisible());
        emit child<QComboBox>("ComboBox1")->activated(index);
        child<QPushButton>("Button2")->click();
        clock.advance(20);
    }

    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell;
    StandInWindow window;
    test::ScriptedBus* bus = nullptr;
    std::unique_ptr<RemoteUi> part;
};

TEST_F(RemoteUiTest, RegistersItsCommandsAndStartsIdle) {
    EXPECT_TRUE(shell.commands().contains("Connect1"));
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_FALSE(shell.commands().isEnabled("Unconnect1"));
    EXPECT_FALSE(window.action("N8")->isEnabled());
    EXPECT_FALSE(window.action("Connect2")->isVisible());
    EXPECT_EQ(part->dialog().windowTitle(), "Připojení k Vexo pomocí Telvox");
    EXPECT_EQ(child<QPushButton>("Button4")->text(), "Připoj");
    EXPECT_FALSE(part->busy());
}

TEST_F(RemoteUiTest, NoBoxAttached) {
    bus->add("Vexo-USB", "Vexo-USB");
    shell.commands().trigger("Connect1");
    EXPECT_FALSE(part->dialog().isVisible());
    EXPECT_EQ(messenger.messages, std::vector<QString>{"Žádný Telvox není pripojen"});
}

TEST_F(RemoteUiTest, DialogClosedWithoutSelecting) {
    bus->add("Kavrostanel", "KAV001");
    shell.commands().trigger("Connect1");
    ASSERT_TRUE(part->dialog().isVisible());
    EXPECT_FALSE(child<QWidget>("Panel2")->isVisible());
    EXPECT_FALSE(child<QWidget>("Button4")->isVisible());
    part->dialog().reject(); // the window button
    EXPECT_EQ(messenger.messages, std::vector<QString>{"Nebyl vybrán žádný Telvox"});
}

TEST_F(RemoteUiTest, EntryRulesOfNumberAndPassword) {
    bus->add("Kavrostanel", "KAV001");
    selectBox();
    ASSERT_TRUE(child<QWidget>("Panel2")->isVisible());
    EXPECT_FALSE(child<QWidget>("ComboBox1")->isEnabled());
    EXPECT_FALSE(child<QWidget>("Button2")->isEnabled());
    auto* edit1 = child<QLineEdit>("Edit1");
    auto* edit2 = child<QLineEdit>("Edit2");
    auto* button4 = child<QPushButton>("Button4");
    EXPECT_EQ(edit2->text(), "4321");   // the service password of the main window
    EXPECT_FALSE(button4->isEnabled()); // no number yet

    type(edit1, "06h0k1xpr f");
    EXPECT_EQ(edit1->text(), "06*0#1PRf");
    EXPECT_TRUE(button4->isEnabled());
    type(edit1, "12345678901234567890");
    EXPECT_EQ(edit1->text().size(), 16);

    edit2->clear();
    emit edit2->textEdited(QString());
    type(edit2, "12a3");
    EXPECT_EQ(edit2->text(), "123");
    EXPECT_FALSE(button4->isEnabled());
    type(edit2, "45");
    EXPECT_EQ(edit2->text(), "1234");
    EXPECT_TRUE(button4->isEnabled());

    // The box list takes no typing.
    auto* combo = child<QComboBox>("ComboBox1");
    const int before = combo->currentIndex();
    combo->setEnabled(true);
    type(combo, "K");
    EXPECT_EQ(combo->currentIndex(), before);
}

TEST_F(RemoteUiTest, ConnectShowsTheConnectionInTheMenuAndHangsUpOnClose) {
    auto script = bus->add("Kavrostanel", "KAV007");
    script->respond = test::healthyBoxReply;
    selectBox();
    EXPECT_EQ(window.action("N8")->text(), "KAV007");
    EXPECT_TRUE(window.action("N8")->isEnabled());
    type(child<QLineEdit>("Edit1"), "0601");
    child<QPushButton>("Button4")->click();
    EXPECT_FALSE(child<QPushButton>("Button4")->isEnabled());
    EXPECT_TRUE(part->busy());
    EXPECT_TRUE(shell.guard().busy()); // no local exchange while the line is being set up

    // Closed with the window button: the attempt goes on, the menu bar says so.
    part->dialog().reject();
    EXPECT_TRUE(messenger.messages.empty());
    clock.advance(1000);
    EXPECT_EQ(window.action("N6")->text(), "Připojení…");
    EXPECT_EQ(part->engine().state(), ConnectionState::Connecting);

    clock.advance(10000);
    EXPECT_TRUE(part->engine().isConnected());
    EXPECT_EQ(window.action("N6")->text(), "   ");
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_FALSE(shell.commands().isEnabled("Connect1"));
    EXPECT_TRUE(shell.commands().isEnabled("Unconnect1"));
    EXPECT_TRUE(window.action("Connect2")->isVisible());
    EXPECT_TRUE(shell.commands().isEnabled("Readdata1"));
    EXPECT_EQ(script->lines[8].text, QByteArray("ATDE#4321\r\n"));

    // The keep-alive colours the activity indicator: purple once its cycle is complete.
    ASSERT_TRUE(shell.indicator().colour().has_value());
    EXPECT_EQ(*shell.indicator().colour(), keepAliveRgb(KeepAliveColour::Purple));

    // Status items: after a quiet period and the next cycle, one repeat.
    clock.advance(20000);
    part->Connect2Click();
    EXPECT_EQ(window.action("Numberofconnect1")->text(), "Počet opakování: 1");
    part->N8Click();
    EXPECT_TRUE(window.action("imeofconnection1")->text().startsWith("Čas připojení: "));

    // Closing the main window hangs up first.
    shell.closeSequence().run();
    EXPECT_EQ(script->lines[script->lines.size() - 2].text, QByteArray("ATH\r\n"));
    EXPECT_EQ(script->lines.back().text, QByteArray("AT@BASIC\r\n"));
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_FALSE(window.action("Connect2")->isVisible());
    EXPECT_FALSE(window.action("N8")->isVisible());
}

TEST_F(RemoteUiTest, DisconnectCommandAndReconnectPreselectsTheBox) {
    auto script = bus->add("Kavrostanel", "KAV001");
    script->respond = test::healthyBoxReply;
    bus->add("Kavrostanel", "KAV002")->respond = test::healthyBoxReply;
    selectBox(1);
    type(child<QLineEdit>("Edit1"), "1");
    child<QPushButton>("Button4")->click();
    clock.advance(11000);
    ASSERT_TRUE(shell.commands().trigger("Unconnect1"));
    clock.advance(1500);
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_FALSE(window.action("N8")->isVisible());

    ASSERT_TRUE(shell.commands().trigger("Connect1"));
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), "KAV002");
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(), "1"); // kept from last time
}

TEST_F(RemoteUiTest, FailedAttemptShowsItsMessage) {
    auto script = bus->add("Kavrostanel", "KAV001");
    script->respond = [](const QByteArray& line) -> QByteArray {
        return line == "AT@RESET\r\n" ? "ERR\r\n" : QByteArray();
    };
    selectBox();
    type(child<QLineEdit>("Edit1"), "1");
    child<QPushButton>("Button4")->click();
    clock.advance(10000);
    EXPECT_EQ(messenger.messages,
              std::vector<QString>{"Není možné spojení s Vexo'Timeout of ERR'"});
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_TRUE(part->dialog().isVisible()); // Disconnect leaves the dialog open
    EXPECT_EQ(child<QLabel>("Label3")->styleSheet().contains("ff0000"), true);
}

} // namespace
} // namespace lumo
