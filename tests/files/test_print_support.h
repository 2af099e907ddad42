#pragma once
#include "files/PrintDocument.h"
#include <QStringList>
#include <vector>

namespace lumo::test {

// The text operations of a page, in drawing order.
inline std::vector<PrintText> textsOf(const PrintPage& page) {
    std::vector<PrintText> out;
    for (const PrintOp& op : page.ops)
        if (const auto* t = std::get_if<PrintText>(&op))
            out.push_back(*t);
    return out;
}

inline std::vector<PrintFrame> framesOf(const PrintPage& page) {
    std::vector<PrintFrame> out;
    for (const PrintOp& op : page.ops)
        if (const auto* f = std::get_if<PrintFrame>(&op))
            out.push_back(*f);
    return out;
}

inline std::vector<PrintText> allTexts(const PrintDocument& doc) {
    std::vector<PrintText> out;
    for (const PrintPage& page : doc.pages)
        for (const PrintText& t : textsOf(page))
            out.push_back(t);
    return out;
}

inline QStringList strings(const std::vector<PrintText>& texts) {
    QStringList out;
    for (const PrintText& t : texts)
        out << t.text;
    return out;
}

// The first text operation with exactly this text, or nullptr.
inline const PrintText* findText(const std::vector<PrintText>& texts, const QString& text) {
    for (const PrintText& t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

// A face whose characters are all as wide: 0.2 mm per point (3.2 mm at 16 pt), line height
// 0.4 mm per point, at `unit` dots per millimetre.
class FixedPitchMetrics : public TextMetrics {
public:
    explicit FixedPitchMetrics(double unit) : m_unit(unit) {}
    double width(const QString& text, const PrintFont& font) const override {
        return double(text.size()) * font.pointSize * 0.2 * m_unit;
    }
    double height(const PrintFont& font) const override { return font.pointSize * 0.4 * m_unit; }

private:
    double m_unit;
};

} // namespace lumo::test
