#pragma once
#include "link/LocalTransferCommands.h"
#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lumo {

class Texts;

// The write confirmation: shown before a settings write when the unit's unfitted-button
// count, mode or power-on count differ from the window's; one panel per difference. OK takes
// the choices into Edit151, Edit156 and Edit157; Storno stops the write.
class TForm9 : public QDialog, public WriteConfirmation {
    Q_OBJECT
public:
    TForm9(const Texts& texts, QWidget* parent = nullptr);

    // Prepares the panels for the unit's values and the parameter set (the form's show).
    void prepare(const UnitSnapshot& unit, const ParameterSet& params);
    // OK: writes the choices into the parameter set.
    void applyChoices(ParameterSet& params) const;

    // WriteConfirmation: prepare, show modally, apply the answer.
    Answer confirm(const UnitSnapshot& unit, ParameterSet& params) override;

private:
    const Texts& m_texts;
    QFrame* m_panel1;
    QFrame* m_panel2;
    QFrame* m_panel3;
    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_label3;
    QLabel* m_label4;
    QLineEdit* m_edit1;
    QRadioButton* m_radio3;
    QRadioButton* m_radio4;
    QRadioButton* m_radio5;
    QRadioButton* m_radio6;
    QPushButton* m_button1;
    QPushButton* m_button2;
};

} // namespace lumo
