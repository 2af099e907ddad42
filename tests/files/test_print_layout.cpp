// The settings printout laid out as drawing operations: geometry, rows, pages, texts.
#include "files/PrintoutLayout.h"
#include "params/ParameterSet.h"
#include "test_print_support.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;
using namespace lumo::test;

namespace {

using S = TextSection;

// A4 at 600 dpi with the whole sheet printable.
constexpr int kDpi = 600;
constexpr int kA4Width = 4961;  // 210 mm
constexpr int kA4Height = 7016; // 297 mm

PrintDocument printA4(const ParameterSet& params, const Texts& texts = Texts()) {
    return layoutSettingsPrintout(params, texts, PrintGeometry::compute(kA4Width, kA4Height, kDpi),
                                  QStringLiteral("8.12.2026"));
}

// The value printed on the row whose left text is `left`, or "<none>".
QString valueOf(const PrintDocument& doc, const PrintGeometry& g, const QString& left) {
    const std::vector<PrintText> texts = allTexts(doc);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].text != left || texts[i].x != g.labelX)
            continue;
        for (std::size_t j = i + 1; j < texts.size() && texts[j].y == texts[i].y; ++j)
            if (texts[j].x == g.valueX)
                return texts[j].text;
        return QString();
    }
    return QStringLiteral("<none>");
}

bool isHeaderText(const PrintText& t) {
    return t.text.startsWith(QLatin1String("   Pg.- ")) || t.text == QLatin1String("8.12.2026") ||
           t.text == QLatin1String("Tisk nastavení");
}

} // namespace

TEST(PrintGeometryTest, A4AndOtherSheets) {
    const PrintGeometry a4 = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    EXPECT_NEAR(a4.unit, 23.622, 0.001);
    EXPECT_EQ(a4.truncation, 55);
    EXPECT_EQ(a4.headingX, 331); // 14 mm
    EXPECT_EQ(a4.labelX, 472);   // 20 mm
    EXPECT_EQ(a4.valueX, 2669);  // 113 mm: half the width plus 8 mm
    EXPECT_EQ(a4.dayX, 1851);    // round(5 u + u ((W / u - 20) / 3 + 10)), W / u = 210.02
    EXPECT_EQ(a4.nightX, 3464);  // 2 round(u (190 / 3 + 10))
    EXPECT_EQ(a4.lineStep, 118);
    EXPECT_EQ(a4.breakLimit, kA4Height - 354 - 118);
    EXPECT_EQ(a4.frame, (PrintRect{236, 236, kA4Width - 236, kA4Height - 236}));

    // A5 (148 mm) at 300 dpi and Letter (215.9 mm) at 1200 dpi.
    const PrintGeometry a5 = PrintGeometry::compute(1748, 2480, 300);
    EXPECT_EQ(a5.truncation, 36);
    EXPECT_EQ(a5.lineStep, 59);
    EXPECT_EQ(a5.valueX, 968); // u (64 + 18): 82 mm
    const PrintGeometry letter = PrintGeometry::compute(10200, 13200, 1200);
    EXPECT_EQ(letter.truncation, 57);
    EXPECT_EQ(letter.labelX, 945);

    // Outlines: one dot up to 300 dpi, as wide as a 300 dpi dot above.
    EXPECT_EQ(outlineWidth(dotsPerMillimetre(72)), 1);
    EXPECT_EQ(outlineWidth(dotsPerMillimetre(300)), 1);
    EXPECT_EQ(outlineWidth(dotsPerMillimetre(1200)), 4);
}

