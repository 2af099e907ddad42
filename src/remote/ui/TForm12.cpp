#include "remote/ui/TForm12.h"
#include "platform/Messenger.h"
#include "remote/RemoteLink.h"
#include "remote/RemoteWriteCheck.h"
#include "remote/ui/ReadProgressText.h"
#include "shell/ui/DialogPlacement.h"
#include "shell/ui/NamedWidget.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include "texts/ui/ApplyTexts.h"
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace lumo {

namespace {

unsigned rgb(WriteLabelColour colour) {
    switch (colour) {
    case WriteLabelColour::ButtonFace:
        return 0xF0F0F0;
    case WriteLabelColour::Lime:
        return 0x00FF00;
    case WriteLabelColour::MoneyGreen:
        return 0xC0DCC0;
    case WriteLabelColour::Green:
        return 0x008000;
    case WriteLabelColour::Red:
        return 0xFF0000;
    case WriteLabelColour::SkyBlue:
        return 0xA6CAF0;
    }
    return 0xF0F0F0;
}

QString colourStyle(WriteLabelColour colour) {
    return QStringLiteral("background-color: #%1;").arg(rgb(colour), 6, 16, QLatin1Char('0'));
}

QString minutes(qint64 ms) {
    const qint64 s = (std::max<qint64>(0, ms) + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

bool endsTheWrite(RemoteWriteState s) {
    return s == RemoteWriteState::Done || s == RemoteWriteState::Stopped ||
           s == RemoteWriteState::Failed || s == RemoteWriteState::Halted ||
           s == RemoteWriteState::Cancelled;
}

} // namespace

// The read-back's view: its progress goes into the write dialog; its messages become the reason
// of the one answer the check gives, and a halted read ends the check.
class TForm12::CheckView : public RemoteReadView {
public:
    explicit CheckView(TForm12& form) : m_form(form) {}
    void stateChanged(RemoteReadState, RemoteReadState to) override {
        if (to == RemoteReadState::Halted)
            m_form.checkHalted();
    }
    void progress(const RemoteProgress& p) override { m_form.checkProgress(p); }
    void showMessage(const QString& text) override { m_form.checkMessage(text); }

private:
    TForm12& m_form;
};

TForm12::TForm12(RemoteLink& link, const Texts& texts, Messenger& messenger, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_link(link), m_texts(texts), m_messenger(messenger) {
    setObjectName(QStringLiteral("TForm12"));
    setFixedSize(480, 332);

    m_groupBox1 = named(new QGroupBox, "GroupBox1", this, {10, 6, 230, 220});
    m_checkBox1 = named(new QCheckBox, "CheckBox1", m_groupBox1, {10, 22, 210, 20});
    m_checkBox2 = named(new QCheckBox, "CheckBox2", m_groupBox1, {10, 44, 210, 20});
    m_checkBox3 = named(new QCheckBox, "CheckBox3", m_groupBox1, {10, 66, 210, 20});
    m_checkBox4 = named(new QCheckBox, "CheckBox4", m_groupBox1, {10, 88, 210, 20});
    m_checkBox7 = named(new QCheckBox, "CheckBox7", m_groupBox1, {28, 110, 192, 20});
    m_button5 = named(new QPushButton, "Button5", m_groupBox1, {28, 132, 192, 24});
    // Where the unit's contents come from takes two lines in Czech.
    m_label5 = named(new QLabel, "Label5", m_groupBox1, {28, 158, 192, 32});
    m_label5->setTextFormat(Qt::PlainText);
    m_label5->setWordWrap(true);
    m_label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_checkBox6 = named(new QCheckBox, "CheckBox6", m_groupBox1, {10, 194, 210, 20});

    m_groupBox2 = named(new QGroupBox, "GroupBox2", this, {250, 6, 220, 84});
    m_checkBox5 = named(new QCheckBox, "CheckBox5", m_groupBox2, {10, 22, 200, 20});
    m_edit1 = named(new QLineEdit, "Edit1", m_groupBox2, {10, 48, 200, 24});

    m_groupBox3 = named(new QGroupBox, "GroupBox3", this, {250, 96, 220, 130});
    m_button1 = named(new QPushButton, "Button1", m_groupBox3, {10, 24, 96, 28});
    m_button2 = named(new QPushButton, "Button2", m_groupBox3, {114, 24, 96, 28});
    m_button4 = named(new QPushButton, "Button4", m_groupBox3, {10, 62, 96, 28});
    m_button3 = named(new QPushButton, "Button3", m_groupBox3, {114, 62, 96, 28});

    m_label1 = named(new QLabel, "Label1", this, {10, 236, 36, 20});
    m_label2 = named(new QLabel, "Label2", this, {52, 236, 44, 20});
    for (QLabel* l : {m_label1, m_label2}) {
        l->setAlignment(Qt::AlignCenter);
        l->setAutoFillBackground(true);
    }
    m_label3 = named(new QLabel, "Label3", this, {104, 236, 366, 20});
    m_progress1 = named(new QProgressBar, "ProgressBar1", this, {10, 262, 460, 16});
    m_progress1->setTextVisible(false);
    m_label4 = named(new QLabel, "Label4", this, {10, 284, 460, 40});
    m_label4->setWordWrap(true);
    m_label4->setTextFormat(Qt::PlainText);

    connect(m_button1, &QPushButton::clicked, this, &TForm12::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TForm12::Button2Click);
    connect(m_button3, &QPushButton::clicked, this, &TForm12::Button3Click);
    connect(m_button4, &QPushButton::clicked, this, &TForm12::Button4Click);
    connect(m_button5, &QPushButton::clicked, this, &TForm12::Button5Click);
    connect(m_checkBox5, &QCheckBox::clicked, this, &TForm12::CheckBox5Click);
    connect(m_checkBox4, &QCheckBox::toggled, this, [this] { refreshOnlyChanged(); });
    m_checkView = std::make_unique<CheckView>(*this);
    applyTexts(m_texts);
    showIdle();
}

TForm12::~TForm12() {
    // Without a checker the link may be gone already; setChecker(nullptr) cancelled the task.
    if (m_checker)
        m_link.clock().cancel(m_checkTask);
}

void TForm12::setChecker(RemoteWriteCheck* checker, const ParameterSet* written) {
    if (!checker && m_checker)
        m_link.clock().cancel(m_checkTask);
    m_checkTask = 0;
    m_checker = checker;
    m_written = written;
}

RemoteReadView& TForm12::checkView() {
    return *m_checkView;
}

const WindowTexts& TForm12::textPlaces() {
    using P = TextPlace;
    auto k = [](int key) { return TextKey{TextSection::REMOTE, key}; };
    static const WindowTexts places{
        QStringLiteral("TForm12"),
        {P::caption(k(33)), P::group(k(34), "GroupBox1"), P::group(k(35), "GroupBox2"),
         P::group(k(36), "GroupBox3"), P::text(k(37), "CheckBox1"), P::text(k(38), "CheckBox2"),
         P::text(k(39), "CheckBox3"), P::text(k(40), "CheckBox4"), P::text(k(41), "CheckBox5"),
         P::text(k(42), "Button1"), P::text(k(5), "Button2"), P::text(k(64), "Button3"),
         P::text(k(61), "Button4"), P::text(k(62), "CheckBox7"), P::text(k(63), "Button5"),
         P::text(k(60), "CheckBox6")}};
    return places;
}

void TForm12::applyTexts(const Texts& texts) {
    applyTextPlaces(*this, textPlaces().places, texts);
    refreshOnlyChanged();
}

QString TForm12::r(int key) const {
    return m_texts.get(TextSection::REMOTE, key);
}

void TForm12::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParent(this);
    FormShow();
}

void TForm12::FormShow() {
    m_label2->clear();
    m_label1->clear();
    m_label1->setStyleSheet(colourStyle(WriteLabelColour::ButtonFace));
    m_label2->setStyleSheet(colourStyle(WriteLabelColour::ButtonFace));
    m_progress1->setRange(0, 100);
    m_progress1->setValue(0);
    for (QCheckBox* c : {m_checkBox1, m_checkBox2, m_checkBox3, m_checkBox4})
        c->setChecked(true);
    m_checkBox5->setChecked(false);
    m_checkBox7->setChecked(false);
    m_checkBox6->setChecked(m_verifyDefault);
    const QDateTime when = m_stamp.isValid() ? m_stamp : QDateTime::currentDateTime();
    m_edit1->setText(RemoteReport::defaultName(RemoteReport::Kind::Write, when, QLocale()));
    m_label3->clear();
    m_label4->clear();
    m_closeWhenStopped = false;
    m_lastOutcome = RemoteWriteState::Idle;
    showIdle();
}

bool TForm12::resumeOffered() const {
    if (!m_resume || !m_engine || m_resume->connection != m_link.connectionStartMs ||
        !m_link.Connected)
        return false;
    // Same parameters, same selection, same unit contents: the very same entries.
    return m_engine->planKey(m_resume->request) == m_resume->result.planKey;
}

std::optional<HeldMemories> TForm12::unitContents() const {
    if (m_fileContents)
        return m_fileContents;
    const HeldMemories read = m_link.unitMemories();
    if (knownCount(read) > 0)
        return read;
    return std::nullopt;
}

void TForm12::refreshOnlyChanged() {
    const bool running = (m_engine && m_engine->running()) || m_checking;
    const std::optional<HeldMemories> held = unitContents();
    if (m_fileContents)
        m_label5->setText(r(77).arg(m_fileName));
    else if (held)
        m_label5->setText(r(76).arg(knownCount(*held)));
    else
        m_label5->clear();
    const bool available = held.has_value() && m_checkBox4->isChecked();
    if (!available)
        m_checkBox7->setChecked(false);
    m_checkBox7->setEnabled(available && !running);
    m_button5->setEnabled(!running);
}

void TForm12::showIdle() {
    showRunning(false);
}

void TForm12::showRunning(bool running) {
    for (QCheckBox* c : {m_checkBox1, m_checkBox2, m_checkBox3, m_checkBox4})
        c->setEnabled(!running);
    m_edit1->setEnabled(!running && !m_checkBox5->isChecked());
    m_checkBox5->setEnabled(!running);
    m_checkBox6->setEnabled(!running && m_checker);
    // A connection lost under the write leaves nothing to write through.
    m_button1->setEnabled(!running && !m_link.boxLost());
    m_button3->setEnabled(running && m_engine && m_engine->running() && !m_engine->stopRequested());
    const bool offer = !running && resumeOffered();
    m_button4->setVisible(offer);
    m_button4->setEnabled(offer);
    refreshOnlyChanged();
    if (offer) {
        const RemoteWriteResult& res = m_resume->result;
        m_label4->setText(r(74).arg(acknowledgedText(res, m_resume->request)) + QLatin1Char(' ') +
                          r(75).arg(res.resumeStep + 1).arg(groupName(res.resumeGroup)));
    }
}

QString TForm12::groupName(int group) const {
    return group >= 1 && group <= 4 ? r(36 + group) : QString();
}

QString TForm12::acknowledgedText(const RemoteWriteResult& result,
                                  const RemoteWriteRequest& request) const {
    return RemoteWriteEngine::acknowledgedSummary(result, request.groups, m_texts);
}

RemoteWriteRequest TForm12::selection() const {
    RemoteWriteRequest request;
    request.groups = {m_checkBox1->isChecked(), m_checkBox2->isChecked(), m_checkBox3->isChecked(),
                      m_checkBox4->isChecked()};
    if (m_checkBox7->isChecked() && m_checkBox4->isChecked())
        request.unitContents = unitContents();
    return request;
}

void TForm12::Button1Click() {
    if (!m_engine || m_engine->running())
        return;
    startWrite(selection());
}

void TForm12::Button4Click() {
    if (!m_engine || m_engine->running() || !resumeOffered())
        return;
    RemoteWriteRequest request = m_resume->request;
    m_checkBox1->setChecked(request.groups[0]);
    m_checkBox2->setChecked(request.groups[1]);
    m_checkBox3->setChecked(request.groups[2]);
    m_checkBox4->setChecked(request.groups[3]);
    request.resumeGroup = m_resume->result.resumeGroup;
    request.resumeStep = m_resume->result.resumeStep;
    startWrite(request);
}

bool TForm12::startWrite(const RemoteWriteRequest& request) {
    m_estimate.reset();
    m_label3->clear();
    m_label4->clear();
    m_lastOutcome = RemoteWriteState::Idle;
    RemoteWriteRequest asStarted = request;
    asStarted.resumeGroup = asStarted.resumeStep = 0;
    m_verifyThis = m_checker && m_written && m_checkBox6->isChecked();
    if (m_running)
        m_running(true);
    const bool started = m_engine->start(
        request, m_report.isOpen() ? &m_report : nullptr,
        [this, asStarted](const RemoteWriteResult& result) { finished(result, asStarted); });
    if (!started) {
        m_verifyThis = false;
        if (m_running)
            m_running(false);
        return false;
    }
    showRunning(true);
    return true;
}

void TForm12::finished(const RemoteWriteResult& result, const RemoteWriteRequest& request) {
    m_lastResult = result;
    if (result.resumeGroup != 0 && result.outcome != RemoteWriteState::Done)
        m_resume = Resume{request, result, m_link.connectionStartMs};
    else
        m_resume.reset();
    // The read-back keeps the line, and the exchange with it, until it has ended.
    const bool check = m_verifyThis && result.outcome == RemoteWriteState::Done && !m_closing;
    m_verifyThis = false;
    if (m_running && !check)
        m_running(false);
    if (m_onFinished)
        m_onFinished(result);
    // The engine closed the report with the write; a new one gets a name of its own.
    m_checkBox5->setChecked(false);
    m_edit1->setText(RemoteReport::defaultName(RemoteReport::Kind::Write,
                                               QDateTime::currentDateTime(), QLocale()));
    if (m_closing)
        return;
    if (check) {
        m_checking = true;
        m_checkCancelled = false;
        m_checkReason.clear();
        showRunning(true);
        // No group is being written any more.
        m_label1->clear();
        m_label2->clear();
        m_label1->setStyleSheet(colourStyle(WriteLabelColour::ButtonFace));
        m_label2->setStyleSheet(colourStyle(WriteLabelColour::ButtonFace));
        m_label3->clear();
        m_label4->setText(r(43));
        m_progress1->setRange(0, 1);
        m_progress1->setValue(0);
        // Out of the write's own report: the read-back starts once its call has returned.
        m_checkTask = m_link.clock().runAfter(0, [this, request, result] {
            m_checkTask = 0;
            startCheck(request, result);
        });
        return;
    }
    if (result.outcome == RemoteWriteState::Stopped) {
        if (m_closeWhenStopped) {
            m_closeWhenStopped = false;
            done(QDialog::Rejected);
            return;
        }
        showRunning(false);
        if (!resumeOffered())
            m_label4->setText(r(79) + QLatin1Char(' ') +
                              r(74).arg(acknowledgedText(result, request)));
        return;
    }
    showRunning(false);
    if (result.boxLost)
        m_label4->setText(
            m_texts.message(Msg::RemoteWriteLost).arg(acknowledgedText(result, request)));
}

void TForm12::Button2Click() {
    if (m_engine && m_engine->running() && m_engine->state() != RemoteWriteState::Halted) {
        // A write lasts up to a quarter of an hour: Storno stops it cleanly, after the unit
        // has acknowledged the entry in flight, rather than cutting the entry off.
        if (!m_messenger.ask(r(70), r(71)))
            return;
        m_closeWhenStopped = true;
        Button3Click();
        return;
    }
    done(QDialog::Rejected);
}

void TForm12::Button3Click() {
    if (!m_engine || !m_engine->running())
        return;
    m_engine->requestStop();
    if (m_engine && m_engine->running()) {
        m_button3->setEnabled(false);
        m_label4->setText(r(73));
    }
}

void TForm12::Button5Click() {
    if (!m_chooseFile || !m_loadFile)
        return;
    const QString path = m_chooseFile();
    if (path.isEmpty())
        return;
    ParameterSet held;
    QString error;
    if (!m_loadFile(path, held, &error)) {
        m_messenger.message(error);
        return;
    }
    m_fileContents = heldMemoriesOf(held);
    m_fileName = QFileInfo(path).fileName();
    refreshOnlyChanged();
}

void TForm12::CheckBox5Click() {
    if (!m_checkBox5->isChecked()) {
        m_report.close();
        m_edit1->setEnabled(true);
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_report.open(QDir::currentPath(), m_edit1->text(), RemoteReport::Kind::Write, now,
                       QLocale())) {
        m_checkBox5->setChecked(false);
        m_messenger.message(r(78).arg(m_report.error()));
        return;
    }
    m_edit1->setEnabled(false);
}

void TForm12::done(int result) {
    if (m_closing) {
        QDialog::done(result);
        return;
    }
    // The window's close button while writing asks as Storno does.
    if (m_engine && m_engine->running() && m_engine->state() != RemoteWriteState::Halted &&
        !m_closeWhenStopped) {
        Button2Click();
        return;
    }
    closeNow(result);
}

void TForm12::closeNow(int result) {
    m_closing = true;
    FormClose();
    QDialog::done(result);
    m_closing = false;
}

void TForm12::FormClose() {
    // Storno or the window's close button during the read-back: nothing is claimed.
    if (m_checking)
        cancelCheck();
    if (m_engine && m_engine->running())
        m_engine->close(); // resumes the keep-alive
    m_checkBox5->setChecked(false);
    m_report.close();
    m_fileContents.reset();
    m_fileName.clear();
}

// --- what the engine shows ---

void TForm12::stateChanged(RemoteWriteState, RemoteWriteState to) {
    if (endsTheWrite(to))
        m_lastOutcome = to;
}

void TForm12::setGroupLabel(int group, WriteLabelColour colour) {
    m_group = group;
    m_label1->setText(QString::number(group));
    m_label1->setStyleSheet(colourStyle(colour));
}

void TForm12::setEntryLabel(const QString& text, WriteLabelColour colour) {
    m_label2->setText(text);
    m_label2->setStyleSheet(colourStyle(colour));
}

void TForm12::setProgressRange(int max) {
    m_progress1->setRange(0, max);
}

void TForm12::setProgressBar(int value) {
    if (value > m_progress1->maximum())
        m_progress1->setMaximum(value);
    m_progress1->setValue(value);
}

void TForm12::progress(const RemoteProgress& p) {
    const qint64 left = m_estimate.update(m_link.clock().nowMs(), p);
    m_label3->setText(r(72)
                          .arg(p.groupIndex)
                          .arg(p.groupCount)
                          .arg(p.overallIndex)
                          .arg(p.overallCount)
                          .arg(minutes(left)));
}

void TForm12::closeDialog() {
    // A stopped write keeps the dialog open to say what the unit acknowledged and to offer
    // the rest, and so does a write whose box went away; the end of the write and its other
    // failures close it.
    // A completed write that is to be checked stays in view for its read-back.
    if (m_lastOutcome == RemoteWriteState::Stopped || m_closing ||
        (m_lastOutcome == RemoteWriteState::Failed && m_link.boxLost()) ||
        (m_lastOutcome == RemoteWriteState::Done && m_verifyThis))
        return;
    closeNow(QDialog::Accepted);
}

void TForm12::showMessage(const QString& text) {
    m_messenger.message(text);
}

// --- the read-back after a completed write ---

void TForm12::startCheck(const RemoteWriteRequest& request, const RemoteWriteResult& result) {
    if (!m_checking)
        return;
    const bool started =
        m_checker && m_written &&
        m_checker->start(*m_written, request, result,
                         [this](const WriteCheck& check) { checkFinished(check); });
    if (!started) {
        // Nothing was written that could be read back: the write ends as without the check.
        endCheck();
        closeNow(QDialog::Accepted);
    }
}

void TForm12::checkFinished(const WriteCheck& check) {
    if (m_checkCancelled || !m_checking) {
        endCheck();
        return;
    }
    // The answer comes once the read's own call has returned: its last message is still on
    // the way and is part of the answer.
    m_link.clock().cancel(m_checkTask);
    m_checkTask = m_link.clock().runAfter(0, [this, check] {
        m_checkTask = 0;
        const QString reason = m_checkReason;
        endCheck();
        if (isVisible())
            closeNow(QDialog::Accepted);
        if (m_onChecked)
            m_onChecked(check, reason);
    });
}

void TForm12::endCheck() {
    if (!m_checking)
        return;
    m_checking = false;
    m_checkCancelled = false;
    if (m_checker)
        m_link.clock().cancel(m_checkTask);
    m_checkTask = 0;
    if (m_running)
        m_running(false);
    m_label3->clear();
    m_label4->clear();
    showRunning(false);
}

void TForm12::cancelCheck() {
    if (!m_checking)
        return;
    m_checkCancelled = true;
    if (m_checker && m_checker->running())
        m_checker->cancel(); // the read closes and the keep-alive resumes
    endCheck();
}

void TForm12::abortCheck() {
    if (!m_checking)
        return;
    m_checkCancelled = true;
    if (m_checker && m_checker->running())
        m_checker->abort();
    endCheck();
}

void TForm12::checkProgress(const RemoteProgress& p) {
    m_label3->setText(readProgressText(m_texts, p));
    m_label4->setText(r(43) + QLatin1Char(' ') +
                      m_texts.message(Msg::RemoteTimeLeft).arg(minutes(p.msLeft)));
    m_progress1->setRange(0, std::max(1, p.overallCount));
    m_progress1->setValue(std::clamp(p.overallIndex - 1, 0, std::max(1, p.overallCount)));
}

void TForm12::checkHalted() {
    // A wait inside the read ran out: the check ends as failed rather than waiting for Storno.
    if (!m_checking || m_checkCancelled)
        return;
    m_link.clock().cancel(m_checkTask);
    m_checkTask = m_link.clock().runAfter(0, [this] {
        m_checkTask = 0;
        if (m_checker && m_checker->running())
            m_checker->cancel();
    });
}

void TForm12::checkMessage(const QString& text) {
    // A read that lost its box speaks of parameters taken into the window; the read-back took
    // none, so only the loss itself is the reason.
    m_checkReason =
        m_link.boxLost() ? m_texts.message(Msg::BoxLost).arg(m_link.selectedSerial()) : text;
}

} // namespace lumo
