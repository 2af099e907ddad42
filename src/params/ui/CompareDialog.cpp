#include "params/ui/CompareDialog.h"
#include "params/ParameterSet.h"
#include "params/ParameterTake.h"
#include "platform/Locale.h"
#include "platform/Messenger.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace lumo {

namespace {

enum Column { PageColumn, CaptionColumn, WindowColumn, OtherColumn, NoteColumn, ColumnCount };

QString rowName(const QTreeWidgetItem* item) {
    return item->data(PageColumn, Qt::UserRole).toString();
}

} // namespace

CompareDialog::CompareDialog(ParameterSet& window, const Texts& texts, Messenger& messenger,
                             QWidget* parent)
    : QDialog(parent), m_window(window), m_texts(texts), m_messenger(messenger) {
    setObjectName(QStringLiteral("CompareDialog"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(860, 420);

    m_filterLabel = new QLabel(this);
    m_filterLabel->setObjectName(QStringLiteral("CompareFilterLabel"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("CompareFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filterLabel->setBuddy(m_filter);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("CompareCount"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("CompareList"));
    m_list->setColumnCount(ColumnCount);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setStretchLastSection(true);
    m_list->viewport()->installEventFilter(this);

    m_empty = new QLabel(this);
    m_empty->setObjectName(QStringLiteral("CompareEmpty"));
    m_empty->setAlignment(Qt::AlignCenter);
    QFont big = m_empty->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_empty->setFont(big);

    m_take = new QPushButton(this);
    m_take->setObjectName(QStringLiteral("CompareTake"));
    m_take->setAutoDefault(false);
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("CompareClose"));
    m_close->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_filterLabel);
    top->addWidget(m_filter, 1);
    top->addSpacing(12);
    top->addWidget(m_count);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_take);
    buttons->addWidget(m_close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_list, 1);
    column->addWidget(m_empty, 1);
    column->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(m_take, &QPushButton::clicked, this, &CompareDialog::takeSelected);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { jumpTo(rowName(item)); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        m_take->setEnabled(m_request.allowTake && !m_list->selectedItems().isEmpty());
    });
    applyTexts();
}

void CompareDialog::applyTexts() {
    setWindowTitle(m_request.title.isEmpty() ? m_texts.message(Msg::CompareTitle)
                                             : m_request.title);
    m_filterLabel->setText(m_texts.message(Msg::CompareFilter));
    m_empty->setText(m_texts.message(Msg::CompareNoDifferences));
    m_take->setText(m_texts.message(Msg::CompareTake));
    m_close->setText(m_texts.message(Msg::CompareClose));
    m_list->setHeaderLabels(
        {m_texts.message(Msg::ComparePageColumn), m_texts.message(Msg::CompareCaptionColumn),
         m_texts.message(Msg::CompareWindowColumn),
         m_request.otherHeader.isEmpty() ? m_texts.message(Msg::CompareOtherColumn)
                                         : m_request.otherHeader,
         m_texts.message(Msg::CompareNoteColumn)});
}

void CompareDialog::setRequest(const CompareRequest& request) {
    m_request = request;
    m_notes.clear();
    m_filter->clear();
    m_take->setVisible(request.allowTake);
    applyTexts();
    refresh();
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    fitColumns();
    centreOnParent(this);
}

bool CompareDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

// The page and the values keep the width of their contents and the note its heading's at
// least; a caption too long for the rest gives way (elided) rather than push the note out of
// view behind a scroll bar.
void CompareDialog::fitColumns() {
    QHeaderView* header = m_list->header();
    const int room = m_list->viewport()->width();
    const int note = header->sectionSizeHint(NoteColumn);
    // A stretched last section keeps the size it was last given as its least.
    header->resizeSection(NoteColumn, note);
    int taken = note;
    for (int column : {PageColumn, WindowColumn, OtherColumn})
        taken += header->sectionSize(column);
    const QAbstractItemView* view = m_list;
    const int wanted =
        std::max(view->sizeHintForColumn(CaptionColumn), header->sectionSizeHint(CaptionColumn));
    header->resizeSection(CaptionColumn,
                          std::max(header->minimumSectionSize(), std::min(wanted, room - taken)));
}

QString CompareDialog::shownValue(const QString& value, bool available) const {
    // A parameter the firmware lacks has no value at all, unlike an empty one.
    return available ? value : QStringLiteral("--");
}

void CompareDialog::refresh() {
    QStringList selected;
    for (const QTreeWidgetItem* item : m_list->selectedItems())
        selected << rowName(item);
    m_differences = diffParameters(m_window, m_request.other, m_texts);
    m_list->clear();
    for (const ParameterDifference& d : m_differences) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(PageColumn, d.pageCaption);
        item->setData(PageColumn, Qt::UserRole, d.name);
        item->setText(CaptionColumn, d.caption);
        item->setToolTip(CaptionColumn, d.name);
        item->setText(WindowColumn, shownValue(d.thisValue, d.thisAvailable));
        item->setText(OtherColumn, shownValue(d.otherValue, d.otherAvailable));
        item->setText(NoteColumn, m_notes.value(d.name));
    }
    m_list->setVisible(!m_differences.empty());
    m_empty->setVisible(m_differences.empty());
    m_filter->setEnabled(!m_differences.empty());
    m_count->setText(m_texts.message(Msg::CompareCount).arg(m_differences.size()));
    select(selected);
    applyFilter();
    m_take->setEnabled(m_request.allowTake && !m_list->selectedItems().isEmpty());
}

void CompareDialog::applyFilter() {
    const QString wanted = m_filter->text().trimmed();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        bool match = wanted.isEmpty();
        for (int c = 0; c < ColumnCount && !match; ++c)
            match = item->text(c).contains(wanted, Qt::CaseInsensitive);
        match = match || rowName(item).compare(wanted, Qt::CaseInsensitive) == 0;
        item->setHidden(!match);
        if (!match)
            item->setSelected(false);
    }
}

void CompareDialog::setFilter(const QString& text) {
    m_filter->setText(text);
}

QStringList CompareDialog::shownNames() const {
    QStringList names;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (!m_list->topLevelItem(i)->isHidden())
            names << rowName(m_list->topLevelItem(i));
    return names;
}

void CompareDialog::select(const QStringList& names) {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        item->setSelected(names.contains(rowName(item)));
    }
}

void CompareDialog::takeSelected() {
    if (!m_request.allowTake)
        return;
    QStringList names;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->isSelected() && !item->isHidden())
            names << rowName(item);
    }
    const QChar separator = decimalSeparator();
    const auto confirmUnfitted = [this] {
        return m_messenger.ask(m_texts.get(TextSection::OTHER, 49),
                               m_texts.get(TextSection::OTHER, 48), Messenger::Icon::Stop, true);
    };
    for (const QString& name : names) {
        const TakeResult r =
            takeParameter(m_window, m_request.other, name, m_texts, separator, confirmUnfitted);
        if (r.reason.isEmpty())
            m_notes.remove(name);
        else
            m_notes.insert(name, r.reason);
    }
    refresh();
}

void CompareDialog::jumpTo(const QString& name) {
    if (name.isEmpty())
        return;
    accept();
    if (m_jump)
        m_jump(name);
}

} // namespace lumo
