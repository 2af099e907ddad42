#include "link/TransferEngine.h"
#include "platform/Cp1250.h"
#include <utility>

namespace lumo {

namespace {
constexpr int kLastBlock = 127;
constexpr int kProgressMax = 127;
constexpr int kNumberRetries = 68;
constexpr int kSettingsSlots = 127;
constexpr int kNumberSlots = 16;
constexpr int kStatusProgressStep = 60;

using Ending = TransferLinkPolicy::Ending;
using Action = TransferLinkPolicy::Verdict::Action;

// Bytes that make a complete reply (the writes are answered byte by byte).
int expectedReplySize(TransferKind kind) {
    switch (kind) {
    case TransferKind::Status:
        return 8;
    case TransferKind::NumbersRead:
        return 16;
    case TransferKind::SettingsRead:
    case TransferKind::SettingsWrite:
    case TransferKind::NumbersWrite:
        return 128;
    case TransferKind::None:
        break;
    }
    return 0;
}

TransferResult::Outcome outcomeOf(TransferState state) {
    switch (state) {
    case TransferState::Done:
        return TransferResult::Outcome::Done;
    case TransferState::Failed:
        return TransferResult::Outcome::Failed;
    case TransferState::Stopped:
        return TransferResult::Outcome::Stopped;
    default:
        return TransferResult::Outcome::Aborted;
    }
}
} // namespace

TransferEngine::TransferEngine(Clock& clock, TransferData& data, TransferView& view)
    : m_clock(clock), m_data(&data), m_view(view),
      m_policy(TransferLinkPolicy::forKind(TransferLink::Kind::Serial, m_settings)) {}

TransferEngine::~TransferEngine() {
    cancelTick();
    if (m_link)
        m_link->setDataHandler({});
}

void TransferEngine::setLink(TransferLink* link) {
    if (link == m_link)
        return;
    // A window showing over the old link cannot go on over another one.
    if (isShowing())
        close(State::Aborted);
    if (m_link)
        m_link->setDataHandler({});
    m_link = link;
    if (!m_link)
        return;
    m_policy = TransferLinkPolicy::forKind(m_link->kind(), m_settings);
    if (!m_policy->pollsAtTick())
        m_link->setDataHandler([this](int count) { dataReceived(count); });
}

int TransferEngine::tickInterval() const {
    return m_policy->tickIntervalMs();
}

int TransferEngine::timeoutLimit() const {
    return m_policy->timeoutTicks();
}

void TransferEngine::setState(State state) {
    if (state == m_state)
        return;
    const State from = m_state;
    m_state = state;
    m_view.stateChanged(from, state);
    if (from == State::Closed)
        m_view.transferShown();
    if (state == State::Closed)
        m_view.transferClosed();
}

bool TransferEngine::awaitsReplies() const {
    switch (m_state) {
    case State::Waiting:
    case State::NextStep:
    case State::Retrying:
        return true;
    default:
        return false;
    }
}

void TransferEngine::scheduleTick() {
    // The window's timer is periodic: each tick is due one interval after the previous one
    // was due, not after it ran, so the lateness of a timer does not add up over the hundreds
    // of ticks of a transfer. A tick that came more than an interval late does not bring a
    // burst of catch-up ticks; the next one keeps the phase.
    cancelTick();
    const int interval = tickInterval();
    const qint64 now = m_clock.nowMs();
    m_nextTickAt += interval;
    if (m_nextTickAt <= now)
        m_nextTickAt += ((now - m_nextTickAt) / interval + 1) * interval;
    m_timerOn = true;
    m_timer = m_clock.runAfter(int(m_nextTickAt - now), [this] {
        m_timerOn = false;
        tick();
    });
}

void TransferEngine::cancelTick() {
    if (m_timerOn)
        m_clock.cancel(m_timer);
    m_timerOn = false;
}

void TransferEngine::send(char byte) {
    // The serial component queues the byte; a failed write is kept by the link and judged by
    // the policy at the next tick (or at once after a settings byte).
    m_link->writeByte(byte);
}

void TransferEngine::requestBlock() {
    send('R');
    send('T');
    send(char(m_blockIndex));
}

void TransferEngine::sendNumberBlock() {
    send('W');
    send('T');
    send(char(m_blockIndex));
    m_data->encodeNumberMemory(m_blockIndex);
    for (int slot = 1; slot <= kNumberSlots; ++slot)
        send(m_data->bufferByte(slot));
}

void TransferEngine::sendOpening() {
    switch (m_kind) {
    case TransferKind::Status:
        setProgress(2);
        send('V');
        break;
    case TransferKind::SettingsRead:
        send('R');
        send('P');
        break;
    case TransferKind::NumbersRead:
        requestBlock();
        break;
    case TransferKind::SettingsWrite:
        send('W');
        send('P');
        break;
    case TransferKind::NumbersWrite:
        sendNumberBlock();
        break;
    case TransferKind::None:
        break;
    }
}

bool TransferEngine::nextBlock() {
    if (m_blockIndex == kLastBlock) {
        indicate(TransferIndicator::Completed);
        end(Ending::NumbersComplete, State::Done);
        return false;
    }
    ++m_blockIndex;
    setProgress(m_blockIndex);
    if (m_kind == TransferKind::NumbersRead)
        requestBlock();
    else
        sendNumberBlock();
    setState(State::Waiting);
    return true;
}

void TransferEngine::sendSettingsByte() {
    if (m_byteIndex == 0) {
        send('U');
        // The image is built now, from the fields as they are at this moment.
        m_data->encodeSettings();
    } else if (m_byteIndex <= kSettingsSlots) {
        send(m_data->bufferByte(m_byteIndex));
    }
    indicate(TransferIndicator::ByteSent);
    ++m_byteIndex;
    setState(State::Waiting);
    act(m_policy->checkAfterSend(*m_link));
}

void TransferEngine::setProgress(int position) {
    // The progress bar holds its position within its range, as the control does.
    m_progress = qBound(0, position, kProgressMax);
    m_view.setProgress(m_progress);
}

void TransferEngine::indicate(TransferIndicator indicator) {
    m_view.setIndicator(indicator);
}

TransferEngine::State TransferEngine::start(const TransferRequest& request, Finished finished) {
    if (m_state != State::Closed || !m_link || request.kind == TransferKind::None)
        return State::Closed;
    m_request = request;
    m_result = TransferResult{};
    m_result.kind = request.kind;
    m_finished = std::move(finished);
    m_kind = request.kind;
    m_expectedSize = expectedReplySize(m_kind);
    m_blockIndex = 0;
    m_byteIndex = 0;
    m_tickCounter = 0;
    m_countSeen = 0;
    m_retryCount = 0;
    m_memoriesRead = 0;
    m_stopRequested = false;
    m_reply.clear();
    m_openProblem.clear();

    m_view.transferStarting(m_kind);
    setState(State::Opening);
    setProgress(0);
    m_nextTickAt = m_clock.nowMs();
    scheduleTick();
    switch (m_policy->open(*m_link)) {
    case TransferLinkPolicy::Opening::OpenFailed:
        m_openProblem = m_link->openProblem();
        setState(State::OpenFailed);
        return m_state;
    case TransferLinkPolicy::Opening::NoDevice:
        setState(State::Closing);
        return m_state;
    case TransferLinkPolicy::Opening::Ready:
        break;
    }
    m_reply = takeInput(); // whatever waited before the request is not its answer
    sendOpening();
    // The settings write sends its marker at the first tick.
    setState(m_kind == TransferKind::SettingsWrite ? State::NextStep : State::Waiting);
    return m_state;
}

void TransferEngine::requestStop() {
    if (isShowing())
        m_stopRequested = true;
}

bool TransferEngine::stopsHere() const {
    // Between two exchanges of a number transfer; a settings write is never cut short.
    return m_stopRequested &&
           (m_kind == TransferKind::NumbersRead || m_kind == TransferKind::NumbersWrite);
}

void TransferEngine::dataReceived(int count) {
    // A late event after the window closed, or one during opening, finds no reply awaited.
    if (!awaitsReplies() || m_policy->pollsAtTick() || count <= 0)
        return;
    handleReply(count);
}

QByteArray TransferEngine::takeInput() {
    m_countSeen = 0;
    return m_link->readAll();
}

void TransferEngine::handleReply(int count) {
    // Bytes coming in are a sign of life before the reply is complete, and the time-out
    // counts silence: the 128-byte settings reply alone is on the wire for 533 ms at 2400 Bd,
    // longer than the 100 ticks of 5 ms of the USB cable.
    if (count > m_countSeen)
        m_tickCounter = 0;
    m_countSeen = count;
    switch (m_kind) {
    case TransferKind::Status:
        indicate(TransferIndicator::StatusReply);
        if (count == m_expectedSize) {
            m_reply = takeInput();
            UnitSnapshot* snapshot = m_request.toSnapshot ? &m_result.snapshot.emplace() : nullptr;
            m_data->decodeStatus(m_reply, snapshot);
            end(Ending::Reply, State::Done);
        } else {
            setProgress(m_progress + kStatusProgressStep);
        }
        break;
    case TransferKind::SettingsRead:
        indicate(TransferIndicator::SettingsReply);
        if (count == m_expectedSize) {
            m_reply = takeInput();
            m_data->decodeSettings(m_reply);
            end(Ending::Reply, State::Done);
        } else {
            setProgress(m_progress + m_policy->partialSettingsStep());
        }
        break;
    case TransferKind::NumbersRead:
        indicate(TransferIndicator::NumberReply);
        if (count == m_expectedSize) {
            m_reply = takeInput();
            m_tickCounter = 0;
            m_data->decodeNumberMemory(m_reply, m_blockIndex);
            // Blocks come in order, a repeated block included, so the memories read so far
            // are those up to this one.
            m_memoriesRead = m_blockIndex + 1;
            setState(State::NextStep);
        }
        break;
    case TransferKind::SettingsWrite:
        if (count != 1)
            break;
        m_tickCounter = 0;
        m_reply = takeInput();
        if (m_reply == "D") {
            setProgress(m_progress + 1);
            setState(State::NextStep);
        } else if (m_reply == "Z") {
            indicate(TransferIndicator::Completed);
            takeInput();
            end(Ending::Reply, State::Done);
        }
        break;
    case TransferKind::NumbersWrite:
        if (count != 1)
            break;
        m_tickCounter = 0;
        m_reply = takeInput();
        if (m_reply == "Z") {
            setProgress(m_progress + 1);
            indicate(TransferIndicator::NumberAcked);
            setState(State::NextStep);
        } else if (m_reply == "E") {
            indicate(TransferIndicator::Error);
            takeInput();
            // The unit refused this block and the write ends here: the memories from this
            // block on were not written, which the user must know.
            const QString& refused = m_texts.numberWriteRefused;
            m_view.showMessage(refused.contains(QLatin1String("%1"))
                                   ? refused.arg(m_blockIndex)
                                   : refused + QLatin1Char(' ') + QString::number(m_blockIndex));
            end(Ending::Reply, State::Failed);
        }
        break;
    case TransferKind::None:
        break;
    }
}

void TransferEngine::tick() {
    switch (m_state) {
    case State::Waiting:
    case State::NextStep:
    case State::Retrying:
        break;
    case State::OpenFailed:
    case State::Closing:
        close(State::Aborted);
        return;
    case State::Closed:
    case State::Opening:
    case State::Done:
    case State::Failed:
    case State::Stopped:
    case State::Aborted:
        return;
    }
    scheduleTick();
    if (!act(m_policy->checkAtTick(*m_link)))
        return;
    if (m_policy->pollsAtTick()) {
        const int count = m_link->bytesWaiting();
        if (count > 0) {
            handleReply(count);
            if (!awaitsReplies())
                return;
        }
    }

    // A number transfer whose last block is in goes on to complete.
    const bool lastIsIn = m_state == State::NextStep && m_blockIndex == kLastBlock;
    if ((m_state == State::NextStep || m_state == State::Retrying) && !lastIsIn && stopsHere()) {
        end(Ending::Reply, State::Stopped);
        return;
    }
    switch (m_state) {
    case State::NextStep:
        if (m_kind == TransferKind::NumbersRead || m_kind == TransferKind::NumbersWrite) {
            if (!nextBlock())
                return;
        }
        break;
    case State::Retrying:
        setProgress(m_blockIndex);
        requestBlock();
        setState(State::Waiting);
        break;
    default:
        break;
    }

    if (++m_tickCounter > timeoutLimit()) {
        timeOut();
        return;
    }
    if (m_state == State::NextStep && m_kind == TransferKind::SettingsWrite)
        sendSettingsByte();
}

bool TransferEngine::act(const Verdict& verdict) {
    if (verdict.action == Action::Go)
        return true;
    if (verdict.releaseLink)
        m_link->close();
    switch (verdict.action) {
    case Action::Abort:
        close(State::Aborted);
        break;
    case Action::Fail:
        close(State::Failed);
        break;
    case Action::TimeOut:
        timeOut();
        break;
    case Action::Lost:
        lost();
        break;
    case Action::Go:
        break;
    }
    return false;
}

void TransferEngine::timeOut() {
    indicate(TransferIndicator::Error);
    m_reply = takeInput();
    const bool numberRefused = m_kind == TransferKind::NumbersRead && m_reply.startsWith('E');
    if (numberRefused && stopsHere()) {
        // The user gave up on the block the unit keeps refusing.
        end(Ending::Reply, State::Stopped);
        return;
    }
    if (numberRefused && ++m_retryCount <= kNumberRetries) {
        // The next tick asks for the same block again.
        m_tickCounter = 0;
        setState(State::Retrying);
        return;
    }
    const QString message = cp1250::toUnicode(m_reply) +
                            (numberRefused ? QStringLiteral(" x ") : QStringLiteral("  ")) +
                            m_texts.communicationError;
    if (m_request.quiet)
        m_result.quiet = true;
    else
        m_view.showMessage(message);
    end(Ending::Failure, State::Failed);
}

void TransferEngine::lost() {
    indicate(TransferIndicator::Error);
    m_reply = takeInput(); // what came before the device went, for the result
    if (m_request.quiet)
        m_result.quiet = true;
    else
        m_view.showMessage(m_texts.deviceLost);
    // Nothing more can be tried over this link: the command ends here.
    close(State::Aborted);
}

void TransferEngine::end(Ending ending, State outcome) {
    if (m_policy->closesAfter(ending))
        m_link->close();
    close(outcome);
}

void TransferEngine::close(State outcome) {
    cancelTick();
    const bool portFailed = m_state == State::OpenFailed;
    setState(outcome);
    m_result.outcome = outcomeOf(outcome);
    m_result.reply = m_reply;
    m_result.retries = m_retryCount;
    m_result.memoriesRead = m_memoriesRead;
    m_kind = TransferKind::None;
    m_blockIndex = 0;
    setState(State::Closed);
    if (portFailed)
        // The specified message, and on a line of its own what is wrong with the device.
        m_view.showMessage(m_openProblem.isEmpty() ? m_texts.wrongPort
                                                   : m_texts.wrongPort + '\n' + m_openProblem);
    TransferResult result = std::exchange(m_result, TransferResult{});
    if (auto finished = std::exchange(m_finished, nullptr))
        finished(result);
}

} // namespace lumo
