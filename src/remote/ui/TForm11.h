#pragma once
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteReport.h"
#include "texts/TextPlaces.h"
#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace lumo {

class ConnectionEngine;
class Messenger;
class ParameterSet;
class RemoteLink;
class Texts;

// The read dialog "Načtení vybraných parametrů z Vexo": what to read (the settings, the DAY
// and NIGHT button memories), the report file, start and close, and how far the read has come
// (entry n of m and the time still to go by the protocol's pauses). A thin view over
// RemoteReadEngine; every wait of the read is a task on the clock, so the dialog repaints and
// moves throughout.
class TForm11 : public QDialog, private RemoteReadView {
    Q_OBJECT
public:
    using Finished = std::function<void(const RemoteReadResult&)>;

    TForm11(RemoteLink& link, ConnectionEngine& connection, ParameterSet& params,
            const Texts& texts, Messenger& messenger, QWidget* parent = nullptr);
    ~TForm11() override;

    static const WindowTexts& textPlaces();
    void applyTexts(const Texts& texts);

    // The moment `Readdata1Click` stamps the report file's name with, and the locale that
    // formats it.
    void setStamp(const QDateTime& when, const QLocale& locale);
    // The folder the report file goes to (the working folder by default).
    void setReportFolder(const QString& folder) { m_reportFolder = folder; }
    // Called once per read that ran, when it has ended (the dialog is closing).
    void setFinishedHandler(Finished handler) { m_onFinished = std::move(handler); }

    RemoteReadEngine& engine() { return m_engine; }
    bool reading() const { return m_engine.running(); }
    // The selection as the check boxes hold it.
    RemoteReadRequest request() const;
    QCheckBox* memoryBox(int memory) const; // 1..128

    // `Button1Click`, `Button2Click`.
    void Button1Click();
    void Button2Click();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // RemoteReadView
    void stateChanged(RemoteReadState from, RemoteReadState to) override;
    void setProgressBar(int value) override;
    void setCounter(const QString& text) override;
    void progress(const RemoteProgress& p) override;
    void closeDialog() override;
    void showMessage(const QString& text) override;

    void CheckBox2Click(bool checked);
    void setSelectionEnabled(bool enabled);

    const Texts& m_texts;
    Messenger& m_messenger;
    RemoteReadEngine m_engine;
    RemoteReport m_report;
    Finished m_onFinished;
    QDateTime m_when;
    QLocale m_locale;
    QString m_reportFolder;
    bool m_closing = false;

    QGroupBox* m_group1;
    QGroupBox* m_group2;
    QCheckBox* m_check1;
    QGroupBox* m_groupDay;
    QGroupBox* m_groupNight;
    std::array<QCheckBox*, 128> m_memories{};
    QGroupBox* m_groupLog;
    QCheckBox* m_check2;
    QLineEdit* m_edit1;
    QLabel* m_reportLabel;
    QGroupBox* m_groupOps;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QProgressBar* m_progress1;
    QLabel* m_label5;
    QLabel* m_entryLabel;
    QLabel* m_timeLabel;
};

} // namespace lumo
