// The connect dialog's logic without widgets: listing, preselection, selecting a box, the
// entry rules and the messages of a failed selection.
#include "RemoteTestSupport.h"
#include "remote/ConnectDialogModel.h"
#include "support/ScriptedMessenger.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

class ConnectDialogTest : public ::testing::Test {
protected:
    ConnectDialogTest()
        : bus(clock), link(bus, clock), model(link, texts, messenger), engine(link, model, texts) {
        model.setEngine(&engine);
        model.setCloseHandler([this] { ++closes; });
    }
    // Connect1Click up to a selected box.
    void selectBox(const QString& serial) {
        ASSERT_TRUE(model.beginAttempt());
        model.FormShow("1234");
        const int index = int(model.state().comboItems.indexOf(serial));
        ASSERT_GE(index, 0);
        model.ComboBox1Change(index);
        bool ready = false;
        model.Button2Click([&] { ready = true; });
        clock.advance(20);
        ASSERT_TRUE(ready);
    }

    VirtualClock clock;
    test::ScriptedBus bus;
    RemoteLink link;
    Texts texts;
    test::ScriptedMessenger messenger;
    ConnectDialogModel model;
    ConnectionEngine engine;
    int closes = 0;
};

TEST(ConnectDialogRules, TelephoneNumberKeys) {
    using M = ConnectDialogModel;
    for (char c : QByteArray("0123456789*#PRf"))
        EXPECT_EQ(M::Edit1Key(QLatin1Char(c)), QChar(QLatin1Char(c))) << c;
    EXPECT_EQ(M::Edit1Key(QLatin1Char('p')), QChar(QLatin1Char('P')));
    EXPECT_EQ(M::Edit1Key(QLatin1Char('r')), QChar(QLatin1Char('R')));
    EXPECT_EQ(M::Edit1Key(QLatin1Char('h')), QChar(QLatin1Char('*')));
    EXPECT_EQ(M::Edit1Key(QLatin1Char('H')), QChar(QLatin1Char('*')));
    EXPECT_EQ(M::Edit1Key(QLatin1Char('k')), QChar(QLatin1Char('#')));
    EXPECT_EQ(M::Edit1Key(QLatin1Char('K')), QChar(QLatin1Char('#')));
    for (char c : QByteArray("FaAx -+,.DdBb"))
        EXPECT_FALSE(M::Edit1Key(QLatin1Char(c)).has_value()) << c;
    EXPECT_FALSE(M::Edit1Key(QChar(0x010D)).has_value()); // "č"
}

TEST(ConnectDialogRules, PasswordKeysAndConnectButton) {
    using M = ConnectDialogModel;
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_TRUE(M::Edit2Key(QLatin1Char(c)).has_value());
    for (char c : QByteArray("*#aP "))
        EXPECT_FALSE(M::Edit2Key(QLatin1Char(c)).has_value()) << c;
    EXPECT_TRUE(M::canConnect("0601", "1234"));
    EXPECT_FALSE(M::canConnect("0601", "123"));
    EXPECT_FALSE(M::canConnect("0601", "12345"));
    EXPECT_FALSE(M::canConnect("", "1234"));
    EXPECT_FALSE(M::canConnect("   ", "1234"));
    EXPECT_TRUE(M::canConnect(" 1 ", " 1234 "));
}

TEST_F(ConnectDialogTest, NoLineBoxAttached) {
    bus.add("Vexo-USB", "Vexo-USB");
    bus.add("Kavrostanel", "XYZ001"); // listed, but no "KAV" serial
    engine.setBoxCaption("KAV001", true);
    EXPECT_FALSE(model.beginAttempt());
    EXPECT_EQ(messenger.messages, std::vector<QString>{"Žádný Telvox není pripojen"});
    EXPECT_EQ(engine.menus().n8Caption, "");
    EXPECT_EQ(link.selectedIndex(), 0);
}

TEST_F(ConnectDialogTest, SelectThenConnect) {
    bus.add("Vexo-USB", "Vexo-USB");
    auto script = bus.add("Kavrostanel", "KAV001");
    script->respond = test::healthyBoxReply;
    bus.add("Kavrostanel", "KAV002");
    ASSERT_TRUE(model.beginAttempt());
    model.FormShow("9876");
    const ConnectDialogState& s = model.state();
    EXPECT_EQ(s.comboItems, (QStringList{"KAV001", "KAV002"}));
    EXPECT_EQ(s.comboText, "");
    EXPECT_EQ(s.edit2, "9876");
    EXPECT_FALSE(s.panel2Visible);
    EXPECT_FALSE(s.button4Visible);
    EXPECT_FALSE(s.button4Enabled); // no number yet
    EXPECT_EQ(link.selectedIndex(), -1);

    // "Vyber" with nothing chosen does nothing.
    model.Button2Click();
    EXPECT_FALSE(link.hasBoxLink());
    EXPECT_EQ(s.progress, 1);

    model.ComboBox1Change(1);
    model.Button2Click();
    EXPECT_TRUE(s.selecting);
    clock.advance(20);
    EXPECT_FALSE(s.selecting);
    EXPECT_TRUE(link.hasBoxLink());
    EXPECT_TRUE(link.BoxSelected);
    EXPECT_TRUE(s.panel2Visible);
    EXPECT_TRUE(s.button3Visible);
    EXPECT_TRUE(s.button4Visible);
    EXPECT_FALSE(s.comboEnabled);
    EXPECT_FALSE(s.button2Enabled);
    EXPECT_EQ(engine.menus().n8Caption, "KAV002");
    EXPECT_TRUE(engine.menus().n8Visible);
    EXPECT_TRUE(engine.menus().n8Enabled);

    model.setEdit1("0601");
    EXPECT_TRUE(s.button4Enabled);
    model.setEdit2("987");
    EXPECT_FALSE(s.button4Enabled);
    model.setEdit2("9876");
    EXPECT_TRUE(s.button4Enabled);
    EXPECT_TRUE(model.Button4Click());
    EXPECT_FALSE(s.button4Enabled);
    EXPECT_EQ(engine.state(), ConnectionState::Connecting);
    model.endAttempt(); // dialog closed by the window button: the attempt goes on
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(engine.state(), ConnectionState::Connecting);
    EXPECT_TRUE(bus.find("KAV001")->script->lines.empty()); // the chosen box is KAV002
}

