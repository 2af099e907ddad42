#pragma once
#include <QString>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace lumo {

// A printed document as plain drawing operations in device dots, laid out without a printer
// so that layouts can be tested; a renderer replays it on a printer, a PDF writer or a preview.

struct PrintFont {
    QString family; // empty: the device's default typeface
    int pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const PrintFont&, const PrintFont&) = default;
};

// Corners in dots; right and bottom are the far edges (the outline runs along them).
struct PrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

enum class HAlign { Left, Center, Right }; // x is the left edge, the centre or the right edge
enum class VAlign { Top, Center };         // y is the top of the line or its centre

struct PrintText {
    int x = 0;
    int y = 0;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    PrintFont font;
    QString text;
    std::optional<PrintRect> clip; // nothing is drawn outside it
};

// An outline, never filled.
struct PrintFrame {
    PrintRect rect;
    std::uint32_t rgb = 0x0000ff;
    int penWidth = 1; // dots
};

using PrintOp = std::variant<PrintText, PrintFrame>;

struct PrintPage {
    std::vector<PrintOp> ops;
};

struct PrintDocument {
    QString jobTitle;
    std::vector<PrintPage> pages; // a new page begins with each entry after the first
};

// Text measurement of the device the document is meant for, in dots. Layouts that must fit
// text (the name labels) ask it; the renderer's implementation measures with the device's fonts.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual double width(const QString& text, const PrintFont& font) const = 0;
    virtual double height(const PrintFont& font) const = 0;
};

// Dots per millimetre from the device's horizontal logical resolution.
inline double dotsPerMillimetre(int logicalDpiX) {
    return logicalDpiX * 10.0 / 254.0;
}

// The width of a "one dot" outline: one dot of a 300 dpi printer, so that a frame stays visible
// on devices of 1200 dpi and more (PDF, preview) where a single dot is a hairline.
inline int outlineWidth(double unit) {
    return std::max(1, int(unit / 11.811 + 0.5));
}

} // namespace lumo
