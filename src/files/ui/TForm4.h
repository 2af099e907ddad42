#pragma once
#include "files/LabelCommands.h"
#include "files/LabelFile.h"
#include "texts/TextPlaces.h"
#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;

namespace lumo {

class FileDialogs;
class Messenger;
class PrintRunner;
class Texts;

// The name-label dialog: 24 names in two columns of twelve (Edit1..Edit12 left, Edit13..Edit24
// right, in blocks of four), kept in label files and printed as framed labels. The names are
// held whole: a longer name from a file shows cut to the field's 20 characters but is saved and
// printed in full until the user edits that field.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameLength = 20;

    TForm4(const Texts& texts, Messenger& messenger, FileDialogs& dialogs, PrintRunner& printer,
           QWidget* parent = nullptr);

    // Where the texts go: the caption and the three buttons.
    static const WindowTexts& textPlaces();
    void applyTexts(const Texts& texts);

    const LabelNames& names() const { return m_names; }
    void setNames(const LabelNames& names);
    QLineEdit* edit(int n) const { return m_edits[std::size_t(n - 1)]; } // 1..24

    // The three buttons' handlers.
    void Button2Click(); // Načíst
    void Button3Click(); // Uložit
    void Button1Click(); // Tisk štítků

private:
    void showNames();

    const Texts& m_texts;
    PrintRunner& m_printer;
    LabelCommands m_commands;
    LabelNames m_names;
    std::array<QLineEdit*, 24> m_edits{};
    QPushButton* m_button1;
    QPushButton* m_button2;
    QPushButton* m_button3;
};

} // namespace lumo
