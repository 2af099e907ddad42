#include "remote/RemoteWriteCheck.h"
#include "params/FieldRules.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include <utility>

namespace lumo {

RemoteWriteCheck::RemoteWriteCheck(RemoteLink& link, ConnectionEngine& connection,
                                   const Texts& texts, RemoteReadView& view)
    : m_link(link), m_connection(connection), m_texts(texts), m_clock(link.clock()),
      m_reader(std::make_unique<RemoteReadEngine>(link, connection, m_held, texts, view)) {}

RemoteWriteCheck::~RemoteWriteCheck() {
    m_clock.cancel(m_poll);
}

std::optional<RemoteReadRequest> RemoteWriteCheck::readBack(const RemoteWriteRequest& request,
                                                            const RemoteWriteResult& result) {
    RemoteReadRequest read;
    read.settings = false;
    for (std::size_t g = 0; g < 3; ++g)
        read.settings = read.settings || (request.groups[g] && result.acknowledged[g] > 0);
    for (int memory : result.acknowledgedMemories)
        if (memory >= 0 && memory < 128)
            read.memories[std::size_t(memory)] = true;
    if (!read.settings && read.selectedCount() == 0)
        return std::nullopt;
    return read;
}

bool RemoteWriteCheck::start(const ParameterSet& written, const RemoteWriteRequest& request,
                             const RemoteWriteResult& result, Finished finished) {
    if (running() || result.outcome != RemoteWriteState::Done)
        return false;
    const std::optional<RemoteReadRequest> read = readBack(request, result);
    if (!read)
        return false;
    m_request = *read;
    m_expected = expectedAfterWrite(written, true, true, m_texts);
    // What the read does not fetch stays as expected.
    m_held = m_expected;
    m_written = remotelyWritten({request.groups[0], request.groups[1], request.groups[2]},
                                result.acknowledgedMemories);
    m_finished = std::move(finished);
    m_deadline = m_clock.nowMs() + kQuietWaitMs;
    waitForQuiet();
    return true;
}

void RemoteWriteCheck::waitForQuiet() {
    m_poll = 0;
    const ConnectionState state = m_connection.state();
    if (state == ConnectionState::Quiet) {
        if (m_reader->start(m_request, nullptr, [this](const RemoteReadResult& r) { readDone(r); }))
            return;
    } else if (!m_connection.isConnected() || m_clock.nowMs() >= m_deadline) {
        WriteCheck unread;
        unread.outcome = WriteCheck::Outcome::ReadBackFailed;
        finish(unread);
        return;
    }
    m_poll = m_clock.runAfter(kPollMs, [this] { waitForQuiet(); });
}

void RemoteWriteCheck::readDone(const RemoteReadResult& result) {
    if (!running())
        return;
    WriteCheck check;
    check.outcome = WriteCheck::Outcome::ReadBackFailed;
    if (result.outcome == RemoteReadState::Done) {
        applyFirmwareRules(m_held);
        check = checkWrite(m_expected, m_held, m_written, m_texts);
    }
    finish(check);
}

void RemoteWriteCheck::cancel() {
    if (!running())
        return;
    m_clock.cancel(m_poll);
    m_poll = 0;
    if (m_reader->running())
        m_reader->close(); // hands its result, which ends the check
    if (running()) {
        WriteCheck unread;
        unread.outcome = WriteCheck::Outcome::ReadBackFailed;
        finish(unread);
    }
}

void RemoteWriteCheck::abort() {
    if (!running())
        return;
    m_clock.cancel(m_poll);
    m_poll = 0;
    if (m_reader->running())
        m_reader->abort();
    if (running()) {
        WriteCheck unread;
        unread.outcome = WriteCheck::Outcome::ReadBackFailed;
        finish(unread);
    }
}

void RemoteWriteCheck::finish(const WriteCheck& check) {
    if (auto finished = std::exchange(m_finished, {}))
        finished(check);
}

} // namespace lumo
