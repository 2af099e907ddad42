#include "link/AfSafeSync.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QtDebug>
#include <chrono>
#include <exception>

namespace lumo {

struct TAfSafeSync::Request {
    enum class State { Pending, Running, Finished, Cancelled };
    int kind = 0;
    quint32 data = 0;
    QString text;
    State state = State::Pending;
};

namespace {
const QEvent::Type kRelayEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class RelayEvent : public QEvent {
public:
    explicit RelayEvent(std::shared_ptr<TAfSafeSync::Request> request)
        : QEvent(kRelayEventType), m_request(std::move(request)) {}
    std::shared_ptr<TAfSafeSync::Request> m_request;
};
} // namespace

// A plain object living on the owner thread; Qt drops events still queued for it when it is
// destroyed, so a late event never reaches a destroyed relay.
class TAfSafeSync::Receiver : public QObject {
public:
    explicit Receiver(TAfSafeSync* owner) : m_owner(owner) {}

protected:
    bool event(QEvent* e) override {
        {
            // Qt hands a posted event over through its own locks, which thread checkers do not
            // see; taking the mutex the poster held while building the event makes the
            // hand-over visible to them.
            std::lock_guard lock(m_owner->m_mutex);
        }
        if (e->type() == kRelayEventType) {
            m_owner->Deliver(static_cast<RelayEvent*>(e)->m_request);
            return true;
        }
        return QObject::event(e);
    }

private:
    TAfSafeSync* m_owner;
};

TAfSafeSync::TAfSafeSync(Callback callback)
    : m_callback(std::move(callback)), m_receiver(std::make_unique<Receiver>(this)) {}

TAfSafeSync::~TAfSafeSync() {
    Disable();
}

void TAfSafeSync::Enable() {
    std::lock_guard lock(m_mutex);
    m_enabled = true;
}

void TAfSafeSync::Disable() {
    std::lock_guard lock(m_mutex);
    m_enabled = false;
    if (m_current && (m_current->state == Request::State::Pending ||
                      m_current->state == Request::State::Running)) {
        m_current->state = Request::State::Cancelled;
    }
    m_current.reset();
    m_changed.notify_all();
}

bool TAfSafeSync::IsEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

bool TAfSafeSync::Pending() const {
    std::lock_guard lock(m_mutex);
    return m_current && m_current->state == Request::State::Pending;
}

bool TAfSafeSync::Relay(int kind, quint32 data, const QString& text, int timeoutMs) {
    if (QThread::currentThread() == m_receiver->thread()) {
        if (!IsEnabled())
            return false;
        RunCallback(kind, data, text);
        return true;
    }
    auto request = std::make_shared<Request>();
    request->kind = kind;
    request->data = data;
    request->text = text;
    QEvent* event = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_enabled)
            return false;
        m_current = request;
        event = new RelayEvent(request);
    }
    QCoreApplication::postEvent(m_receiver.get(), event);

    std::unique_lock lock(m_mutex);
    const bool done = m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return request->state == Request::State::Finished ||
               request->state == Request::State::Cancelled;
    });
    if (!done) {
        // Not delivered in time: drop it. A callback already running is left to finish.
        request->state = Request::State::Cancelled;
    }
    if (m_current == request)
        m_current.reset();
    return done && request->state == Request::State::Finished;
}

void TAfSafeSync::Deliver(const std::shared_ptr<Request>& request) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_enabled || request->state != Request::State::Pending)
            return;
        request->state = Request::State::Running;
    }
    // The mutex is released while the callback runs: it may disable this relay.
    RunCallback(request->kind, request->data, request->text);
    std::lock_guard lock(m_mutex);
    if (request->state == Request::State::Running)
        request->state = Request::State::Finished;
    m_changed.notify_all();
}

void TAfSafeSync::RunCallback(int kind, quint32 data, const QString& text) {
    QString error;
    try {
        m_callback(kind, data, text);
        return;
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
    } catch (...) {
        error = QStringLiteral("Unknown error in an event handler");
    }
    if (m_errorHandler)
        m_errorHandler(error);
    else
        qWarning().noquote() << error;
}

} // namespace lumo
