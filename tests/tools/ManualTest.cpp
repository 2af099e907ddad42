// The shipped manuals refer only to pictures the build draws and to each other, and the build
// has drawn every picture they show.
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kManuals = QStringLiteral(LUMO_TEST_DATA_DIR "/../../data/manual/");
const QString kShipped = QStringLiteral(LUMO_SHIPPED_DATA_DIR "/");

QString read(const QString& name) {
    QFile f(kManuals + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(f.readAll());
}

TEST(Manual, PicturesAndLinksExist) {
    // What the build draws for the manual (data/CMakeLists.txt).
    const QStringList windows = QStringLiteral(LUMO_MANUAL_PICTURES).split(QLatin1Char(','));
    ASSERT_GE(windows.size(), 5);
    const QRegularExpression src(QStringLiteral("(?:src|href)=\"([^\"#]+)\""));
    for (const QString& name : {QStringLiteral("Lumo-CZ.html"), QStringLiteral("Lumo-EN.html")}) {
        const QString html = read(name);
        const QString lang = name.mid(5, 2);
        QSet<QString> drawn;
        for (const QString& window : windows)
            drawn.insert(QStringLiteral("Lumo-%1-%2.png").arg(lang, window));
        QSet<QString> shown;
        for (const auto& m : src.globalMatch(html)) {
            const QString target = m.captured(1);
            if (target.endsWith(QLatin1String(".png"))) {
                shown.insert(target);
                EXPECT_TRUE(drawn.contains(target))
                    << name.toStdString() << " shows " << target.toStdString()
                    << ", which the build does not draw";
                EXPECT_TRUE(QFile::exists(kShipped + target))
                    << target.toStdString() << " was not drawn";
            } else {
                EXPECT_TRUE(QFile::exists(kManuals + target)) << target.toStdString();
            }
        }
        // Both languages show the same windows: none drawn for nothing.
        EXPECT_EQ(shown, drawn) << name.toStdString();
    }
}

} // namespace
