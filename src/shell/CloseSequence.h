#pragma once
#include <QString>
#include <functional>
#include <vector>

namespace lumo {

// What happens when the main window closes, as an ordered list of steps contributed by the
// parts: a running remote connection is cancelled and hung up first, then the user is asked
// whether to save the settings, then Config.ini is written. Steps of the same stage run in the
// order they were added. The close is never refused, and the sequence runs once.
class CloseSequence {
public:
    enum class Stage { HangUp, SaveQuestion, Config };
    using Step = std::function<void()>;

    void add(Stage stage, QString name, Step step);
    // Runs every step in stage order; later calls do nothing.
    void run();
    bool hasRun() const { return m_ran; }
    // The step names in the order run() takes them.
    std::vector<QString> order() const;

private:
    struct Entry {
        Stage stage;
        QString name;
        Step step;
    };
    std::vector<Entry> sorted() const;

    std::vector<Entry> m_steps;
    bool m_ran = false;
};

} // namespace lumo
