#include "params/ui/FieldBinder.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "platform/Locale.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace lumo {

namespace {

// Focus lost to another window (a message box, a menu) is not leaving the field: the original
// exit events fire only when the focus moves to another control of the same window.
bool leavesField(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

FieldBinder::FieldBinder(ParameterSet& params, const Texts& texts, Messenger& messenger,
                         QObject* parent)
    : QObject(parent), m_params(params), m_texts(texts), m_messenger(messenger),
      m_decimalSeparator(decimalSeparator()) {
    m_params.setListener([this](const QString& name) { onModelChanged(name); });
}

FieldBinder::~FieldBinder() {
    m_params.setListener({});
}

void FieldBinder::bind(QWidget* root) {
    QList<QWidget*> candidates = root->findChildren<QWidget*>();
    candidates.prepend(root);
    for (QWidget* w : candidates) {
        const QString name = w->objectName();
        if (name.isEmpty() || !m_params.contains(name) || m_widgets.contains(name))
            continue;
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
            continue; // the edit part of a list belongs to the list
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QComboBox*>(w))
            bindWidget(w, name);
    }
}

void FieldBinder::addVisibilityFollower(const QString& name, QWidget* follower) {
    m_followers.insert(name, follower);
    refreshWidget(name);
}

void FieldBinder::bindWidget(QWidget* w, const QString& name) {
    m_widgets.insert(name, w);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (const FieldDef* def = findField(name); def && def->maxLength > 0)
            edit->setMaxLength(def->maxLength);
        // Pasting through the context menu would bypass the key filter.
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->installEventFilter(this);
        m_names.insert(edit, name);
        connect(edit, &QLineEdit::textChanged, this,
                [this, name](const QString& text) { userChangedText(name, text); });
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        // `clicked` comes from the user only (mouse, space, arrow keys), never from setChecked.
        connect(radio, &QRadioButton::clicked, this, [this, name] { onOptionClicked(name); });
    } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
        connect(box, &QAbstractButton::clicked, this, [this, name](bool checked) {
            if (!m_syncing)
                m_params.setChecked(name, checked);
        });
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        list->installEventFilter(this);
        m_names.insert(list, name);
        if (QLineEdit* edit = list->lineEdit()) {
            edit->setContextMenuPolicy(Qt::NoContextMenu);
            edit->installEventFilter(this);
            m_names.insert(edit, name);
        }
        // The list's own text, not the signal's: a change rule that rewrites the text from
        // inside the edit signal makes the older text arrive last.
        connect(list, &QComboBox::currentTextChanged, this,
                [this, name, list] { userChangedText(name, list->currentText()); });
    }
    refreshWidget(name);
}

void FieldBinder::onModelChanged(const QString& name) {
    if (m_widgets.contains(name))
        refreshWidget(name);
    emit parameterChanged(name);
}

void FieldBinder::refreshWidget(const QString& name) {
    QWidget* w = m_widgets.value(name);
    if (!w)
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        const QString text = m_params.text(name);
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        const bool checked = m_params.isChecked(name);
        if (radio->isChecked() != checked) {
            // An exclusive button cannot be cleared directly; the group's newly checked
            // button arrives in its own notification.
            radio->setAutoExclusive(false);
            radio->setChecked(checked);
            radio->setAutoExclusive(true);
        }
    } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
        box->setChecked(m_params.isChecked(name));
    } else if (auto* list = qobject_cast<QComboBox*>(w)) {
        const QString text = m_params.text(name);
        if (list->currentText() != text) {
            if (list->isEditable())
                list->setEditText(text);
            else
                list->setCurrentText(text);
        }
    }
    w->setEnabled(m_params.isEnabled(name));
    const bool visible = m_params.isVisible(name);
    if (w->isHidden() == visible)
        w->setVisible(visible);
    if (QWidget* follower = m_followers.value(name); follower && follower->isHidden() == visible)
        follower->setVisible(visible);
    m_syncing = wasSyncing;
}

void FieldBinder::userChangedText(const QString& name, const QString& text) {
    if (!m_syncing)
        m_params.setText(name, text);
}

