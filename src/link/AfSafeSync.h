#pragma once
#include <QString>
#include <QtGlobal>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace lumo {

// The hand-over of a worker thread's event to the thread that owns a component (the GUI
// thread). A worker calls Relay(), which posts the event to the owner's event loop and blocks
// until the owner has run the callback, at most `timeoutMs`; after that the event is dropped.
// Nothing is delivered while the relay is disabled, and disabling it releases a worker that
// is waiting, so the owner can stop that worker without waiting out the limit.
class TAfSafeSync {
public:
    using Callback = std::function<void(int kind, quint32 data, const QString& text)>;
    using ErrorHandler = std::function<void(const QString& message)>;

    // Must be constructed on the owner thread, whose event loop delivers the events.
    explicit TAfSafeSync(Callback callback);
    ~TAfSafeSync();
    TAfSafeSync(const TAfSafeSync&) = delete;
    TAfSafeSync& operator=(const TAfSafeSync&) = delete;

    void Enable();
    void Disable();
    bool IsEnabled() const;
    // A worker's event is posted and waits for the owner's loop to run it.
    bool Pending() const;

    // Where an exception thrown by the callback is reported (default: a warning on the log),
    // since it cannot travel through the event loop.
    void SetErrorHandler(ErrorHandler handler) { m_errorHandler = std::move(handler); }

    // From a worker thread: true when the callback ran. Called on the owner thread itself, it
    // runs the callback directly.
    bool Relay(int kind, quint32 data, const QString& text = {}, int timeoutMs = 2000);

    struct Request;

private:
    class Receiver;
    void Deliver(const std::shared_ptr<Request>& request);
    void RunCallback(int kind, quint32 data, const QString& text);

    Callback m_callback;
    ErrorHandler m_errorHandler;
    std::unique_ptr<Receiver> m_receiver;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_enabled = false;
    std::shared_ptr<Request> m_current;
};

} // namespace lumo
