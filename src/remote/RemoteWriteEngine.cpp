#include "remote/RemoteWriteEngine.h"
#include "params/FieldTable.h"
#include "params/Validation.h"
#include "remote/BoxProtocol.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include "remote/WriteGroups.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <utility>

namespace lumo {

namespace {

RemoteGroup groupKind(int group) {
    switch (group) {
    case 1:
        return RemoteGroup::Basic;
    case 2:
        return RemoteGroup::Time;
    case 3:
        return RemoteGroup::Switch;
    default:
        return RemoteGroup::Memory;
    }
}

const char* groupName(int group) {
    switch (group) {
    case 1:
        return "basic";
    case 2:
        return "time";
    case 3:
        return "switches";
    default:
        return "memories";
    }
}

} // namespace

QString remoteWriteStateName(RemoteWriteState state) {
    switch (state) {
    case RemoteWriteState::Idle:
        return QStringLiteral("Idle");
    case RemoteWriteState::Starting:
        return QStringLiteral("Starting");
    case RemoteWriteState::Writing:
        return QStringLiteral("Writing");
    case RemoteWriteState::Halted:
        return QStringLiteral("Halted");
    case RemoteWriteState::Done:
        return QStringLiteral("Done");
    case RemoteWriteState::Stopped:
        return QStringLiteral("Stopped");
    case RemoteWriteState::Failed:
        return QStringLiteral("Failed");
    case RemoteWriteState::Cancelled:
        return QStringLiteral("Cancelled");
    }
    return {};
}

RemoteWriteEngine::RemoteWriteEngine(RemoteLink& link, ConnectionEngine& connection,
                                     const ParameterSet& params, const Texts& texts,
                                     RemoteWriteView& view)
    : m_link(link), m_connection(connection), m_params(params), m_texts(texts), m_view(view),

