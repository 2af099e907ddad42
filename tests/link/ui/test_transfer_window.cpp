// The local link's commands through the part and its transfer window, against a simulated
// unit in virtual time: what the status bar says after a command, and how a running command
// is stopped from the window.
#include "link/ui/LocalTransferUi.h"
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "sim/UnitLink.h"
#include "sim/VirtualUnit.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QDateTime>
#include <QWidget>
#include <gtest/gtest.h>

namespace lumo {
namespace {

struct WindowRig {
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    LocalLinkState link;
    // The unit outlives the part, which closes its link on the way out.
    sim::VirtualUnit unit;
    sim::UnitLink unitLink{clock, unit, TransferLink::Kind::Serial};
    QWidget window;
    LocalTransferUi part{shell, link, &window};
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

} // namespace
} // namespace lumo
