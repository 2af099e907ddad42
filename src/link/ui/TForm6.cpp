#include "link/ui/TForm6.h"
#include "platform/Messenger.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace lumo {

TForm6::TForm6(Messenger& messenger, const Texts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_messenger(messenger),
      m_texts(texts) {
    setObjectName(QStringLiteral("Form6"));
    setFixedSize(476, 65);
    setModal(true);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
    auto* layout = new QVBoxLayout(panel);
    m_label1 = new QLabel(QStringLiteral("Probíhá komunikace"), panel);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    m_progressBar1 = new QProgressBar(panel);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setRange(0, TransferProgress::kMax);
    // The phase is written in the bar: the window keeps its size with one more line to show.
    m_progressBar1->setTextVisible(true);
    m_progressBar1->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label1);
    layout->addWidget(m_progressBar1);
}

void TForm6::applyTexts(const Texts& texts) {
    m_label1->setText(texts.get(TextSection::OTHER, 50));
}

void TForm6::commandPlanned(const std::vector<TransferKind>& plan) {
    m_progress.plan(plan);
    m_stopping = false;
}

void TForm6::transferStarting(TransferKind kind) {
    m_progress.starting(kind);
}

void TForm6::transferShown() {
    showProgress();
    centreOnParent(this);
    // Window-modal for the user, while the engine goes on from the event loop.
    setWindowModality(Qt::ApplicationModal);
    show();
    // Escape reaches it only when it has the keyboard.
    activateWindow();
}

void TForm6::setProgress(int position) {
    m_progress.setPosition(position);
    showProgress();
}

void TForm6::showProgress() {
    m_progressBar1->setValue(m_progress.overall());
    const QString phase = m_progress.phaseText(m_texts);
    const QString tail =
        m_stopping ? m_texts.message(Msg::PhaseStopping) : m_texts.message(Msg::PhaseStopHint);
    QString text = phase;
    if (!tail.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("  –  ")) + tail;
    // A "%" of the texts is not one of the bar's placeholders.
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    m_progressBar1->setFormat(text);
}

void TForm6::setIndicator(TransferIndicator indicator) {
    if (m_indicator)
        m_indicator(indicator);
}

void TForm6::showMessage(const QString& text) {
    m_messenger.warning(text);
}

void TForm6::transferClosed() {
    m_closing = true;
    hide();
    m_closing = false;
}

void TForm6::requestStop() {
    if (m_stopping || !isVisible())
        return;
    m_stopping = true;
    showProgress();
    if (m_stop)
        m_stop();
}

void TForm6::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // The dialog's own Escape would reject and hide it under a running transfer.
        event->accept();
        requestStop();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm6::closeEvent(QCloseEvent* event) {
    // Only the transfer closes the window; a close request asks it to stop.
    if (m_closing)
        return;
    event->ignore();
    requestStop();
}

} // namespace lumo
