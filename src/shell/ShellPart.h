#pragma once

namespace lumo {

struct AppConfig;
class Shell;
class Texts;

// A subsystem's part of the main window. main() creates the parts and hands them to the
// window, which attaches each to the shell; a part never sees the window class. A part
//   - registers its commands (by the objectName of the menu item or control that runs them)
//     in shell.commands(), with the text key of their captions;
//   - adds its steps to shell.closeSequence() (a remote connection hangs up first);
//   - takes an ExchangeGuard ticket from shell.guard() for every exchange with a device;
//   - sets shell.indicator() and its status panel from its engines' views.
// The other calls below come from the shell; each has a default that does nothing.
class ShellPart {
public:
    virtual ~ShellPart() = default;

    // Called once, when the window takes the part: register commands and close steps here.
    virtual void attach(Shell& shell) = 0;

    // Start-up has read Config.ini (defaults when it was missing); the part takes its
    // settings from it.
    virtual void readConfig(const AppConfig& /*config*/) {}
    // Config.ini is written at close: the part puts its settings in.
    virtual void writeConfig(AppConfig& /*config*/) const {}
    // The start-up sequence has ended (a settings file named on the command line has loaded).
    virtual void startUpFinished() {}

    // The texts changed (start-up, a language pack): the part's windows take theirs. The
    // captions of its commands come from their text keys without this.
    virtual void applyTexts(const Texts& /*texts*/) {}

    // The part's share of every port tick (status panel, its own timers' housekeeping).
    virtual void portTick() {}
    // Whether the part asks the port timer for a port check (a status read of the unit).
    virtual bool portCheckRequested() const { return false; }
    // A tick found a port check requested: the part that asked runs it when it can.
    virtual void portCheck() {}

    // Whether the part is in the middle of something that a second command must not disturb.
    virtual bool busy() const { return false; }
};

} // namespace lumo
