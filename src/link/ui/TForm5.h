#pragma once
#include <QDialog>
#include <functional>

class QCheckBox;

namespace lumo {

struct LocalLinkState;
class Texts;
class TAfPortRadioGroup;

// The port selection: the serial port list (COM1..COM16 with their availability) or the USB
// cable. The cable box is the link choice; ticking or clearing it runs `usbChanged` (opening
// the cable, or marking it closed).
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(LocalLinkState& link, const Texts& texts, std::function<void(bool ticked)> usbChanged,
           QWidget* parent = nullptr);

    TAfPortRadioGroup* portGroup() const { return m_group; }
    QCheckBox* usbBox() const { return m_checkBox1; }
    void applyTexts();
    // Sets the box from the link choice (start-up) and runs its effects.
    void setUsbChosen(bool ticked);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CheckBox1Click(bool ticked);

    LocalLinkState& m_link;
    const Texts& m_texts;
    std::function<void(bool)> m_usbChanged;
    TAfPortRadioGroup* m_group;
    QCheckBox* m_checkBox1;
};

} // namespace lumo
