#include "files/LabelLayout.h"
#include <cmath>

namespace lumo::labelLayout {

namespace {
constexpr double kCellWidth = 56;
constexpr double kCellHeight = 12.5;
constexpr double kTextWidth = 49;
constexpr double kLeft = 10;
constexpr double kColumnStep = 69;
constexpr double kTop = 10;
constexpr double kRowStep = 15;
constexpr double kBottomMargin = 15;

PrintFont labelFont(int size) {
    PrintFont f;
    f.pointSize = size;
    f.bold = true;
    return f;
}
} // namespace

int printOrder(int i) {
    return (i % 2 == 0) ? i / 2 : 12 + i / 2;
}

FontChoice chooseFont(const QString& name, double unit, const TextMetrics& metrics) {
    const double limit = kTextWidth * unit;
    for (int size = kLargestPoint; size >= kSmallestPoint; --size)
        if (metrics.width(name, labelFont(size)) <= limit)
            return {size, true};
    return {kSmallestPoint, false};
}

PrintDocument layout(const LabelNames& names, int /*widthDots*/, int heightDots, int logicalDpiX,
                     const TextMetrics& metrics) {
    const double u = dotsPerMillimetre(logicalDpiX > 0 ? logicalDpiX : 1);
    auto dots = [u](double mm) { return int(std::lround(mm * u)); };
    const double pageHeightMm = heightDots / u;

    PrintDocument doc;
    doc.jobTitle = kLabelPrintJob;
    doc.pages.emplace_back();
    int r = 0;
    int c = 0;
    // A page break found by the check is made when a label is drawn, so no empty page
    // follows the last label when only empty names remain.
    bool pagePending = false;
    for (int i = 0; i < 24; ++i) {
        const QString& name = names[std::size_t(printOrder(i))];
        if (kTop + kRowStep * r + kCellHeight > pageHeightMm - kBottomMargin) {
            pagePending = true;
            r = 0;
            c = 0;
        }
        if (name.isEmpty())
            continue;
        if (pagePending) {
            doc.pages.emplace_back();
            pagePending = false;
        }
        const double leftMm = kLeft + kColumnStep * c;
        const double topMm = kTop + kRowStep * r;
        const PrintRect cell{dots(leftMm), dots(topMm), dots(leftMm + kCellWidth),
                             dots(topMm + kCellHeight)};
        PrintFrame outline;
        outline.rect = cell;
        outline.rgb = 0x0000ff;
        outline.penWidth = outlineWidth(u);
        doc.pages.back().ops.emplace_back(outline);

        const FontChoice choice = chooseFont(name, u, metrics);
        PrintText text;
        text.x = dots(leftMm + kCellWidth / 2);
        text.y = dots(topMm + kCellHeight / 2);
        text.hAlign = HAlign::Center;
        text.vAlign = VAlign::Center;
        text.font = labelFont(choice.pointSize);
        text.text = name;
        if (!choice.fits)
            text.clip = cell;
        doc.pages.back().ops.emplace_back(std::move(text));

        if (c == 1) {
            ++r;
            c = 0;
        } else {
            c = 1;
        }
    }
    return doc;
}

} // namespace lumo::labelLayout
