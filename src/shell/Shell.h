#pragma once
#include "shell/ActivityIndicator.h"
#include "shell/CloseSequence.h"
#include "shell/CommandTable.h"
#include "shell/ExchangeGuard.h"
#include "shell/PortTimer.h"
#include "shell/StatusPanels.h"
#include <QDateTime>
#include <functional>
#include <vector>

namespace lumo {

// Defined with the parameter set it carries; the shell only relays it to the window's viewer.
struct CompareRequest;
// Shows the compare view (modal in the program). Registered by the window that owns it.
using ComparisonViewer = std::function<void(const CompareRequest&)>;

// Defined with the backups that keep it (files/ReadBackups.h); the shell relays it to the part
// that keeps backups. The keeper returns whether the backup was kept.
struct BackupRequest;
using BackupKeeper = std::function<bool(const BackupRequest&)>;

struct AppConfig;
class Clock;
class Messenger;
class ParameterModel;
class ShellPart;
class Texts;

// What the main window offers every subsystem, without knowing any: the command table, the
// port timer, the activity indicator, the status panels, the one-exchange guard, the close
// sequence, and the shared parameter model, texts, messenger and clock. The window builds the
// controls and binds them to this; the parts plug in through ShellPart.
class Shell {
public:
    Shell(Clock& clock, Messenger& messenger, ParameterModel& model, Texts& texts);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Attaches a part (not owned); parts are asked in the order they were added.
    void addPart(ShellPart& part);
    const std::vector<ShellPart*>& parts() const { return m_parts; }

    CommandTable& commands() { return m_commands; }
    PortTimer& portTimer() { return m_portTimer; }
    ActivityIndicator& indicator() { return m_indicator; }
    StatusPanels& statusPanels() { return m_status; }
    ExchangeGuard& guard() { return m_guard; }
    CloseSequence& closeSequence() { return m_close; }
    Clock& clock() { return m_clock; }
    Messenger& messenger() { return m_messenger; }
    ParameterModel& model() { return m_model; }
    Texts& texts() { return m_texts; }

    // An exchange runs or a part is busy: no second command may start.
    bool busy() const;

    // A short note of what was just done ("Načteno vše 14:03:11"): the status bar shows it for
    // kNoteMs, then its panels again.
    static constexpr int kNoteMs = 8000;
    void showNote(const QString& text);
    // The time of day on the injected clock, "hh:mm:ss", for notes.
    QString timeOfDay() const;
    // The date and time on the injected clock (names of backups).
    QDateTime wallTime() const;
    // The wall-clock time at which the clock read `clockMs` (tests pin it).
    void setWallClockOrigin(const QDateTime& wall, qint64 clockMs) {
        m_wallOrigin = wall;
        m_clockOrigin = clockMs;
    }

    // The window's own share of every port tick; it runs before the parts' shares.
    void setWindowTick(std::function<void()> tick) { m_windowTick = std::move(tick); }

    // The compare view: the window registers it, any part opens it with a side set. Returns
    // false when no view is registered.
    void setComparisonViewer(ComparisonViewer viewer) { m_comparisonViewer = std::move(viewer); }
    bool showComparison(const CompareRequest& request) const;

    // Backups of what was read from the unit: the part that keeps them registers; any part
    // that reads hands over what it read. False when nothing was kept (no keeper, backups
    // turned off, or the save failed and the keeper said so).
    void setBackupKeeper(BackupKeeper keeper) { m_backupKeeper = std::move(keeper); }
    bool keepBackup(const BackupRequest& request) const;

    // Dispatch to every part.
    void readConfig(const AppConfig& config);
    void writeConfig(AppConfig& config) const;
    void startUpFinished();
    void applyTexts();

private:
    void tick();
    bool portCheckRequested() const;
    void portCheck();

    Clock& m_clock;
    Messenger& m_messenger;
    ParameterModel& m_model;
    Texts& m_texts;
    CommandTable m_commands;
    PortTimer m_portTimer;
    ActivityIndicator m_indicator;
    StatusPanels m_status;
    ExchangeGuard m_guard;
    CloseSequence m_close;
    std::vector<ShellPart*> m_parts;
    std::function<void()> m_windowTick;
    QDateTime m_wallOrigin;
    qint64 m_clockOrigin = 0;
    quint64 m_noteTimer = 0;
    bool m_noteTimerOn = false;
    ComparisonViewer m_comparisonViewer;
    BackupKeeper m_backupKeeper;
};

} // namespace lumo