TEST(SettingsPrintoutTest, DefaultSetPrintsSectionsAndNoButtonRows) {
    const ParameterSet params;
    const PrintDocument doc = printA4(params);
    const PrintGeometry g = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.jobTitle, QStringLiteral("Lumo print"));
    const std::vector<PrintText> texts = allTexts(doc);
    const QStringList all = strings(texts);
    const Texts t;

    // The three page headings in their font.
    for (TextSection s : {S::TAB1, S::TAB2, S::TAB3}) {
        const PrintText* heading = findText(texts, t.get(s, 1));
        ASSERT_NE(heading, nullptr) << qPrintable(t.get(s, 1));
        EXPECT_EQ(heading->x, g.headingX);
        EXPECT_EQ(heading->font, (PrintFont{{}, 10, true, true, true}));
    }
    // Option groups print the caption of the checked button; frames alone carry no value.
    EXPECT_EQ(valueOf(doc, g, QStringLiteral(" ") + t.get(S::TAB1, 11) + QStringLiteral(" ")),
              t.get(S::TAB1, 12));
    EXPECT_EQ(valueOf(doc, g, QStringLiteral(" ") + t.get(S::TAB1, 41) + QStringLiteral(" ")),
              QString());
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB1, 42)), QStringLiteral("55"));
    // Check boxes: "X"/"-" on the switch page, "Ano"/"Ne" for the sound signals.
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB2, 18)), QStringLiteral("X"));
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB3, 27)), QStringLiteral("Ano"));
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB3, 30)), QStringLiteral("Ne"));
    // The tone-detection lists.
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB3, 33)), QStringLiteral("350-500"));
    EXPECT_EQ(valueOf(doc, g, t.get(S::TAB3, 34)), QStringLiteral("8"));
    // The prefix caption in full, 10 pt bold, although the prefix is empty.
    const PrintText* prefix = nullptr;
    for (const PrintText& p : texts)
        if (p.text.trimmed() == t.get(S::TAB3, 31))
            prefix = &p;
    ASSERT_NE(prefix, nullptr);
    EXPECT_EQ(prefix->x, g.labelX);
    EXPECT_EQ(prefix->font, (PrintFont{{}, 10, true, false, false}));
    // Four block headings, each with the captions of its day and night groups.
    EXPECT_TRUE(all.contains(t.get(S::TAB4, 1)));
    for (const char* range : {" 17- 32", " 33- 48", " 49- 64"})
        EXPECT_TRUE(all.contains(t.get(S::TAB4, 2) + QLatin1String(range))) << range;
    EXPECT_EQ(all.count(QStringLiteral(" Skupina 1 / DEN ")), 4);
    EXPECT_EQ(all.count(QStringLiteral(" Skupina 2 / NOC ")), 4);
    for (const QString& s : all)
        EXPECT_FALSE(s.startsWith(QStringLiteral("Tlačítko"))) << qPrintable(s);
    // The service-password label wraps on screen but prints on one line.
    EXPECT_FALSE(all.join(QString()).contains(QLatin1Char('\n')));
}

TEST(SettingsPrintoutTest, ButtonRowsOnlyWhereANumberIsSet) {
    ParameterSet params;
    params.setText(QStringLiteral("Edit5"), QStringLiteral("123"));  // button 5, day
    params.setText(QStringLiteral("Edit69"), QStringLiteral("456")); // button 5, night
    params.setText(QStringLiteral("Edit98"), QStringLiteral("78"));  // button 34, night only
    params.setText(QStringLiteral("Edit158"), QStringLiteral("*9"));
    const PrintGeometry g = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    const PrintDocument doc = printA4(params);
    const std::vector<PrintText> texts = allTexts(doc);
    QStringList rows;
    for (const PrintText& t : texts)
        if (t.text.startsWith(QStringLiteral("Tlačítko")))
            rows << t.text;
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Tlačítko 5"), QStringLiteral("Tlačítko 34")}));

    // The number rows are on the second page.
    ASSERT_EQ(doc.pages.size(), 2u);
    const std::vector<PrintText> second = textsOf(doc.pages[1]);
    const PrintText* five = findText(second, QStringLiteral("Tlačítko 5"));
    const PrintText* day = findText(second, QStringLiteral("123"));
    const PrintText* night = findText(second, QStringLiteral("456"));
    ASSERT_TRUE(five && day && night);
    EXPECT_EQ(five->x, g.labelX);
    EXPECT_EQ(day->x, g.dayX);
    EXPECT_EQ(night->x, g.nightX);
    EXPECT_EQ(day->y, five->y);
    EXPECT_EQ(night->y, five->y);

    // Button 34: the night number and nothing at the day column on its line.
    const PrintText* row34 = findText(second, QStringLiteral("Tlačítko 34"));
    ASSERT_NE(row34, nullptr);
    int onLine = 0;
    for (const PrintText& t : second) {
        if (t.y != row34->y || &t == row34)
            continue;
        ++onLine;
        EXPECT_EQ(t.text, QStringLiteral("78"));
        EXPECT_EQ(t.x, g.nightX);
    }
    EXPECT_EQ(onLine, 1);
    // The prefix sits at the night column.
    const PrintText* prefix = findText(texts, QStringLiteral("*9"));
    ASSERT_NE(prefix, nullptr);
    EXPECT_EQ(prefix->x, g.nightX);
}

