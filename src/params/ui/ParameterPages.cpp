#include "params/ui/ParameterPages.h"
#include "params/FieldTable.h"
#include "params/ui/FieldBinder.h"
#include "texts/Texts.h"
#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace lumo {

namespace {

constexpr int kRowHeight = 19;

// What sits in a frame, in row order: fields placed in it and frames nested in it.
struct Item {
    int row;
    const FieldDef* field = nullptr;
    const FrameDef* frame = nullptr;
};

std::vector<Item> itemsOf(const FrameDef& frame) {
    std::vector<Item> items;
    for (const FieldDef& f : fieldTable())
        if (f.place.frame && qstrcmp(f.place.frame, frame.name) == 0)
            items.push_back({f.place.row, &f, nullptr});
    for (const FrameDef& nested : frameTable())
        if (nested.parent && qstrcmp(nested.parent, frame.name) == 0)
            items.push_back({nested.row, nullptr, &nested});
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.row < b.row; });
    return items;
}

QString nameOf(const char* name) {
    return QString::fromLatin1(name);
}

QLineEdit* makeEdit(const FieldDef& f) {
    auto* edit = new QLineEdit;
    edit->setObjectName(nameOf(f.name));
    edit->setFixedSize(f.place.width, kRowHeight);
    return edit;
}

QLabel* makeLabel(const char* name, bool wrapped = false) {
    auto* label = new QLabel;
    label->setObjectName(nameOf(name));
    label->setWordWrap(wrapped);
    return label;
}

QGroupBox* makeBox(QWidget* parent, const FrameDef& frame) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(nameOf(frame.name));
    return box;
}

void tighten(QGridLayout* grid) {
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
}

QVBoxLayout* buttonColumn(QGroupBox* box) {
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 3);
    layout->setSpacing(0);
    return layout;
}

QWidget* buildFrame(QWidget* parent, const FrameDef& frame);

// The buttons of the option group the frame shows.
QWidget* buildOptions(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    QVBoxLayout* layout = buttonColumn(box);
    if (const OptionGroupDef* group = findOptionGroupByBox(nameOf(frame.name)))
        for (const OptionDef& option : group->options) {
            auto* radio = new QRadioButton(box);
            radio->setObjectName(nameOf(option.button));
            layout->addWidget(radio);
        }
    layout->addStretch(1);
    return box;
}

QWidget* buildChecks(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    QVBoxLayout* layout = buttonColumn(box);
    for (const Item& item : itemsOf(frame))
        if (item.field) {
            auto* check = new QCheckBox(box);
            check->setObjectName(nameOf(item.field->name));
            layout->addWidget(check);
        }
    return box;
}

