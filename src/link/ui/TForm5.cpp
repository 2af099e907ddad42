#include "link/ui/TForm5.h"
#include "link/AfUtils.h"
#include "link/DeviceProblemText.h"
#include "link/LocalLinkSettings.h"
#include "link/UsbCable.h"
#include "link/ui/AfPortRadioGroup.h"
#include "platform/PortDiagnosis.h"
#include "platform/SerialDeviceScan.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace lumo {

namespace {

constexpr int kWidth = 243;
constexpr int kLeastHeight = 263;

// A stable by-id name says which adapter it is; the node it leads to says which port.
QString deviceCaption(const SerialDeviceEntry& entry) {
    static const QString byId = QStringLiteral("/dev/serial/by-id/");
    if (!entry.path.startsWith(byId) || entry.device.isEmpty())
        return entry.path;
    return QFileInfo(entry.path).fileName() + QStringLiteral(" \u2192 ") + entry.device;
}

} // namespace

TForm5::TForm5(LocalLinkState& link, const Texts& texts, std::function<void(bool)> usbChanged,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowStaysOnTopHint),
      m_link(link), m_texts(texts), m_usbChanged(std::move(usbChanged)) {
    setObjectName(QStringLiteral("Form5"));
    m_probe = [this](const QString& path) { return SerialFile::probe(m_tree.host(path)); };
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    m_group = new TAfPortRadioGroup(this);
    m_group->setObjectName(QStringLiteral("AfPortRadioGroup1"));
    m_group->SetColumns(2);
    m_group->SetMaxComPorts(16);
    m_group->SetOptions(pcCheckExist | pcDisableOpen | pcHighlightOpen);
    // A port is as available as the device it would open, a choice not yet kept included.
    m_group->SetAvailabilitySource([this](int port) { return m_probe(deviceFor(port)); });
    m_checkBox1 = new QCheckBox(QStringLiteral("USB cable"), this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));

    m_deviceLabel = new QLabel(this);
    m_deviceLabel->setObjectName(QStringLiteral("PortDeviceLabel"));
    m_deviceBox = new QComboBox(this);
    m_deviceBox->setObjectName(QStringLiteral("PortDevice"));
    // Long by-id names must not widen the fixed dialog; the open list shows them whole.
    m_deviceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deviceBox->setMinimumContentsLength(12);
    m_deviceLabel->setBuddy(m_deviceBox);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PortStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_storno = new QPushButton(this);
    m_storno->setObjectName(QStringLiteral("StornoButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_storno);

    layout->addWidget(m_group);
    layout->addWidget(m_deviceLabel);
    layout->addWidget(m_deviceBox);
    layout->addWidget(m_checkBox1);
    layout->addWidget(m_status);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(m_checkBox1, &QCheckBox::toggled, this, &TForm5::CheckBox1Click);
    connect(m_group, &TAfPortRadioGroup::portClicked, this, [this] {
        refreshDevices();
        showStatus();
    });
    connect(m_deviceBox, &QComboBox::currentIndexChanged, this, &TForm5::deviceChosen);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_storno, &QPushButton::clicked, this, &TForm5::reject);
    applyTexts();
    setFixedSize(kWidth, std::max(kLeastHeight, sizeHint().height()));
}

void TForm5::applyTexts() {
    setWindowTitle(m_texts.get(TextSection::OTHER, 11));
    m_group->setTitle(m_texts.get(TextSection::OTHER, 12));
    m_deviceLabel->setText(m_texts.message(deviceText::kDeviceLabel));
    m_storno->setText(m_texts.message(Msg::StornoButton));
    if (isVisible())
        showStatus();
}

void TForm5::setUsbChosen(bool ticked) {
    if (m_checkBox1->isChecked() == ticked)
        CheckBox1Click(ticked); // the effects run at start-up even without a change
    else
        m_checkBox1->setChecked(ticked);
}

void TForm5::setDeviceTree(const DeviceTree& tree) {
    m_tree = tree;
    m_group->UpdateAvailability();
}

void TForm5::setDeviceProbe(std::function<SerialAvailability(const QString&)> probe) {
    m_probe = std::move(probe);
    m_group->UpdateAvailability();
}

