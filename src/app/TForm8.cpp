#include "app/TForm8.h"
#include "shell/ui/DialogPlacement.h"
#include "texts/Texts.h"
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace lumo {

QPixmap startupPicture(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // The door-entry panel with its call buttons.
    const QRectF panel(width * 0.08, height * 0.08, width * 0.28, height * 0.84);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 205, 212));
    p.drawRoundedRect(panel, 6, 6);
    p.setBrush(QColor(90, 90, 90));
    p.drawEllipse(QRectF(panel.center().x() - 9, panel.top() + 10, 18, 18)); // loudspeaker
    p.setBrush(QColor(245, 245, 235));
    const qreal rowHeight = (panel.height() - 50) / 4;
    for (int row = 0; row < 4; ++row) {
        const QRectF button(panel.left() + 10, panel.top() + 40 + row * rowHeight,
                            panel.width() - 20, rowHeight - 8);
        p.drawRoundedRect(button, 3, 3);
    }

    // The computer that reads first.
    const QRectF screen(width * 0.62, height * 0.18, width * 0.30, height * 0.45);
    p.setBrush(QColor(40, 70, 120));
    p.drawRoundedRect(screen, 4, 4);
    p.setBrush(QColor(200, 205, 212));
    p.drawRect(QRectF(screen.center().x() - 6, screen.bottom(), 12, height * 0.1));
    p.drawRect(QRectF(screen.left() + 10, screen.bottom() + height * 0.1, screen.width() - 20, 6));

    // Arrow from the unit to the computer: read before you write.
    const qreal y = height * 0.40;
    const qreal x0 = panel.right() + 10;
    const qreal x1 = screen.left() - 10;
    QPainterPath arrow;
    arrow.moveTo(x0, y - 7);
    arrow.lineTo(x1 - 18, y - 7);
    arrow.lineTo(x1 - 18, y - 16);
    arrow.lineTo(x1, y);
    arrow.lineTo(x1 - 18, y + 16);
    arrow.lineTo(x1 - 18, y + 7);
    arrow.lineTo(x0, y + 7);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 60));
    p.drawPath(arrow);
    // "1" in a circle: the first step.
    p.setBrush(QColor(220, 40, 40));
    const QRectF badge(width * 0.5 - 14, height * 0.62, 28, 28);
    p.drawEllipse(badge);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.drawText(badge, Qt::AlignCenter, QStringLiteral("1"));
    return pixmap;
}

TForm8::TForm8(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    setObjectName(QStringLiteral("Form8"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setWordWrap(true);
    m_label1->setAlignment(Qt::AlignCenter);
    QFont font = m_label1->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 2);
    m_label1->setFont(font);
    QPalette warning = m_label1->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    m_label1->setPalette(warning);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(startupPicture(340, 170));
    m_image1->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(m_label1);
    layout->addWidget(m_image1);
    setFixedSize(464, 259);

    Texts defaults;
    applyTexts(defaults);
}

void TForm8::applyTexts(const Texts& texts) {
    m_label1->setText(texts.message(38));
}

void TForm8::centreOnScreen() {
    lumo::centreOnScreen(this);
}

} // namespace lumo
