#pragma once
#include "platform/Messenger.h"
#include <QString>
#include <deque>
#include <vector>

namespace lumo::test {

// Records every message and question; answers questions from a script (No when it runs out).
class ScriptedMessenger : public Messenger {
public:
    struct Question {
        QString title, text;
        Icon icon;
        bool defaultNo;
    };
    void message(const QString& text, const QString& title = {}) override {
        messages.push_back(text);
        (void)title;
    }
    // Recorded among the messages too, in order; `warnings` tells which of them were warnings.
    void warning(const QString& text, const QString& title = {}) override {
        message(text, title);
        warnings.push_back(text);
    }
    bool ask(const QString& title, const QString& text, Icon icon, bool defaultNo) override {
        questions.push_back({title, text, icon, defaultNo});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<QString> messages;
    std::vector<QString> warnings;
    std::vector<Question> questions;
    std::deque<bool> answers;
};

} // namespace lumo::test
