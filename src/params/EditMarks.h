#pragma once
#include "params/ParameterSet.h"
#include <QStringList>
#include <functional>

namespace lumo {

// The parts of the parameter set one transfer brings in: a settings read or write carries
// every parameter but the number memories, a number read or write only those.
enum class BaselinePart { All, Settings, Numbers };

// What the values of the window were when last read from the unit, loaded from a file or
// written: the fields that differ from it are the user's unsent edits, marked in the window.
// Lives beside the parameter model; widgets only paint what it reports.
class EditBaseline {
public:
    EditBaseline() = default; // the defaults of the field table, as a fresh window holds them

    const ParameterSet& values() const { return m_values; }
    // The baseline of `part` becomes what `current` holds; the other parts keep theirs.
    void reset(const ParameterSet& current, BaselinePart part = BaselinePart::All);
    // Only these parameters (fields and check boxes by name, option groups by the box that
    // holds them) take what `current` holds: a remote transfer brings in a few at a time.
    void reset(const ParameterSet& current, const QStringList& names);

    // Told after every reset (the window repaints its marks).
    void setListener(std::function<void()> listener) { m_listener = std::move(listener); }

private:
    ParameterSet m_values;
    std::function<void()> m_listener;
};

// The parameters whose value in `current` differs from `baseline`: fields by name (a field
// the firmware hides counts as empty), an option group once, by the box that holds it. The
// display-only mode and counter are the unit's state, never an edit.
QStringList editedParameters(const ParameterSet& current, const ParameterSet& baseline);
// Whether this widget's parameter is edited: a field or check box by its own value, an
// option button when its group's choice differs and it is the button now checked.
bool isEditedWidget(const QString& name, const ParameterSet& current, const ParameterSet& baseline);

} // namespace lumo
