// The local link's commands through the part and its transfer window, against a simulated
// unit in virtual time: what the status bar says after a command, and how a running command
// is stopped from the window.
#include "link/ui/LocalTransferUi.h"
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include "support/LocalTransferRig.h"
#include "support/ScriptedMessenger.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QKeyEvent>
#include <QProgressBar>
#include <QWidget>
#include <gtest/gtest.h>

namespace lumo {
namespace {

struct WindowRig : test::LocalTransferRig {
    WindowRig() {
        shell.addPart(part);
        part.useLink(&unitLink);
        shell.setWallClockOrigin(QDateTime(QDate(2026, 3, 2), QTime(14, 3, 0)), clock.nowMs());
    }
    void run(const char* command) {
        ASSERT_TRUE(shell.commands().trigger(QString::fromLatin1(command)));
        runWhileBusy();
    }
    // Moves virtual time on until the command has ended (and not beyond, so that a note
    // is still showing).
    QDialog* form6() { return window.findChild<QDialog*>(QStringLiteral("Form6")); }
    QProgressBar* bar() {
        return form6()->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    }
    // Starts `command` and moves time on until the number read asks for `block`.
    void startAndRunTo(const char* command, int block) {
        ASSERT_TRUE(shell.commands().trigger(QString::fromLatin1(command)));
        TransferEngine& engine = part.engine();
        for (int i = 0; i < 100000 && !(engine.kind() == TransferKind::NumbersRead &&
                                        engine.blockIndex() == block);
             ++i)
            clock.advance(5);
        ASSERT_EQ(engine.blockIndex(), block);
        ASSERT_TRUE(form6()->isVisible());
    }
    void runWhileBusy() {
        const qint64 limit = clock.nowMs() + 600000;
        while (part.busy() && clock.nowMs() < limit)
            clock.advance(10);
    }
};

TEST(TransferNotes, ACompletedCommandSaysWhatWasDoneAndWhenForAWhile) {
    WindowRig rig;
    rig.run("Nastve1");
    const QString note = rig.shell.statusPanels().note();
    // The read took some virtual seconds from 14:03:00; the note has the time it ended.
    ASSERT_TRUE(note.startsWith(QStringLiteral("Načteno vše 14:03:"))) << note.toStdString();
    EXPECT_EQ(note, QStringLiteral("Načteno vše ") + rig.shell.timeOfDay());
    EXPECT_TRUE(rig.messenger.messages.empty());

    rig.clock.advance(Shell::kNoteMs - 10);
    EXPECT_EQ(rig.shell.statusPanels().note(), note);
    rig.clock.advance(10);
    EXPECT_TRUE(rig.shell.statusPanels().note().isEmpty());
}

TEST(TransferNotes, AFailedCommandLeavesNoNote) {
    WindowRig rig;
    rig.unit.faults().settingsDelta = -1; // the settings reply never completes
    rig.run("Nastnastaven1");
    EXPECT_TRUE(rig.shell.statusPanels().note().isEmpty());
    EXPECT_FALSE(rig.messenger.messages.empty());
}

TEST(TransferWindowStop, EscapeStopsAFailingReadAndOneMessageSaysWhatWasRead) {
    WindowRig rig;
    rig.unit.faults().readErrorBlock = 5; // answered "E" for ever
    rig.unit.faults().readErrorTimes = -1;
    rig.startAndRunTo("Nastve1", 5);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(rig.form6(), &escape);
    // Still there until the exchange in flight is over, and saying so.
    EXPECT_TRUE(rig.form6()->isVisible());
    EXPECT_TRUE(rig.bar()->text().contains(QStringLiteral("Zastavuji")))
        << rig.bar()->text().toStdString();
    const qint64 stoppedAt = rig.clock.nowMs();
    rig.runWhileBusy();
    EXPECT_LT(rig.clock.nowMs() - stoppedAt, 3000); // not the 68 retries
    EXPECT_FALSE(rig.form6()->isVisible());
    ASSERT_EQ(rig.messenger.messages.size(), 1u);
    EXPECT_EQ(rig.messenger.messages[0],
              QStringLiteral("Načítání bylo zastaveno.\nNastavení: načteno celé.\n"
                             "Paměti čísel: 1 až 5 načteny, 6 až 128 nenačteny, v okně "
                             "zůstaly dřívější."));
    EXPECT_EQ(rig.messenger.warnings.size(), 1u);
    EXPECT_TRUE(rig.shell.statusPanels().note().isEmpty());
    EXPECT_FALSE(rig.shell.busy());
}

TEST(TransferWindowStop, ClosingTheWindowStopsTheCommandToo) {
    WindowRig rig;
    rig.startAndRunTo("Nastpamtisel1", 20);
    rig.form6()->close();
    rig.runWhileBusy();
    EXPECT_FALSE(rig.form6()->isVisible());
    EXPECT_EQ(rig.unitLink.requestedBlocks().size(), 21);
    ASSERT_EQ(rig.messenger.messages.size(), 1u);
    EXPECT_TRUE(rig.messenger.messages[0].contains(QStringLiteral("1 až 21 načteny")));
}

TEST(TransferWindowStop, AFailedReadEndsWithTheSpecifiedErrorAndThenWhatWasRead) {
    WindowRig rig;
    rig.unit.faults().settingsDelta = -1; // the settings reply never completes
    rig.run("Nastve1");
    ASSERT_EQ(rig.messenger.messages.size(), 2u);
    EXPECT_TRUE(rig.messenger.messages[0].endsWith(QStringLiteral("  Chyba komunikace")));
    EXPECT_EQ(rig.messenger.messages[1],
              QStringLiteral("Načítání nebylo dokončeno.\nNastavení: nenačteno, v okně zůstalo "
                             "dřívější.\nPaměti čísel: načteny všechny."));
}

TEST(TransferWindowLostDevice, AUnitGoneMidReadSaysSoAtOnceNotAsATimeOut) {
    WindowRig rig;
    // "V", "R" "P", then the request of block 0: the device goes with its last byte.
    rig.unitLink.vanishAfter(6);
    const qint64 start = rig.clock.nowMs();
    rig.run("Nastve1");
    EXPECT_LT(rig.clock.nowMs() - start, 1000); // a time-out would take a second
    ASSERT_EQ(rig.messenger.messages.size(), 2u);
    EXPECT_EQ(rig.messenger.messages[0], rig.texts.message(Msg::DeviceLost));
    EXPECT_TRUE(rig.messenger.messages[0].startsWith(
        QStringLiteral("Spojení s vrátným bylo přerušeno: zařízení se odpojilo")));
    EXPECT_TRUE(rig.messenger.messages[1].startsWith(QStringLiteral("Načítání nebylo dokončeno.")));
}

TEST(TransferWindowLostDevice, TheTextComesFromTheTable) {
    WindowRig rig;
    rig.texts.set(TextSection::MESSAGE, Msg::DeviceLost, QStringLiteral("The unit went away"));
    rig.unitLink.vanishAfter(3); // with the last byte of the settings request
    rig.run("Nastve1");
    ASSERT_FALSE(rig.messenger.messages.empty());
    EXPECT_EQ(rig.messenger.messages[0], QStringLiteral("The unit went away"));
}

TEST(TransferWindowProgress, OneBarOverReadAllWithThePhaseInIt) {
    WindowRig rig;
    rig.unitLink.setPacing(true); // each phase on the wire for a while, as on the line
    ASSERT_TRUE(rig.shell.commands().trigger(QStringLiteral("Nastve1")));
    int last = 0;
    bool wentBack = false;
    QStringList phases;
    while (rig.part.busy()) {
        rig.clock.advance(5);
        if (!rig.form6()->isVisible())
            continue;
        const int value = rig.bar()->value();
        wentBack |= value < last;
        last = value;
        const QString text = rig.bar()->text();
        const QString phase = text.left(text.indexOf(QStringLiteral("  –")));
        if (phases.isEmpty() || phases.back() != phase)
            phases << phase;
    }
    EXPECT_FALSE(wentBack);
    EXPECT_GT(last, 120);
    ASSERT_GE(phases.size(), 3) << phases.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(phases[0], QStringLiteral("Stav vrátného"))
        << phases.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(phases.contains(QStringLiteral("Nastavení")));
    EXPECT_TRUE(phases.contains(QStringLiteral("Paměť 37 ze 128")));
    EXPECT_EQ(phases.back(), QStringLiteral("Paměť 128 ze 128"));
    EXPECT_TRUE(rig.messenger.messages.empty());
}

} // namespace
} // namespace lumo
