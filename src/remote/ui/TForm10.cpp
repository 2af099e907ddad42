#include "remote/ui/TForm10.h"
#include "shell/ui/NamedWidget.h"
#include "texts/Texts.h"
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace lumo {

namespace {

QString colourStyle(ConnectStatusColour colour) {
    return QStringLiteral("background-color: #%1;")
        .arg(connectStatusRgb(colour), 6, 16, QLatin1Char('0'));
}

// The text as the entry rule of its field takes it, character by character.
QString filtered(const QString& text, std::optional<QChar> (*rule)(QChar)) {
    QString out;
    for (QChar c : text)
        if (const std::optional<QChar> entered = rule(c))
            out += *entered;
    return out;
}

} // namespace

TForm10::TForm10(ConnectDialogModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("TForm10"));
    // The trace memo lies below the visible area, as in the dialog's fixed layout.
    setFixedSize(330, 215);

    m_label1 = named(new QLabel, "Label1", this, {10, 8, 310, 18});
    m_combo1 = named(new QComboBox, "ComboBox1", this, {10, 28, 150, 24});
    m_combo1->setEditable(false);
    m_combo1->installEventFilter(this);
    m_button2 = named(new QPushButton, "Button2", this, {170, 27, 70, 26});
    m_button1 = named(new QPushButton, "Button1", this, {250, 27, 70, 26});

    m_panel2 = named(new QFrame, "Panel2", this, {10, 60, 310, 60});
    m_panel2->setFrameShape(QFrame::StyledPanel);
    m_label2 = named(new QLabel, "Label2", m_panel2, {8, 6, 150, 18});
    m_edit1 = named(new QLineEdit, "Edit1", m_panel2, {8, 26, 180, 24});
    m_edit1->setMaxLength(ConnectDialogModel::kNumberLength);
    m_label4 = named(new QLabel, "Label4", m_panel2, {200, 6, 100, 18});
    m_edit2 = named(new QLineEdit, "Edit2", m_panel2, {200, 26, 100, 24});
    m_edit2->setMaxLength(ConnectDialogModel::kPasswordLength);

    m_button3 = named(new QPushButton, "Button3", this, {170, 126, 70, 26});
    m_button4 = named(new QPushButton, "Button4", this, {250, 126, 70, 26});

    m_panel3 = named(new QFrame, "Panel3", this, {10, 160, 310, 46});
    m_panel3->setFrameShape(QFrame::StyledPanel);
    m_label3 = named(new QLabel, "Label3", m_panel3, {6, 4, 230, 18});
    m_label3->setAutoFillBackground(true);
    m_label5 = named(new QLabel, "Label5", m_panel3, {244, 4, 60, 18});
    m_progress1 = named(new QProgressBar, "ProgressBar1", m_panel3, {6, 24, 298, 16});
    m_progress1->setRange(0, ConnectDialogModel::kProgressMax);
    m_progress1->setTextVisible(false);

    m_memo1 = named(new QPlainTextEdit, "Memo1", this, {10, 230, 310, 120});
    m_memo1->setReadOnly(true);

    connect(m_combo1, &QComboBox::activated, this,
            [this](int index) { m_model.ComboBox1Change(index); });
    connect(m_button2, &QPushButton::clicked, this, [this] { m_model.Button2Click(); });
    connect(m_button1, &QPushButton::clicked, this, [this] { m_model.Button1Click(); });
    connect(m_button3, &QPushButton::clicked, this, [this] { m_model.Button1Click(); });
    connect(m_button4, &QPushButton::clicked, this, [this] {
        if (m_connect && m_model.state().button4Enabled)
            m_connect();
    });
    connect(m_edit1, &QLineEdit::textEdited, this, &TForm10::numberEdited);
    connect(m_edit2, &QLineEdit::textEdited, this, &TForm10::passwordEdited);

    m_model.setChangedHandler([this] { render(); });
    m_model.setCloseHandler([this] { done(QDialog::Accepted); });
    applyTexts(Texts());
    render();
}

void TForm10::applyTexts(const Texts& texts) {
    auto r = [&](int key) { return texts.get(TextSection::REMOTE, key); };
    setWindowTitle(r(1));
    m_label1->setText(r(2));
    m_label2->setText(r(3));
    m_label4->setText(r(4));
    m_button1->setText(r(5));
    m_button3->setText(r(5));
    m_button2->setText(r(6));
    m_button4->setText(r(7));
}

void TForm10::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_model.FormShow(m_servicePassword ? m_servicePassword() : QString());
}

bool TForm10::eventFilter(QObject* watched, QEvent* event) {
    // The box list is chosen from, never typed into.
    if (watched == m_combo1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm10::numberEdited(const QString& text) {
    const QString entered = filtered(text, &ConnectDialogModel::Edit1Key);
    if (entered != text) {
        const int cursor = m_edit1->cursorPosition() - int(text.size() - entered.size());
        m_edit1->setText(entered);
        m_edit1->setCursorPosition(qMax(0, cursor));
    }
    m_model.setEdit1(entered);
}

void TForm10::passwordEdited(const QString& text) {
    const QString entered = filtered(text, &ConnectDialogModel::Edit2Key);
    if (entered != text) {
        const int cursor = m_edit2->cursorPosition() - int(text.size() - entered.size());
        m_edit2->setText(entered);
        m_edit2->setCursorPosition(qMax(0, cursor));
    }
    m_model.setEdit2(entered);
}

void TForm10::render() {
    const ConnectDialogState& s = m_model.state();
    QStringList items;
    for (int i = 0; i < m_combo1->count(); ++i)
        items << m_combo1->itemText(i);
    if (items != s.comboItems) {
        m_combo1->clear();
        m_combo1->addItems(s.comboItems);
    }
    const int index = int(s.comboItems.indexOf(s.comboText));
    if (s.comboText.isEmpty() || index < 0)
        m_combo1->setCurrentIndex(-1);
    else
        m_combo1->setCurrentIndex(index);
    m_combo1->setEnabled(s.comboEnabled && !s.selecting);
    m_button2->setEnabled(s.button2Enabled && !s.selecting);
    m_panel2->setVisible(s.panel2Visible);
    m_button3->setVisible(s.button3Visible);
    m_button4->setVisible(s.button4Visible);
    m_button4->setEnabled(s.button4Enabled);
    if (m_edit1->text() != s.edit1)
        m_edit1->setText(s.edit1);
    if (m_edit2->text() != s.edit2)
        m_edit2->setText(s.edit2);
    m_label3->setStyleSheet(colourStyle(s.label3Colour));
    m_label3->setText(s.label3Text);
    m_progress1->setValue(s.progress);
    m_label5->setText(s.label5);
    if (s.memo.size() < m_memoLines) {
        m_memo1->clear();
        m_memoLines = 0;
    }
    for (; m_memoLines < s.memo.size(); ++m_memoLines)
        m_memo1->appendPlainText(s.memo[m_memoLines]);
}

} // namespace lumo