QString TForm5::deviceFor(int port) const {
    if (const auto it = m_choices.find(port); it != m_choices.end())
        return it->second;
    return comPortDevicePath(port);
}

void TForm5::refreshDevices() {
    m_filling = true;
    m_deviceBox->clear();
    const int port = m_group->PortNumber();
    m_deviceBox->setEnabled(port > 0);
    if (port > 0) {
        const QString current = deviceFor(port);
        int selected = -1;
        for (const SerialDeviceEntry& entry : listSerialDevices(m_tree)) {
            if (entry.path == current)
                selected = m_deviceBox->count();
            m_deviceBox->addItem(deviceCaption(entry), entry.path);
            m_deviceBox->setItemData(m_deviceBox->count() - 1, entry.path, Qt::ToolTipRole);
        }
        // A mapping to a device that is not there (unplugged, or a terminal of a simulator)
        // is still what the port opens, so it is shown and kept unless another is chosen.
        if (selected < 0) {
            m_deviceBox->insertItem(0, current, current);
            m_deviceBox->setItemData(0, current, Qt::ToolTipRole);
            selected = 0;
        }
        m_deviceBox->setCurrentIndex(selected);
        m_deviceBox->setToolTip(current);
        m_deviceBox->view()->setMinimumWidth(m_deviceBox->view()->sizeHintForColumn(0) + 24);
    }
    m_filling = false;
}

void TForm5::deviceChosen(int index) {
    if (m_filling || index < 0)
        return;
    const int port = m_group->PortNumber();
    if (port < 1)
        return;
    const QString path = m_deviceBox->itemData(index).toString();
    // Choosing the mapping in force again is no change.
    if (path == comPortDevicePath(port))
        m_choices.erase(port);
    else
        m_choices[port] = path;
    m_deviceBox->setToolTip(path);
    m_group->UpdateAvailability();
    showStatus();
}

void TForm5::showStatus() {
    QString text;
    if (m_checkBox1->isChecked()) {
        text = usbCableStatusText(UsbCable::kSerialNumber, m_texts, m_tree);
    } else if (const int port = m_group->PortNumber(); port > 0) {
        const QString path = deviceFor(port);
        PortDiagnosis d = diagnoseSerialPort(path, m_tree);
        // The program's own open port is no obstacle to choosing it.
        const qint64 self = QCoreApplication::applicationPid();
        if (d.problem == PortDiagnosis::Problem::InUse && !d.holders.empty() &&
            std::all_of(d.holders.begin(), d.holders.end(),
                        [self](const DeviceHolder& h) { return h.pid == self; }))
            d.problem = PortDiagnosis::Problem::None;
        text = portDiagnosisText(d, path, m_texts);
    }
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    // A long reason makes the dialog taller rather than being cut.
    if (QLayout* l = layout()) {
        l->activate();
        const int needed = l->totalHeightForWidth(kWidth);
        setFixedHeight(std::max({kLeastHeight, needed, height()}));
    }
}

void TForm5::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_portAtShow = m_group->PortNumber();
    m_usbAtShow = m_checkBox1->isChecked();
    m_choices.clear();
    m_group->UpdateAvailability();
    const bool serial = !m_checkBox1->isChecked();
    m_group->setVisible(serial);
    m_deviceLabel->setVisible(serial);
    m_deviceBox->setVisible(serial);
    refreshDevices();
    showStatus();
    centreOnParent(this);
}

void TForm5::closeEvent(QCloseEvent* event) {
    // The close button returns what the dialog holds, as it always did; only Storno cancels.
    event->accept();
    if (isVisible())
        done(Accepted);
}

void TForm5::reject() {
    m_choices.clear();
    if (m_checkBox1->isChecked() != m_usbAtShow)
        setUsbChosen(m_usbAtShow);
    m_group->SetPortNumber(m_portAtShow);
    QDialog::reject();
}

void TForm5::CheckBox1Click(bool ticked) {
    m_link.settings.useUsbCable = ticked;
    m_group->setVisible(!ticked);
    m_deviceLabel->setVisible(!ticked);
    m_deviceBox->setVisible(!ticked);
    if (m_usbChanged)
        m_usbChanged(ticked);
    if (isVisible())
        showStatus();
}

} // namespace lumo
