#pragma once
#include <QString>
#include <QtGlobal>

namespace lumo {

// How far a remote read or write has come: the exchange (entry) being worked on, of how many,
// in the current group and overall, and the time still to go by the protocol's fixed pauses.
struct RemoteProgress {
    QString group;      // "settings", "memories" / the write group's name
    int groupIndex = 0; // 1-based entry in the group being worked on
    int groupCount = 0;
    int overallIndex = 0; // 1-based over the whole procedure
    int overallCount = 0;
    qint64 msLeft = 0; // sum of the fixed pauses still ahead
    friend bool operator==(const RemoteProgress&, const RemoteProgress&) = default;
};

// The phases of a remote read.
enum class RemoteReadState {
    Idle,     // not started (or closed)
    Starting, // keep-alive suspended, the first request about to go
    Settings, // settings blocks: 7, then 0..4
    Memories, // selected number memories in ascending order
    Halted,   // a wait inside an exchange ran out; the dialog stays open until closed
    Done,
    Failed,
    Cancelled,
};
QString remoteReadStateName(RemoteReadState state);

// What the read dialog (or the CLI) shows.
class RemoteReadView {
public:
    virtual ~RemoteReadView() = default;
    virtual void stateChanged(RemoteReadState, RemoteReadState) {}
    virtual void setProgressBar(int) {}        // ProgressBar1, 0..8
    virtual void setCounter(const QString&) {} // Label5
    virtual void progress(const RemoteProgress&) {}
    virtual void closeDialog() {}
    virtual void showMessage(const QString& text) = 0;
};

} // namespace lumo
