#pragma once
#include "platform/Messenger.h"
#include <QString>
#include <QStringList>
#include <functional>

namespace lumo {
class Texts;
}

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
    // The exit status of a failure before the command ran (a language pack that cannot be
    // used); diff keeps 1 for "different".
    int failureStatus = Failure;
};

// Commands register themselves from their own source file:
//   static const bool registered = lumo::cli::registerCommand({"new", "new OUT", runNew});
bool registerCommand(Command command);
const std::vector<Command>& commands();

// The full help of a command (what `lumo-cli COMMAND --help` prints after its usage line);
// empty for a command without one.
QString commandHelp(const QString& name);

// The texts of every message of this run: the built-in Czech ones, or a language pack given
// with --lang. Standard output keeps its fixed form (results that scripts read); everything
// said on standard error comes from here.
const Texts& activeTexts();
// Makes the pack at `path` the run's texts; on failure says why and returns Failure.
int useLanguagePack(const QString& path);

// Message-table keys of the console's own messages.
namespace cliText {
constexpr int kFolderMissing = 561;     // %1 file, %2 folder
constexpr int kFileNotWritable = 562;   // %1 file
constexpr int kFolderNotWritable = 563; // %1 file, %2 folder
constexpr int kNoFtdiDevice = 564;
constexpr int kNotWrittenForce = 565; // %1 file
constexpr int kWrittenAnyway = 566;   // %1 file
constexpr int kPackUnreadable = 567;  // %1 pack
constexpr int kConnectionNotStarted = 568;
constexpr int kConnected = 569;
constexpr int kRemoteProgress = 570;     // %1 part, %2 entry, %3 of, %4 overall, %5 of, %6 left
constexpr int kNoConnectionWithin = 571; // %1 seconds
constexpr int kInterruptedHangUp = 572;
constexpr int kInterruptedRead = 573;
constexpr int kInterruptedReadBack = 574;
constexpr int kInterruptedWrite = 575;
constexpr int kInterruptedWriteAgain = 576;
constexpr int kFtdiStatus = 589; // %1 function, %2 status
} // namespace cliText

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
