#include "shell/CloseSequence.h"
#include <algorithm>

namespace lumo {

void CloseSequence::add(Stage stage, QString name, Step step) {
    m_steps.push_back(Entry{stage, std::move(name), std::move(step)});
}

std::vector<CloseSequence::Entry> CloseSequence::sorted() const {
    std::vector<Entry> steps = m_steps;
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Entry& a, const Entry& b) { return a.stage < b.stage; });
    return steps;
}

std::vector<QString> CloseSequence::order() const {
    std::vector<QString> names;
    for (const Entry& e : sorted())
        names.push_back(e.name);
    return names;
}

void CloseSequence::run() {
    if (m_ran)
        return;
    m_ran = true;
    for (const Entry& e : sorted())
        if (e.step)
            e.step();
}

} // namespace lumo
