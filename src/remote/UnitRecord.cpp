#include "remote/UnitRecord.h"
#include "params/FieldTable.h"

namespace lumo {

HeldMemories heldMemoriesOf(const ParameterSet& params) {
    HeldMemories held;
    for (int m = 0; m < 128; ++m)
        held[std::size_t(m)] = params.text(numberFieldName(m));
    return held;
}

int knownCount(const HeldMemories& memories) {
    int n = 0;
    for (const auto& m : memories)
        n += m.has_value();
    return n;
}

void UnitRecord::noteMemory(qint64 connection, int memory, const QString& text) {
    if (memory < 0 || memory >= 128)
        return;
    if (connection != m_connection) {
        clear();
        m_connection = connection;
    }
    m_memories[std::size_t(memory)] = text;
}

HeldMemories UnitRecord::memories(qint64 connection) const {
    return connection == m_connection ? m_memories : HeldMemories{};
}

int UnitRecord::knownMemories(qint64 connection) const {
    return connection == m_connection ? knownCount(m_memories) : 0;
}

void UnitRecord::clear() {
    m_connection = -1;
    m_memories = {};
}

} // namespace lumo
