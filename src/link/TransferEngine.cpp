#include "link/TransferEngine.h"
#include "platform/Cp1250.h"
#include <utility>

namespace lumo {

namespace {
constexpr int kLastBlock = 127;
constexpr int kProgressMax = 127;
constexpr int kUsbTickMs = 5;
constexpr int kUsbTimeoutTicks = 100;
constexpr int kNumberRetries = 68;
} // namespace

QString transferKindCode(TransferKind kind) {
    switch (kind) {
    case TransferKind::None:
        return {};
    case TransferKind::Status:
        return QStringLiteral("VER");
    case TransferKind::SettingsRead:
        return QStringLiteral("PC");
    case TransferKind::NumbersRead:
        return QStringLiteral("TC");
    case TransferKind::SettingsWrite:
        return QStringLiteral("PZ");
    case TransferKind::NumbersWrite:
        return QStringLiteral("TZ");
    }
    return {};
}

TransferEngine::TransferEngine(Clock& clock, TransferData& data, TransferView& view)
    : m_clock(clock), m_data(data), m_view(view) {}

TransferEngine::~TransferEngine() {
    if (m_timerOn)
        m_clock.cancel(m_timer);
    setLink(nullptr);
}

void TransferEngine::setLink(TransferLink* link) {
    if (m_link)
        m_link->setDataHandler({});
    m_link = link;
    if (m_link && !m_link->isUsb())
        m_link->setDataHandler([this](int count) { dataReceived(count); });
}

int TransferEngine::tickInterval() const {
    return usb() ? kUsbTickMs : m_serialTimeoutMs;
}

int TransferEngine::timeoutLimit() const {
    // Trunc(1000 / timeout + 1): about one second of silence on the serial port.
    return usb() ? kUsbTimeoutTicks : 1000 / m_serialTimeoutMs + 1;
}

void TransferEngine::setState(State state) {
    m_state = state;
}

void TransferEngine::scheduleTick() {
    // The window's timer is periodic: each tick is due one interval after the previous one
    // was due, not after it ran, so the lateness of a timer does not add up over the hundreds
    // of ticks of a transfer. A tick that came more than an interval late does not bring a
    // burst of catch-up ticks; the next one keeps the phase.
    if (m_timerOn)
        m_clock.cancel(m_timer);
    const qint64 now = m_clock.nowMs();
    m_nextTickAt += tickInterval();
    if (m_nextTickAt <= now)
        m_nextTickAt += ((now - m_nextTickAt) / tickInterval() + 1) * tickInterval();
    m_timerOn = true;
    m_timer = m_clock.runAfter(int(m_nextTickAt - now), [this] {
        m_timerOn = false;
        tick();
    });
}

void TransferEngine::send(char byte) {
    // The serial component queues the byte; a USB write failure is kept by the link and ends
    // the transfer at the next tick.
    m_link->writeByte(byte);
}

void TransferEngine::sendNumberBlock() {
    send('W');
    send('T');
    send(char(m_blockIndex));
    m_data.encodeNumberMemory(m_blockIndex);
    for (int slot = 1; slot <= 16; ++slot)
        send(m_data.bufferByte(slot));
}

void TransferEngine::setProgress(int position) {
    // The progress bar holds its position within its range, as the control does.
    m_progress = qBound(0, position, kProgressMax);
    m_view.setProgress(m_progress);
}

void TransferEngine::indicate(TransferIndicator indicator) {
    m_view.setIndicator(indicator);
}

bool TransferEngine::start(const Request& request, std::function<void()> closed) {
    if (m_state != State::Closed || !m_link)
        return false;
    // What the command sets before showing the window.
    if (request.kind != TransferKind::None)
        m_kind = request.kind;
    m_expectedSize = request.expectedSize;
    m_blockIndex = request.blockIndex;
    m_byteIndex = 0;
    m_tickCounter = 0;
    m_countSeen = 0;
    m_requestNextBlock = false;
    m_sendNextBlock = false;
    m_sendNextByte = false;
    m_active = true;
    m_closed = std::move(closed);
    setState(State::Opening);

    // The window is shown.
    m_openFailed = false;
    m_retryCount = 0;
    setProgress(0);
    m_view.transferShown();
    m_nextTickAt = m_clock.nowMs();
    scheduleTick();

    if (usb()) {
        if (!m_link->isOpen())
            m_link->open(nullptr);
        if (!m_link->hasDevice())
            return true; // the first tick closes the window
        m_reply = takeInput();
    } else {
        if (!m_link->isOpen()) {
            QString error;
            if (!m_link->open(&error)) {
                requestPortCheck(false);
                m_openFailed = true;
                return true; // the first tick closes the window with the port message
            }
        }
        m_reply = takeInput();
    }

    if (*m_portCheck || preWriteCheck) {
        setProgress(2);
        requestPortCheck(false);
        m_kind = TransferKind::Status;
        send('V');
    }
    switch (m_kind) {
    case TransferKind::SettingsRead:
        send('R');
        send('P');
        break;
    case TransferKind::NumbersRead:
        send('R');
        send('T');
        send(char(m_blockIndex));
        break;
    case TransferKind::SettingsWrite:
        send('W');
        send('P');
        m_sendNextByte = true;
        break;
    case TransferKind::NumbersWrite:
        sendNumberBlock();
        break;
    case TransferKind::None:
    case TransferKind::Status:
        break;
    }
    setState(m_sendNextByte ? State::NextStep : State::Waiting);
    return true;
}

void TransferEngine::dataReceived(int count) {
    // Replies count only while a transfer runs; a late event after the window closed finds
    // the transfer kind cleared.
    if (m_state == State::Closed || !m_active || usb() || count <= 0)
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
            m_active = false;
            m_data.decodeStatus(m_reply, preWriteCheck);
            finishTransfer();
        } else {
            setProgress(m_progress + 60);
        }
        break;
    case TransferKind::SettingsRead:
        indicate(TransferIndicator::SettingsReply);
        if (count == m_expectedSize) {
            m_reply = takeInput();
            m_active = false;
            m_data.decodeSettings(m_reply);
            finishTransfer();
        } else {
            setProgress(m_progress + (usb() ? 3 : 1));
        }
        break;
    case TransferKind::NumbersRead:
        indicate(TransferIndicator::NumberReply);
        if (count == m_expectedSize) {
            m_reply = takeInput();
            m_tickCounter = 0;
            m_data.decodeNumberMemory(m_reply, m_blockIndex);
            m_requestNextBlock = true;
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
            m_sendNextByte = true;
            setState(State::NextStep);
        } else if (m_reply == "Z") {
            indicate(TransferIndicator::Completed);
            takeInput();
            m_active = false;
            m_sendNextByte = false;
            finishTransfer();
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
            m_sendNextBlock = true;
            setState(State::NextStep);
        } else if (m_reply == "E") {
            indicate(TransferIndicator::Error);
            takeInput();
            m_active = false;
            m_sendNextBlock = false;
            // The unit refused this block and the write ends here: the memories from this
            // block on were not written, which the user must know.
            const QString& refused = m_texts.numberWriteRefused;
            m_view.showMessage(refused.contains(QLatin1String("%1"))
                                   ? refused.arg(m_blockIndex)
                                   : refused + QLatin1Char(' ') + QString::number(m_blockIndex));
            failed = true;
            finishTransfer();
        }
        break;
    case TransferKind::None:
        break;
    }
}

