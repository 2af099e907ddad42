// The shell's tables and its dispatch to the parts: commands by name, the exchange guard, the
// close order and what a port tick asks of each part.
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "shell/ShellPart.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>
#include <vector>

namespace lumo {
namespace {

TEST(CommandTable, RunsEnabledCommandsByNameAndReportsChanges) {
    CommandTable table;
    QStringList changes;
    QObject::connect(&table, &CommandTable::changed, [&](const QString& n) { changes << n; });
    int runs = 0;
    table.add(
        QStringLiteral("Nastve1"), [&] { ++runs; }, TextKey{TextSection::Menu, 21});
    EXPECT_TRUE(table.trigger(QStringLiteral("Nastve1")));
    EXPECT_FALSE(table.trigger(QStringLiteral("Unknown1")));
    ASSERT_NE(table.find(QStringLiteral("Nastve1")), nullptr);
    EXPECT_EQ(table.find(QStringLiteral("Nastve1"))->text, (TextKey{TextSection::Menu, 21}));

    table.setEnabled(QStringLiteral("Nastve1"), false);
    EXPECT_FALSE(table.trigger(QStringLiteral("Nastve1")));
    EXPECT_EQ(runs, 1);
    table.setEnabled(QStringLiteral("Nastve1"), false); // no change, no signal
    table.setVisible(QStringLiteral("Nastve1"), false);
    EXPECT_FALSE(table.isVisible(QStringLiteral("Nastve1")));
    EXPECT_EQ(changes, (QStringList{"Nastve1", "Nastve1", "Nastve1"}));

    // Registering a name again replaces the handler and keeps the state.
    table.add(QStringLiteral("Nastve1"), [&] { runs += 10; });
    table.setEnabled(QStringLiteral("Nastve1"), true);
    EXPECT_TRUE(table.trigger(QStringLiteral("Nastve1")));
    EXPECT_EQ(runs, 11);
    EXPECT_EQ(table.names(), QStringList{"Nastve1"});
}

TEST(ExchangeGuard, OneTicketAtATimeReleasedByResetMoveOrDestruction) {
    ExchangeGuard guard;
    {
        ExchangeGuard::Ticket local = guard.acquire(QStringLiteral("local"));
        ASSERT_TRUE(local);
        EXPECT_EQ(guard.holder(), QStringLiteral("local"));
        ExchangeGuard::Ticket remote = guard.acquire(QStringLiteral("remote"));
        EXPECT_FALSE(remote);
        EXPECT_EQ(guard.holder(), QStringLiteral("local"));

        ExchangeGuard::Ticket kept = std::move(local);
        EXPECT_FALSE(local);
        EXPECT_TRUE(guard.busy());
        local.reset(); // the moved-from ticket releases nothing
        EXPECT_TRUE(guard.busy());
        kept.reset();
        EXPECT_FALSE(guard.busy());
        remote = guard.acquire(QStringLiteral("remote"));
        EXPECT_TRUE(remote);
    }
    EXPECT_FALSE(guard.busy()); // released when the ticket went out of scope
    ExchangeGuard::Ticket unnamed = guard.acquire(QString());
    EXPECT_TRUE(guard.busy());
}

TEST(CloseSequence, RunsHangUpThenSaveThenConfigOnce) {
    CloseSequence close;
    QStringList ran;
    close.add(CloseSequence::Stage::Config, QStringLiteral("config"), [&] { ran << "config"; });
    close.add(CloseSequence::Stage::SaveQuestion, QStringLiteral("save"), [&] { ran << "save"; });
    close.add(CloseSequence::Stage::HangUp, QStringLiteral("remote"), [&] { ran << "remote"; });
    close.add(CloseSequence::Stage::HangUp, QStringLiteral("line"), [&] { ran << "line"; });
    EXPECT_EQ(close.order(), (std::vector<QString>{"remote", "line", "save", "config"}));
    close.run();
    close.run();
    EXPECT_EQ(ran, (QStringList{"remote", "line", "save", "config"}));
    EXPECT_TRUE(close.hasRun());
}

// A part that records what the shell asks of it.
class RecordingPart : public ShellPart {
public:
    explicit RecordingPart(QString name) : m_name(std::move(name)) {}
    void attach(Shell& shell) override {
        shell.commands().add(m_name + QStringLiteral("Cmd"), [this] { log << "cmd"; });
        shell.closeSequence().add(CloseSequence::Stage::HangUp, m_name, [this] { log << "close"; });
    }
    void readConfig(const AppConfig& config) override {
        log << QStringLiteral("com%1").arg(config.com);
    }
    void writeConfig(AppConfig& config) const override { config.com = 7; }
    void startUpFinished() override { log << "started"; }
    void applyTexts(const Texts&) override { log << "texts"; }
    void portTick() override { log << "tick"; }
    bool portCheckRequested() const override { return wantsCheck; }
    void portCheck() override {
        log << "check";
        wantsCheck = false;
    }
    bool busy() const override { return isBusy; }

