#pragma once
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "remote/CommandTable.h"
#include <QStringList>

namespace lumo {

// The four write groups of a remote write. Each builder fills the command table from slot 0
// with one "ATDE" + address + value + CR LF entry per parameter (expected reply "OK"), made
// from the parameter set through the remote columns of the field table, and ends it with the
// stored, unsent "Kon"/"Kon".
struct WriteGroupBuild {
    int entries = 0;       // entries without the terminator
    QStringList uncodable; // fields whose text has no remote value (a time that is no number)
    bool ok() const { return uncodable.isEmpty(); }
};

// Basic parameters: 11 entries (dialling, prefix, hang-up codes, passwords, modes, unfitted).
WriteGroupBuild BuildBasicWrite(remote::CommandTable& table, const ParameterSet& params);
// Time parameters: 12 entries.
WriteGroupBuild BuildTimeWrite(remote::CommandTable& table, const ParameterSet& params);
// Switches: 15 entries.
WriteGroupBuild BuildSwitchWrite(remote::CommandTable& table, const ParameterSet& params);
// Button memories: one entry per non-empty number field Edit1..Edit128, packed from slot 0.
// The caller adds `entries` to the write dialog's memory counter.
WriteGroupBuild BuildMemoryWrite(remote::CommandTable& table, const ParameterSet& params);

// The same by group.
WriteGroupBuild BuildWriteGroup(RemoteGroup group, remote::CommandTable& table,
                                const ParameterSet& params);

} // namespace lumo
