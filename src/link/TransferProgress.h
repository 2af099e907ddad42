#pragma once
#include "link/TransferView.h"
#include <QString>
#include <vector>

namespace lumo {

class Texts;

// One progress over the transfers of a command, for the transfer window: over "Načíst vše"
// the bar goes once from empty to full across the status, settings and number reads instead
// of starting again at each, and a phase line says where the command stands ("Nastavení",
// "Paměť 37 ze 128"). Each transfer counts by the bytes it puts on the wire.
class TransferProgress {
public:
    static constexpr int kMax = 127; // the bar's range, as for one transfer

    // The transfers a command is about to run, in order; empty when it ended (each transfer
    // then counts on its own).
    void plan(const std::vector<TransferKind>& kinds);
    // A transfer of `kind` starts: the next planned one of that kind, or one on its own.
    void starting(TransferKind kind);
    // The running transfer's own position, 0..127 (a number transfer's is its block).
    void setPosition(int position);

    // Where the whole command stands, 0..kMax; it never goes back within a command.
    int overall() const { return m_overall; }
    TransferKind kind() const;
    int position() const { return m_position; }
    // The phase line: "Stav vrátného", "Nastavení" or "Paměť 37 ze 128".
    QString phaseText(const Texts& texts) const;

private:
    void update();

    std::vector<TransferKind> m_plan;
    size_t m_phase = 0;
    bool m_started = false; // the transfer at m_phase has started
    int m_position = 0;
    int m_overall = 0;
};

} // namespace lumo
