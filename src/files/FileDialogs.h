#pragma once
#include <QString>
#include <optional>

namespace lumo {

// What the Open and Save As commands ask of a file dialog. The filter is written as the texts
// table composes it: description and pattern alternating, separated by "|".
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter;
    QString defaultSuffix; // appended when the user types a name without one
    QString folder;        // where the dialog starts
    QString fileName;      // pre-filled name
};

// The standard open and save dialogs behind an interface, so the file commands can be driven
// by tests without a real dialog.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file name, or nothing when the user cancels.
    virtual std::optional<QString> run(const FileDialogRequest& request) = 0;
};

} // namespace lumo
