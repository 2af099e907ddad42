#include "link/ui/TForm6.h"
#include "platform/Messenger.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/Texts.h"
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace lumo {

TForm6::TForm6(Messenger& messenger, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_messenger(messenger) {
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
    m_progressBar1->setRange(0, 127);
    m_progressBar1->setTextVisible(false);
    layout->addWidget(m_label1);
    layout->addWidget(m_progressBar1);
}

void TForm6::applyTexts(const Texts& texts) {
    m_label1->setText(texts.get(TextSection::OTHER, 50));
}

void TForm6::transferShown() {
    m_progressBar1->setValue(0);
    centreOnParent(this);
    // Window-modal for the user, while the engine goes on from the event loop.
    setWindowModality(Qt::ApplicationModal);
    show();
}

void TForm6::setProgress(int position) {
    m_progressBar1->setValue(position);
}

void TForm6::setIndicator(TransferIndicator indicator) {
    if (m_indicator)
        m_indicator(indicator);
}

void TForm6::showMessage(const QString& text) {
    m_messenger.message(text);
}

void TForm6::transferClosed() {
    m_closing = true;
    hide();
    m_closing = false;
}

void TForm6::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm6::closeEvent(QCloseEvent* event) {
    // Only the transfer closes the window.
    if (!m_closing)
        event->ignore();
}

} // namespace lumo
