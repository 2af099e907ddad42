#pragma once
#include "params/ParameterSet.h"
#include "params/WriteCheck.h"
#include "platform/Clock.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include <functional>
#include <memory>

namespace lumo {

class ConnectionEngine;
class RemoteLink;
class Texts;

// Checks a completed remote write by reading back over the line what it put into the unit:
// the settings blocks when a settings group was written, and the memories the unit
// acknowledged. The read starts in the quiet period of the resumed keep-alive, where a user's
// click would start it, and goes into a side set: the window's parameters are not touched.
// Every wait is a task on the link's clock.
class RemoteWriteCheck {
public:
    using Finished = std::function<void(const WriteCheck&)>;
    static constexpr int kPollMs = 50;
    // The resumed keep-alive reaches its quiet period within a few seconds; a connection
    // that does not gets no read-back.
    static constexpr int kQuietWaitMs = 30000;

    RemoteWriteCheck(RemoteLink& link, ConnectionEngine& connection, const Texts& texts,
                     RemoteReadView& view);
    ~RemoteWriteCheck();
    RemoteWriteCheck(const RemoteWriteCheck&) = delete;
    RemoteWriteCheck& operator=(const RemoteWriteCheck&) = delete;

    // The read that gives back what a write wrote; nothing to read when it wrote nothing.
    static std::optional<RemoteReadRequest> readBack(const RemoteWriteRequest& request,
                                                     const RemoteWriteResult& result);

    // Starts the check of a write that ended with `result`, of the parameters `written` (the
    // set the write sent). False (nothing started) when the write did not complete, wrote
    // nothing, or a check runs already. `finished` is told once how it ended.
    bool start(const ParameterSet& written, const RemoteWriteRequest& request,
               const RemoteWriteResult& result, Finished finished);
    // Stops a running check: the read closes (the keep-alive resumes), and `finished` hears
    // that nothing could be read back.
    void cancel();
    // The connection ended under the check: stop without resuming anything.
    void abort();
    bool running() const { return bool(m_finished); }
    RemoteReadEngine& reader() { return *m_reader; }

private:
    void waitForQuiet();
    void readDone(const RemoteReadResult& result);
    void finish(const WriteCheck& check);

    RemoteLink& m_link;
    ConnectionEngine& m_connection;
    const Texts& m_texts;
    Clock& m_clock;
    ParameterSet m_expected;
    ParameterSet m_held; // the read goes here
    WrittenParameters m_written;
    RemoteReadRequest m_request;
    std::unique_ptr<RemoteReadEngine> m_reader;
    Finished m_finished;
    Clock::TaskId m_poll = 0;
    qint64 m_deadline = 0;
};

} // namespace lumo
