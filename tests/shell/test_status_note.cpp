// The status bar's passing note: its time of day comes from the injected clock, it lasts its
// period from the latest note, and a newer note replaces an older one.
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QDateTime>
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(StatusNote, LastsItsPeriodFromTheLatestNoteWithTheClocksTime) {
    VirtualClock clock(5000);
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell(clock, messenger, model, texts);
    shell.setWallClockOrigin(QDateTime(QDate(2026, 3, 2), QTime(23, 59, 58)), 5000);
    int changes = 0;
    QObject::connect(&shell.statusPanels(), &StatusPanels::noteChanged, [&] { ++changes; });

    EXPECT_EQ(shell.timeOfDay(), QStringLiteral("23:59:58"));
    clock.advance(3000); // past midnight: only the time of day shows
    EXPECT_EQ(shell.timeOfDay(), QStringLiteral("00:00:01"));

    shell.showNote(QStringLiteral("first"));
    clock.advance(Shell::kNoteMs / 2);
    shell.showNote(QStringLiteral("second"));
    EXPECT_EQ(shell.statusPanels().note(), QStringLiteral("second"));
    // The first note's end does not cut the second one short.
    clock.advance(Shell::kNoteMs - 1);
    EXPECT_EQ(shell.statusPanels().note(), QStringLiteral("second"));
    clock.advance(1);
    EXPECT_TRUE(shell.statusPanels().note().isEmpty());
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace lumo