QWidget* buildRows(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    auto* grid = new QGridLayout(box);
    tighten(grid);
    for (const Item& item : itemsOf(frame)) {
        if (item.frame) {
            grid->addWidget(buildFrame(box, *item.frame), item.row, 0, 1, 2);
        } else if (item.field->kind == FieldKind::Check) {
            auto* check = new QCheckBox(box);
            check->setObjectName(nameOf(item.field->name));
            grid->addWidget(check, item.row, 0, 1, 2);
        } else {
            grid->addWidget(makeLabel(item.field->labelName), item.row, 0);
            grid->addWidget(makeEdit(*item.field), item.row, 1);
        }
    }
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* buildWrappedRow(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    auto* grid = new QGridLayout(box);
    tighten(grid);
    for (const Item& item : itemsOf(frame))
        if (item.field) {
            grid->addWidget(makeLabel(item.field->labelName, true), item.row, 0);
            grid->addWidget(makeEdit(*item.field), item.row, 1, Qt::AlignBottom);
        }
    return box;
}

QWidget* buildLabelAbove(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    auto* grid = new QGridLayout(box);
    tighten(grid);
    for (const Item& item : itemsOf(frame)) {
        if (!item.field)
            continue;
        const FieldDef& f = *item.field;
        const int row = 2 * item.row;
        grid->addWidget(makeLabel(f.labelName, true), row, 0, 1, 3);
        grid->addWidget(makeEdit(f), row + 1, 1);
        if (f.place.suffixLabel) {
            QLabel* suffix = makeLabel(f.place.suffixLabel);
            suffix->setText(nameOf(f.place.suffixText));
            grid->addWidget(suffix, row + 1, 2);
        }
    }
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* buildNumberRows(QWidget* parent, const FrameDef& frame) {
    QGroupBox* box = makeBox(parent, frame);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(10, 0, 10, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    for (const Item& item : itemsOf(frame)) {
        if (!item.field)
            continue;
        auto* label = new QLabel(box);
        label->setObjectName(nameOf(item.field->labelName));
        label->setFixedHeight(kRowHeight);
        grid->addWidget(label, item.row, 0);
        grid->addWidget(makeEdit(*item.field), item.row, 1);
    }
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* buildFrame(QWidget* parent, const FrameDef& frame) {
    switch (frame.kind) {
    case FrameKind::Options:
        return buildOptions(parent, frame);
    case FrameKind::Checks:
        return buildChecks(parent, frame);
    case FrameKind::Rows:
        return buildRows(parent, frame);
    case FrameKind::WrappedRow:
        return buildWrappedRow(parent, frame);
    case FrameKind::LabelAbove:
        return buildLabelAbove(parent, frame);
    case FrameKind::NumberRows:
        return buildNumberRows(parent, frame);
    case FrameKind::BareRow:
    case FrameKind::Command:
        break; // laid out by their column
    }
    return nullptr;
}

// A bare row: its wrapped label takes the room left of its field.
QHBoxLayout* buildBareRow(const FrameDef& frame) {
    auto* row = new QHBoxLayout;
    for (const Item& item : itemsOf(frame))
        if (item.field) {
            row->addWidget(makeLabel(item.field->labelName, true), 1);
            row->addWidget(makeEdit(*item.field));
        }
    return row;
}

// Places one frame of a page column into the column's layout.
void addToColumn(QWidget* page, QBoxLayout* column, const FrameDef& frame, bool filled) {
    switch (frame.kind) {
    case FrameKind::BareRow: {
        QHBoxLayout* row = buildBareRow(frame);
        if (frame.column >= 0) // inside a column the row lines up with the frames' contents
            row->setContentsMargins(6, 4, 6, 4);
        column->addLayout(row);
        break;
    }
    case FrameKind::Command: {
        auto* button = new QPushButton(page);
        button->setObjectName(nameOf(frame.name));
        button->setEnabled(false); // the window's rules enable it
        column->addWidget(button);
        break;
    }
    default:
        column->addWidget(buildFrame(page, frame), filled ? 1 : 0);
        break;
    }
}

QWidget* buildPage(const PageDef& def) {
    auto* page = new QWidget;
    page->setObjectName(nameOf(def.name));
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, def.verticalMargin, 4, def.verticalMargin);
    outer->setSpacing(4);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(def.columnSpacing);
    outer->addLayout(columns, 1);

    const bool filled = def.style == ColumnStyle::Filled;
    std::vector<QVBoxLayout*> stacks;
    if (!filled)
        for (int stretch : def.columnStretch) {
            auto* stack = new QVBoxLayout;
            stack->setSpacing(3);
            columns->addLayout(stack, stretch);
            stacks.push_back(stack);
        }

    bool below = false;
    for (const FrameDef& frame : frameTable()) {
        if (qstrcmp(frame.page, def.name) != 0 || frame.parent)
            continue;
        if (frame.column < 0) {
            addToColumn(page, outer, frame, false);
            below = true;
        } else if (filled) {
            addToColumn(page, columns, frame, true);
        } else {
            addToColumn(page, stacks[size_t(frame.column)], frame, false);
        }
    }
    for (QVBoxLayout* stack : stacks)
        stack->addStretch(1);
    if (below) { // the columns keep their height, the rows below follow them
        outer->setStretchFactor(columns, 0);
        outer->addStretch(1);
    }
    return page;
}

void setGroupCaption(QWidget* root, const char* name, const QString& text) {
    // Pack values lose their outer blanks, so the frame captions get exactly one on each side.
    if (auto* box = root->findChild<QGroupBox*>(nameOf(name)))
        box->setTitle(QLatin1Char(' ') + text.trimmed() + QLatin1Char(' '));
}

template <typename W> void setWidgetText(QWidget* root, const char* name, const QString& text) {
    if (auto* w = root->findChild<W*>(nameOf(name)))
        w->setText(text);
}

void setHint(QWidget* root, const char* name, const QString& text) {
    if (auto* w = root->findChild<QWidget*>(nameOf(name)))
        w->setToolTip(text);
}

} // namespace

void ParameterPages::build(QTabWidget* tabs) {
    for (const PageDef& def : pageTable())
        tabs->addTab(buildPage(def), QString());
}

void ParameterPages::bindRowLabels(QTabWidget* tabs, FieldBinder& binder) {
    for (const FieldDef& f : fieldTable())
        if (f.place.frame && f.labelName)
            if (auto* label = tabs->findChild<QLabel*>(nameOf(f.labelName)))
                binder.addVisibilityFollower(nameOf(f.name), label);
}

void ParameterPages::applyTexts(QTabWidget* tabs, const Texts& t) {
    for (const PageDef& def : pageTable())
        if (QWidget* page = tabs->findChild<QWidget*>(nameOf(def.name)))
            tabs->setTabText(tabs->indexOf(page),
                             t.get(def.caption) + QString::fromLatin1(def.captionSuffix));

    for (const FrameDef& frame : frameTable()) {
        if (frame.caption && frame.kind == FrameKind::Command)
            setWidgetText<QAbstractButton>(tabs, frame.name, t.get(*frame.caption));
        else if (frame.caption)
            setGroupCaption(tabs, frame.name, t.get(*frame.caption));
        if (frame.hint)
            setHint(tabs, frame.name, t.get(*frame.hint));
    }

    for (const OptionGroupDef& group : optionGroups())
        for (const OptionDef& option : group.options) {
            setWidgetText<QAbstractButton>(tabs, option.button,
                                           t.get(option.caption) +
                                               QString::fromLatin1(option.captionSuffix));
            if (option.hint)
                setHint(tabs, option.button, QString::fromLatin1(option.hint));
        }

    for (const FieldDef& f : fieldTable()) {
        if (!f.place.frame)
            continue;
        if (f.kind == FieldKind::Check && f.caption)
            setWidgetText<QAbstractButton>(tabs, f.name, t.get(*f.caption));
        else if (f.labelName)
            setWidgetText<QLabel>(tabs, f.labelName, rowCaption(f, t));
        if (f.hint)
            setHint(tabs, f.name, t.get(*f.hint));
    }
}

} // namespace lumo
