#include "link/TransferProgress.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <algorithm>

namespace lumo {

namespace {
constexpr int kMemories = 128;

// Bytes on the wire both ways, a fair measure of how long each transfer takes at 2400 Bd.
int weightOf(TransferKind kind) {
    switch (kind) {
    case TransferKind::Status:
        return 1 + 8;
    case TransferKind::SettingsRead:
        return 2 + 128;
    case TransferKind::NumbersRead:
        return kMemories * (3 + 16);
    case TransferKind::SettingsWrite:
        return 2 + 2 * 128;
    case TransferKind::NumbersWrite:
        return kMemories * (3 + 16 + 1);
    case TransferKind::None:
        break;
    }
    return 0;
}
} // namespace

void TransferProgress::plan(const std::vector<TransferKind>& kinds) {
    m_plan = kinds;
    m_phase = 0;
    m_started = false;
    m_position = 0;
    m_overall = 0;
}

void TransferProgress::starting(TransferKind kind) {
    // The planned transfers of this kind still to come (a skipped one is passed over).
    const size_t from = m_started ? m_phase + 1 : m_phase;
    const auto next = std::find(m_plan.begin() + std::min(from, m_plan.size()), m_plan.end(), kind);
    if (next == m_plan.end()) {
        // Not part of a plan (the port timer's status read): it counts on its own.
        plan({kind});
    } else {
        m_phase = size_t(next - m_plan.begin());
    }
    m_started = true;
    m_position = 0;
    update();
}

void TransferProgress::setPosition(int position) {
    m_position = std::clamp(position, 0, kMax);
    update();
}

TransferKind TransferProgress::kind() const {
    return m_started && m_phase < m_plan.size() ? m_plan[m_phase] : TransferKind::None;
}

void TransferProgress::update() {
    long long total = 0;
    long long done = 0;
    for (size_t i = 0; i < m_plan.size(); ++i) {
        total += weightOf(m_plan[i]);
        if (i < m_phase)
            done += weightOf(m_plan[i]);
    }
    if (total <= 0)
        return;
    if (m_started && m_phase < m_plan.size())
        done += weightOf(m_plan[m_phase]) * m_position / kMax;
    m_overall = std::max(m_overall, int(done * kMax / total));
}

QString TransferProgress::phaseText(const Texts& texts) const {
    switch (kind()) {
    case TransferKind::Status:
        return texts.message(Msg::PhaseStatus);
    case TransferKind::SettingsRead:
    case TransferKind::SettingsWrite:
        return texts.message(Msg::PhaseSettings);
    case TransferKind::NumbersRead:
    case TransferKind::NumbersWrite:
        return texts.message(Msg::PhaseMemory).arg(std::min(m_position + 1, kMemories));
    case TransferKind::None:
        break;
    }
    return {};
}

} // namespace lumo
