#include "link/ui/AfPortRadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QPalette>
#include <QRadioButton>
#include <QGridLayout>

namespace lumo {

TAfPortRadioGroup::TAfPortRadioGroup(QWidget* parent)
    : QGroupBox(parent), m_group(new QButtonGroup(this)), m_layout(new QGridLayout(this)) {
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, &TAfPortRadioGroup::ItemClicked);
    Rebuild();
}

void TAfPortRadioGroup::SetMaxComPorts(int count) {
    m_maxComPorts = qMax(count, 0);
    Rebuild();
}

void TAfPortRadioGroup::SetColumns(int columns) {
    m_columns = qMax(columns, 1);
    Rebuild();
}

void TAfPortRadioGroup::SetOptions(TAfPortCtlOptions options) {
    m_options = options;
    Rebuild();
}

void TAfPortRadioGroup::SetAvailabilitySource(std::function<SerialAvailability(int)> source) {
    m_availability = std::move(source);
    Rebuild();
}

int TAfPortRadioGroup::ItemIndex() const {
    return m_group->checkedId();
}

QRadioButton* TAfPortRadioGroup::Button(int index) const {
    return index >= 0 && index < m_buttons.size() ? m_buttons.at(index) : nullptr;
}

void TAfPortRadioGroup::SetPortNumber(int port) {
    m_portNumber = port;
    if (QRadioButton* b = Button(port - 1)) {
        b->setChecked(true);
        return;
    }
    // No such item: nothing is selected.
    m_group->setExclusive(false);
    for (QRadioButton* b : m_buttons)
        b->setChecked(false);
    m_group->setExclusive(true);
}

void TAfPortRadioGroup::Rebuild() {
    for (QRadioButton* b : m_buttons) {
        m_group->removeButton(b);
        delete b;
    }
    m_buttons.clear();
    m_items = BuildPortItems(m_maxComPorts, m_options, m_availability);
    const int count = static_cast<int>(m_items.size());
    const int rows = (count + m_columns - 1) / m_columns;
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(m_items[i].caption, this);
        m_group->addButton(b, i);
        m_layout->addWidget(b, i % qMax(rows, 1), i / qMax(rows, 1));
        m_buttons.append(b);
    }
    ShowItems();
    if (m_portNumber > 0)
        SetPortNumber(m_portNumber);
}

void TAfPortRadioGroup::UpdateAvailability() {
    for (TAfPortItem& item : m_items) {
        item.availability = m_availability(item.port);
        ApplyPortOptions(item, m_options);
    }
    ShowItems();
}

void TAfPortRadioGroup::ShowItems() {
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i) {
        QRadioButton* b = m_buttons.at(i);
        b->setEnabled(m_items[i].enabled);
        QPalette p = palette();
        if (m_items[i].grey)
            p.setColor(QPalette::WindowText, p.color(QPalette::Disabled, QPalette::WindowText));
        b->setPalette(p);
    }
}

void TAfPortRadioGroup::ItemClicked(int index) {
    m_portNumber = index + 1;
    if (m_comPort) {
        try {
            m_comPort->SetComNumber(m_portNumber);
            if (!m_comPort->PortIsOpen())
                m_comPort->PortOpen();
        } catch (const EAfError& e) {
            emit portOpenFailed(e.Message());
        }
    }
    UpdateAvailability();
    emit portClicked(m_portNumber);
}

void TAfPortRadioGroup::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Rebuild();
}

} // namespace lumo