    QStringList log;
    bool wantsCheck = false;
    bool isBusy = false;

private:
    QString m_name;
};

struct ShellRig {
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
};

TEST(Shell, PartsRegisterOnAttachAndHearEveryDispatch) {
    ShellRig rig;
    RecordingPart a(QStringLiteral("a")), b(QStringLiteral("b"));
    rig.shell.addPart(a);
    rig.shell.addPart(b);
    rig.shell.addPart(a); // once only
    EXPECT_EQ(rig.shell.parts().size(), 2u);
    EXPECT_TRUE(rig.shell.commands().trigger(QStringLiteral("bCmd")));
    EXPECT_EQ(b.log, QStringList{"cmd"});

    AppConfig config;
    config.com = 4;
    rig.shell.readConfig(config);
    rig.shell.writeConfig(config);
    EXPECT_EQ(config.com, 7);
    rig.shell.startUpFinished();
    rig.shell.applyTexts();
    rig.shell.closeSequence().run();
    EXPECT_EQ(a.log, (QStringList{"com4", "started", "texts", "close"}));
}

TEST(Shell, ATickResetsTheIndicatorRunsEveryShareAndChecksOnlyForTheAskingPart) {
    ShellRig rig;
    RecordingPart a(QStringLiteral("a")), b(QStringLiteral("b"));
    rig.shell.addPart(a);
    rig.shell.addPart(b);
    QStringList order;
    rig.shell.setWindowTick([&] { order << "window"; });
    rig.shell.indicator().set(0x0000FFu);

    rig.shell.portTimer().tick();
    EXPECT_FALSE(rig.shell.indicator().colour().has_value());
    EXPECT_EQ(order, QStringList{"window"});
    EXPECT_EQ(a.log, QStringList{"tick"});

    b.wantsCheck = true;
    rig.shell.portTimer().tick();
    EXPECT_EQ(a.log, (QStringList{"tick", "tick"}));
    EXPECT_EQ(b.log, (QStringList{"tick", "tick", "check"}));
}

TEST(Shell, BusyWhileAnExchangeRunsOrAPartIsBusy) {
    ShellRig rig;
    RecordingPart a(QStringLiteral("a"));
    rig.shell.addPart(a);
    EXPECT_FALSE(rig.shell.busy());
    a.isBusy = true;
    EXPECT_TRUE(rig.shell.busy());
    a.isBusy = false;
    ExchangeGuard::Ticket ticket = rig.shell.guard().acquire(QStringLiteral("remote"));
    EXPECT_TRUE(rig.shell.busy());
    ticket.reset();
    EXPECT_FALSE(rig.shell.busy());
}

TEST(ActivityIndicator, SignalsEveryChange) {
    ActivityIndicator indicator;
    int changes = 0;
    QObject::connect(&indicator, &ActivityIndicator::changed, [&] { ++changes; });
    indicator.set(0x008000u);
    EXPECT_EQ(indicator.colour(), 0x008000u);
    indicator.reset();
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(indicator.colour());
    // The same colour again, or a reset of a reset one, changes nothing to repaint.
    indicator.reset();
    indicator.set(0x0000FFu);
    indicator.set(0x0000FFu);
    EXPECT_EQ(changes, 3);
}

TEST(StatusPanels, SignalsOnlyANewText) {
    StatusPanels panels;
    std::vector<int> changed;
    QObject::connect(&panels, &StatusPanels::changed, [&](int panel) { changed.push_back(panel); });
    panels.setText(StatusPanels::Link, QStringLiteral("COM:1"));
    panels.setText(StatusPanels::Link, QStringLiteral("COM:1"));
    panels.setText(StatusPanels::Time, QStringLiteral("14:03:11"));
    panels.setText(StatusPanels::Link, QStringLiteral("USB:--"));
    panels.setText(StatusPanels::kCount, QStringLiteral("x")); // no such panel
    EXPECT_EQ(changed,
              (std::vector<int>{StatusPanels::Link, StatusPanels::Time, StatusPanels::Link}));
    EXPECT_EQ(panels.text(StatusPanels::Link), QStringLiteral("USB:--"));
}

} // namespace
} // namespace lumo
