#include "remote/ConnectDialogModel.h"
#include "platform/Cp1250.h"

namespace lumo {

ConnectDialogModel::ConnectDialogModel(RemoteLink& link, const Texts& texts, Messenger& messenger)
    : m_link(link), m_texts(texts), m_messenger(messenger) {}

void ConnectDialogModel::changed() {
    if (m_changed)
        m_changed();
}

QString ConnectDialogModel::n8Caption() const {
    return m_engine ? m_engine->menus().n8Caption : QString();
}

void ConnectDialogModel::clearSelection() {
    m_link.setSelectedIndex(0);
    m_link.setBoxSerial(0, QString());
    if (m_engine)
        m_engine->setBoxCaption(m_link.boxSerial(0), false);
}

bool ConnectDialogModel::beginAttempt() {
    // Another attempt (its dialog closed by the window button) still runs or hangs up: its
    // box is not taken away from it.
    if (m_engine && m_engine->state() != ConnectionState::Idle)
        return false;
    if (m_link.hasBoxLink())
        m_link.releaseBoxLink();
    m_link.ListBoxDevices();
    m_link.BoxSelected = false;
    const int boxes = m_link.deviceCount() > 0 ? m_link.kavCount() : 0;
    if (boxes == 0) {
        clearSelection();
        m_messenger.message(remote(25));
        return false;
    }
    return true;
}

void ConnectDialogModel::endAttempt() {
    if (m_link.BoxSelected)
        return;
    clearSelection();
    m_messenger.message(remote(26));
}

void ConnectDialogModel::FormShow(const QString& servicePassword) {
    m_state.label3Colour = ConnectStatusColour::ButtonFace;
    m_state.label3Text.clear();
    m_state.progress = 0;
    m_state.edit2 = servicePassword.left(kPasswordLength);
    m_link.setSelectedIndex(-1);
    m_state.panel2Visible = m_state.button3Visible = m_state.button4Visible = false;
    // The whole rule, not only the number: a service password of other than four digits (from
    // a settings file) must not leave "Připoj" enabled.
    m_state.button4Enabled = canConnect(m_state.edit1, m_state.edit2);
    m_state.comboEnabled = m_state.button2Enabled = true;
    m_state.selecting = false;

    const QString previous = n8Caption();
    m_state.comboText = previous.size() >= 3 ? previous : QString();
    m_state.comboItems.clear();
    const int boxes = m_link.kavCount();
    for (int i = 0; i < boxes; ++i) {
        const QString serial = m_link.boxSerial(i);
        m_state.comboItems << serial;
        if (serial == m_state.comboText)
            m_link.setSelectedIndex(i);
    }
    if (m_link.selectedIndex() < 0 && m_state.comboText.size() > 2) {
        const QString serial = m_state.comboText;
        m_state.comboText.clear();
        changed();
        m_messenger.message(remote(30) + QLatin1Char(' ') + serial + QLatin1Char(' ') + remote(31));
        return;
    }
    changed();
}

void ConnectDialogModel::ComboBox1Change(int index) {
    if (index < 0 || index >= m_state.comboItems.size())
        return;
    m_link.setSelectedIndex(index);
    m_state.comboText = m_state.comboItems[index];
    changed();
}

void ConnectDialogModel::Button2Click(std::function<void()> done) {
    m_state.progress = 1;
    const QString serial = m_link.selectedSerial();
    if (m_state.comboText.trimmed().size() < 2 || serial.isEmpty() || m_state.selecting) {
        changed();
        if (done)
            done();
        return;
    }
    auto selected = [this, serial, done] {
        if (m_engine)
            m_engine->setBoxCaption(serial, true);
        m_link.BoxSelected = true;
        m_state.panel2Visible = m_state.button3Visible = m_state.button4Visible = true;
        m_state.comboEnabled = m_state.button2Enabled = false;
        changed();
        if (done)
            done();
    };
    if (m_link.hasBoxLink()) {
        selected();
        return;
    }
    m_state.selecting = true;
    changed();
    m_link.OpenBoxLinkPaced(serial, [this, serial, done, selected](bool opened) {
        m_state.selecting = false;
        if (opened) {
            selected();
            return;
        }
        m_messenger.message(remote(32) + QLatin1Char(' ') + serial + QLatin1Char(' ') + remote(31));
        if (m_engine)
            m_engine->setBoxCaption(serial, false);
        m_link.BoxSelected = false;
        changed();
        closeDialog();
        if (done)
            done();
    });
}

void ConnectDialogModel::setEdit1(const QString& text) {
    m_state.edit1 = text.left(kNumberLength);
    m_state.button4Enabled = canConnect(m_state.edit1, m_state.edit2);
    changed();
}

void ConnectDialogModel::setEdit2(const QString& text) {
    m_state.edit2 = text.left(kPasswordLength);
    m_state.button4Enabled = canConnect(m_state.edit1, m_state.edit2);
    changed();
}

bool ConnectDialogModel::Button4Click(ConnectionEngine::ResultHandler onResult) {
    if (!m_engine || !m_state.button4Enabled || !canConnect(m_state.edit1, m_state.edit2))
        return false;
    return m_engine->connect(cp1250::fromUnicode(m_state.edit1.trimmed()),
                             cp1250::fromUnicode(m_state.edit2.trimmed()), std::move(onResult));
}

void ConnectDialogModel::Button1Click(std::function<void()> done) {
    if (m_engine)
        m_engine->cancel(std::move(done));
    else if (done)
        done();
}

std::optional<QChar> ConnectDialogModel::Edit1Key(QChar key) {
    const char c = key.toLatin1();
    if ((c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'P' || c == 'R' || c == 'f')
        return key;
    switch (c) {
    case 'p':
        return QLatin1Char('P');
    case 'r':
        return QLatin1Char('R');
    case 'H':
    case 'h':
        return QLatin1Char('*');
    case 'K':
    case 'k':
        return QLatin1Char('#');
    default:
        return std::nullopt;
    }
}

std::optional<QChar> ConnectDialogModel::Edit2Key(QChar key) {
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
        return key;
    return std::nullopt;
}

bool ConnectDialogModel::canConnect(const QString& number, const QString& password) {
    return !number.trimmed().isEmpty() && password.trimmed().size() == kPasswordLength;
}

// --- the engine's view ----------------------------------------------------------------------

void ConnectDialogModel::stateChanged(ConnectionState state) {
    if (m_window)
        m_window->stateChanged(state);
}

void ConnectDialogModel::setStep(int step) {
    m_state.label5 = QString::number(step);
    changed();
}

void ConnectDialogModel::setProgress(int position) {
    m_state.progress = qBound(0, position, kProgressMax);
    changed();
}

void ConnectDialogModel::setStatus(ConnectStatusColour colour, const QString* text) {
    m_state.label3Colour = colour;
    if (text)
        m_state.label3Text = *text;
    changed();
}

void ConnectDialogModel::setIndicator(KeepAliveColour colour) {
    if (m_window)
        m_window->setIndicator(colour);
}

void ConnectDialogModel::trace(const QByteArray& line) {
    QByteArray text = line;
    if (text.endsWith("\r\n"))
        text.chop(2); // the memo's line break
    m_state.memo << cp1250::toUnicode(text);
    changed();
    if (m_window)
        m_window->trace(line);
}

void ConnectDialogModel::menusChanged(const RemoteMenuState& menus) {
    if (m_window)
        m_window->menusChanged(menus);
}

void ConnectDialogModel::setConnectButtonEnabled(bool enabled) {
    m_state.button4Enabled = enabled && canConnect(m_state.edit1, m_state.edit2);
    changed();
}

void ConnectDialogModel::closeDialog() {
    if (m_close)
        m_close();
}

void ConnectDialogModel::showMessage(const QString& text) {
    m_messenger.message(text); // the window is not told: one message box per failure
}

} // namespace lumo
