#include "files/paint/PrintRenderer.h"
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace lumo {

QFont toQFont(const PrintFont& font) {
    QFont f;
    if (!font.family.isEmpty())
        f.setFamily(font.family);
    f.setPointSize(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    return f;
}

double DeviceTextMetrics::width(const QString& text, const PrintFont& font) const {
    return QFontMetricsF(toQFont(font), m_device).horizontalAdvance(text);
}

double DeviceTextMetrics::height(const PrintFont& font) const {
    return QFontMetricsF(toQFont(font), m_device).height();
}

namespace {

void drawText(QPainter& painter, const PrintText& t) {
    const QFont font = toQFont(t.font);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double width = metrics.horizontalAdvance(t.text);
    double left = t.x;
    if (t.hAlign == HAlign::Center)
        left = t.x - width / 2;
    else if (t.hAlign == HAlign::Right)
        left = t.x - width;
    double top = t.y;
    if (t.vAlign == VAlign::Center)
        top = t.y - metrics.height() / 2;
    painter.save();
    if (t.clip)
        painter.setClipRect(QRectF(t.clip->left, t.clip->top, t.clip->width(), t.clip->height()));
    painter.drawText(QPointF(left, top + metrics.ascent()), t.text);
    painter.restore();
}

void drawFrame(QPainter& painter, const PrintFrame& f) {
    QPen pen(QColor::fromRgb(f.rgb));
    pen.setWidth(f.penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(f.rect.left, f.rect.top, f.rect.width(), f.rect.height()));
    painter.restore();
}

} // namespace

void renderDocument(const PrintDocument& document, QPainter& painter, QPagedPaintDevice& device) {
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);
    bool first = true;
    for (const PrintPage& page : document.pages) {
        if (!first)
            device.newPage();
        first = false;
        for (const PrintOp& op : page.ops) {
            if (const auto* text = std::get_if<PrintText>(&op)) {
                painter.setPen(Qt::black);
                drawText(painter, *text);
            } else if (const auto* frame = std::get_if<PrintFrame>(&op)) {
                drawFrame(painter, *frame);
            }
        }
    }
}

bool renderDocument(const PrintDocument& document, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    renderDocument(document, painter, device);
    return painter.end();
}

} // namespace lumo
