#pragma once
#include "params/ParameterSet.h"
#include <QString>
#include <array>
#include <optional>

namespace lumo {

// The number memories of a unit, 0..127 (DAY 1..64, NIGHT 1..64), as the number fields show
// them; an unset slot is a memory whose contents are not known.
using HeldMemories = std::array<std::optional<QString>, 128>;

// Every memory known: the number fields of a parameter set (a settings file holding what the
// unit holds).
HeldMemories heldMemoriesOf(const ParameterSet& params);
int knownCount(const HeldMemories& memories);

// What the unit holds as far as one connection has seen it: the number memories a remote read
// received whole and those a remote write had acknowledged. Kept on the link, stamped with the
// connection it was filled in (the time the connect sequence completed), so a new connection
// starts with nothing known.
class UnitRecord {
public:
    void noteMemory(qint64 connection, int memory, const QString& text);
    // What is known of `connection`; nothing when the record belongs to another one.
    HeldMemories memories(qint64 connection) const;
    int knownMemories(qint64 connection) const;
    void clear();

private:
    qint64 m_connection = -1;
    HeldMemories m_memories;
};

} // namespace lumo
