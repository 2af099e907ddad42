#include "remote/ui/TForm11.h"
#include "platform/Messenger.h"
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
#include <QProgressBar>
#include <QPushButton>

namespace lumo {

namespace {

constexpr int kColumns = 8;
constexpr int kBoxWidth = 44;
constexpr int kBoxHeight = 20;
constexpr int kProgressMax = 8;

QString memoryBoxName(int memory) {
    return memory <= 64 ? QStringLiteral("DayBox%1").arg(memory)
                        : QStringLiteral("NightBox%1").arg(memory - 64);
}

// "m:ss", or "h:mm:ss" from an hour on; rounded up, so that nothing shows 0:00 too early.
QString duration(qint64 ms) {
    const qint64 s = (ms + 999) / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TForm11::TForm11(RemoteLink& link, ConnectionEngine& connection, ParameterSet& params,
                 const Texts& texts, Messenger& messenger, QWidget* parent)
    : QDialog(parent), m_texts(texts), m_messenger(messenger),
      m_engine(link, connection, params, texts, *this), m_reportFolder(QDir::currentPath()) {
    setObjectName(QStringLiteral("Form11"));
    setModal(true);
    const int groupWidth = kColumns * kBoxWidth + 16;
    const int groupHeight = 8 * kBoxHeight + 28;
    setFixedSize(2 * groupWidth + 50, 406);

    // The outer frame leaves a margin right of the NIGHT group as left of the DAY group.
    m_group1 = named(new QGroupBox, "GroupBox1", this, {10, 6, 2 * groupWidth + 30, 260});
    m_group2 = named(new QGroupBox, "GroupBox2", m_group1, {10, 20, 2 * groupWidth + 10, 44});
    m_check1 = named(new QCheckBox, "CheckBox1", m_group2, {10, 18, 300, 20});
    m_groupDay = named(new QGroupBox, "GroupBox3", m_group1, {10, 68, groupWidth, groupHeight});
    m_groupNight =
        named(new QGroupBox, "GroupBox4", m_group1, {20 + groupWidth, 68, groupWidth, groupHeight});
    for (int k = 1; k <= 128; ++k) {
        const int i = (k - 1) % 64;
        QGroupBox* group = k <= 64 ? m_groupDay : m_groupNight;
        auto* box = named(new QCheckBox, memoryBoxName(k), group,
                          {8 + (i % kColumns) * kBoxWidth, 22 + (i / kColumns) * kBoxHeight,
                           kBoxWidth, kBoxHeight});
        box->setText(QString::number(i + 1));
        m_memories[std::size_t(k - 1)] = box;
    }

    const int lowerTop = 272;
    m_groupLog = named(new QGroupBox, "GroupBox5", this, {10, lowerTop, 380, 76});
    m_check2 = named(new QCheckBox, "CheckBox2", m_groupLog, {10, 22, 130, 22});
    m_edit1 = named(new QLineEdit, "Edit1", m_groupLog, {140, 20, 230, 24});
    m_reportLabel = named(new QLabel, "Label8", m_groupLog, {10, 50, 360, 18});

    m_groupOps = named(new QGroupBox, "GroupBox6", this, {400, lowerTop, width() - 410, 76});
    m_button1 = named(new QPushButton, "Button1", m_groupOps, {10, 26, 120, 28});
    m_button2 = named(new QPushButton, "Button2", m_groupOps, {140, 26, 120, 28});
    m_label5 = named(new QLabel, "Label5", m_groupOps, {270, 30, 60, 20});
    m_label5->setAutoFillBackground(true);

    m_progress1 = named(new QProgressBar, "ProgressBar1", this, {10, lowerTop + 84, 380, 16});
    m_progress1->setRange(0, kProgressMax);
    m_progress1->setTextVisible(false);
    m_entryLabel = named(new QLabel, "Label6", this, {400, lowerTop + 80, width() - 410, 18});
    m_timeLabel = named(new QLabel, "Label7", this, {400, lowerTop + 98, width() - 410, 18});

    connect(m_button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    connect(m_check2, &QCheckBox::clicked, this, &TForm11::CheckBox2Click);
    applyTexts(texts);
}

TForm11::~TForm11() {
    m_engine.abort();
}

const WindowTexts& TForm11::textPlaces() {
    using P = TextPlace;
    using S = TextSection;
    static const WindowTexts places{
        QStringLiteral("Form11"),
        {P::caption({S::REMOTE, 8}), P::group({S::REMOTE, 9}, "GroupBox1"),
         P::group({S::REMOTE, 10}, "GroupBox2"), P::text({S::REMOTE, 10}, "CheckBox1"),
         P::group({S::REMOTE, 11}, "GroupBox5"), P::text({S::REMOTE, 12}, "CheckBox2"),
         P::group({S::REMOTE, 13}, "GroupBox6"), P::text({S::REMOTE, 14}, "Button1"),
         P::text({S::REMOTE, 5}, "Button2"), P::group({S::REMOTE, 15}, "GroupBox3"),
         P::group({S::REMOTE, 16}, "GroupBox4")}};
    return places;
}

void TForm11::applyTexts(const Texts& texts) {
    applyTextPlaces(*this, textPlaces().places, texts);
}

void TForm11::setStamp(const QDateTime& when, const QLocale& locale) {
    m_when = when;
    m_locale = locale;
}

RemoteReadRequest TForm11::request() const {
    RemoteReadRequest r;
    r.settings = m_check1->isChecked();
    for (std::size_t i = 0; i < m_memories.size(); ++i)
        r.memories[i] = m_memories[i]->isChecked();
    return r;
}

QCheckBox* TForm11::memoryBox(int memory) const {
    return memory >= 1 && memory <= 128 ? m_memories[std::size_t(memory - 1)] : nullptr;
}

void TForm11::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_engine.running())
        return;
    centreOnParent(this);
    if (!m_when.isValid())
        m_when = QDateTime::currentDateTime();
    m_progress1->setValue(0);
    m_check1->setChecked(true);
    m_edit1->setText(RemoteReport::defaultName(RemoteReport::Kind::Read, m_when, m_locale));
    m_label5->clear();
    m_label5->setStyleSheet(QString());
    for (int k : {1, 2, 65, 66})
        m_memories[std::size_t(k - 1)]->setChecked(true);
    m_check2->setChecked(false);
    m_reportLabel->clear();
    m_entryLabel->clear();
    m_timeLabel->clear();
    setSelectionEnabled(true);
}

void TForm11::CheckBox2Click(bool checked) {
    if (!checked) {
        m_report.close();
        m_reportLabel->clear();
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_report.open(m_reportFolder, m_edit1->text(), RemoteReport::Kind::Read, now, m_locale)) {
        // The read goes on without a report; say which file and why.
        const QString reason = m_report.error().mid(m_report.path().size() + 2);
        m_check2->setChecked(false);
        m_messenger.message(
            m_texts.message(Msg::ReadReportNotCreated).arg(m_report.path(), reason));
        return;
    }
    m_reportLabel->setText(
        m_texts.message(Msg::RemoteReportName).arg(QDir::toNativeSeparators(m_report.path())));
}

void TForm11::Button1Click() {
    if (m_engine.running())
        return;
    m_entryLabel->clear();
    m_timeLabel->clear();
    m_engine.start(request(), m_report.isOpen() ? &m_report : nullptr,
                   [this](const RemoteReadResult& result) {
                       if (m_onFinished)
                           m_onFinished(result);
                   });
}

void TForm11::Button2Click() {
    done(QDialog::Rejected);
}

void TForm11::done(int result) {
    if (m_closing)
        return;
    m_closing = true;
    // `FormClose`: the read stops and the keep-alive resumes; the log closes.
    if (m_engine.running())
        m_engine.close();
    m_report.close();
    m_check2->setChecked(false);
    m_closing = false;
    if (isVisible())
        QDialog::done(result);
}

void TForm11::setSelectionEnabled(bool enabled) {
    m_group1->setEnabled(enabled);
    m_check2->setEnabled(enabled);
    m_edit1->setEnabled(enabled);
    m_button1->setEnabled(enabled);
}

void TForm11::stateChanged(RemoteReadState, RemoteReadState to) {
    setSelectionEnabled(to == RemoteReadState::Idle);
}

void TForm11::setProgressBar(int value) {
    m_progress1->setValue(std::clamp(value, 0, kProgressMax));
}

void TForm11::setCounter(const QString& text) {
    m_label5->setText(text);
}

void TForm11::progress(const RemoteProgress& p) {
    m_entryLabel->setText(readProgressText(m_texts, p));
    m_timeLabel->setText(m_texts.message(Msg::RemoteTimeLeft).arg(duration(p.msLeft)));
}

void TForm11::closeDialog() {
    done(QDialog::Accepted);
}

void TForm11::showMessage(const QString& text) {
    m_messenger.message(text);
}

} // namespace lumo