void FieldBinder::onOptionClicked(const QString& name) {
    if (m_syncing)
        return;
    m_params.setChecked(name, true);
    if (const SwitchRole role = switchRole(name);
        role == SwitchRole::SequentialSwitch2 || role == SwitchRole::OtherSwitch1)
        applySwitchModeRule(m_params, name);
    // Keep the clicked button as the widget shows it even when the model already had it.
    refreshWidget(name);
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    const auto nameIt = m_names.constFind(watched);
    if (nameIt == m_names.cend())
        return QObject::eventFilter(watched, event);
    const FieldDef* def = findField(*nameIt);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!def || !w)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKeyPress(w, *def, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        if (leavesField(static_cast<QFocusEvent*>(event)->reason()))
            handleFocusIn(w, *def);
        break;
    case QEvent::FocusOut:
        if (leavesField(static_cast<QFocusEvent*>(event)->reason()))
            handleFocusOut(w, *def);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool FieldBinder::handleKeyPress(QWidget* w, const FieldDef& def, QKeyEvent* key) {
    const bool navigation = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (def.filter == KeyFilter::DisplayOnly)
        return !navigation; // leaving with Tab stays possible
    if (key->matches(QKeySequence::Paste)) {
        insertFiltered(w, def, QApplication::clipboard()->text());
        return true;
    }
    QChar typed;
    if (key->key() == Qt::Key_Backspace)
        typed = kBackspace;
    else if (!key->text().isEmpty() && key->text().at(0).isPrint())
        typed = key->text().at(0);
    else if (def.filter == KeyFilter::NoTyping && key->key() == Qt::Key_Delete)
        return false; // a list's text can be deleted, which its change rule then repairs
    else
        return false; // navigation, Delete and shortcuts reach the control

    auto* edit = qobject_cast<QLineEdit*>(w);
    if (def.filter == KeyFilter::Unfitted && edit) {
        switch (unfittedKeyDecision(typed, edit->text())) {
        case UnfittedKey::Pass:
            return false;
        case UnfittedKey::Discard:
            return true;
        case UnfittedKey::Ask:
            break;
        }
        const bool yes =
            m_messenger.ask(m_texts.get(TextSection::OTHER, 49),
                            m_texts.get(TextSection::OTHER, 48), Messenger::Icon::Stop, true);
        if (yes)
            return false;
        edit->setText(m_valueOnEntry.value(def.name));
        return true;
    }

    const std::optional<QChar> accepted = filterKey(def.filter, typed, m_decimalSeparator);
    if (!accepted)
        return true;
    if (*accepted == typed)
        return false;
    // A typing aid ("h" for "*"): insert the replacement in place of the typed key.
    if (edit)
        edit->insert(QString(*accepted));
    return true;
}

void FieldBinder::insertFiltered(QWidget* w, const FieldDef& def, const QString& typed) {
    auto* edit = qobject_cast<QLineEdit*>(w);
    // The unfitted-buttons count changes only through its question, one key at a time.
    if (!edit || def.filter == KeyFilter::Unfitted)
        return;
    QString accepted;
    for (QChar c : typed) {
        if (c == kBackspace)
            continue;
        if (const std::optional<QChar> r = filterKey(def.filter, c, m_decimalSeparator))
            accepted.append(*r);
    }
    if (!accepted.isEmpty())
        edit->insert(accepted);
}

void FieldBinder::handleFocusIn(QWidget* w, const FieldDef& def) {
    if (def.exitRule != ExitRule::Unfitted)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        m_valueOnEntry.insert(def.name, edit->text().trimmed());
}

void FieldBinder::handleFocusOut(QWidget* w, const FieldDef& def) {
    auto* edit = qobject_cast<QLineEdit*>(w);
    if (!edit || def.exitRule == ExitRule::None || m_inExitRule || m_returningFocus)
        return;
    const ExitResult result = applyExitRule(def, edit->text(), m_decimalSeparator);
    if (result.restoreValueOnEntry)
        edit->setText(m_valueOnEntry.value(def.name));
    else if (result.changed)
        edit->setText(result.text);
    if (!result.rejected)
        return;
    m_inExitRule = true;
    m_messenger.warning(result.message ? m_texts.get(*result.message) : QString());
    m_inExitRule = false;
    returnFocus(edit);
}

void FieldBinder::returnFocus(QWidget* w) {
    // After the focus change that triggered the rule has finished.
    QTimer::singleShot(0, w, [this, w] {
        m_returningFocus = true;
        w->setFocus(Qt::OtherFocusReason);
        m_returningFocus = false;
    });
}

} // namespace lumo
