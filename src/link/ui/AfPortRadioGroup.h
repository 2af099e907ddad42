#pragma once
#include "link/AfComPort.h"
#include "link/AfPortControls.h"
#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;
class QGridLayout;

namespace lumo {

// The port choice: a radio group listing COM1..COM`MaxComPorts` with each port's availability.
// A click selects the port number and, with a linked component, sets its ComNumber and opens
// it when closed; the availability is tested again after every click.
class TAfPortRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TAfPortRadioGroup(QWidget* parent = nullptr);

    TAfComPort* ComPort() const { return m_comPort; }
    void SetComPort(TAfComPort* port) { m_comPort = port; }
    int MaxComPorts() const { return m_maxComPorts; }
    void SetMaxComPorts(int count);
    // Items fill the columns top to bottom, then left to right, like a radio group's.
    int Columns() const { return m_columns; }
    void SetColumns(int columns);
    TAfPortCtlOptions Options() const { return m_options; }
    void SetOptions(TAfPortCtlOptions options);

    // The port number of the selected item (0: none); setting it selects item number - 1.
    int PortNumber() const { return m_portNumber; }
    void SetPortNumber(int port);
    int ItemIndex() const;

    // Builds the items afresh (they are built on construction and option changes).
    void Rebuild();
    // Tests every port's availability again and updates the items.
    void UpdateAvailability();
    const std::vector<TAfPortItem>& Items() const { return m_items; }
    QRadioButton* Button(int index) const;

    // Where availability comes from (tests replace it).
    void SetAvailabilitySource(std::function<SerialAvailability(int)> source);

signals:
    void portClicked(int port);
    // Opening the linked port failed; `message` is the component's error text.
    void portOpenFailed(const QString& message);

protected:
    void changeEvent(QEvent* event) override;

private:
    void ItemClicked(int index);
    void ShowItems();

    TAfComPort* m_comPort = nullptr;
    int m_maxComPorts = 4;
    int m_columns = 1;
    TAfPortCtlOptions m_options = pcCheckExist;
    int m_portNumber = 0;
    std::function<SerialAvailability(int)> m_availability = PortAvailability;
    std::vector<TAfPortItem> m_items;
    QList<QRadioButton*> m_buttons;
    QButtonGroup* m_group;
    QGridLayout* m_layout;
};

} // namespace lumo
