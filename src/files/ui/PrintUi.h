#pragma once
#include "shell/ShellPart.h"
#include <QObject>
#include <memory>

class QWidget;

namespace lumo {

class FileDialogs;
class PrintRunner;
class TForm4;

// The printing part of the main window: the settings printout (menu item `isknastaven1`) and
// the name-label dialog TForm4 (`iskvizitek1`). Both print through a PrintRunner, by default
// the print preview with its print and PDF buttons.
class PrintUi : public QObject, public ShellPart {
    Q_OBJECT
public:
    // `dialogs` and `runner` replace the toolkit's file dialogs and the print preview (tests).
    explicit PrintUi(QWidget* dialogParent, FileDialogs* dialogs = nullptr,
                     PrintRunner* runner = nullptr);
    ~PrintUi() override;

    void attach(Shell& shell) override;
    void applyTexts(const Texts& texts) override;

    void isknastaven1Click(); // print the settings
    void iskvizitek1Click();  // the name-label dialog, modal

    // The label dialog, made on first use and kept for the run so its names stay.
    TForm4* labelDialog();

private:
    QWidget* m_parent;
    Shell* m_shell = nullptr;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    std::unique_ptr<PrintRunner> m_ownRunner;
    FileDialogs* m_dialogs;
    PrintRunner* m_runner;
    TForm4* m_form4 = nullptr;
};

} // namespace lumo
