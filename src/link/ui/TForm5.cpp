#include "link/ui/TForm5.h"
#include "link/LocalLinkSettings.h"
#include "link/ui/AfPortRadioGroup.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/Texts.h"
#include <QCheckBox>
#include <QVBoxLayout>

namespace lumo {

TForm5::TForm5(LocalLinkState& link, const Texts& texts, std::function<void(bool)> usbChanged,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowStaysOnTopHint),
      m_link(link), m_texts(texts), m_usbChanged(std::move(usbChanged)) {
    setObjectName(QStringLiteral("Form5"));
    setFixedSize(243, 263);
    auto* layout = new QVBoxLayout(this);
    m_group = new TAfPortRadioGroup(this);
    m_group->setObjectName(QStringLiteral("AfPortRadioGroup1"));
    m_group->SetColumns(2);
    m_group->SetMaxComPorts(16);
    m_group->SetOptions(pcCheckExist | pcDisableOpen | pcHighlightOpen);
    m_checkBox1 = new QCheckBox(QStringLiteral("USB cable"), this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    layout->addWidget(m_group, 1);
    layout->addWidget(m_checkBox1);
    connect(m_checkBox1, &QCheckBox::toggled, this, &TForm5::CheckBox1Click);
    applyTexts();
}

void TForm5::applyTexts() {
    setWindowTitle(m_texts.get(TextSection::OTHER, 11));
    m_group->setTitle(m_texts.get(TextSection::OTHER, 12));
}

void TForm5::setUsbChosen(bool ticked) {
    if (m_checkBox1->isChecked() == ticked)
        CheckBox1Click(ticked); // the effects run at start-up even without a change
    else
        m_checkBox1->setChecked(ticked);
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_group->setVisible(!m_checkBox1->isChecked());
    centreOnParent(this);
}

void TForm5::CheckBox1Click(bool ticked) {
    m_link.settings.useUsbCable = ticked;
    m_group->setVisible(!ticked);
    if (m_usbChanged)
        m_usbChanged(ticked);
}

} // namespace lumo