void TransferEngine::finishTransfer() {
    if (!usb() && m_closePortMode == QLatin1String("1"))
        m_link->close();
    closeWindow(State::Done);
}

void TransferEngine::completeNumbers() {
    indicate(TransferIndicator::Completed);
    m_active = false;
    m_requestNextBlock = false;
    if (m_closePortMode == QLatin1String("1"))
        m_link->close();
    closeWindow(State::Done);
}

void TransferEngine::tick() {
    if (m_state == State::Closed)
        return;
    scheduleTick();

    if (usb()) {
        if (!m_link->hasDevice()) {
            closeWindow(State::Aborted);
            return;
        }
        if (!m_link->isOpen()) {
            m_link->close();
            closeWindow(State::Aborted);
            return;
        }
        if (m_openFailed || !m_link->lastWriteOk()) {
            m_link->close();
            // A write that did not reach the cable leaves the unit's memory incomplete.
            if (!m_openFailed && m_active)
                failed = true;
            closeWindow(m_openFailed ? State::Aborted : State::Failed);
            return;
        }
        const int count = m_link->bytesWaiting();
        if (count > 0 && m_active) {
            handleReply(count);
            if (m_state == State::Closed)
                return;
        }
    } else if (m_openFailed) {
        closeWindow(State::Aborted);
        return;
    } else if (m_active && !m_link->lastWriteOk()) {
        // The component refused a byte: the unit will not answer, so end as a time-out now.
        timeOut();
        return;
    }

    if (!m_active)
        return;

    if (m_requestNextBlock) {
        m_requestNextBlock = false;
        if (m_blockIndex == kLastBlock) {
            completeNumbers();
            return;
        }
        ++m_blockIndex;
        setProgress(m_blockIndex);
        send('R');
        send('T');
        send(char(m_blockIndex));
        setState(State::Waiting);
    }
    if (m_sendNextBlock) {
        m_sendNextBlock = false;
        if (m_blockIndex == kLastBlock) {
            completeNumbers();
            return;
        }
        ++m_blockIndex;
        setProgress(m_blockIndex);
        sendNumberBlock();
        setState(State::Waiting);
    }

    ++m_tickCounter;
    if (m_tickCounter > timeoutLimit()) {
        timeOut();
        return;
    }

    if (m_sendNextByte) {
        if (m_byteIndex == 0) {
            send('U');
            // The image is built now, from the fields as they are at this moment.
            m_data.encodeSettings();
        } else if (m_byteIndex <= 127) {
            send(m_data.bufferByte(m_byteIndex));
        }
        indicate(TransferIndicator::ByteSent);
        ++m_byteIndex;
        m_sendNextByte = false;
        setState(State::Waiting);
        if (usb() && !m_link->lastWriteOk()) {
            failed = true;
            m_link->close();
            closeWindow(State::Failed);
        }
    }
}

