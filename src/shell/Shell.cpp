#include "shell/Shell.h"
#include "platform/Clock.h"
#include "shell/ShellPart.h"
#include <algorithm>

namespace lumo {

Shell::Shell(Clock& clock, Messenger& messenger, ParameterModel& model, Texts& texts)
    : m_clock(clock), m_messenger(messenger), m_model(model), m_texts(texts), m_portTimer(clock) {
    m_portTimer.setTickHandler([this] { tick(); });
    m_portTimer.setPortCheckRequest([this] { return portCheckRequested(); });
    m_portTimer.setPortCheckHandler([this] { portCheck(); });
    m_wallOrigin = QDateTime::currentDateTime();
    m_clockOrigin = clock.nowMs();
}

Shell::~Shell() {
    if (m_noteTimerOn)
        m_clock.cancel(m_noteTimer);
}

QDateTime Shell::wallTime() const {
    return m_wallOrigin.addMSecs(m_clock.nowMs() - m_clockOrigin);
}

QString Shell::timeOfDay() const {
    return wallTime().time().toString(QStringLiteral("hh:mm:ss"));
}

void Shell::showNote(const QString& text) {
    if (m_noteTimerOn)
        m_clock.cancel(m_noteTimer);
    m_status.setNote(text);
    m_noteTimerOn = true;
    m_noteTimer = m_clock.runAfter(kNoteMs, [this] {
        m_noteTimerOn = false;
        m_status.setNote(QString());
    });
}

void Shell::addPart(ShellPart& part) {
    if (std::find(m_parts.begin(), m_parts.end(), &part) != m_parts.end())
        return;
    m_parts.push_back(&part);
    part.attach(*this);
}

bool Shell::showComparison(const CompareRequest& request) const {
    if (!m_comparisonViewer)
        return false;
    m_comparisonViewer(request);
    return true;
}

bool Shell::keepBackup(const BackupRequest& request) const {
    return m_backupKeeper && m_backupKeeper(request);
}

bool Shell::busy() const {
    return m_guard.busy() ||
           std::any_of(m_parts.begin(), m_parts.end(), [](ShellPart* p) { return p->busy(); });
}

void Shell::readConfig(const AppConfig& config) {
    for (ShellPart* p : m_parts)
        p->readConfig(config);
}

void Shell::writeConfig(AppConfig& config) const {
    for (ShellPart* p : m_parts)
        p->writeConfig(config);
}

void Shell::startUpFinished() {
    for (ShellPart* p : m_parts)
        p->startUpFinished();
}

void Shell::applyTexts() {
    for (ShellPart* p : m_parts)
        p->applyTexts(m_texts);
}

void Shell::tick() {
    // Every tick starts from the window colour; an exchange colours it again.
    m_indicator.reset();
    if (m_windowTick)
        m_windowTick();
    for (ShellPart* p : m_parts)
        p->portTick();
}

bool Shell::portCheckRequested() const {
    return std::any_of(m_parts.begin(), m_parts.end(),
                       [](ShellPart* p) { return p->portCheckRequested(); });
}

void Shell::portCheck() {
    for (ShellPart* p : m_parts)
        if (p->portCheckRequested())
            p->portCheck();
}

} // namespace lumo
