#pragma once
#include "platform/SystemClock.h"
#include "sim/VirtualLineBox.h"
#include "sim/VirtualUnit.h"
#include <QString>
#include <QStringList>
#include <memory>

class QSocketNotifier;

namespace lumo::sim {

// Serves a virtual line box, with a virtual unit of its own behind it, on a pseudo-terminal:
// the terminal carries what the box's USB converter would, so a program reaches it through
// LUMO_FTDI=virtual:PATH. Runs on the event loop of the thread that starts it (the box's line
// runs in real time there). With a memory file the unit's memory is loaded from it at start
// (when it exists) and saved after every code that changed it. A box that vanishes closes its
// terminal and removes the link; the server then stays silent until stopped.
class LineBoxServer {
public:
    struct Options {
        QString linkPath;      // a symbolic link made to the terminal, removed at stop (optional)
        QString memoryFile;    // optional
        QByteArray unitNumber; // the number that reaches the unit; empty: any
        LineBoxFaults faults;
        LineBoxTiming timing;
        int splitGapMs = 60; // pause between the pieces of a split reply
    };

    LineBoxServer();
    ~LineBoxServer();
    LineBoxServer(const LineBoxServer&) = delete;
    LineBoxServer& operator=(const LineBoxServer&) = delete;

    bool start(const Options& options, QString* error);
    void stop();
    bool running() const { return m_master >= 0; }

    // The terminal the host opens: the link path when one was made, else the terminal's name.
    QString devicePath() const;
    QString terminalName() const { return m_slaveName; }

    VirtualLineBox& box() { return *m_box; }
    VirtualUnit& unit() { return m_unit; }

private:
    void readHost();
    void toHost(const QByteArray& bytes);
    void writePiece();
    void writeMaster(const QByteArray& bytes);
    void vanished();

    Options m_options;
    VirtualUnit m_unit;
    SystemClock m_clock;
    std::unique_ptr<VirtualLineBox> m_box;
    int m_master = -1;
    int m_slaveKeep = -1;
    QString m_slaveName;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_held; // split reply bytes still to write
    Clock::TaskId m_pieceTask = 0;
};

// `lumo-sim linebox` arguments (after the word "linebox"). False with the reason for a bad one.
bool parseLineBoxArguments(const QStringList& args, LineBoxServer::Options* options,
                           QString* error);
// The lines of `lumo-sim --help` about the line box.
const char* lineBoxUsage();

} // namespace lumo::sim
