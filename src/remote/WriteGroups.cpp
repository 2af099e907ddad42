#include "remote/WriteGroups.h"
#include "params/RemoteValues.h"
#include "platform/Cp1250.h"
#include "remote/BoxProtocol.h"

namespace lumo {

WriteGroupBuild BuildWriteGroup(RemoteGroup group, remote::CommandTable& table,
                                const ParameterSet& params) {
    WriteGroupBuild build;
    const std::vector<RemoteEntry> entries = remoteWriteEntries(group, params);
    // A full memory group is 128 entries and its terminator; the table has room for both.
    int slot = 0;
    for (const RemoteEntry& e : entries) {
        if (slot >= remote::CommandTable::kSlots - 1)
            break;
        if (!e.value)
            build.uncodable << e.field;
        // Texts go out as the control holds them, in the box's 8-bit character set.
        table.set(slot++, "ATDE" + cp1250::fromUnicode(e.code()) + kCrLf, "OK");
    }
    table.set(slot, kGroupEnd, kGroupEnd);
    build.entries = slot;
    return build;
}

WriteGroupBuild BuildBasicWrite(remote::CommandTable& table, const ParameterSet& params) {
    return BuildWriteGroup(RemoteGroup::Basic, table, params);
}

WriteGroupBuild BuildTimeWrite(remote::CommandTable& table, const ParameterSet& params) {
    return BuildWriteGroup(RemoteGroup::Time, table, params);
}

WriteGroupBuild BuildSwitchWrite(remote::CommandTable& table, const ParameterSet& params) {
    return BuildWriteGroup(RemoteGroup::Switch, table, params);
}

WriteGroupBuild BuildMemoryWrite(remote::CommandTable& table, const ParameterSet& params) {
    return BuildWriteGroup(RemoteGroup::Memory, table, params);
}

} // namespace lumo
