#include "params/WriteCheck.h"
#include "params/Codec.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "params/TransferBuffer.h"
#include <algorithm>

namespace lumo {

namespace {

// The remote group of a parameter: its field's, or its option group's.
RemoteGroup remoteGroupOf(const QString& name) {
    if (const FieldDef* f = findField(name))
        return f->remote.group;
    if (const OptionGroupDef* g = findOptionGroupByBox(name))
        return g->remote.group;
    return RemoteGroup::None;
}

} // namespace

WrittenParameters locallyWritten(bool settings, bool numbers) {
    return [settings, numbers](const QString& name) {
        if (const FieldDef* f = findField(name))
            return f->memory > 0 ? numbers : settings && f->imagePosition > 0;
        const OptionGroupDef* g = findOptionGroupByBox(name);
        return settings && g && g->imagePosition > 0;
    };
}

WrittenParameters remotelyWritten(const std::array<bool, 3>& groups,
                                  const std::vector<int>& memories) {
    return [groups, memories](const QString& name) {
        if (const FieldDef* f = findField(name); f && f->memory > 0)
            return std::find(memories.begin(), memories.end(), f->memory - 1) != memories.end();
        switch (remoteGroupOf(name)) {
        case RemoteGroup::Basic:
            return groups[0];
        case RemoteGroup::Time:
            return groups[1];
        case RemoteGroup::Switch:
            return groups[2];
        case RemoteGroup::None:
        case RemoteGroup::Memory:
            break;
        }
        return false;
    };
}

ParameterSet expectedAfterWrite(const ParameterSet& written, bool settings, bool numbers,
                                const Texts& texts) {
    ParameterSet out = written;
    TransferBuffer buffer;
    Codec codec(out, buffer, texts);
    if (settings) {
        codec.EncodeSettings();
        codec.DecodeSettings(codec.settingsImageFromBuffer());
    }
    if (numbers)
        for (int memory = 0; memory < 128; ++memory) {
            codec.EncodeNumberMemory(memory);
            codec.DecodeNumberMemory(codec.numberImageFromBuffer(), memory);
        }
    return out;
}

WriteCheck checkWrite(ParameterSet expected, const ParameterSet& held,
                      const WrittenParameters& written, const Texts& texts) {
    expected.setFirmwareVersion(held.firmwareVersion());
    applyFirmwareRules(expected);
    WriteCheck check;
    check.held = held;
    for (ParameterDifference& d : diffParameters(expected, held, texts))
        if (written(d.name))
            check.differences.push_back(std::move(d));
    check.outcome =
        check.differences.empty() ? WriteCheck::Outcome::Verified : WriteCheck::Outcome::Differs;
    return check;
}

ParameterSet heldForComparison(const ParameterSet& window, const WriteCheck& check) {
    ParameterSet out = window;
    for (const ParameterDifference& d : check.differences) {
        if (const OptionGroupDef* g = findOptionGroupByBox(d.name)) {
            out.setChecked(check.held.checkedOption(QString::fromLatin1(g->options.front().button)),
                           true);
            continue;
        }
        const FieldDef* f = findField(d.name);
        if (!f)
            continue;
        if (f->kind == FieldKind::Check)
            out.setChecked(d.name, check.held.isChecked(d.name));
        else
            out.setText(d.name, check.held.isVisible(d.name) ? check.held.text(d.name) : QString());
    }
    return out;
}

} // namespace lumo
