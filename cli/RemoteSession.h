#pragma once
#include "platform/Clock.h"
#include "remote/BoxDevice.h"
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace lumo::cli {

// Where `remote read` and `remote write` run: the clock their engines pause on, the bus the
// line box is found on, and the loop that turns until the command is done. The program runs
// in real time over the FTDI layer; tests put a virtual clock and the simulator's box in their
// place, so that a 15-minute write takes milliseconds.
class RemoteSession {
public:
    virtual ~RemoteSession() = default;
    virtual Clock& clock() = 0;
    virtual BoxBus& bus() = 0;
    // Turns the loop until quit(); returns at once when quit() came first.
    virtual void run() = 0;
    virtual void quit() = 0;
    // Calls `handler` on the loop with the signal's number when the process is asked to stop
    // (SIGINT, SIGTERM) while the command runs; an empty handler ends the watch.
    virtual void setInterruptHandler(std::function<void(int signal)> handler) = 0;
};

// Real time: the system clock on this thread's event loop, the boxes of the FTDI layer.
std::unique_ptr<RemoteSession> systemRemoteSession();

// `lumo-cli remote read ...` and `remote write ...`; `args` follow the word read or write.
int runRemoteRead(const QStringList& args, RemoteSession& session);
int runRemoteWrite(const QStringList& args, RemoteSession& session);

// --number and --password as the connect dialog's entry rules take them: Success with the
// number as entered, or Usage with the message printed.
int checkNumberAndPassword(const QString& number, const QString& password, QString* entered);

} // namespace lumo::cli
