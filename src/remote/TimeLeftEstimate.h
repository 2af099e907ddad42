#pragma once
#include "remote/RemoteReadView.h"
#include <algorithm>

namespace lumo {

// Time left of a remote procedure: the fixed pauses still ahead, plus the time the exchanges
// have taken beyond their pauses so far, per exchange, for each exchange still to come. Before
// the first exchange is done only the pauses count.
class TimeLeftEstimate {
public:
    void reset() { m_started = false; }
    qint64 update(qint64 nowMs, const RemoteProgress& p) {
        if (!m_started) {
            m_started = true;
            m_startMs = nowMs;
            m_startPausesMs = p.msLeft;
            m_startIndex = p.overallIndex;
            return p.msLeft;
        }
        const int done = p.overallIndex - m_startIndex;
        if (done <= 0)
            return p.msLeft;
        const qint64 beyondPauses =
            std::max<qint64>(0, (nowMs - m_startMs) - (m_startPausesMs - p.msLeft));
        const int ahead = std::max(0, p.overallCount - p.overallIndex + 1);
        return p.msLeft + beyondPauses * ahead / done;
    }

private:
    bool m_started = false;
    qint64 m_startMs = 0;
    qint64 m_startPausesMs = 0;
    int m_startIndex = 0;
};

} // namespace lumo
