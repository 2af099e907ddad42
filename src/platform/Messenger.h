#pragma once
#include <QString>
#include <functional>

namespace lumo {

// Every message box and Yes/No question of the program goes through this interface, so that
// logic can be tested with scripted answers. The GUI implements it with QMessageBox, the CLI
// prints to standard error.
class Messenger {
public:
    enum class Icon { Information, Warning, Stop, Question };

    virtual ~Messenger() = default;
    // A plain message box with an OK button.
    virtual void message(const QString& text, const QString& title = {}) = 0;
    // A message about something that went wrong (a failed transfer, a refused entry or file):
    // the same box with the platform's warning icon where there is one.
    virtual void warning(const QString& text, const QString& title = {}) { message(text, title); }
    // A Yes/No question; returns true only for Yes.
    virtual bool ask(const QString& title, const QString& text, Icon icon = Icon::Question,
                     bool defaultNo = true) = 0;
    // Runs `then` once no message box or question is open any more: at once when none is,
    // else when the last open one closes. A step that must not stack over a message (the
    // start-up question) waits through it.
    virtual void whenNoBoxIsOpen(std::function<void()> then) { then(); }
};

} // namespace lumo
