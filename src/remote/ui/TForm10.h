#pragma once
#include "remote/ConnectDialogModel.h"
#include <QDialog>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace lumo {

class Texts;

// The connect dialog "Připojení k Vexo pomocí Telvox": the box list and "Vyber", then the
// telephone number, the password and "Připoj"; the status of the attempt and its trace. A
// view of ConnectDialogModel: it renders the model's state and forwards every event to it.
// Closing it with the window button leaves a running attempt alone.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    TForm10(ConnectDialogModel& model, QWidget* parent = nullptr);

    // The main window's service password (Edit144), read when the dialog shows.
    void setServicePasswordSource(std::function<QString()> source) {
        m_servicePassword = std::move(source);
    }
    // "Připoj" was clicked with the button enabled.
    void setConnectHandler(std::function<void()> handler) { m_connect = std::move(handler); }

    void applyTexts(const Texts& texts);
    // Shows the model's state.
    void render();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void numberEdited(const QString& text);
    void passwordEdited(const QString& text);

    ConnectDialogModel& m_model;
    std::function<QString()> m_servicePassword;
    std::function<void()> m_connect;
    QLabel* m_label1;
    QComboBox* m_combo1;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QFrame* m_panel2;
    QLabel* m_label2;
    QLabel* m_label4;
    QLineEdit* m_edit1;
    QLineEdit* m_edit2;
    QPushButton* m_button3;
    QPushButton* m_button4;
    QFrame* m_panel3;
    QLabel* m_label3;
    QProgressBar* m_progress1;
    QLabel* m_label5;
    QPlainTextEdit* m_memo1;
    int m_memoLines = 0;
};

} // namespace lumo