void TransferEngine::timeOut() {
    indicate(TransferIndicator::Error);
    m_reply = takeInput();
    const QString replyText = cp1250::toUnicode(m_reply);
    QString message;
    if (m_reply.startsWith('E') && m_kind == TransferKind::NumbersRead) {
        ++m_retryCount;
        if (m_retryCount <= kNumberRetries) {
            --m_blockIndex;
            m_active = true;
            m_requestNextBlock = true;
            m_tickCounter = 0;
            setState(State::Retrying);
            return;
        }
        message = replyText + QStringLiteral(" x ") + m_texts.communicationError;
    } else {
        message = replyText + QStringLiteral("  ") + m_texts.communicationError;
    }
    m_active = false;
    m_requestNextBlock = false;
    m_sendNextBlock = false;
    m_sendNextByte = false;
    if (!quiet)
        m_view.showMessage(message);
    failed = true;
    if (usb() || m_closePortMode == QLatin1String("1"))
        m_link->close();
    closeWindow(State::Failed);
}

void TransferEngine::closeWindow(State outcome) {
    if (m_timerOn) {
        m_clock.cancel(m_timer);
        m_timerOn = false;
    }
    m_lastOutcome = outcome;
    setState(State::Closed);
    m_kind = TransferKind::None;
    quiet = false;
    m_blockIndex = 0;
    m_view.transferClosed();
    if (m_openFailed)
        m_view.showMessage(m_texts.wrongPort);
    if (auto closed = std::exchange(m_closed, nullptr))
        closed();
}

} // namespace lumo
