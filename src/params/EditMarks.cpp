#include "params/EditMarks.h"
#include "params/FieldTable.h"

namespace lumo {

namespace {

bool sameField(const FieldDef& f, const ParameterSet& a, const ParameterSet& b) {
    // The mode and counter show the unit's state; nobody types them.
    if (f.filter == KeyFilter::DisplayOnly)
        return true;
    const QString name = QString::fromLatin1(f.name);
    if (f.kind == FieldKind::Check)
        return a.isChecked(name) == b.isChecked(name);
    const QString x = a.isVisible(name) ? a.text(name) : QString();
    const QString y = b.isVisible(name) ? b.text(name) : QString();
    return x == y;
}

} // namespace

void EditBaseline::reset(const ParameterSet& current, BaselinePart part) {
    if (part == BaselinePart::All) {
        m_values = current;
    } else {
        // Start from the part that moves and put back what the other part had.
        ParameterSet next = part == BaselinePart::Settings ? current : m_values;
        const ParameterSet& numbersFrom = part == BaselinePart::Settings ? m_values : current;
        for (const FieldDef& f : fieldTable())
            if (f.memory > 0) {
                const QString name = QString::fromLatin1(f.name);
                next.setText(name, numbersFrom.text(name));
            }
        m_values = next;
    }
    if (m_listener)
        m_listener();
}

void EditBaseline::reset(const ParameterSet& current, const QStringList& names) {
    for (const QString& name : names) {
        if (const OptionGroupDef* g = findOptionGroupByBox(name)) {
            m_values.setChecked(
                current.checkedOption(QString::fromLatin1(g->options.front().button)), true);
            continue;
        }
        const FieldDef* f = findField(name);
        if (!f)
            continue;
        if (f->kind == FieldKind::Check)
            m_values.setChecked(name, current.isChecked(name));
        else
            m_values.setText(name, current.text(name));
        m_values.setVisible(name, current.isVisible(name));
    }
    if (!names.isEmpty() && m_listener)
        m_listener();
}

QStringList editedParameters(const ParameterSet& current, const ParameterSet& baseline) {
    QStringList names;
    for (const FieldDef& f : fieldTable())
        if (!sameField(f, current, baseline))
            names << QString::fromLatin1(f.name);
    for (const OptionGroupDef& g : optionGroups()) {
        const QString first = QString::fromLatin1(g.options.front().button);
        if (current.checkedOption(first) != baseline.checkedOption(first))
            names << QString::fromLatin1(g.groupBox);
    }
    return names;
}

bool isEditedWidget(const QString& name, const ParameterSet& current,
                    const ParameterSet& baseline) {
    if (findOptionGroup(name))
        return current.isChecked(name) &&
               current.checkedOption(name) != baseline.checkedOption(name);
    const FieldDef* f = findField(name);
    return f && !sameField(*f, current, baseline);
}

} // namespace lumo
