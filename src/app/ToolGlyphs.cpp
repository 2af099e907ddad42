#include "app/ToolGlyphs.h"
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lumo {

namespace {

void drawArrow(QPainter& p, const QRectF& area, bool down, const QColor& colour) {
    const qreal cx = area.center().x();
    const qreal w = area.width();
    QPainterPath path;
    if (down) {
        path.moveTo(cx - w * 0.15, area.top());
        path.lineTo(cx + w * 0.15, area.top());
        path.lineTo(cx + w * 0.15, area.center().y());
        path.lineTo(cx + w * 0.4, area.center().y());
        path.lineTo(cx, area.bottom());
        path.lineTo(cx - w * 0.4, area.center().y());
        path.lineTo(cx - w * 0.15, area.center().y());
    } else {
        path.moveTo(cx - w * 0.15, area.bottom());
        path.lineTo(cx + w * 0.15, area.bottom());
        path.lineTo(cx + w * 0.15, area.center().y());
        path.lineTo(cx + w * 0.4, area.center().y());
        path.lineTo(cx, area.top());
        path.lineTo(cx - w * 0.4, area.center().y());
        path.lineTo(cx - w * 0.15, area.center().y());
    }
    path.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawPath(path);
}

// Settings: three slider lines; numbers: a hash sign; everything: both.
void drawMark(QPainter& p, const QRectF& area, bool settings, bool numbers) {
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(Qt::NoBrush);
    if (settings) {
        const QRectF a =
            numbers ? QRectF(area.left(), area.top(), area.width(), area.height() / 2) : area;
        for (int i = 0; i < 3; ++i) {
            const qreal y = a.top() + a.height() * (i + 1) / 4.0;
            p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
            const qreal knob = a.left() + a.width() * (0.25 + 0.25 * i);
            p.fillRect(QRectF(knob - 1.5, y - 1.5, 3, 3), QColor(40, 40, 40));
        }
    }
    if (numbers) {
        const QRectF a =
            settings ? QRectF(area.left(), area.center().y(), area.width(), area.height() / 2)
                     : area;
        const qreal dx = a.width() / 3, dy = a.height() / 3;
        p.drawLine(QPointF(a.left() + dx, a.top()), QPointF(a.left() + dx, a.bottom()));
        p.drawLine(QPointF(a.left() + 2 * dx, a.top()), QPointF(a.left() + 2 * dx, a.bottom()));
        p.drawLine(QPointF(a.left(), a.top() + dy), QPointF(a.right(), a.top() + dy));
        p.drawLine(QPointF(a.left(), a.top() + 2 * dy), QPointF(a.right(), a.top() + 2 * dy));
    }
}

} // namespace

QIcon toolGlyph(ToolGlyph glyph, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const bool read = glyph == ToolGlyph::ReadAll || glyph == ToolGlyph::ReadSettings ||
                      glyph == ToolGlyph::ReadNumbers;
    const bool settings = glyph == ToolGlyph::ReadAll || glyph == ToolGlyph::ReadSettings ||
                          glyph == ToolGlyph::WriteAll || glyph == ToolGlyph::WriteSettings;
    const bool numbers = glyph == ToolGlyph::ReadAll || glyph == ToolGlyph::ReadNumbers ||
                         glyph == ToolGlyph::WriteAll || glyph == ToolGlyph::WriteNumbers;
    const qreal s = size;
    // The unit's memory as a small card on the left, the arrow on the right.
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(235, 235, 225));
    p.drawRoundedRect(QRectF(1, s * 0.12, s * 0.52, s * 0.76), 2, 2);
    drawMark(p, QRectF(s * 0.08, s * 0.2, s * 0.38, s * 0.6), settings, numbers);
    drawArrow(p, QRectF(s * 0.58, s * 0.1, s * 0.4, s * 0.8), read,
              read ? QColor(40, 160, 70) : QColor(210, 50, 40));
    return QIcon(pixmap);
}

} // namespace lumo
