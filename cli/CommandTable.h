#pragma once
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
};

// Commands register themselves from their own source file:
//   static const bool registered = lumo::cli::registerCommand({"new", "new OUT", runNew});
bool registerCommand(Command command);
const std::vector<Command>& commands();

// Output helpers that write UTF-8 to the standard streams.
void printOut(const QString& text); // a line on standard output
void printErr(const QString& text); // a line on standard error

} // namespace lumo::cli
