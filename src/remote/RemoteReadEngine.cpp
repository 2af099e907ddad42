#include "remote/RemoteReadEngine.h"
#include "params/FieldTable.h"
#include "params/TransferBuffer.h"
#include "remote/BoxProtocol.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <utility>

namespace lumo {

QString remoteReadStateName(RemoteReadState state) {
    switch (state) {
    case RemoteReadState::Idle:
        return QStringLiteral("Idle");
    case RemoteReadState::Starting:
        return QStringLiteral("Starting");
    case RemoteReadState::Settings:
        return QStringLiteral("Settings");
    case RemoteReadState::Memories:
        return QStringLiteral("Memories");
    case RemoteReadState::Halted:
        return QStringLiteral("Halted");
    case RemoteReadState::Done:
        return QStringLiteral("Done");
    case RemoteReadState::Failed:
        return QStringLiteral("Failed");
    case RemoteReadState::Cancelled:
        return QStringLiteral("Cancelled");
    }
    return {};
}

int RemoteReadRequest::selectedCount() const {
    int n = 0;
    for (bool selected : memories)
        n += selected;
    return n;
}

RemoteReadEngine::RemoteReadEngine(RemoteLink& link, ConnectionEngine& connection,
                                   ParameterSet& params, const Texts& texts, RemoteReadView& view)
    : m_link(link), m_connection(connection), m_params(params), m_texts(texts), m_view(view),
      m_pickUp(link, kTickMs,
               {[this] { return exchanging(); }, [this] { tick(); }, [this] { loseBox(); },
                [this] { onReply(); }}) {}

RemoteReadEngine::~RemoteReadEngine() = default;

qint64 RemoteReadEngine::fixedPausesMs(const RemoteReadRequest& request) {
    // Start, then per block its closing pause (and the pause after its first half), the pause
    // before each further block, and the pause before each memory.
    const int blocks = request.settings ? 6 : 1;
    return kStartWaitMs + qint64(blocks) * (kBlockWaitMs + kBlockWaitMs) +
           qint64(blocks - 1) * kNextBlockWaitMs + qint64(request.selectedCount()) * kMemoryWaitMs;
}

void RemoteReadEngine::setState(RemoteReadState state) {
    if (state == m_state)
        return;
    const RemoteReadState from = m_state;
    m_state = state;
    m_view.stateChanged(from, state);
}

void RemoteReadEngine::log(const QByteArray& line) {
    if (m_report)
        m_report->line(line);
}

void RemoteReadEngine::send(const QByteArray& command) {
    m_link.BoxSend(command);
    log("> " + command);
}

// Up to `passes` of a 1 ms pause, each followed by a receive, until the buffer ends in CR LF
// (or in "OK" CR LF).
void RemoteReadEngine::waitPasses(int passes, bool untilOk, std::function<void()> then,
                                  QString failure) {
    m_pickUp.waitPasses(passes, untilOk ? EndsWithOk : ReplyComplete, std::move(then),
                        [this, failure = std::move(failure)] { halt(failure); });
}

bool RemoteReadEngine::exchanging() const {
    return m_state == RemoteReadState::Settings || m_state == RemoteReadState::Memories;
}

bool RemoteReadEngine::start(const RemoteReadRequest& request, RemoteReport* report,
                             Finished finished) {
    if (m_state != RemoteReadState::Idle || !m_connection.suspend())
        return false;
    m_request = request;
    m_report = report;
    m_finished = std::move(finished);
    m_result = {};
    setState(RemoteReadState::Starting);
    m_progressBar = 1;
    m_view.setProgressBar(1);

    // The editor's own image: blocks the read does not fetch keep its values.
    TransferBuffer buffer;
    Codec(m_params, buffer, m_texts).EncodeSettings();
    m_image = QByteArray(128, char(0xFF));
    for (int i = 1; i <= 127; ++i)
        m_image[i] = buffer.byteAt(i);
    m_image[0] = char(0x55);

    RemoteCounters& c = m_link.counters;
    c.ErrCount = c.MismatchCount = c.PollTicks = 0;
    c.RetryLimit = 10;
    m_halves = 0;
    m_receSent = false;
    m_received.clear();
    m_exchangesTotal = (request.settings ? 6 : 1) + request.selectedCount();
    m_exchangesDone = 0;
    m_blocksLeft = request.settings ? 6 : 1;
    m_link.DiscardInput();
    m_pickUp.pause(kStartWaitMs, [this] {
        m_block = 7;
        setCounter(0);
        send(SettingsBlockRequest(m_block));
        setState(RemoteReadState::Settings);
        reportProgress(false);
        m_pickUp.pickUp();
    });
    return true;
}

void RemoteReadEngine::setCounter(int value) {
    m_counter = value;
    m_view.setCounter(QString::number(value));
}

// `pauseAhead`: the pause before the current request is still to come (a block after the
// first, or a memory), so it counts in the time left.
void RemoteReadEngine::reportProgress(bool pauseAhead) {
    RemoteProgress p;
    p.overallCount = m_exchangesTotal;
    p.overallIndex = std::min(m_exchangesDone + 1, m_exchangesTotal);
    const int blocks = m_request.settings ? 6 : 1;
    const int memoriesLeft = m_exchangesTotal - m_exchangesDone - m_blocksLeft;
    if (m_state == RemoteReadState::Settings) {
        p.group = QStringLiteral("settings");
        p.groupCount = blocks;
        p.groupIndex = blocks - m_blocksLeft + 1;
    } else {
        p.group = QStringLiteral("memories");
        p.groupCount = m_request.selectedCount();
        p.groupIndex = p.groupCount - memoriesLeft + 1;
    }
    const bool inMemories = m_state == RemoteReadState::Memories;
    p.msLeft = qint64(m_blocksLeft) * (2 * kBlockWaitMs) +
               qint64(std::max(0, m_blocksLeft - 1)) * kNextBlockWaitMs +
               qint64(std::max(0, memoriesLeft - inMemories)) * kMemoryWaitMs +
               (pauseAhead ? (inMemories ? kMemoryWaitMs : kNextBlockWaitMs) : 0);
    m_view.progress(p);
}

QByteArray RemoteReadEngine::currentRequest() const {
    return m_state == RemoteReadState::Memories ? NumberMemoryRequest(m_memory)
                                                : SettingsBlockRequest(m_block);
}

void RemoteReadEngine::resetRequest() {
    RemoteCounters& c = m_link.counters;
    m_halves = 0;
    c.ErrCount = c.MismatchCount = c.PollTicks = 0;
    m_receSent = false;
    m_received.clear();
}

void RemoteReadEngine::resend() {
    // Stale input goes before the repeat, not after it: a box that answers at once would
    // otherwise lose its answer to the repeat, and the request would go again and again.
    m_link.DiscardInput();
    const QByteArray request = currentRequest();
    m_link.BoxSend(request);
    log("> " + request + "   repeat");
    m_view.setProgressBar(m_progressBar = 2);
    resetRequest();
    ++m_result.resends;
}

// Runs only while exchanging and with the box there.
void RemoteReadEngine::tick() {
    RemoteCounters& c = m_link.counters;
    if (++c.PollTicks > kReplyTimeoutTicks) {
        resend();
        m_pickUp.pickUp();
        return;
    }
    m_pickUp.poll();
}

void RemoteReadEngine::onReply() {
    RemoteCounters& c = m_link.counters;
    c.PollTicks = 0;
    const QByteArray reply = ReplyText(m_link.ReceiveBuffer);
    if (reply == kFullReply) {
        onFull();
    } else if (reply == "OK") {
        onOk();
    } else {
        log("< " + m_link.ReceiveBuffer);
        m_link.ReceiveBuffer.clear();
        if (++c.MismatchCount > kMismatchLimit) {
            fail(m_texts.get(TextSection::REMOTE, 29) + QStringLiteral(" - 'RECE -> OK'"));
            return;
        }
        m_pickUp.pickUp();
    }
}

void RemoteReadEngine::onFull() {
    log("< " + m_link.ReceiveBuffer);
    m_view.setProgressBar(++m_progressBar);
    m_link.ReceiveBuffer.clear();
    send(kReadRecordedCommand);
    waitPasses(
        50, false, [this] { onRecorded(); }, QStringLiteral(" - RECN"));
}

void RemoteReadEngine::onRecorded() {
    log("< " + m_link.ReceiveBuffer);
    m_view.setProgressBar(++m_progressBar);
    const QByteArray buffer = m_link.ReceiveBuffer;
    m_link.ReceiveBuffer.clear();
    // The recorded characters come before "OK" CR LF; 16 of them make a memory or a half
    // block. Fewer are not taken as a whole: the request goes again, as after a silence.
    const QByteArray characters = EndsWithOk(buffer) ? buffer.left(buffer.size() - 4) : buffer;
    if (!EndsWithOk(buffer) || characters.size() < kNumberMemoryChars) {
        resend();
        m_pickUp.pickUp();
        return;
    }
    m_received += characters.left(kNumberMemoryChars);
    if (m_state == RemoteReadState::Memories) {
        cislaporadipok();
        return;
    }
    if (++m_halves >= 2) {
        urciporadi();
        return;
    }
    send(kRecordCommand);
    waitPasses(
        50, true,
        [this] {
            log("< " + m_link.ReceiveBuffer);
            m_view.setProgressBar(++m_progressBar);
            m_link.ReceiveBuffer.clear();
            m_pickUp.pause(kBlockWaitMs, [this] { m_pickUp.pickUp(); });
        },
        QStringLiteral(" - RECE1"));
}

void RemoteReadEngine::onOk() {
    log("< " + m_link.ReceiveBuffer);
    m_link.ReceiveBuffer.clear();
    if (m_receSent) {
        m_pickUp.pickUp();
        return;
    }
    m_view.setProgressBar(++m_progressBar);
    m_receSent = true;
    send(kRecordCommand);
    const bool memories = m_state == RemoteReadState::Memories;
    waitPasses(
        100, true,
        [this] {
            log("< " + m_link.ReceiveBuffer);
            m_view.setProgressBar(++m_progressBar);
            m_link.ReceiveBuffer.clear();
            m_pickUp.pickUp();
        },
        memories ? QStringLiteral(" - RECE") : QStringLiteral(" - RECE2"));
}

void RemoteReadEngine::urciporadi() {
    DecodeSettingsBlock(m_received, m_block, m_image);
    m_result.blocksRead.push_back(m_block);
    m_view.setProgressBar(m_progressBar = 2);
    resetRequest();
    m_link.DiscardInput();
    ++m_exchangesDone;
    --m_blocksLeft;
    m_pickUp.pause(kBlockWaitMs, [this] {
        if (!m_request.settings || m_block == 4) {
            settingsDone();
            return;
        }
        setCounter(m_counter + 1);
        m_block = m_block == 7 ? 0 : m_block + 1;
        reportProgress(true);
        m_pickUp.pause(kNextBlockWaitMs, [this] {
            send(SettingsBlockRequest(m_block));
            m_pickUp.pickUp();
        });
    });
}

void RemoteReadEngine::settingsDone() {
    setState(RemoteReadState::Memories);
    m_block = 0;
    TransferBuffer buffer;
    m_result.decodeReport = Codec(m_params, buffer, m_texts).DecodeSettings(m_image);
    m_result.settingsDecoded = true;
    for (const QString& message : m_result.decodeReport.messages)
        m_view.showMessage(message);
    provadimcisla();
    if (m_state != RemoteReadState::Memories)
        return;
    setCounter(100);
}

void RemoteReadEngine::provadimcisla() {
    m_pickUp.stop();
    if (m_request.selectedCount() == 0) {
        finish(RemoteReadState::Done, true);
        return;
    }
    m_memory = 0;
    log("Memory of buttons\r\n");
    cislaporadi();
}

void RemoteReadEngine::cislaporadi() {
    ++m_memory;
    setCounter(m_counter + 1);
    while (m_memory <= 128 && !m_request.memories[std::size_t(m_memory - 1)])
        ++m_memory;
    if (m_memory > 128) {
        finish(RemoteReadState::Done, true);
        return;
    }
    if (m_memory > 64 && m_counter < 200)
        setCounter(200);
    reportProgress(true);
    m_view.setProgressBar(m_progressBar = 2);
    resetRequest();
    m_link.DiscardInput();
    m_pickUp.pause(kMemoryWaitMs, [this] {
        send(NumberMemoryRequest(m_memory));
        m_pickUp.pickUp();
    });
}

void RemoteReadEngine::cislaporadipok() {
    QByteArray image(16, 0);
    for (int j = 0; j < 16; ++j)
        image[j] = char(DtmfCode(m_received.at(j)));
    TransferBuffer buffer;
    Codec(m_params, buffer, m_texts).DecodeNumberMemory(image, m_memory - 1);
    m_result.memoriesRead.push_back(m_memory);
    // What the unit holds now counts for an only-changed write in this connection.
    m_link.noteUnitMemory(m_memory - 1, m_params.text(numberFieldName(m_memory - 1)));
    ++m_exchangesDone;
    cislaporadi();
}

void RemoteReadEngine::halt(const QString& suffix) {
    m_pickUp.stop();
    m_result.message = m_texts.get(TextSection::REMOTE, 28) + suffix;
    setState(RemoteReadState::Halted);
    m_view.showMessage(m_result.message);
    // Storno is awaited with nothing on the line, but a box pulled out meanwhile still ends
    // the read and the connection while the dialog waits rather than after it closes.
    m_pickUp.watchHalted([this] { return m_state == RemoteReadState::Halted; });
}

void RemoteReadEngine::loseBox() {
    log("LINE BOX LOST");
    m_result.boxLost = true;
    const int kept = m_result.settingsDecoded ? Msg::RemoteReadLostTaken : Msg::RemoteReadLostKept;
    m_result.message =
        m_connection.boxLostMessage() + QLatin1Char(' ') +
        m_texts.message(kept).arg(m_result.memoriesRead.size()).arg(m_request.selectedCount());
    // Nothing to resume on a box that is gone: the connection ends with the read.
    finish(RemoteReadState::Failed, false);
    m_connection.lose(QString());
    m_view.showMessage(m_result.message);
}

void RemoteReadEngine::fail(const QString& message) {
    m_result.message = message;
    finish(RemoteReadState::Failed, true);
    m_view.showMessage(message);
}

void RemoteReadEngine::close() {
    if (m_state == RemoteReadState::Idle)
        return;
    const RemoteReadState outcome =
        m_state == RemoteReadState::Halted ? RemoteReadState::Halted : RemoteReadState::Cancelled;
    finish(outcome, true);
}

void RemoteReadEngine::abort() {
    if (m_state == RemoteReadState::Idle)
        return;
    finish(RemoteReadState::Cancelled, false);
}

void RemoteReadEngine::finish(RemoteReadState outcome, bool resume) {
    m_pickUp.stop();
    m_pickUp.cancelPause();
    m_result.outcome = outcome;
    setState(outcome);
    if (m_report)
        m_report->close();
    m_report = nullptr;
    setState(RemoteReadState::Idle);
    m_view.closeDialog();
    if (resume)
        m_connection.resumeKeepAlive();
    if (auto finished = std::exchange(m_finished, {}))
        finished(m_result);
}

} // namespace lumo
