#pragma once
#include <QDialog>

class QPushButton;

namespace lumo {

struct LocalLinkState;
class ParameterSet;
class Texts;

// The action choice opened from the main window's mode panel ("rezim") or counter panel
// ("citac"): read the status from the unit, switch the mode or clear the counter, or cancel.
// The unit is not told; a changed value goes with the next settings write.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(ParameterSet& params, LocalLinkState& link, const Texts& texts,
           QWidget* parent = nullptr);

    // Sets the action kind and the texts, as the main window does before the show.
    void setAction(const QString& kind);
    const QString& actionKind() const { return m_kind; }

    void Button1Click(); // read from the unit: the port timer's next tick does it
    void Button2Click(); // switch the mode or clear the counter

protected:
    void showEvent(QShowEvent* event) override;

private:
    ParameterSet& m_params;
    LocalLinkState& m_link;
    const Texts& m_texts;
    QString m_kind;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QPushButton* m_button3;
};

} // namespace lumo
