#include "params/ParameterSet.h"
#include "params/FieldTable.h"
#include <QHash>

namespace lumo {

namespace {

// Entry index by name, shared by every parameter set (the layout never changes).
const QHash<QString, int>& entryIndex() {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        int i = 0;
        for (const QString& name : allParameterNames())
            h.insert(name, i++);
        return h;
    }();
    return index;
}

} // namespace

ParameterSet::ParameterSet() : ParameterSet(DefaultsTag{}) {}

ParameterSet::ParameterSet(const ParameterSet& other)
    : m_entries(other.m_entries), m_firmwareVersion(other.m_firmwareVersion) {}

ParameterSet& ParameterSet::operator=(const ParameterSet& other) {
    if (this == &other)
        return *this;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i] == other.m_entries[i])
            continue;
        m_entries[i] = other.m_entries[i];
        notify(m_entries[i].name);
    }
    if (m_firmwareVersion != other.m_firmwareVersion) {
        m_firmwareVersion = other.m_firmwareVersion;
        notify(QStringLiteral("FirmwareVersion"));
    }
    return *this;
}

ParameterSet::Entry* ParameterSet::find(const QString& name) {
    const int i = entryIndex().value(name, -1);
    return i < 0 ? nullptr : &m_entries[size_t(i)];
}

const ParameterSet::Entry* ParameterSet::find(const QString& name) const {
    const int i = entryIndex().value(name, -1);
    return i < 0 ? nullptr : &m_entries[size_t(i)];
}

void ParameterSet::notify(const QString& name) {
    if (m_listener)
        m_listener(name);
}

bool ParameterSet::contains(const QString& name) const {
    return find(name) != nullptr;
}

QString ParameterSet::text(const QString& name) const {
    const Entry* e = find(name);
    return e ? e->text : QString();
}

void ParameterSet::setText(const QString& name, const QString& value) {
    Entry* e = find(name);
    if (!e || e->text == value)
        return;
    e->text = value;
    notify(name);
}

bool ParameterSet::isChecked(const QString& name) const {
    const Entry* e = find(name);
    return e && e->checked;
}

void ParameterSet::setChecked(const QString& name, bool checked) {
    Entry* e = find(name);
    if (!e)
        return;
    const OptionGroupDef* group = findOptionGroup(name);
    if (!group) {
        if (e->checked != checked) {
            e->checked = checked;
            notify(name);
        }
        return;
    }
    if (!checked || e->checked)
        return;
    for (const OptionDef& o : group->options) {
        Entry* sibling = find(QString::fromLatin1(o.button));
        if (sibling != e && sibling->checked) {
            sibling->checked = false;
            notify(sibling->name);
        }
    }
    e->checked = true;
    notify(name);
}

QString ParameterSet::checkedOption(const QString& anyButton) const {
    const OptionGroupDef* group = findOptionGroup(anyButton);
    if (!group)
        return {};
    for (const OptionDef& o : group->options)
        if (isChecked(QString::fromLatin1(o.button)))
            return QString::fromLatin1(o.button);
    return {};
}

bool ParameterSet::isEnabled(const QString& name) const {
    const Entry* e = find(name);
    return e && e->enabled;
}

void ParameterSet::setEnabled(const QString& name, bool enabled) {
    Entry* e = find(name);
    if (!e || e->enabled == enabled)
        return;
    e->enabled = enabled;
    notify(name);
}

bool ParameterSet::isVisible(const QString& name) const {
    const Entry* e = find(name);
    return e && e->visible;
}

void ParameterSet::setVisible(const QString& name, bool visible) {
    Entry* e = find(name);
    if (!e || e->visible == visible)
        return;
    e->visible = visible;
    notify(name);
}

void ParameterSet::setFirmwareVersion(const QString& version) {
    if (m_firmwareVersion == version)
        return;
    m_firmwareVersion = version;
    notify(QStringLiteral("FirmwareVersion"));
}

void ParameterSet::resetToDefaults() {
    *this = ParameterSet(DefaultsTag{});
}

ParameterSet::ParameterSet(DefaultsTag) {
    for (const QString& name : allParameterNames())
        m_entries.push_back(Entry{name, {}, false, true, true});
    for (const FieldDef& f : fieldTable()) {
        Entry* e = find(QString::fromLatin1(f.name));
        if (f.kind == FieldKind::Check)
            e->checked = QLatin1String(f.defaultValue) == QLatin1String("1");
        else
            e->text = QString::fromUtf8(f.defaultValue);
        // A text field that depends on the firmware (the prefix) is hidden until a firmware
        // or a file shows it.
        if (f.kind == FieldKind::Text && f.firmware != FirmwareCondition::Always)
            e->visible = false;
    }
    for (const OptionGroupDef& g : optionGroups())
        find(QString::fromLatin1(g.defaultButton))->checked = true;
}

bool ParameterSet::sameValues(const ParameterSet& other) const {
    return m_entries == other.m_entries && m_firmwareVersion == other.m_firmwareVersion;
}

} // namespace lumo
