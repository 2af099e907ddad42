#pragma once
#include "link/TransferProgress.h"
#include "link/TransferView.h"
#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

namespace lumo {

class Messenger;
class Texts;

// The transfer window: borderless, a label and a progress bar. It shows the transfer engine's
// progress as one bar over the whole command, with the phase written in the bar, and its
// messages; the activity indicator colour goes to the main window through `indicator`.
// Escape or a close request stops the command (through `stop`) after the exchange in flight;
// the window itself closes only when the transfer ends.
class TForm6 : public QDialog, public TransferView {
    Q_OBJECT
public:
    using IndicatorSink = std::function<void(TransferIndicator)>;
    TForm6(Messenger& messenger, const Texts& texts, QWidget* parent = nullptr);

    void applyTexts(const Texts& texts);
    void setIndicatorSink(IndicatorSink sink) { m_indicator = std::move(sink); }
    void setStopHandler(std::function<void()> stop) { m_stop = std::move(stop); }

    // TransferView
    void commandPlanned(const std::vector<TransferKind>& plan) override;
    void transferStarting(TransferKind kind) override;
    void transferShown() override;
    void setProgress(int position) override;
    void setIndicator(TransferIndicator indicator) override;
    void showMessage(const QString& text) override;
    void transferClosed() override;

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc stops the command
    void closeEvent(QCloseEvent* event) override;

private:
    void requestStop();
    void showProgress();

    Messenger& m_messenger;
    const Texts& m_texts;
    IndicatorSink m_indicator;
    std::function<void()> m_stop;
    TransferProgress m_progress;
    QLabel* m_label1;
    QProgressBar* m_progressBar1;
    bool m_closing = false;
    bool m_stopping = false; // a stop was asked for in the running command
};

} // namespace lumo
