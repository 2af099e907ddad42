#pragma once
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include <QString>
#include <optional>
#include <vector>

namespace lumo {

// The values the remote write groups send, made from the parameter set through the remote
// columns of the field table. The builders of the line-box command table put "ATDE" in front
// and CR LF after each entry and end the group with its terminator.

// One entry of a write group: the DTMF programming code is address + value.
struct RemoteEntry {
    int step;        // order in the group (memories: the memory 1..128)
    QString field;   // the field or option group it comes from
    QString address; // "41", "6#", "321", "105"...
    // nullopt when the field's text cannot be coded (a time that is not a decimal number);
    // validateForUnit refuses such sets, so callers that check first never see one.
    std::optional<QString> value;
    QString code() const { return address + value.value_or(QString()); }
};

// The entries of a group in step order. Basic, time and switch groups always give 11, 12 and
// 15 entries; the memory group gives one entry per non-empty number memory, packed.
std::vector<RemoteEntry> remoteWriteEntries(RemoteGroup group, const ParameterSet& params);

// The value one field sends; nullopt also for fields without a remote entry of their own
// (RemoteCoding::None and PartOfStep).
std::optional<QString> remoteValue(const FieldDef& field, const ParameterSet& params);
// The remote code of the checked button of an option group.
std::optional<QString> remoteValue(const OptionGroupDef& group, const ParameterSet& params);

// The call-time code of the time group: `half` is one half minute in the locale's format.
QString talkTimeCode(const QString& text, const QString& half);
// A dialling number as the unit takes it over the line: F -> "*#", P -> "*0", "*" -> "**".
QString escapeMemoryNumber(const QString& number);

} // namespace lumo