      m_pickUp(link, kTickMs,
               {[this] { return m_state == RemoteWriteState::Writing; }, [this] { tick(); },
                [this] { loseBox(); }, [this] { onReply(); }}) {}

RemoteWriteEngine::~RemoteWriteEngine() = default;

ParameterSet RemoteWriteEngine::memorySource(const ParameterSet& params,
                                             const std::optional<HeldMemories>& unitContents) {
    ParameterSet source = params;
    if (!unitContents)
        return source;
    for (int memory = 0; memory < 128; ++memory) {
        const std::optional<QString>& held = (*unitContents)[std::size_t(memory)];
        const QString name = numberFieldName(memory);
        if (held && params.text(name).trimmed() == held->trimmed())
            source.setText(name, QString());
    }
    return source;
}

RemoteWriteEngine::Plan RemoteWriteEngine::plan(const RemoteWriteRequest& request) const {
    Plan p;
    const ParameterSet memories = memorySource(m_params, request.unitContents);
    for (int group = 1; group <= 4; ++group) {
        remote::CommandTable table;
        const WriteGroupBuild build =
            BuildWriteGroup(groupKind(group), table, group == 4 ? memories : m_params);
        auto& split = p.split[std::size_t(group - 1)];
        const bool selected = request.groups[std::size_t(group - 1)];
        if (selected)
            p.key += QByteArray::number(group) + ':';
        for (int i = 0; i < build.entries; ++i) {
            split.push_back(SplitLongCommand(table.command(i)).has_value());
            if (selected)
                p.key += table.command(i);
        }
    }
    // The memory group packs the non-empty number fields in order.
    for (int memory = 0; memory < 128; ++memory)
        if (!memories.text(numberFieldName(memory)).isEmpty())
            p.memoryOf.push_back(memory);
    return p;
}

qint64 RemoteWriteEngine::pausesFrom(const Plan& plan, const std::array<bool, 4>& groups, int group,
                                     int step, bool groupStarted) {
    qint64 ms = 0;
    for (int g = group; g <= 4; ++g) {
        if (!groups[std::size_t(g - 1)])
            continue;
        const auto& split = plan.split[std::size_t(g - 1)];
        const int first = g == group ? step : 0;
        if (first >= int(split.size()))
            continue;
        if (!(g == group && groupStarted))
            ms += kGroupWaitMs;
        for (int i = first; i < int(split.size()); ++i) {
            if (i > first || (g == group && groupStarted))
                ms += kAckWaitMs + (g == 4 ? kMemoryWaitMs : kEntryWaitMs);
            if (split[std::size_t(i)])
                ms += kSplitWaitMs;
        }
    }
    return ms;
}

qint64 RemoteWriteEngine::fixedPausesMs(const RemoteWriteRequest& request) const {
    const Plan p = plan(request);
    const int group = request.resumeGroup > 0 ? request.resumeGroup : 1;
    const int step = request.resumeGroup > 0 ? request.resumeStep : 0;
    return kStartWaitMs + pausesFrom(p, request.groups, group, step, false);
}

QByteArray RemoteWriteEngine::planKey(const RemoteWriteRequest& request) const {
    return plan(request).key;
}

QString RemoteWriteEngine::validationMessage() const {
    return invalidValuesMessage(validateForUnit(m_params, m_texts), m_texts);
}

void RemoteWriteEngine::setState(RemoteWriteState state) {
    if (state == m_state)
        return;
    const RemoteWriteState from = m_state;
    m_state = state;
    m_view.stateChanged(from, state);
}

void RemoteWriteEngine::log(const QByteArray& line) {
    if (m_report)
        m_report->line(line);
}

QByteArray RemoteWriteEngine::stepCommand() const {
    return m_link.table.command(m_link.StepIndex);
}

bool RemoteWriteEngine::start(const RemoteWriteRequest& request, RemoteReport* report,
                              Finished finished) {
    if (m_state != RemoteWriteState::Idle || !m_connection.isConnected())
        return false;
    const QString invalid = validationMessage();
    if (!invalid.isEmpty()) {
        m_view.showMessage(invalid);
        return false;
    }
    if (!m_connection.suspend())
        return false;
    m_request = request;
    m_report = report;
    m_finished = std::move(finished);
    m_result = {};
    m_stopRequested = false;
    m_inFlight = false;
    m_plan = plan(request);
    m_result.planKey = m_plan.key;
    for (int g = 0; g < 4; ++g)
        m_result.entries[std::size_t(g)] = int(m_plan.split[std::size_t(g)].size());
    // Entries before the resume point were acknowledged by the earlier write.
    if (request.resumeGroup > 0) {
        for (int g = 1; g <= 4; ++g) {
            const std::size_t i = std::size_t(g - 1);
            if (g < request.resumeGroup)
                m_result.acknowledged[i] = request.groups[i] ? m_result.entries[i] : 0;
            else if (g == request.resumeGroup)
                m_result.acknowledged[i] = std::min(request.resumeStep, m_result.entries[i]);
        }
    }
    setState(RemoteWriteState::Starting);
    m_view.setProgressBar(1);
    RemoteCounters& c = m_link.counters;
    c.ReplyTimeouts = c.ErrCount = c.MismatchCount = c.PollTicks = 0;
    c.RetryLimit = 10;
    m_link.DiscardInput();
    m_pickUp.pause(kStartWaitMs, [this] {
        m_memoryCounter = 0;
        autopora();
        if (m_finishedFlag)
            finish(RemoteWriteState::Done, true);
    });
    return true;
}

void RemoteWriteEngine::autopora() {
    m_pickUp.stop();
    m_finishedFlag = true;
    m_group = 0;
    {
        remote::CommandTable scratch;
        m_memoryCounter +=
            BuildMemoryWrite(scratch, memorySource(m_params, m_request.unitContents)).entries;
    }
    const auto& g = m_request.groups;
    const bool any = g[0] || g[1] || g[2] || g[3];
    const bool onlyEmptyMemories = !g[0] && !g[1] && !g[2] && g[3] && m_memoryCounter == 0;
    if (!any || onlyEmptyMemories)
        return;
    m_finishedFlag = false;
    log("START\r\n");
    setState(RemoteWriteState::Writing);
    autoporadi();
}

bool RemoteWriteEngine::buildGroup(int group) {
    const ParameterSet source =
        group == 4 ? memorySource(m_params, m_request.unitContents) : m_params;
    const WriteGroupBuild build = BuildWriteGroup(groupKind(group), m_link.table, source);
    if (group == 4) {
        m_memoryCounter += build.entries;
        m_link.StepCount = m_memoryCounter / 2 + 1;
    } else {
        m_link.StepCount = build.entries;
    }
    return build.entries > 0;
}

void RemoteWriteEngine::autoporadi() {
    m_pickUp.stop();
    int next = m_group + 1;
    const int firstGroup = m_request.resumeGroup > 0 ? m_request.resumeGroup : 1;
    while (next <= 4 && (!m_request.groups[std::size_t(next - 1)] || next < firstGroup))
        ++next;
    if (next > 4) {
        m_finishedFlag = true;
        finish(RemoteWriteState::Done, true);
        return;
    }
    m_group = next;
    buildGroup(m_group);
    const int startStep = m_group == m_request.resumeGroup ? m_request.resumeStep : 0;
    if (startStep >= m_result.entries[std::size_t(m_group - 1)]) {
        autoporadi(); // everything of this group was acknowledged already
        return;
    }
    m_view.setGroupLabel(m_group, WriteLabelColour::ButtonFace);
    m_view.setProgressRange(m_link.StepCount + 2);
    m_view.setProgressBar(1);
    m_link.StepIndex = startStep;
    reportProgress(false);
    m_pickUp.pause(kGroupWaitMs, [this] { sendEntry(); });
}

void RemoteWriteEngine::sendEntry() {
    const QByteArray command = stepCommand();
    m_inFlight = true;
    ++m_result.sent;
    const std::optional<SplitCommand> split = SplitLongCommand(command);
    if (!split) {
        log("> " + command);
        m_link.BoxSend(command);
        m_pickUp.pickUp();
        return;
    }
    // No tick runs while the first part waits for its acknowledgement.
    m_view.setGroupLabel(m_group, WriteLabelColour::Lime);
    m_link.BoxSend(split->first);
    log("> 1part " + split->first);
    m_link.ReceiveBuffer.clear();
    const QByteArray second = split->second;
    m_pickUp.waitPasses(
        kSplitPasses, EndsWithOk,
        [this, second] {
            log("< " + m_link.ReceiveBuffer);
            m_link.ReceiveBuffer.clear();
            m_view.setGroupLabel(m_group, WriteLabelColour::MoneyGreen);
            m_pickUp.pause(kSplitWaitMs, [this, second] {
                m_link.BoxSend(second);
                log("> 2part " + second);
                m_pickUp.pickUp();
            });
        },
        [this] {
            halt(m_texts.get(TextSection::REMOTE, 28) +
                 QStringLiteral(" - timeout first part of number ") +
                 QString::number(m_link.StepIndex));
        });
}

// Runs only while writing and with the box there.
void RemoteWriteEngine::tick() {
    RemoteCounters& c = m_link.counters;
    const QByteArray command = stepCommand();
    if (++c.PollTicks > kReplyTimeoutTicks) {
        m_view.setGroupLabel(m_group, WriteLabelColour::Green);
        log("> " + command);
        m_link.BoxSend(command);
        ++m_result.sent;
        c.PollTicks = 0;
        if (++c.ReplyTimeouts > c.RetryLimit) {
            fail(QStringLiteral(" 'Timeout of Repeat'"));
            return;
        }
        m_link.DiscardInput();
        m_pickUp.continueTicking();
        return;
    }
    m_pickUp.poll();
}

void RemoteWriteEngine::onReply() {
    RemoteCounters& c = m_link.counters;
    const QByteArray command = stepCommand();
    m_view.setProgressBar(m_link.StepIndex + 2);
    log("< " + m_link.ReceiveBuffer);
    c.ReplyTimeouts = c.PollTicks = 0;
    const QByteArray reply = ReplyText(m_link.ReceiveBuffer);
    if (reply == kErrReply) {
        m_view.setGroupLabel(m_group, WriteLabelColour::Red);
        m_link.ReceiveBuffer.clear();
        m_pickUp.pause(kEntryWaitMs, [this, command] {
            log("> " + command);
            m_link.BoxSend(command);
            ++m_result.sent;
            if (++m_link.counters.ErrCount > m_link.counters.RetryLimit) {
                fail(QStringLiteral(" 'Timeout of ERR'"));
                return;
            }
            m_pickUp.pickUp();
        });
        return;
    }
    c.ErrCount = 0;
    if (reply != m_link.table.reply(m_link.StepIndex)) {
        m_link.ReceiveBuffer.clear();
        if (++c.MismatchCount > c.RetryLimit) {
            fail(QStringLiteral(" 'Not replay' ") + QString::fromLatin1(command) +
                 QStringLiteral("'"));
            return;
        }
        m_pickUp.pickUp();
        return;
    }
    acknowledged();
}

void RemoteWriteEngine::acknowledged() {
    m_link.ReceiveBuffer.clear();
    m_link.counters.MismatchCount = 0;
    m_view.setGroupLabel(m_group, WriteLabelColour::ButtonFace);
    m_inFlight = false;
    ++m_link.StepIndex;
    const std::size_t g = std::size_t(m_group - 1);
    m_result.acknowledged[g] = std::min(m_link.StepIndex, m_result.entries[g]);
    if (m_group == 4 && m_link.StepIndex - 1 < int(m_plan.memoryOf.size())) {
        // The unit holds this number now: a later only-changed write need not send it again.
        const int memory = m_plan.memoryOf[std::size_t(m_link.StepIndex - 1)];
        m_link.noteUnitMemory(memory, m_params.text(numberFieldName(memory)));
    }
    if (m_stopRequested) {
        finish(RemoteWriteState::Stopped, true);
        return;
    }
    if (m_link.StepIndex >= m_link.StepCount) {
        autoporadi();
        return;
    }
    reportProgress(true);
    m_pickUp.pause(kAckWaitMs, [this] {
        if (stepCommand() == kGroupEnd) {
            autoporadi();
            return;
        }
        int pause = kEntryWaitMs;
        if (m_group == 4) {
            m_entryToggle = !m_entryToggle;
            m_view.setEntryLabel(QString::number(m_link.StepIndex),
                                 m_entryToggle ? WriteLabelColour::SkyBlue
                                               : WriteLabelColour::ButtonFace);
            pause = kMemoryWaitMs;
        } else {
            m_view.setEntryLabel(QString(), WriteLabelColour::ButtonFace);
        }
        m_pickUp.pause(pause, [this] { sendEntry(); });
    });
}

void RemoteWriteEngine::reportProgress(bool pauseAhead) {
    RemoteProgress p;
    p.group = QString::fromLatin1(groupName(m_group));
    const std::size_t g = std::size_t(m_group - 1);
    p.groupCount = m_result.entries[g];
    p.groupIndex = std::min(m_link.StepIndex + 1, p.groupCount);
    for (int i = 0; i < 4; ++i) {
        if (!m_request.groups[std::size_t(i)])
            continue;
        p.overallCount += m_result.entries[std::size_t(i)];
        if (i + 1 < m_group)
            p.overallIndex += m_result.entries[std::size_t(i)];
    }
    p.overallIndex += p.groupIndex;
    p.msLeft = pausesFrom(m_plan, m_request.groups, m_group, m_link.StepIndex, pauseAhead);
    m_view.progress(p);
}

void RemoteWriteEngine::requestStop() {
    if (m_state != RemoteWriteState::Writing && m_state != RemoteWriteState::Starting)
        return;
    m_stopRequested = true;
    // Nothing on the line: during the start's wait, a group's wait or the pause before an
    // entry the write ends at once.
    if (!m_inFlight)
        finish(RemoteWriteState::Stopped, true);
}

void RemoteWriteEngine::fail(const QString& suffix) {
    m_result.message = m_texts.get(TextSection::REMOTE, 27) + suffix;
    finish(RemoteWriteState::Failed, true);
    m_view.showMessage(m_result.message);
}

void RemoteWriteEngine::loseBox() {
    log("LINE BOX LOST");
    m_result.boxLost = true;
    // Nothing to resume on a box that is gone: the connection ends with the write.
    finish(RemoteWriteState::Failed, false);
    m_connection.lose(QString());
    m_view.showMessage(m_result.message);
}

QString RemoteWriteEngine::acknowledgedSummary(const RemoteWriteResult& result,
                                               const std::array<bool, 4>& groups,
                                               const Texts& texts) {
    auto r = [&texts](int key) { return texts.get(TextSection::REMOTE, key); };
    QStringList parts;
    for (int g = 1; g <= 4; ++g) {
        const std::size_t i = std::size_t(g - 1);
        if (groups[i])
            parts << r(80).arg(r(36 + g)).arg(result.acknowledged[i]).arg(result.entries[i]);
    }
    QString text = parts.join(QStringLiteral(", "));
    if (!result.acknowledgedMemories.empty()) {
        // Runs of three or more buttons as "DEN 1–30", so that a long write stopped late still
        // fits the write dialog.
        const std::vector<int>& acked = result.acknowledgedMemories;
        auto button = [](int m) { return QString::number(m < 64 ? m + 1 : m - 63); };
        auto name = [&](int m) {
            return (m < 64 ? texts.message(Msg::DayMode) : texts.message(Msg::NightMode)) +
                   QLatin1Char(' ') + button(m);
        };
        QStringList memories;
        for (std::size_t first = 0; first < acked.size();) {
            std::size_t last = first;
            while (last + 1 < acked.size() && acked[last + 1] == acked[last] + 1 &&
                   (acked[last + 1] < 64) == (acked[first] < 64))
                ++last;
            if (last - first >= 2) {
                memories << name(acked[first]) + QChar(0x2013) + button(acked[last]);
            } else {
                for (std::size_t i = first; i <= last; ++i)
                    memories << name(acked[i]);
            }
            first = last + 1;
        }
        text += QStringLiteral("; ") + r(81).arg(memories.join(QStringLiteral(", ")));
    }
    return text;
}

void RemoteWriteEngine::halt(const QString& message) {
    m_pickUp.stop();
    m_result.message = message;
    setState(RemoteWriteState::Halted);
    m_view.showMessage(message);
    // Storno is awaited with nothing on the line, but a box pulled out meanwhile still ends
    // the write and the connection while the dialog waits rather than after it closes.
    m_pickUp.watchHalted([this] { return m_state == RemoteWriteState::Halted; });
}

void RemoteWriteEngine::close() {
    if (m_state == RemoteWriteState::Idle)
        return;
    finish(m_state == RemoteWriteState::Halted ? RemoteWriteState::Halted
                                               : RemoteWriteState::Cancelled,
           true);
}

void RemoteWriteEngine::abort() {
    if (m_state != RemoteWriteState::Idle)
        finish(RemoteWriteState::Cancelled, false);
}

void RemoteWriteEngine::finish(RemoteWriteState outcome, bool resume) {
    m_pickUp.stop();
    m_pickUp.cancelPause();
    m_result.outcome = outcome;
    m_result.resumeGroup = 0;
    m_result.resumeStep = 0;
    for (int g = 1; g <= 4; ++g) {
        const std::size_t i = std::size_t(g - 1);
        if (m_request.groups[i] && m_result.acknowledged[i] < m_result.entries[i]) {
            m_result.resumeGroup = g;
            m_result.resumeStep = m_result.acknowledged[i];
            break;
        }
    }
    m_result.acknowledgedMemories.clear();
    if (m_request.groups[3])
        for (int i = 0; i < m_result.acknowledged[3] && i < int(m_plan.memoryOf.size()); ++i)
            m_result.acknowledgedMemories.push_back(m_plan.memoryOf[std::size_t(i)]);
    if (m_report) {
        if (outcome != RemoteWriteState::Done || m_result.resumeGroup != 0) {
            // Which entries the unit acknowledged: the first n of each group, and for the
            // memories their buttons (DAY 1..64, NIGHT 65..128).
            QByteArray summary = "ACK";
            for (int g = 0; g < 4; ++g) {
                if (m_request.groups[std::size_t(g)])
                    summary += ' ' + QByteArray(groupName(g + 1)) + ' ' +
                               QByteArray::number(m_result.acknowledged[std::size_t(g)]) + '/' +
                               QByteArray::number(m_result.entries[std::size_t(g)]);
            }
            log(summary);
            if (m_request.groups[3]) {
                QByteArray memories = "ACK memories:";
                for (int m : m_result.acknowledgedMemories)
                    memories += ' ' + QByteArray::number(m + 1);
                log(memories);
            }
            if (m_result.resumeGroup != 0)
                log("NEXT " + QByteArray(groupName(m_result.resumeGroup)) + ' ' +
                    QByteArray::number(m_result.resumeStep + 1));
        }
        m_report->close();
    }
    m_report = nullptr;
    if (m_result.boxLost)
        m_result.message = m_connection.boxLostMessage() + QLatin1Char(' ') +
                           m_texts.message(Msg::RemoteWriteLost)
                               .arg(acknowledgedSummary(m_result, m_request.groups, m_texts));
    setState(outcome);
    setState(RemoteWriteState::Idle);
    m_view.closeDialog();
    if (resume)
        m_connection.resumeKeepAlive();
    if (auto finished = std::exchange(m_finished, {}))
        finished(m_result);
}

} // namespace lumo
