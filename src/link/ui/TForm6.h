#pragma once
#include "link/TransferView.h"
#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

namespace lumo {

class Messenger;
class Texts;

// The transfer window: borderless, a label and a progress bar, no way to cancel. It shows the
// transfer engine's progress and messages; the activity indicator colour goes to the main
// window through `indicator`.
class TForm6 : public QDialog, public TransferView {
    Q_OBJECT
public:
    using IndicatorSink = std::function<void(TransferIndicator)>;
    TForm6(Messenger& messenger, QWidget* parent = nullptr);

    void applyTexts(const Texts& texts);
    void setIndicatorSink(IndicatorSink sink) { m_indicator = std::move(sink); }

    // TransferView
    void transferShown() override;
    void setProgress(int position) override;
    void setIndicator(TransferIndicator indicator) override;
    void showMessage(const QString& text) override;
    void transferClosed() override;

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc does not close it
    void closeEvent(QCloseEvent* event) override;

private:
    Messenger& m_messenger;
    IndicatorSink m_indicator;
    QLabel* m_label1;
    QProgressBar* m_progressBar1;
    bool m_closing = false;
};

} // namespace lumo
