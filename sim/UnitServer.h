#pragma once
#include "sim/VirtualUnit.h"
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace lumo::sim {

// Serves a virtual unit on a pseudo-terminal: a thread of its own reads what the host writes
// to the terminal, feeds it to the unit and writes the answers back, optionally at the pace of
// a 2400 Bd line. With a memory file the unit's memory is loaded from it at start (when it
// exists) and saved after every write that changed it.
class UnitServer {
public:
    struct Options {
        QString linkPath;   // a symbolic link made to the terminal, removed at stop (optional)
        QString memoryFile; // optional
        bool baudPacing = false;
        int unitDelayMs = 0; // the unit's reaction time before each answer
        UnitFaults faults;
        // The device vanishes after this many bytes from the host: the terminal and its link
        // go, the bytes after them and every answer still due are lost. Negative: never.
        int vanishAfterBytes = -1;
    };

    UnitServer();
    ~UnitServer();
    UnitServer(const UnitServer&) = delete;
    UnitServer& operator=(const UnitServer&) = delete;

    bool start(const Options& options, QString* error);
    void stop();
    bool running() const { return m_thread.joinable(); }

    // The terminal the host opens: the link path when one was made, else the terminal's name.
    QString devicePath() const;
    QString terminalName() const { return m_slaveName; }

    // The unit, for inspection while the server runs (take the lock) or after it stopped.
    VirtualUnit& unit() { return m_unit; }
    std::mutex& unitMutex() { return m_mutex; }

    // Whether the device has vanished (the terminal is closed).
    bool vanished() const { return m_vanished; }

private:
    void run();
    // How many of `n` bytes just read still reach the unit before it vanishes.
    ssize_t bytesBeforeVanishing(ssize_t n);
    void vanish();

    Options m_options;
    VirtualUnit m_unit;
    std::mutex m_mutex;
    int m_master = -1;
    int m_slaveKeep = -1; // keeps the terminal alive while no host has it open
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QString m_slaveName;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_vanished{false};
    qint64 m_bytesFromHost = 0;
    std::thread m_thread;
};

} // namespace lumo::sim
