#include "app/TForm2.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

void click(QWidget* w) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        dialog = std::make_unique<TForm2>(nullptr, [this](const QString& t) { opened << t; });
    }
    void TearDown() override {
        dialog.reset();
        QDir::setCurrent(previous);
    }
    QLabel* label(const char* name) {
        return dialog->findChild<QLabel*>(QString::fromLatin1(name));
    }

    QTemporaryDir folder;
    QString previous;
    QStringList opened;
    std::unique_ptr<TForm2> dialog;
};

TEST_F(AboutBox, VersionTexts) {
    dialog->showVersion(QStringLiteral("3.06.00.04"));
    EXPECT_EQ(label("Label12")->text(), QStringLiteral("(V  3.06.00.04)"));
    EXPECT_EQ(label("Label11")->text(), QStringLiteral("V 3.06"));
    // Without a version: "(V  )" and "V ".
    dialog->showVersion(QString());
    EXPECT_EQ(label("Label12")->text(), QStringLiteral("(V  )"));
    EXPECT_EQ(label("Label11")->text(), QStringLiteral("V "));
    // The program's own version (3.6.0.4) when shown.
    dialog->show();
    EXPECT_EQ(label("Label12")->text(), QStringLiteral("(V  3.06.00.04)"));
}

TEST_F(AboutBox, WebAndMailLinesAreComposed) {
    Texts texts;
    texts.set(TextSection::MESSAGE, 20, QStringLiteral("www.example.invalid"));
    texts.set(TextSection::MESSAGE, 18, QStringLiteral("help@example.invalid"));
    dialog->applyTexts(texts);
    EXPECT_EQ(label("Label8")->text(), QStringLiteral("Web:  www.example.invalid"));
    EXPECT_EQ(label("Label9")->text(), QStringLiteral("Email: help@example.invalid"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("O programu ..."));
    EXPECT_EQ(label("Label10")->text(), QStringLiteral("Verze:"));
    EXPECT_EQ(label("Label3")->text(), QStringLiteral("Lumo Systems"));
}

TEST_F(AboutBox, LinksOpenWithTheSubjectOfTheActivePack) {
    Texts texts;
    texts.set(TextSection::MESSAGE, 19, QStringLiteral("Question from Lumo"));
    dialog->applyTexts(texts);
    click(label("Label8"));
    click(label("Image1"));
    click(label("Label9"));
    click(label("Label7"));
    click(label("Label12"));
    ASSERT_EQ(opened.size(), 5);
    EXPECT_EQ(opened[0], texts.message(20));
    EXPECT_EQ(opened[1], texts.message(20));
    EXPECT_EQ(opened[2], QStringLiteral("mailto:support@lumo.invalid?SUBJECT=Question from Lumo"));
    EXPECT_EQ(opened[3],
              QStringLiteral("mailto:") + TForm2::kAuthorEmail + "?SUBJECT=Question from Lumo");
    EXPECT_EQ(opened[4], opened[3]);
    // Labels without a link open nothing.
    click(label("Label3"));
    EXPECT_EQ(opened.size(), 5);
}

TEST_F(AboutBox, LinksHaveHandCursorsAndHints) {
    for (const char* name : {"Label7", "Label8", "Label9", "Image1", "Label12"})
        EXPECT_EQ(label(name)->cursor().shape(), Qt::PointingHandCursor) << name;
    EXPECT_EQ(label("Label8")->toolTip(), QStringLiteral("Připojení na internet"));
    EXPECT_EQ(label("Image1")->toolTip(), QStringLiteral("Připojení na internet"));
    EXPECT_EQ(label("Label9")->toolTip(), QStringLiteral("Napsat Email"));
    EXPECT_EQ(label("Label7")->toolTip(), QStringLiteral("Napsat Email autorovi"));
    EXPECT_EQ(label("Label7")->text(), TForm2::kAuthorCredit);
}

TEST_F(AboutBox, LogoFileReplacesThePictureAndDamagedFilesAreIgnored) {
    Texts texts;
    texts.set(TextSection::OTHER, 30, QStringLiteral("Firma.bmp"));
    // Missing file: the built-in picture stays.
    const QImage before = label("Image1")->pixmap().toImage();
    dialog->applyTexts(texts);
    EXPECT_FALSE(dialog->logoFromFile());
    // Damaged file: no crash, the picture stays.
    {
        QFile f(folder.filePath(QStringLiteral("Firma.bmp")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM\x10\x00garbage");
    }
    dialog->applyTexts(texts);
    EXPECT_FALSE(dialog->logoFromFile());
    EXPECT_EQ(label("Image1")->pixmap().toImage(), before);
    // A real picture, found in any letter case.
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder.filePath(QStringLiteral("firma.BMP")), "BMP"));
    QFile::remove(folder.filePath(QStringLiteral("Firma.bmp")));
    dialog->applyTexts(texts);
    EXPECT_TRUE(dialog->logoFromFile());
    EXPECT_NE(label("Image1")->pixmap().toImage(), before);
}

TEST_F(AboutBox, FixedSizeAndStaysOnTop) {
    EXPECT_EQ(dialog->size(), QSize(287, 202));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
}

} // namespace
} // namespace lumo
