#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace lumo::screens {

// The whole program put together as main() does, on a virtual clock, in a scratch working
// folder, with a simulated line box on the FTDI layer, so that every window can be brought
// into the states a technician sees: the main window's seven pages, each dialog, and the
// remote dialogs connected, reading, writing and stopped. Used to draw the manual's pictures
// and to check that no text is cut.
class WindowGallery {
public:
    // One picture: a window in one state. `name` is short and file-name safe ("main-page1",
    // "write-stopped").
    using Visitor = std::function<void(const QString& name, QWidget& window)>;

    // `pack` is a language pack to choose from the language menu, as a user does; empty keeps
    // the built-in Czech texts.
    explicit WindowGallery(const QString& pack = {});
    ~WindowGallery();
    WindowGallery(const WindowGallery&) = delete;
    WindowGallery& operator=(const WindowGallery&) = delete;

    // False when the pack could not be chosen (missing or unreadable); `problem` says why.
    bool ready() const;
    QString problem() const;

    // Shows every window in every state in turn and hands it to `visit` while it is shown.
    void visit(const Visitor& visit);
    // Messages the program showed meanwhile (a failed connect, for instance).
    QStringList messages() const;

private:
    struct Program;
    std::unique_ptr<Program> m_program;
};

} // namespace lumo::screens
