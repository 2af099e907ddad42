#pragma once
#include "platform/DeviceTree.h"
#include "platform/SerialFile.h"
#include <QDialog>
#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace lumo {

struct LocalLinkState;
class Texts;
class TAfPortRadioGroup;

// The port selection: the serial port list (COM1..COM16 with their availability) or the USB
// cable. The cable box is the link choice; ticking or clearing it runs `usbChanged` (opening
// the cable, or marking it closed).
//
// Under the port list, the device behind the selected COM number: the serial devices found on
// the system with the current mapping selected, and a line saying what is wrong with the chosen
// one. With the cable ticked that line says which FTDI cable is found. OK and the close button
// keep what the dialog holds; Storno and Escape put back the port, the cable choice and the
// devices as they were when it opened.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(LocalLinkState& link, const Texts& texts, std::function<void(bool ticked)> usbChanged,
           QWidget* parent = nullptr);

    TAfPortRadioGroup* portGroup() const { return m_group; }
    QCheckBox* usbBox() const { return m_checkBox1; }
    QComboBox* deviceBox() const { return m_deviceBox; }
    QLabel* statusLabel() const { return m_status; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* stornoButton() const { return m_storno; }
    void applyTexts();
    // Sets the box from the link choice (start-up) and runs its effects.
    void setUsbChosen(bool ticked);

    // Where serial devices and the cable are looked for (tests: a fake tree).
    void setDeviceTree(const DeviceTree& tree);
    // Whether a device can be opened now (tests replace it); given a system path.
    void setDeviceProbe(std::function<SerialAvailability(const QString& path)> probe);

    // The devices chosen for COM numbers in the last show that was not cancelled, by port
    // number; only numbers whose device was changed from its mapping are in it.
    const std::map<int, QString>& deviceChoices() const { return m_choices; }
    // The device the dialog shows for `port`: a choice made in it, else the mapping in force.
    QString deviceFor(int port) const;
    // Fills the device list for the selected port again (the devices may have changed).
    void refreshDevices();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CheckBox1Click(bool ticked);
    void deviceChosen(int index);
    void showStatus();

    LocalLinkState& m_link;
    const Texts& m_texts;
    std::function<void(bool)> m_usbChanged;
    TAfPortRadioGroup* m_group;
    QCheckBox* m_checkBox1;
    QLabel* m_deviceLabel;
    QComboBox* m_deviceBox;
    QLabel* m_status;
    QPushButton* m_ok;
    QPushButton* m_storno;
    DeviceTree m_tree;
    std::function<SerialAvailability(const QString&)> m_probe;
    std::map<int, QString> m_choices;
    // The list is being filled: its signals are no choice of the user.
    bool m_filling = false;
    // As the dialog opened, for Storno.
    int m_portAtShow = 0;
    bool m_usbAtShow = false;
};

} // namespace lumo