TEST_F(ConnectDialogTest, ConnectsAndTracesWithTheDialogModel) {
    auto script = bus.add("Kavrostanel", "KAV001");
    script->respond = test::healthyBoxReply;
    selectBox("KAV001");
    model.setEdit1("0601h");
    model.setEdit2("1234");
    std::vector<ConnectionResult::Kind> results;
    ASSERT_TRUE(model.Button4Click([&](const ConnectionResult& r) { results.push_back(r.kind); }));
    clock.advance(15000);
    ASSERT_EQ(results, std::vector<ConnectionResult::Kind>{ConnectionResult::Kind::Connected});
    EXPECT_EQ(closes, 1); // EnterConnected closes the dialog
    EXPECT_EQ(model.state().memo.size(), 12);
    EXPECT_EQ(model.state().memo.front(), " -p- RESET -v- AT@RESET");
    EXPECT_EQ(model.state().label3Colour, ConnectStatusColour::Fuchsia);
    EXPECT_EQ(model.state().label5, "11");
    EXPECT_TRUE(model.state().button4Enabled); // ready for the next time
    EXPECT_EQ(script->lines[4].text, QByteArray("ATDE0601h\r\n"));
}

TEST_F(ConnectDialogTest, PreselectsThePreviousBoxOrReportsItMissing) {
    bus.add("Kavrostanel", "KAV001");
    bus.add("Kavrostanel", "KAV002");
    selectBox("KAV002");
    model.Button1Click();
    clock.advance(2000);
    EXPECT_FALSE(engine.menus().n8Visible); // cancel hides it; the caption stays
    ASSERT_EQ(engine.menus().n8Caption, "KAV002");

    // Again, with the box still attached: preselected, and the open link released first.
    ASSERT_TRUE(model.beginAttempt());
    EXPECT_FALSE(link.hasBoxLink());
    model.FormShow("1234");
    EXPECT_EQ(model.state().comboText, "KAV002");
    EXPECT_EQ(link.selectedIndex(), 1);
    EXPECT_TRUE(messenger.messages.empty());

    // Again, with the box gone.
    bus.devices.erase(bus.devices.begin() + 1);
    ASSERT_TRUE(model.beginAttempt());
    model.FormShow("1234");
    EXPECT_EQ(model.state().comboText, "");
    EXPECT_EQ(link.selectedIndex(), -1);
    EXPECT_EQ(messenger.messages, std::vector<QString>{"Zařízení KAV002 není připojeno"});
    model.endAttempt();
    EXPECT_EQ(messenger.messages.back(), "Nebyl vybrán žádný Telvox");
    EXPECT_EQ(engine.menus().n8Caption, "");
}

TEST_F(ConnectDialogTest, BoxThatCannotBeOpened) {
    bus.add("Kavrostanel", "KAV001");
    ASSERT_TRUE(model.beginAttempt());
    model.FormShow("1234");
    model.ComboBox1Change(0);
    bus.find("KAV001")->present = false; // pulled out after the listing
    bool done = false;
    model.Button2Click([&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(link.BoxSelected);
    EXPECT_EQ(engine.menus().n8Caption, "KAV001");
    model.endAttempt();
    EXPECT_EQ(messenger.messages, (std::vector<QString>{"USB zařízení Telvox KAV001 není připojeno",
                                                        "Nebyl vybrán žádný Telvox"}));
}

TEST_F(ConnectDialogTest, ServicePasswordOfThreeDigitsLeavesConnectDisabled) {
    bus.add("Kavrostanel", "KAV001");
    selectBox("KAV001");
    model.setEdit1("0601");
    model.FormShow("123");
    EXPECT_EQ(model.state().edit1, "0601"); // kept from last time
    EXPECT_FALSE(model.state().button4Enabled);
    EXPECT_FALSE(model.Button4Click());
    model.FormShow("1234");
    EXPECT_TRUE(model.state().button4Enabled);
}

TEST_F(ConnectDialogTest, NoNewAttemptWhileOneRuns) {
    auto script = bus.add("Kavrostanel", "KAV001");
    script->respond = test::healthyBoxReply;
    selectBox("KAV001");
    model.setEdit1("1");
    ASSERT_TRUE(model.Button4Click());
    EXPECT_FALSE(model.beginAttempt());
    EXPECT_TRUE(link.hasBoxLink()); // not taken away from the running attempt
}

} // namespace
} // namespace lumo
