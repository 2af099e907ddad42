#pragma once
#include "params/EditMarks.h"
#include "params/ParameterSet.h"
#include "params/TransferBuffer.h"
#include <QString>

namespace lumo {

// The parameter model of a run: the parameter set the windows show (firmware version
// included), the transfer buffer the codec fills, the unit's last-read status and the name of
// the settings file the set came from. One instance lives for the whole run; the main window,
// the file commands, the transfer commands and the CLI share it by reference.
class ParameterModel {
public:
    ParameterSet& params() { return m_params; }
    const ParameterSet& params() const { return m_params; }
    TransferBuffer& buffer() { return m_buffer; }
    const TransferBuffer& buffer() const { return m_buffer; }
    // The mode, unfitted-button count and power-on count the unit reported last.
    UnitSnapshot& snapshot() { return m_snapshot; }
    const UnitSnapshot& snapshot() const { return m_snapshot; }
    const QString& firmwareVersion() const { return m_params.firmwareVersion(); }

    // What the set was when last read from the unit, loaded or written; the window marks the
    // fields that differ from it. resetBaseline() after a read, load or write clears them.
    const EditBaseline& baseline() const { return m_baseline; }
    EditBaseline& baseline() { return m_baseline; }
    void resetBaseline(BaselinePart part = BaselinePart::All) { m_baseline.reset(m_params, part); }
    void resetBaseline(const QStringList& names) { m_baseline.reset(m_params, names); }

    // Whether the set holds values read from the unit or loaded from a file in this run; a
    // write from a set that does not is asked about first.
    bool cameFromUnitOrFile() const { return m_cameFromUnitOrFile; }
    void setCameFromUnitOrFile() { m_cameFromUnitOrFile = true; }

    // The settings file last opened or saved; empty when the set has no file yet.
    const QString& settingsFileName() const { return m_settingsFileName; }
    void setSettingsFileName(const QString& fileName) { m_settingsFileName = fileName; }
    // Set by the close sequence: its Save As starts from the current file name.
    bool saveAsWithCurrentName() const { return m_saveAsWithCurrentName; }
    void setSaveAsWithCurrentName(bool on) { m_saveAsWithCurrentName = on; }

private:
    ParameterSet m_params;
    TransferBuffer m_buffer;
    UnitSnapshot m_snapshot;
    EditBaseline m_baseline;
    QString m_settingsFileName;
    bool m_saveAsWithCurrentName = false;
    bool m_cameFromUnitOrFile = false;
};

} // namespace lumo
