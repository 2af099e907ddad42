// The shipped manuals refer only to pictures the build draws and to each other.
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kManuals = QStringLiteral(LUMO_TEST_DATA_DIR "/../../data/manual/");

QString read(const QString& name) {
    QFile f(kManuals + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(f.readAll());
}

TEST(Manual, PicturesAndLinksExist) {
    QSet<QString> drawn; // what tools/screens draws (data/CMakeLists.txt)
    for (const char* lang : {"CZ", "EN"})
        for (const char* window : {"main", "transfer", "confirm", "tones", "about"})
            drawn.insert(QStringLiteral("Lumo-%1-%2.png").arg(lang, window));
    const QRegularExpression src(QStringLiteral("(?:src|href)=\"([^\"#]+)\""));
    for (const QString& name : {QStringLiteral("Lumo-CZ.html"), QStringLiteral("Lumo-EN.html")}) {
        const QString html = read(name);
        const QString lang = name.mid(5, 2);
        int pictures = 0;
        for (const auto& m : src.globalMatch(html)) {
            const QString target = m.captured(1);
            if (target.endsWith(QLatin1String(".png"))) {
                ++pictures;
                EXPECT_TRUE(drawn.contains(target)) << target.toStdString();
                EXPECT_TRUE(target.startsWith(QStringLiteral("Lumo-") + lang))
                    << name.toStdString() << " shows a picture of the other language";
            } else {
                EXPECT_TRUE(QFile::exists(kManuals + target)) << target.toStdString();
            }
        }
        EXPECT_EQ(pictures, 5) << name.toStdString();
    }
}

} // namespace
