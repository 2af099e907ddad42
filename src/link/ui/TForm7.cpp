#include "link/ui/TForm7.h"
#include "link/LocalLinkSettings.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QHBoxLayout>
#include <QPushButton>

namespace lumo {

TForm7::TForm7(ParameterSet& params, LocalLinkState& link, const Texts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_params(params), m_link(link), m_texts(texts) {
    setObjectName(QStringLiteral("Form7"));
    setFixedSize(382, 47);
    auto* layout = new QHBoxLayout(this);
    m_button1 = new QPushButton(this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button2 = new QPushButton(this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button3 = new QPushButton(this);
    m_button3->setObjectName(QStringLiteral("Button3"));
    layout->addWidget(m_button1);
    layout->addWidget(m_button2);
    layout->addWidget(m_button3);
    connect(m_button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(m_button3, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm7::setAction(const QString& kind) {
    const Texts& t = m_texts;
    m_kind = kind;
    setWindowTitle(t.message(Msg::ActionChoiceTitle));
    m_button1->setText(t.message(Msg::ReadFromUnit));
    m_button2->setText(
        t.message(kind == QLatin1String("rezim") ? Msg::SwitchMode : Msg::ClearCounter));
    m_button3->setText(t.message(Msg::StornoButton));
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
    m_button3->setFocus();
}

void TForm7::Button1Click() {
    m_link.portCheckRequested = true;
    accept();
}

void TForm7::Button2Click() {
    if (m_kind == QLatin1String("rezim")) {
        const QString day = m_texts.message(Msg::DayMode);
        const QString current = m_params.text(statusField(StatusTag::Mode));
        m_params.setText(statusField(StatusTag::Mode),
                         current == day ? m_texts.message(Msg::NightMode) : day);
    } else if (m_kind == QLatin1String("citac")) {
        m_params.setText(statusField(StatusTag::Counter), QStringLiteral("0"));
    }
    accept();
}

} // namespace lumo
