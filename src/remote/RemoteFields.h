#pragma once
#include "params/ParameterSet.h"
#include <QStringList>
#include <vector>

namespace lumo {

struct RemoteReadResult;
struct RemoteWriteResult;

// The parameters a remote transfer brought in line with the unit, by the names the edit marks
// use (fields and check boxes by name, option groups by the box that holds them): their marks
// go, the others stay.

// The parameters held wholly in the given settings blocks (0..7) of the settings image.
QStringList settingsFieldsOfBlocks(const std::vector<int>& blocks);
// What a remote read replaced: the settings of the blocks it read once they were decoded, and
// every number memory it received whole.
QStringList fieldsReadRemotely(const RemoteReadResult& result);
// What the unit acknowledged of a remote write of `params`: the first acknowledged entries of
// each group (an entry carrying two check boxes counts for both) and the memories written.
QStringList fieldsWrittenRemotely(const RemoteWriteResult& result, const ParameterSet& params);

} // namespace lumo
