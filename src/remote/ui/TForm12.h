#pragma once
#include "params/WriteCheck.h"
#include "platform/Clock.h"
#include "remote/RemoteReadView.h"
#include "remote/RemoteReport.h"
#include "remote/RemoteWriteEngine.h"
#include "remote/TimeLeftEstimate.h"
#include "remote/UnitRecord.h"
#include "texts/TextPlaces.h"
#include <QDateTime>
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace lumo {

class Messenger;
class RemoteLink;
class RemoteWriteCheck;
class Texts;

// The write dialog "Zápis dat do Vexo": the groups to write, the report file, start and
// close, the group and entry labels and the progress bar; beyond these, how far the write has
// come and the time left, a stop after the entry in flight, the offer to continue a stopped or
// failed write, the limit to the memories that differ from what the unit holds, and the check
// "Ověřit zápis" that reads back what a completed write carried. A view of RemoteWriteEngine
// and of the read-back's RemoteReadEngine: every pause is an engine's clock task, so the
// dialog repaints and moves while the unit waits.
class TForm12 : public QDialog, public RemoteWriteView {
    Q_OBJECT
public:
    // Chooses the settings file that holds the unit's contents; empty when cancelled.
    using FileChooser = std::function<QString()>;
    // Loads that file's parameters; false with a message naming the file and the problem.
    using FileLoader = std::function<bool(const QString& path, ParameterSet&, QString* error)>;

    TForm12(RemoteLink& link, const Texts& texts, Messenger& messenger, QWidget* parent = nullptr);
    ~TForm12() override;

    void setEngine(RemoteWriteEngine* engine) { m_engine = engine; }
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setFileLoader(FileLoader loader) { m_loadFile = std::move(loader); }
    // Runs with true when a write starts, with false when it has ended.
    void setRunningHandler(std::function<void(bool)> handler) { m_running = std::move(handler); }
    // Runs once per write that was started, with what the unit acknowledged.
    void setFinishedHandler(std::function<void(const RemoteWriteResult&)> handler) {
        m_onFinished = std::move(handler);
    }
    // The read-back after a completed write and the set the write sends (not owned); without
    // them the check box has nothing to run.
    void setChecker(RemoteWriteCheck* checker, const ParameterSet* written);
    // The state "Ověřit zápis" takes each time the dialog is shown.
    void setVerifyDefault(bool on) { m_verifyDefault = on; }
    // Runs once per read-back that ended by itself (not by Storno), with what it found and, when
    // it failed, why (the read's own message, or empty).
    using CheckedHandler = std::function<void(const WriteCheck&, const QString& reason)>;
    void setCheckedHandler(CheckedHandler handler) { m_onChecked = std::move(handler); }
    // What the read-back shows: its progress in the write dialog.
    RemoteReadView& checkView();
    // A read-back runs or is about to start.
    bool checking() const { return m_checking; }
    // Ends a read-back without an answer and without resuming anything (the window closes).
    void abortCheck();
    // `Writedata1Click`: the moment that names the report file.
    void setStamp(const QDateTime& when) { m_stamp = when; }

    static const WindowTexts& textPlaces();
    void applyTexts(const Texts& texts);

    // The commands, as the controls run them.
    void Button1Click();   // start
    void Button2Click();   // Storno
    void Button3Click();   // stop after the entry in flight
    void Button4Click();   // continue from the first entry not acknowledged
    void Button5Click();   // the unit's contents from a file
    void CheckBox5Click(); // report file on/off

    // What a continue would do: the write that stopped or failed, still the same.
    bool resumeOffered() const;
    const std::optional<RemoteWriteResult>& lastResult() const { return m_lastResult; }
    // What the only-changed limit compares with; nothing when neither source is there.
    std::optional<HeldMemories> unitContents() const;
    RemoteReport& report() { return m_report; }

    // RemoteWriteView
    void stateChanged(RemoteWriteState from, RemoteWriteState to) override;
    void setGroupLabel(int group, WriteLabelColour colour) override;
    void setEntryLabel(const QString& text, WriteLabelColour colour) override;
    void setProgressRange(int max) override;
    void setProgressBar(int value) override;
    void progress(const RemoteProgress& p) override;
    void closeDialog() override;
    void showMessage(const QString& text) override;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class CheckView;
    struct Resume {
        RemoteWriteRequest request; // as started, without a resume point
        RemoteWriteResult result;
        qint64 connection = 0;
    };
    void FormShow();
    void FormClose();
    void closeNow(int result);
    RemoteWriteRequest selection() const;
    bool startWrite(const RemoteWriteRequest& request);
    void finished(const RemoteWriteResult& result, const RemoteWriteRequest& request);
    void showIdle();
    void showRunning(bool running);
    QString acknowledgedText(const RemoteWriteResult& result, const RemoteWriteRequest& r) const;
    QString groupName(int group) const;
    void refreshOnlyChanged();
    QString r(int key) const;
    // The read-back after a completed write.
    void startCheck(const RemoteWriteRequest& request, const RemoteWriteResult& result);
    void checkFinished(const WriteCheck& check);
    void endCheck();
    void cancelCheck();
    void checkProgress(const RemoteProgress& p);
    void checkHalted();
    void checkMessage(const QString& text);

    RemoteLink& m_link;
    const Texts& m_texts;
    Messenger& m_messenger;
    RemoteWriteEngine* m_engine = nullptr;
    FileChooser m_chooseFile;
    FileLoader m_loadFile;
    std::function<void(bool)> m_running;
    std::function<void(const RemoteWriteResult&)> m_onFinished;
    QDateTime m_stamp;
    RemoteReport m_report;
    TimeLeftEstimate m_estimate;
    std::optional<Resume> m_resume;
    std::optional<RemoteWriteResult> m_lastResult;
    std::optional<HeldMemories> m_fileContents;
    QString m_fileName;
    RemoteWriteState m_lastOutcome = RemoteWriteState::Idle;
    int m_group = 0;
    bool m_closing = false;
    bool m_closeWhenStopped = false;
    RemoteWriteCheck* m_checker = nullptr;
    const ParameterSet* m_written = nullptr;
    CheckedHandler m_onChecked;
    std::unique_ptr<CheckView> m_checkView;
    bool m_verifyDefault = false;
    bool m_verifyThis = false; // the write in flight is read back when it completes
    bool m_checking = false;
    bool m_checkCancelled = false;
    QString m_checkReason;
    Clock::TaskId m_checkTask = 0;

    QGroupBox* m_groupBox1;
    QCheckBox* m_checkBox1;
    QCheckBox* m_checkBox2;
    QCheckBox* m_checkBox3;
    QCheckBox* m_checkBox4;
    QCheckBox* m_checkBox7; // only changed memories
    QCheckBox* m_checkBox6; // read back what was written
    QPushButton* m_button5; // the unit's contents from a file
    QLabel* m_label5;       // where the unit's contents come from
    QGroupBox* m_groupBox2;
    QCheckBox* m_checkBox5;
    QLineEdit* m_edit1;
    QGroupBox* m_groupBox3;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QPushButton* m_button3; // stop
    QPushButton* m_button4; // continue
    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_label3; // entry n of m, time left
    QProgressBar* m_progress1;
    QLabel* m_label4; // what the unit acknowledged, the offer to continue
};

} // namespace lumo
