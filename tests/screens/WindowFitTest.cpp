// Every window of the program, in each state the manual shows, in Czech and in the shipped
// English pack: no caption is cut by its control, and the states are the ones named.
#include "remote/ui/TForm11.h"
#include "remote/ui/TForm12.h"
#include "screens/TextFit.h"
#include "screens/WindowGallery.h"

#include <QDir>
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

namespace lumo::screens {
namespace {

const QString kEnglish = QStringLiteral(LUMO_TEST_DATA_DIR "/../../data/English.lng");

// What the gallery must show; each also names a picture of the manual's build.
const QStringList kScreens = {
    "main",           "main-page2",  "main-page3",     "main-page4",       "main-page5",
    "main-page6",     "main-page7",  "warning",        "tone-detection",   "tones",
    "about",          "labels",      "ports",          "ports-usb",        "transfer",
    "confirm",        "action-mode", "action-counter", "compare",          "compare-empty",
    "compare-verify", "connect",     "connect-box",    "connect-dialling", "read",
    "read-reading",   "write",       "write-writing",  "write-stopped",    "write-verifying"};

struct Visit {
    QStringList shown;
    QStringList clipped;
    QStringList wrongState;
};

Visit visitAll(const QString& pack) {
    WindowGallery gallery(pack);
    EXPECT_TRUE(gallery.ready()) << gallery.problem().toStdString();
    Visit v;
    gallery.visit([&](const QString& name, QWidget& window) {
        v.shown << name;
        for (const ClippedText& c : clippedTexts(window))
            v.clipped << name + QStringLiteral(": ") + c.describe();
        auto button = [&](const char* n) {
            auto* b = window.findChild<QPushButton*>(QString::fromLatin1(n));
            return b && b->isVisible();
        };
        // The states are real, not merely the idle dialog drawn under another name.
        if (name == QLatin1String("read-reading")) {
            auto* read = qobject_cast<TForm11*>(&window);
            if (!read || !read->reading())
                v.wrongState << name + QStringLiteral(" is not reading");
        }
        if (name == QLatin1String("write-verifying")) {
            auto* write = qobject_cast<TForm12*>(&window);
            if (!write || !write->checking())
                v.wrongState << name + QStringLiteral(" is not reading back");
        }
        if (name == QLatin1String("write-stopped") && !button("Button4"))
            v.wrongState << name + QStringLiteral(" offers no continue");
        if (name == QLatin1String("connect-box") && !button("Button4"))
            v.wrongState << name + QStringLiteral(" shows no connect button");
    });
    return v;
}

void expectAllFit(const Visit& v) {
    const QSet<QString> shown(v.shown.begin(), v.shown.end());
    for (const QString& screen : kScreens)
        EXPECT_TRUE(shown.contains(screen)) << "not drawn: " << screen.toStdString();
    EXPECT_TRUE(v.wrongState.isEmpty()) << v.wrongState.join('\n').toStdString();
    EXPECT_TRUE(v.clipped.isEmpty()) << "cut texts:\n" << v.clipped.join('\n').toStdString();
}

TEST(AllWindowsFit, Czech) {
    expectAllFit(visitAll({}));
}

TEST(AllWindowsFit, English) {
    ASSERT_TRUE(QFile::exists(kEnglish));
    expectAllFit(visitAll(QDir(kEnglish).absolutePath()));
}

} // namespace
} // namespace lumo::screens
