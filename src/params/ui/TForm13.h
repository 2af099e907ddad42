#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace lumo {

class Texts;

// The tone-detection dialog: three lists (tone band, busy-tone count, continuous-tone time)
// whose values are parameters like the main window's fields. Values can only be chosen, never
// typed; an emptied list gets its default back. The dialog lives for the whole run; its lists
// are bound to the parameter set (ComboBox1..ComboBox3) by the main window's field binder.
class TForm13 : public QDialog {
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);

    void applyTexts(const Texts& texts);

    QComboBox* comboBox1() const { return m_comboBox1; }
    QComboBox* comboBox2() const { return m_comboBox2; }
    QComboBox* comboBox3() const { return m_comboBox3; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* makeList(const char* name);
    void restoreIfEmpty(QComboBox* list, const QString& defaultText);

    QComboBox* m_comboBox1;
    QComboBox* m_comboBox2;
    QComboBox* m_comboBox3;
    QLabel* m_label149;
    QLabel* m_label150;
    QLabel* m_label151;
    QPushButton* m_button1;
};

} // namespace lumo
