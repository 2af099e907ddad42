#include "link/ui/TForm9.h"
#include "params/FieldTable.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lumo {

namespace {
QFrame* makePanel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}
template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

TForm9::TForm9(const Texts& texts, QWidget* parent) : QDialog(parent), m_texts(texts) {
    setObjectName(QStringLiteral("Form9"));
    setFixedSize(360, 212);
    auto* layout = new QVBoxLayout(this);

    m_panel3 = makePanel("Panel3", this);
    auto* row3 = new QHBoxLayout(m_panel3);
    m_label1 = named(new QLabel(m_panel3), "Label1");
    m_label1->setWordWrap(true);
    m_edit1 = named(new QLineEdit(m_panel3), "Edit1");
    m_edit1->setMaxLength(1);
    m_edit1->setFixedWidth(30);
    row3->addWidget(m_label1, 1);
    row3->addWidget(m_edit1);

    m_panel2 = makePanel("Panel2", this);
    auto* row2 = new QHBoxLayout(m_panel2);
    m_label2 = named(new QLabel(m_panel2), "Label2");
    m_label2->setWordWrap(true);
    m_radio5 = named(new QRadioButton(m_panel2), "RadioButton5");
    m_radio6 = named(new QRadioButton(m_panel2), "RadioButton6");
    auto* modeGroup = new QButtonGroup(m_panel2);
    modeGroup->addButton(m_radio5);
    modeGroup->addButton(m_radio6);
    row2->addWidget(m_label2, 1);
    row2->addWidget(m_radio5);
    row2->addWidget(m_radio6);

    m_panel1 = makePanel("Panel1", this);
    auto* row1 = new QHBoxLayout(m_panel1);
    m_label3 = named(new QLabel(m_panel1), "Label3");
    m_label3->setWordWrap(true);
    m_radio3 = named(new QRadioButton(m_panel1), "RadioButton3");
    m_radio4 = named(new QRadioButton(m_panel1), "RadioButton4");
    auto* counterGroup = new QButtonGroup(m_panel1);
    counterGroup->addButton(m_radio3);
    counterGroup->addButton(m_radio4);
    m_radio3->setChecked(true); // keep the unit's count, at the first show
    row1->addWidget(m_label3, 1);
    row1->addWidget(m_radio3);
    row1->addWidget(m_radio4);

    m_label4 = named(new QLabel(this), "Label4");
    m_button1 = named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    m_button2 = named(new QPushButton(this), "Button2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_button1);
    buttons->addWidget(m_button2);

    // Each question may take two lines; the panels' margins leave room for them in the fixed
    // height.
    for (QFrame* panel : {m_panel1, m_panel2, m_panel3})
        panel->layout()->setContentsMargins(8, 3, 8, 3);
    for (QLabel* label : {m_label1, m_label2, m_label3})
        label->setMinimumHeight(2 * label->fontMetrics().height());
    layout->setSpacing(4);

    layout->addWidget(m_panel3);
    layout->addWidget(m_panel2);
    layout->addWidget(m_panel1);
    layout->addStretch();
    layout->addWidget(m_label4);
    layout->addLayout(buttons);

    connect(m_button1, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_button2, &QPushButton::clicked, this, [this] { done(2); });
}

void TForm9::prepare(const UnitSnapshot& unit, const ParameterSet& params) {
    const QString day = m_texts.message(Msg::DayMode);
    const QString night = m_texts.message(Msg::NightMode);
    const QString edit151 = params.text(statusField(StatusTag::Unfitted));
    const QString edit156 = params.text(statusField(StatusTag::Mode));
    const QString edit157 = params.text(statusField(StatusTag::Counter));

    setWindowTitle(m_texts.message(Msg::WarningTitle));
    m_button2->setText(m_texts.message(Msg::StornoButton));
    m_panel1->hide();
    m_panel2->hide();
    m_panel3->hide();
    m_edit1->setText(edit151);
    m_radio5->setText(day);
    m_radio6->setText(night);
    m_radio3->setText(unit.counter);
    m_radio4->setText(edit157);
    (edit156 == day ? m_radio5 : m_radio6)->setChecked(true);

    const QString changeTo = m_texts.message(Msg::ChangeTo);
    if (unit.unfitted != edit151) {
        m_panel3->show();
        m_label1->setText(m_texts.message(Msg::UnfittedCountIs) + QLatin1Char(' ') + unit.unfitted +
                          QLatin1Char(' ') + changeTo);
    }
    if (unit.mode != edit156) {
        m_panel2->show();
        m_label2->setText(m_texts.message(Msg::UnitModeIs) + QLatin1Char(' ') + unit.mode +
                          QLatin1Char(' ') + changeTo);
    }
    if (unit.counter != edit157) {
        m_panel1->show();
        m_label3->setText(m_texts.message(Msg::KeepOrOverwriteCounter));
    }
    m_label4->setText(m_texts.message(Msg::ConfirmToContinue));
}

void TForm9::applyChoices(ParameterSet& params) const {
    // Hidden panels hold the window's own values, so they change nothing.
    params.setText(statusField(StatusTag::Unfitted), m_edit1->text());
    params.setText(statusField(StatusTag::Mode), m_radio5->isChecked()
                                                     ? m_texts.message(Msg::DayMode)
                                                     : m_texts.message(Msg::NightMode));
    params.setText(statusField(StatusTag::Counter),
                   m_radio3->isChecked() ? m_radio3->text() : m_radio4->text());
}

WriteConfirmation::Answer TForm9::confirm(const UnitSnapshot& unit, ParameterSet& params) {
    prepare(unit, params);
    centreOnParent(this);
    switch (exec()) {
    case 1:
        applyChoices(params);
        return Answer::Ok;
    case 2:
        return Answer::Storno;
    default:
        return Answer::Closed; // system menu: the write goes on unchanged
    }
}

} // namespace lumo
