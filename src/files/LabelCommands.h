#pragma once
#include "files/FileDialogs.h"
#include "files/LabelFile.h"

namespace lumo {

class Messenger;
class Texts;

// Load and Save of the label dialog: the open and save dialogs, the name checks and the
// messages, on a set of names. The dialog itself only shows the names.
class LabelCommands {
public:
    LabelCommands(const Texts& texts, Messenger& messenger, FileDialogs& dialogs);

    // Load (Button2). Returns true when `names` was replaced by a file's names; on any other
    // outcome the names are unchanged and the user has been told why.
    bool load(LabelNames& names);
    // Save (Button3). Returns true when the file was written.
    bool save(const LabelNames& names);

    FileDialogRequest openRequest() const;
    FileDialogRequest saveRequest() const;

private:
    const Texts& m_texts;
    Messenger& m_messenger;
    FileDialogs& m_dialogs;
};

} // namespace lumo
