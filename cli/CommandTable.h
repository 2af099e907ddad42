#pragma once
#include "platform/Messenger.h"
#include <QString>
#include <QStringList>
#include <functional>

namespace lumo::cli {

// Exit statuses of every command.
enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

// One `lumo-cli` command. `run` gets the arguments after the command name and returns an exit
// status; messages go to standard error, results to standard output.
struct Command {
    QString name;
    QString synopsis; // one usage line for --help
    std::function<int(const QStringList& args)> run;
    // Draws (PDF output): runs under a GUI application object on a headless platform.
    bool needsGui = false;
};

// Commands register themselves from their own source file:
//   static const bool registered = lumo::cli::registerCommand({"new", "new OUT", runNew});
bool registerCommand(Command command);
const std::vector<Command>& commands();

// The full help of a command (what `lumo-cli COMMAND --help` prints after its usage line);
// empty for a command without one.
QString commandHelp(const QString& name);

// Output helpers that write UTF-8 to the standard streams.
void printOut(const QString& text); // a line on standard output
void printErr(const QString& text); // a line on standard error

// Prints "usage: lumo-cli SYNOPSIS" on standard error and returns Usage.
int usage(const QString& synopsis);
// Prints the message on standard error and returns Failure.
int fail(const QString& message);

// Why OUT cannot be written (its folder is missing or closed, or OUT is no writable file);
// empty when it can. Checked before a read spends its time on the unit.
QString outputProblem(const QString& out);

// Messages of the engines go to standard error; questions are never answered Yes.
class ConsoleMessenger : public Messenger {
public:
    void message(const QString& text, const QString& title) override;
    bool ask(const QString& title, const QString& text, Icon, bool) override;
};

} // namespace lumo::cli
