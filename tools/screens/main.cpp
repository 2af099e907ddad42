// Draws every window of the program, in each state worth a picture, into PNG files in the
// language of a pack:
//   lumo-screens OUTPUT-FOLDER PREFIX [PACK.lng]
// gives OUTPUT-FOLDER/PREFIX-main.png, PREFIX-write-stopped.png and so on. Runs on the
// offscreen platform at build time, so the manual's pictures always show the windows as they
// are built. Texts that do not fit their controls are listed on standard error.
#include "screens/TextFit.h"
#include "screens/WindowGallery.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: lumo-screens OUTPUT-FOLDER PREFIX [PACK.lng]\n");
        return 2;
    }
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    const QDir out(QDir(args[0]).absolutePath());
    const QString prefix = args[1];

    lumo::screens::WindowGallery gallery(args.size() == 3 ? QDir(args[2]).absolutePath()
                                                          : QString());
    if (!gallery.ready()) {
        std::fprintf(stderr, "%s\n", qPrintable(gallery.problem()));
        return 1;
    }
    bool ok = true;
    int pictures = 0;
    gallery.visit([&](const QString& name, QWidget& window) {
        const QString path =
            out.filePath(prefix + QLatin1Char('-') + name + QStringLiteral(".png"));
        if (!window.grab().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
            return;
        }
        ++pictures;
        for (const lumo::screens::ClippedText& c : lumo::screens::clippedTexts(window))
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(c.describe()));
    });
    for (const QString& message : gallery.messages())
        std::fprintf(stderr, "message: %s\n", qPrintable(message));
    std::printf("%d pictures in %s\n", pictures, qPrintable(out.path()));
    return ok ? 0 : 1;
}