TEST(SettingsPrintoutTest, OptionGroupValueRuleAndCutLabels) {
    ParameterSet params;
    params.setChecked(QStringLiteral("RadioButton21"), true); // the last of GroupBox19
    params.setChecked(QStringLiteral("RadioButton3"), true);
    Texts t;
    t.set(S::TAB2, 13, QString(80, QLatin1Char('L'))); // a label longer than N
    t.set(S::TAB2, 12, QStringLiteral("Výstup ") + QString(70, QLatin1Char('G'))); // a frame
    const PrintGeometry g = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    const PrintDocument doc = printA4(params, t);
    const QStringList all = strings(allTexts(doc));

    EXPECT_EQ(valueOf(doc, g, QStringLiteral(" ") + t.get(S::TAB2, 121) + QStringLiteral(" ")),
              t.get(S::TAB2, 122)) // GroupBox18 keeps its default
        << "first group";
    EXPECT_EQ(valueOf(doc, g, QStringLiteral(" ") + t.get(S::TAB1, 61) + QStringLiteral(" ")),
              t.get(S::TAB1, 64));
    // Both switch outputs use TAB2 121 as caption: the second is GroupBox19 with its last button.
    int seen = 0;
    const std::vector<PrintText> texts = allTexts(doc);
    for (std::size_t i = 0; i + 1 < texts.size(); ++i)
        if (texts[i].text.trimmed() == t.get(S::TAB2, 121) && ++seen == 2) {
            EXPECT_EQ(texts[i + 1].text, t.get(S::TAB2, 126));
        }
    EXPECT_EQ(seen, 2);
    // Field labels are cut to N characters, frame captions never.
    EXPECT_EQ(all.count(QString(55, QLatin1Char('L'))), 2); // Label140 and Label139
    EXPECT_TRUE(all.contains(QStringLiteral(" Výstup ") + QString(70, QLatin1Char('G')) +
                             QStringLiteral(" ")));
}

TEST(SettingsPrintoutTest, HeaderPositionsOnTheFirstPage) {
    const PrintGeometry g = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    const PrintDocument doc = printA4(ParameterSet());
    const std::vector<PrintText> first = textsOf(doc.pages.front());
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0].text, QStringLiteral("8.12.2026"));
    EXPECT_EQ(first[0].x, g.headingX);
    EXPECT_EQ(first[0].y, 354); // 15 mm
    EXPECT_EQ(first[0].font.pointSize, 9);
    EXPECT_EQ(first[1].text, QStringLiteral("Tisk nastavení"));
    EXPECT_EQ(first[1].x, g.valueX);
    EXPECT_EQ(first[1].hAlign, HAlign::Center);
    EXPECT_EQ(first[1].font, (PrintFont{{}, 12, true, false, false}));
    EXPECT_EQ(first[2].text, QStringLiteral("   Pg.- 1 -"));
    EXPECT_EQ(first[2].hAlign, HAlign::Right);
    EXPECT_EQ(first[2].x, kA4Width - 354);
    // The first row: 3 mm and one line step below the header.
    EXPECT_EQ(first[3].y, 354 + 71 + 118);
}

