#pragma once
#include "shell/ShellPart.h"
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;

namespace lumo {

class FileDialogs;
class ParameterModel;
class Shell;

// The two compare commands of the Soubor menu: "Porovnat s jednotkou" reads the unit's memory
// over the local link into a side buffer, "Porovnat se souborem…" loads a KTF or JSON file
// into one; both then open the shell's compare view. The window's fields are not touched, and
// a read or a file that fails leaves it as it was, with the usual message.
class ComparePart : public QObject, public ShellPart {
    Q_OBJECT
public:
    // Reads the whole unit into `side`; false when nothing started (another exchange runs).
    // `done` is told once whether the read completed.
    using UnitReader = std::function<bool(ParameterModel& side, std::function<void(bool)> done)>;

    // `dialogs` (not owned) replaces the toolkit's open dialog; null shows the real one over
    // `dialogParent`.
    ComparePart(QWidget* dialogParent, UnitReader reader, FileDialogs* dialogs = nullptr);
    ~ComparePart() override;

    // Not busy of its own: a read from the unit holds the local link's exchange.
    void attach(Shell& shell) override;

    void compareWithUnit();
    void compareWithFile();
    // The set a file holds, as the window would compare it: parameters a settings file does
    // not keep (mode, counter) are the window's. False with `error` set when it cannot load.
    static bool loadSide(const QString& path, const ParameterModel& window, ParameterModel& side,
                         QString* error, const class Texts& texts);

private:
    void show(const ParameterModel& side, int headerKey);

    QPointer<QWidget> m_parent;
    UnitReader m_reader;
    FileDialogs* m_dialogs;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    Shell* m_shell = nullptr;
};

} // namespace lumo
