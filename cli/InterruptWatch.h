#pragma once
#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace lumo::cli {

// SIGINT and SIGTERM as a call on the event loop: the signal handler only writes the signal's
// number into a pipe, and a socket notifier on the loop's thread reads it and calls the
// handler there, where the engines run. One watch at a time; the previous handlers come back
// when it goes.
class InterruptWatch : public QObject {
public:
    explicit InterruptWatch(std::function<void(int signal)> handler);
    ~InterruptWatch() override;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // False when the pipe or the handlers could not be set up (signals then act as before).
    bool watching() const { return m_watching; }

private:
    void readPipe();

    std::function<void(int)> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_watching = false;
};

} // namespace lumo::cli
