#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace lumo {

// The unit's mode, unfitted-button count and power-on count as reported by the status read
// that precedes a write.
struct UnitSnapshot {
    QString mode;
    QString unfitted;
    QString counter;
    friend bool operator==(const UnitSnapshot&, const UnitSnapshot&) = default;
};

// The whole parameter set of the unit, keyed by the name of the control that shows it:
// Edit1..Edit158, RadioButton1..RadioButton25, CheckBox1..CheckBox5, ComboBox1..ComboBox3,
// plus the firmware version text. Besides the value each entry has the enabled and visible
// state that the file loader and the firmware rules set.
//
// Setting values from data (decode, file load, JSON) never runs the field rules: the
// switch-mode rule is run by the window only on a user's click (see FieldRules.h).
// A plain value type: copy it to work on a candidate and assign it back when complete.
class ParameterSet {
public:
    using Listener = std::function<void(const QString& name)>;

    ParameterSet(); // the defaults of the field table
    ParameterSet(const ParameterSet& other);
    ParameterSet& operator=(const ParameterSet& other); // notifies for every entry that changed

    bool contains(const QString& name) const;

    // Edit* and ComboBox*.
    QString text(const QString& name) const;
    void setText(const QString& name, const QString& value);

    // RadioButton* and CheckBox*. Checking an option button clears the other buttons of its
    // group; clearing an option button directly is ignored (a group always has one checked).
    bool isChecked(const QString& name) const;
    void setChecked(const QString& name, bool checked);

    // The checked button of the option group that `anyButton` belongs to.
    QString checkedOption(const QString& anyButton) const;

    bool isEnabled(const QString& name) const;
    void setEnabled(const QString& name, bool enabled);
    bool isVisible(const QString& name) const;
    void setVisible(const QString& name, bool visible);

    const QString& firmwareVersion() const { return m_firmwareVersion; }
    void setFirmwareVersion(const QString& version);

    // Restores every value, enabled and visible state to the defaults (firmware version empty).
    void resetToDefaults();

    // Value equality over every parameter (states and firmware version included).
    bool sameValues(const ParameterSet& other) const;

    // Called after any value or state change with the entry's name ("FirmwareVersion" for
    // the version). Not copied with the values.
    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    struct DefaultsTag {};
    explicit ParameterSet(DefaultsTag);

    struct Entry {
        QString name;
        QString text;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        bool operator==(const Entry&) const = default;
    };
    Entry* find(const QString& name);
    const Entry* find(const QString& name) const;
    void notify(const QString& name);

    std::vector<Entry> m_entries;
    QString m_firmwareVersion;
    Listener m_listener;
};

} // namespace lumo
