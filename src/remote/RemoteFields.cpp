#include "remote/RemoteFields.h"
#include "params/FieldTable.h"
#include "params/RemoteValues.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include <algorithm>

namespace lumo {

namespace {

constexpr int kBlockBytes = 16;

bool inBlocks(int position, int length, const std::vector<int>& blocks) {
    if (position <= 0)
        return false;
    for (int p = position; p < position + std::max(1, length); ++p)
        if (std::find(blocks.begin(), blocks.end(), (p - 1) / kBlockBytes) == blocks.end())
            return false;
    return true;
}

} // namespace

QStringList settingsFieldsOfBlocks(const std::vector<int>& blocks) {
    QStringList names;
    for (const FieldDef& f : fieldTable())
        if (f.memory == 0 && inBlocks(f.imagePosition, f.imageLength, blocks))
            names << QString::fromLatin1(f.name);
    for (const OptionGroupDef& g : optionGroups())
        if (inBlocks(g.imagePosition, 1, blocks))
            names << QString::fromLatin1(g.groupBox);
    return names;
}

QStringList fieldsReadRemotely(const RemoteReadResult& result) {
    QStringList names;
    if (result.settingsDecoded)
        names = settingsFieldsOfBlocks(result.blocksRead);
    for (int memory : result.memoriesRead)
        names << numberFieldName(memory - 1);
    return names;
}

QStringList fieldsWrittenRemotely(const RemoteWriteResult& result, const ParameterSet& params) {
    QStringList names;
    const RemoteGroup groups[] = {RemoteGroup::Basic, RemoteGroup::Time, RemoteGroup::Switch};
    for (int g = 0; g < 3; ++g) {
        const std::vector<RemoteEntry> entries = remoteWriteEntries(groups[g], params);
        const int acknowledged =
            std::min<int>(result.acknowledged[std::size_t(g)], int(entries.size()));
        for (int i = 0; i < acknowledged; ++i) {
            const RemoteEntry& e = entries[std::size_t(i)];
            names << e.field;
            // The fields whose value rides on this entry.
            for (const FieldDef& f : fieldTable())
                if (f.remote.group == groups[g] && f.remote.step == e.step &&
                    f.remote.coding == RemoteCoding::PartOfStep)
                    names << QString::fromLatin1(f.name);
        }
    }
    for (int memory : result.acknowledgedMemories)
        names << numberFieldName(memory);
    return names;
}

} // namespace lumo