TEST(SettingsPrintoutTest, ShortPagesCarryHeaderAndFrameAndNoEmptyPageFollows) {
    ParameterSet params;
    for (int k = 1; k <= 64; ++k)
        params.setText(QStringLiteral("Edit%1").arg(k), QString::number(1000 + k));
    // Every height from one that fits a single row to a few rows: whichever row ends a page,
    // the document ends on a page with rows on it.
    for (int height = 1300; height <= 1300 + 4 * 118; height += 29) {
        SCOPED_TRACE(height);
        const PrintGeometry g = PrintGeometry::compute(kA4Width, height, kDpi);
        const PrintDocument doc =
            layoutSettingsPrintout(params, Texts(), g, QStringLiteral("8.12.2026"));
        ASSERT_GT(doc.pages.size(), 10u);
        for (std::size_t p = 0; p < doc.pages.size(); ++p) {
            SCOPED_TRACE(p);
            const std::vector<PrintText> texts = textsOf(doc.pages[p]);
            ASSERT_GE(texts.size(), 4u);
            EXPECT_EQ(texts[0].text, QStringLiteral("8.12.2026"));
            EXPECT_EQ(texts[1].text, QStringLiteral("Tisk nastavení"));
            EXPECT_EQ(texts[2].text, QStringLiteral("   Pg.- %1 -").arg(p + 1));
            const std::vector<PrintFrame> frames = framesOf(doc.pages[p]);
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames[0].rect, g.frame);
            EXPECT_EQ(frames[0].rgb, 0x0000ffu);
            EXPECT_EQ(frames[0].penWidth, 2);
            int body = 0;
            for (const PrintText& t : texts) {
                body += !isHeaderText(t);
                EXPECT_LT(t.y, g.breakLimit);
            }
            // A page is begun only for a row, so the last one holds the last button row.
            if (p + 1 == doc.pages.size()) {
                EXPECT_GT(body, 0);
            }
        }
        // Every button row made it on some page.
        EXPECT_TRUE(strings(allTexts(doc)).contains(QStringLiteral("Tlačítko 64")));
    }
}

TEST(SettingsPrintoutTest, LanguagePackTextsReachThePrintout) {
    Texts t;
    t.set(S::Menu, 14, QStringLiteral("&Print settings"));
    t.set(S::TAB1, 1, QStringLiteral("Basic"));
    t.set(S::TAB1, 42, QStringLiteral("Hang-up code 1"));
    t.set(S::TAB2, 18, QStringLiteral("Direct"));
    t.set(S::TAB3, 27, QStringLiteral("Ring tone"));
    t.set(S::TAB4, 5, QStringLiteral("Button"));
    t.set(S::MESSAGE, 53, QStringLiteral("Yes"));
    t.set(S::MESSAGE, 54, QStringLiteral("No"));
    ParameterSet params;
    params.setText(QStringLiteral("Edit1"), QStringLiteral("5"));
    params.setChecked(QStringLiteral("CheckBox2"), false);
    const PrintGeometry g = PrintGeometry::compute(kA4Width, kA4Height, kDpi);
    const PrintDocument doc = printA4(params, t);
    const QStringList all = strings(allTexts(doc));
    EXPECT_TRUE(all.contains(QStringLiteral("Print settings")));
    EXPECT_FALSE(all.contains(QStringLiteral("Tisk nastavení")));
    EXPECT_TRUE(all.contains(QStringLiteral("Basic")));
    EXPECT_TRUE(all.contains(QStringLiteral("Button 1")));
    EXPECT_EQ(valueOf(doc, g, QStringLiteral("Hang-up code 1")), QStringLiteral("55"));
    EXPECT_EQ(valueOf(doc, g, QStringLiteral("Ring tone")), QStringLiteral("Yes"));
    EXPECT_EQ(valueOf(doc, g, QStringLiteral("Direct")), QStringLiteral("X")); // CheckBox1
    EXPECT_EQ(all.count(QStringLiteral("-")), 1);                              // CheckBox2
    EXPECT_TRUE(all.contains(QStringLiteral("No")));                           // CheckBox5
}

TEST(SettingsPrintoutTest, AcceleratorMarkers) {
    EXPECT_EQ(withoutAccelerator(QStringLiteral("&Tisk nastavení")),
              QStringLiteral("Tisk nastavení"));
    EXPECT_EQ(withoutAccelerator(QStringLiteral("Tisk && &pošta")), QStringLiteral("Tisk & pošta"));
    EXPECT_EQ(withoutAccelerator(QStringLiteral("Konec&")), QStringLiteral("Konec"));
}
