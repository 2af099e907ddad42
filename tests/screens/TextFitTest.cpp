// The clipping check itself: it finds a caption wider or taller than its control, whatever the
// kind of control, and leaves alone what fits, what is hidden and what lies outside the window.
#include "screens/TextFit.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace lumo::screens {
namespace {

const QString kLong = QStringLiteral("Počet zazvonění než vrátný vyzvedne linku a přihlásí se :");

class TextFit : public ::testing::Test {
protected:
    void SetUp() override {
        window.setFixedSize(400, 300);
        window.show();
        QApplication::processEvents();
    }
    template <typename W> W* place(const char* name, const QString& text, QRect geometry) {
        auto* w = new W(text, &window);
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(geometry);
        w->show();
        return w;
    }
    QStringList offenders() {
        QApplication::processEvents();
        QStringList names;
        for (const ClippedText& c : clippedTexts(window))
            names << c.control;
        return names;
    }

    QWidget window;
};

TEST_F(TextFit, FindsEachKindOfCaptionThatIsTooWide) {
    place<QLabel>("Label1", kLong, {0, 0, 80, 20});
    place<QPushButton>("Button1", kLong, {0, 30, 80, 26});
    place<QCheckBox>("CheckBox1", kLong, {0, 60, 80, 20});
    place<QRadioButton>("RadioButton1", kLong, {0, 90, 80, 20});
    place<QGroupBox>("GroupBox1", kLong, {0, 120, 80, 60});
    EXPECT_EQ(offenders(),
              (QStringList{"Label1", "Button1", "CheckBox1", "RadioButton1", "GroupBox1"}));
}

TEST_F(TextFit, LeavesAloneWhatFits) {
    place<QLabel>("Label1", QStringLiteral("Režim:"), {0, 0, 390, 20});
    place<QPushButton>("Button1", QStringLiteral("Storno"), {0, 30, 120, 26});
    place<QCheckBox>("CheckBox1", QStringLiteral("Spínače"), {0, 60, 200, 20});
    place<QRadioButton>("RadioButton1", QStringLiteral("Impulsní"), {0, 90, 200, 20});
    place<QGroupBox>("GroupBox1", QStringLiteral(" Volba "), {0, 120, 200, 60});
    // "&&" shows one ampersand, "&" none: measured as shown.
    place<QPushButton>("Button2", QStringLiteral("&Načíst"), {200, 30, 120, 26});
    EXPECT_TRUE(offenders().isEmpty()) << offenders().join(' ').toStdString();
}

TEST_F(TextFit, WrappedLabelsAreMeasuredByHeightAndByTheirLongestWord) {
    QLabel* wraps = place<QLabel>("Label1", kLong, {0, 0, 150, 80});
    wraps->setWordWrap(true);
    EXPECT_TRUE(offenders().isEmpty()) << "wraps into four short lines";
    wraps->setGeometry(0, 0, 150, 20);
    EXPECT_EQ(offenders(), QStringList{"Label1"}) << "the lines below the first are cut";
    wraps->setGeometry(0, 0, 150, 80);
    wraps->setText(QStringLiteral("LF-W-08_12_2026-14_03_11-Vexo-dlouhy-nazev.TXT"));
    EXPECT_EQ(offenders(), QStringList{"Label1"}) << "one word wider than the label";
}

TEST_F(TextFit, LineFeedsMakeATallerLabel) {
    QLabel* two =
        place<QLabel>("Label1", QStringLiteral("Servisní heslo\nz telefonu :"), {0, 0, 200, 40});
    EXPECT_TRUE(offenders().isEmpty());
    two->setGeometry(0, 0, 200, 16);
    EXPECT_EQ(offenders(), QStringList{"Label1"});
}

TEST_F(TextFit, HiddenControlsAndControlsOutsideTheWindowAreNotLookedAt) {
    place<QLabel>("Label1", kLong, {0, 0, 80, 20})->hide();
    // Lies below the window's area, as the connect dialog's trace does.
    place<QLabel>("Label2", kLong, {0, 320, 80, 20});
    EXPECT_TRUE(offenders().isEmpty()) << offenders().join(' ').toStdString();
}

TEST_F(TextFit, ReadOnlyFieldsShowWhatTheProgramPutsThere) {
    auto* mode = new QLineEdit(QStringLiteral("NIGHT MODE"), &window);
    mode->setObjectName(QStringLiteral("Edit156"));
    mode->setReadOnly(true);
    mode->setGeometry(0, 0, 30, 20);
    mode->show();
    EXPECT_EQ(offenders(), QStringList{"Edit156"});
    // A field the user types into scrolls its text: not a caption.
    mode->setReadOnly(false);
    EXPECT_TRUE(offenders().isEmpty());
}

TEST(TextFitMenu, MenuItemsPushedIntoTheExtensionAreFound) {
    QMainWindow window;
    window.setFixedSize(200, 100);
    for (const char* title : {"Soubor", "Vexo - vrátný", "Nástroje", "Pomoc", "Jazyk"})
        window.menuBar()
            ->addMenu(QString::fromUtf8(title))
            ->menuAction()
            ->setObjectName(QString::fromUtf8(title));
    window.show();
    QApplication::processEvents();
    QStringList names;
    for (const ClippedText& c : clippedTexts(window))
        names << c.control;
    EXPECT_FALSE(names.isEmpty());
    EXPECT_FALSE(names.contains(QStringLiteral("menu Soubor")));
    EXPECT_TRUE(names.contains(QStringLiteral("menu Jazyk")));
    window.setFixedSize(600, 100);
    QApplication::processEvents();
    EXPECT_TRUE(clippedTexts(window).empty());
}

} // namespace
} // namespace lumo::screens
