// Name labels laid out as drawing operations: order, cells, pages, font sizes.
#include "files/LabelLayout.h"
#include "test_print_support.h"
#include <gtest/gtest.h>

using namespace lumo;
using namespace lumo::test;

namespace {

constexpr int kDpi = 600;
constexpr double kUnit = 600 * 10.0 / 254.0;
constexpr int kA4Width = 4961;
constexpr int kA4Height = 7016;

int dots(double mm) {
    return int(std::lround(mm * kUnit));
}

PrintRect cell(int r, int c) {
    return {dots(10 + 69 * c), dots(10 + 15 * r), dots(66 + 69 * c), dots(22.5 + 15 * r)};
}

PrintDocument layoutA4(const LabelNames& names, int height = kA4Height) {
    return labelLayout::layout(names, kA4Width, height, kDpi, FixedPitchMetrics(kUnit));
}

} // namespace

TEST(LabelLayoutTest, PrintOrderAlternatesTheColumns) {
    std::vector<int> order;
    for (int i = 0; i < 24; ++i)
        order.push_back(labelLayout::printOrder(i));
    EXPECT_EQ(order, (std::vector<int>{0, 12, 1, 13, 2, 14, 3, 15, 4,  16, 5,  17,
                                       6, 18, 7, 19, 8, 20, 9, 21, 10, 22, 11, 23}));
}

TEST(LabelLayoutTest, EmptyNamesTakeNoCell) {
    LabelNames names;
    names[0] = QStringLiteral("Novák");
    names[1] = QStringLiteral("Dvořák");
    names[2] = QStringLiteral("Černá");
    const PrintDocument doc = layoutA4(names);
    EXPECT_EQ(doc.jobTitle, QStringLiteral("Label Vexo"));
    ASSERT_EQ(doc.pages.size(), 1u);
    const std::vector<PrintFrame> frames = framesOf(doc.pages[0]);
    const std::vector<PrintText> texts = textsOf(doc.pages[0]);
    ASSERT_EQ(frames.size(), 3u);
    ASSERT_EQ(texts.size(), 3u);
    // Edit1 left, Edit2 right (Edit13 is empty), Edit3 on the left of the second row.
    EXPECT_EQ(frames[0].rect, cell(0, 0));
    EXPECT_EQ(frames[1].rect, cell(0, 1));
    EXPECT_EQ(frames[2].rect, cell(1, 0));
    EXPECT_EQ(frames[0].rgb, 0x0000ffu);
    EXPECT_EQ(frames[0].penWidth, 2); // one dot of 300 dpi at 600 dpi
    EXPECT_EQ(strings(texts), (QStringList{names[0], names[1], names[2]}));
    // Centred in the cell, bold.
    EXPECT_EQ(texts[1].x, dots(79 + 28));
    EXPECT_EQ(texts[1].y, dots(10 + 6.25));
    EXPECT_EQ(texts[1].hAlign, HAlign::Center);
    EXPECT_EQ(texts[1].vAlign, VAlign::Center);
    EXPECT_TRUE(texts[1].font.bold);
    EXPECT_FALSE(texts[1].clip.has_value());

    // A right-column name alone takes the first cell.
    LabelNames right;
    right[23] = QStringLiteral("Poslední");
    const PrintDocument one = layoutA4(right);
    ASSERT_EQ(framesOf(one.pages[0]).size(), 1u);
    EXPECT_EQ(framesOf(one.pages[0])[0].rect, cell(0, 0));
}

TEST(LabelLayoutTest, FontShrinksToFitAndStopsAtTheLowerBound) {
    const FixedPitchMetrics metrics(kUnit);
    // 3.2 mm a character at 16 pt: 15 characters are 48 mm and fit.
    EXPECT_EQ(labelLayout::chooseFont(QString(15, QLatin1Char('a')), kUnit, metrics).pointSize, 16);
    // 16 characters: 51.2 mm at 16 pt, 48 mm at 15 pt.
    EXPECT_EQ(labelLayout::chooseFont(QString(16, QLatin1Char('a')), kUnit, metrics).pointSize, 15);
    // 20 characters: 49 / (20 * 0.2) = 12.25, so 12 pt.
    const auto twenty = labelLayout::chooseFont(QString(20, QLatin1Char('a')), kUnit, metrics);
    EXPECT_EQ(twenty.pointSize, 12);
    EXPECT_TRUE(twenty.fits);
    // 41 characters need less than 6 pt: drawn at the lower bound and clipped to the cell.
    const auto tooLong = labelLayout::chooseFont(QString(41, QLatin1Char('a')), kUnit, metrics);
    EXPECT_EQ(tooLong.pointSize, labelLayout::kSmallestPoint);
    EXPECT_FALSE(tooLong.fits);
    EXPECT_TRUE(labelLayout::chooseFont(QString(40, QLatin1Char('a')), kUnit, metrics).fits);

    LabelNames names;
    names[0] = QString(60, QLatin1Char('W'));
    const std::vector<PrintText> texts = textsOf(layoutA4(names).pages[0]);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].font.pointSize, labelLayout::kSmallestPoint);
    ASSERT_TRUE(texts[0].clip.has_value());
    EXPECT_EQ(*texts[0].clip, cell(0, 0));
}

TEST(LabelLayoutTest, PageBreakWhenTheNextCellPassesTheBottom) {
    // 50 mm of printable height: a cell fits while its bottom is at most 35 mm, so one row of
    // two labels a page.
    const int height = dots(50);
    LabelNames names;
    for (int i = 0; i < 24; ++i)
        names[std::size_t(i)] = QStringLiteral("Jméno %1").arg(i + 1);
    const PrintDocument doc = layoutA4(names, height);
    ASSERT_EQ(doc.pages.size(), 12u);
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        const std::vector<PrintFrame> frames = framesOf(doc.pages[p]);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].rect, cell(0, 0));
        EXPECT_EQ(frames[1].rect, cell(0, 1));
    }
    EXPECT_EQ(strings(textsOf(doc.pages[1])),
              (QStringList{QStringLiteral("Jméno 2"), QStringLiteral("Jméno 14")}));

    // The check runs for empty names too: with three names the third starts page two, and
    // the empty names after it add no page.
    LabelNames three;
    three[0] = QStringLiteral("A");
    three[12] = QStringLiteral("B");
    three[13] = QStringLiteral("C"); // printed after the empty Edit2
    const PrintDocument short3 = layoutA4(three, height);
    ASSERT_EQ(short3.pages.size(), 2u);
    EXPECT_EQ(strings(textsOf(short3.pages[1])), QStringList{QStringLiteral("C")});
    EXPECT_EQ(framesOf(short3.pages[1])[0].rect, cell(0, 0));

    // A4 holds all 24 on one page: twelve rows end at 187.5 mm.
    const PrintDocument full = layoutA4(names);
    ASSERT_EQ(full.pages.size(), 1u);
    EXPECT_EQ(framesOf(full.pages[0]).back().rect, cell(11, 1));
}

TEST(LabelLayoutTest, NoNamesNoLabels) {
    const PrintDocument doc = layoutA4(LabelNames{});
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_TRUE(doc.pages[0].ops.empty());
}
