// Draws the windows shown in the user manual into PNG files, in the language of a pack:
//   lumo-screens OUTPUT-FOLDER PREFIX [PACK.lng]
// Runs on the offscreen platform at build time, so the manual's pictures always show the
// windows as they are built.
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/TForm3.h"
#include "link/ui/TForm6.h"
#include "link/ui/TForm9.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/SoundOutput.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "texts/LanguagePack.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

class SilentMessenger : public lumo::Messenger {
public:
    void message(const QString&, const QString&) override {}
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

class NoSound : public lumo::SoundOutput {
public:
    bool hasOutputDevice() const override { return false; }
    void play(const QString&, std::function<void()> done) override { done(); }
    void playDefault(std::function<void()> done) override { done(); }
};

bool save(QWidget& window, const QString& path) {
    window.show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    window.hide();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: lumo-screens OUTPUT-FOLDER PREFIX [PACK.lng]\n");
        return 2;
    }
    const QDir out(args[0]);
    if (!QDir().mkpath(args[0]))
        return 1;
    const QString prefix = args[1];

    lumo::Texts texts;
    if (args.size() == 3 && !lumo::loadLanguagePack(args[2], texts)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[2]));
        return 1;
    }
    lumo::VirtualClock clock;
    SilentMessenger messenger;
    lumo::ParameterModel model;
    lumo::Shell shell(clock, messenger, model, texts);
    lumo::TForm1 form1(shell);
    form1.applyTexts();
    form1.Timer1Timer(); // fills the status bar
    bool ok = save(form1, out.filePath(prefix + QStringLiteral("-main.png")));

    lumo::TForm6 form6(messenger);
    form6.applyTexts(texts);
    form6.setProgress(45);
    ok = save(form6, out.filePath(prefix + QStringLiteral("-transfer.png"))) && ok;

    lumo::TForm9 form9(texts);
    lumo::ParameterSet params;
    form9.prepare({texts.message(46), QStringLiteral("1"), QStringLiteral("17")}, params);
    ok = save(form9, out.filePath(prefix + QStringLiteral("-confirm.png"))) && ok;

    NoSound sound;
    lumo::TForm3 form3(sound);
    form3.applyTexts(texts);
    ok = save(form3, out.filePath(prefix + QStringLiteral("-tones.png"))) && ok;

    lumo::TForm2 form2(nullptr, [](const QString&) {});
    form2.applyTexts(texts);
    ok = save(form2, out.filePath(prefix + QStringLiteral("-about.png"))) && ok;
    return ok ? 0 : 1;
}
