// The main window's share of comparing and of marked edits: the compare view the shell opens,
// the jump from it to a field, the marks of edited fields and their count in the status bar.
#include "app/TForm1.h"
#include "params/Comparison.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/CompareDialog.h"
#include "params/ui/EditMarkPainter.h"
#include "params/ui/FieldBinder.h"
#include "shell/Shell.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace lumo {

void TForm1::setUpCompare() {
    m_editMarks = new EditMarkPainter(m_model, *m_binder, this);
    // The count sits after the file panel, which gives up the room for it.
    m_editsPanel = new QLabel(statusBar());
    m_editsPanel->setObjectName(QStringLiteral("StatusPanelEdits"));
    m_editsPanel->setFrameShape(QFrame::Panel);
    m_editsPanel->setFrameShadow(QFrame::Sunken);
    m_editsPanel->setAlignment(Qt::AlignCenter);
    m_editsPanel->setFixedWidth(74);
    m_panels[1]->setFixedWidth(m_panels[1]->width() - 74);
    m_editsPanel->installEventFilter(this);
    statusBar()->insertWidget(2, m_editsPanel);
    connect(m_editMarks, &EditMarkPainter::countChanged, this, &TForm1::refreshEditsPanel);
    m_shell.setComparisonViewer([this](const CompareRequest& request) {
        CompareDialog* dialog = compareDialog();
        dialog->setRequest(request);
        dialog->exec();
    });
}

void TForm1::refreshEditsPanel() {
    if (!m_editsPanel || !m_editMarks)
        return;
    const int count = m_editMarks->count();
    m_editsPanel->setText(count > 0 ? m_texts.message(Msg::MarkedEdits).arg(count) : QString());
}

CompareDialog* TForm1::compareDialog() {
    if (!m_compare) {
        m_compare = new CompareDialog(m_model.params(), m_texts, m_messenger, this);
        m_compare->setJump([this](const QString& name) { jumpToParameter(name); });
    }
    return m_compare;
}

void TForm1::jumpToParameter(const QString& name) {
    QWidget* target = m_binder->widget(name);
    if (const OptionGroupDef* group = findOptionGroupByBox(name))
        target = m_binder->widget(
            m_model.params().checkedOption(QString::fromLatin1(group->options.front().button)));
    // The tone-detection lists live in their own dialog, opened from the time page.
    if (target && target->window() != this)
        target = m_button1;
    if (!target)
        return;
    for (QWidget* w = target; w; w = w->parentWidget()) {
        const int page = m_pageControl1->indexOf(w);
        if (page >= 0) {
            m_pageControl1->setCurrentIndex(page);
            break;
        }
    }
    activateWindow();
    target->setFocus(Qt::OtherFocusReason);
}

} // namespace lumo
