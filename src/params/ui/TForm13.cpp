#include "params/ui/TForm13.h"
#include "params/FieldTable.h"
#include "texts/Texts.h"
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace lumo {

namespace {
const QString kBandDefault = QStringLiteral("350-500");
const QString kBusyDefault = QStringLiteral("8");
const QString kDurationDefault = QStringLiteral("4");
} // namespace

TForm13::TForm13(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form13"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_label150 = new QLabel(this);
    m_label150->setObjectName(QStringLiteral("Label150"));
    m_label149 = new QLabel(this);
    m_label149->setObjectName(QStringLiteral("Label149"));
    m_label151 = new QLabel(this);
    m_label151->setObjectName(QStringLiteral("Label151"));
    m_comboBox2 = makeList("ComboBox2");
    m_comboBox1 = makeList("ComboBox1");
    m_comboBox3 = makeList("ComboBox3");
    m_button1 = new QPushButton(this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label150, 0, 0);
    grid->addWidget(m_comboBox2, 0, 1);
    grid->addWidget(m_label149, 1, 0);
    grid->addWidget(m_comboBox1, 1, 1);
    grid->addWidget(m_label151, 2, 0);
    grid->addWidget(m_comboBox3, 2, 1);
    grid->addWidget(m_button1, 3, 1, Qt::AlignRight);

    // The values take effect as they are chosen; the only button just closes.
    connect(m_button1, &QPushButton::clicked, this, &QDialog::accept);

    // Change rules: a list the user emptied gets its default back and keeps the focus.
    connect(m_comboBox1->lineEdit(), &QLineEdit::textEdited, this,
            [this] { restoreIfEmpty(m_comboBox1, kBusyDefault); });
    connect(m_comboBox3->lineEdit(), &QLineEdit::textEdited, this,
            [this] { restoreIfEmpty(m_comboBox3, kDurationDefault); });
    m_comboBox2->installEventFilter(this);
    m_comboBox2->lineEdit()->installEventFilter(this);

    Texts defaults;
    applyTexts(defaults);
}

QComboBox* TForm13::makeList(const char* name) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    // Editable so that a text from a settings file that is not among the items can be shown;
    // typing is stopped by the key filter of the field binder.
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    for (const QString& item : listItems(list->objectName()))
        list->addItem(item);
    if (const FieldDef* def = findField(list->objectName()))
        list->setEditText(QString::fromUtf8(def->defaultValue));
    list->setMinimumWidth(90);
    return list;
}

void TForm13::restoreIfEmpty(QComboBox* list, const QString& defaultText) {
    if (!list->currentText().isEmpty())
        return;
    list->setEditText(defaultText);
    list->setFocus(Qt::OtherFocusReason);
}

bool TForm13::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the band list for another control of the dialog, not for another window.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_comboBox2->currentText().size() < 7) {
            m_comboBox2->setEditText(kBandDefault);
            QTimer::singleShot(0, m_comboBox2, [this] { m_comboBox2->setFocus(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm13::applyTexts(const Texts& texts) {
    setWindowTitle(texts.get(TextSection::TAB3, 32));
    m_label150->setText(texts.get(TextSection::TAB3, 33));
    m_label149->setText(texts.get(TextSection::TAB3, 34));
    m_label151->setText(texts.get(TextSection::TAB3, 35));
    m_button1->setText(texts.get(TextSection::TAB3, 36));
}

} // namespace lumo
