// The language pack over all windows: every key of the built-in table reaches a visible place
// (or the message table), a second pack leaves nothing of the first, and a pack changes texts
// only, never which controls are visible or enabled.
#include "AppTestSupport.h"
#include "app/ComparePart.h"
#include "app/TForm2.h"
#include "app/TForm3.h"
#include "app/TForm8.h"
#include "app/ToolsPart.h"
#include "files/ui/BackupUi.h"
#include "files/ui/PrintUi.h"
#include "link/ui/LocalTransferUi.h"
#include "params/ui/TForm13.h"
#include "platform/Cp1250.h"
#include "platform/SoundOutput.h"
#include "platform/VirtualClock.h"
#include "remote/ui/RemoteUi.h"
#include "shell/Shell.h"
#include "texts/LanguagePack.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using S = TextSection;

class QuietSound : public SoundOutput {
public:
    bool hasOutputDevice() const override { return true; }
    void play(const QString&, std::function<void()> done) override { done(); }
    void playDefault(std::function<void()> done) override { done(); }
};

// Keys that go to the message table only (messages shown by commands, not window texts),
// and the logo file name.
bool messageOnly(const TextKey& k) {
    switch (k.section) {
    case S::MESSAGE:
        return k.key != 18 && k.key != 20 && k.key != 31 && k.key != 38 && k.key != 52;
    case S::OTHER:
        return k.key == 30 || (k.key >= 35 && k.key <= 38) || k.key == 48 || k.key == 49;
    case S::REMOTE:
        return (k.key >= 25 && k.key <= 32) || k.key == 43 || (k.key >= 70 && k.key <= 81);
    default:
        return false;
    }
}

QString marker(const char* letter, const TextKey& k) {
    return QString::fromLatin1(letter) + sectionName(k.section) + QString::number(k.key);
}

// A pack whose every value names its key: "K" + section + key.
QByteArray markerPack(const char* letter) {
    QByteArray out;
    std::optional<S> section;
    for (const TextDef& def : builtInTexts()) {
        if (section != def.key.section) {
            section = def.key.section;
            out += '[' + sectionName(def.key.section).toLatin1() + "]\r\n";
        }
        out += QByteArray::number(def.key.key) + '=' + marker(letter, def.key).toLatin1() + "\r\n";
    }
    return out;
}

// Every text a person can see anywhere: captions, labels, buttons, frames, tabs, menus,
// actions, hints and field contents.
QStringList visibleTexts() {
    QStringList all;
    for (QWidget* w : QApplication::allWidgets()) {
        all << w->windowTitle() << w->toolTip();
        if (auto* l = qobject_cast<QLabel*>(w))
            all << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            all << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w))
            all << g->title();
        if (auto* m = qobject_cast<QMenu*>(w))
            all << m->title();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            all << e->text();
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                all << t->tabText(i) << t->tabToolTip(i);
        for (QAction* a : w->actions())
            all << a->text() << a->toolTip();
        for (QAction* a : w->findChildren<QAction*>(Qt::FindDirectChildrenOnly))
            all << a->text() << a->toolTip();
    }
    return all;
}

QSet<QString> markersShown(const char* letter) {
    const QRegularExpression re(QString::fromLatin1(letter) +
                                QStringLiteral("(Menu|TAB[1-4]|MESSAGE|OTHER|HINT|REMOTE)\\d+"));
    QSet<QString> found;
    for (const QString& text : visibleTexts())
        for (const auto& m : re.globalMatch(text))
            found.insert(m.captured(0));
    return found;
}

struct WidgetState {
    bool visible;
    bool enabled;
    friend bool operator==(const WidgetState&, const WidgetState&) = default;
};

std::map<QString, WidgetState> states(QWidget& root) {
    std::map<QString, WidgetState> out;
    for (QWidget* w : root.findChildren<QWidget*>())
        if (!w->objectName().isEmpty())
            out[w->objectName()] = {w->isVisibleTo(&root), w->isEnabled()};
    for (QAction* a : root.findChildren<QAction*>())
        if (!a->objectName().isEmpty())
            out[QStringLiteral("action:") + a->objectName()] = {a->isVisible(), a->isEnabled()};
    return out;
}

class AllWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        form1 = std::make_unique<TForm1>(shell);
        form13 = std::make_unique<TForm13>(form1.get());
        form1->attachToneDialog(form13.get());
        localLink = std::make_unique<LocalTransferUi>(shell, linkState, form1.get());
        form1->addPart(*localLink);
        printing = std::make_unique<PrintUi>(form1.get());
        form1->addPart(*printing);
        printing->labelDialog(); // made on first use
        remote = std::make_unique<RemoteUi>(form1.get());
        form1->addPart(*remote);
        tools = std::make_unique<ToolsPart>(form1.get(), sound, [](const QString&) {});
        form1->addPart(*tools);
        compare = std::make_unique<ComparePart>(
            form1.get(), [](ParameterModel&, std::function<void(bool)>) { return false; });
        form1->addPart(*compare);
        backups = std::make_unique<BackupUi>([](const QString&) {});
        form1->addPart(*backups);
        form1->show();
        test::pump();
    }
    void TearDown() override {
        backups.reset();
        compare.reset();
        tools.reset();
        remote.reset();
        printing.reset();
        localLink.reset();
        form13.reset();
        form1.reset();
        QDir::setCurrent(previous);
    }
    void writePack(const QString& name, const QByteArray& bytes) {
        QFile f(folder.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Chooses the pack named `caption` from the language menu, as the user does.
    void choose(const QString& caption) {
        form1->buildLanguageMenu();
        for (int i = 0; i < TForm1::kLanguageItems; ++i) {
            static const char* const names[] = {"English1", "a11", "a21", "a31", "a41", "a51",
                                                "a61",      "a71", "a81", "a91", "a01"};
            QAction* item = form1->action(QString::fromLatin1(names[i]));
            if (item && item->isVisible() && item->text() == caption) {
                form1->chooseLanguage(i);
                test::pump();
                return;
            }
        }
        FAIL() << "no language item " << caption.toStdString();
    }

    QTemporaryDir folder;
    QString previous;
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    LocalLinkState linkState;
    QuietSound sound;
    TForm8 form8;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm13> form13;
    std::unique_ptr<LocalTransferUi> localLink;
    std::unique_ptr<PrintUi> printing;
    std::unique_ptr<RemoteUi> remote;
    std::unique_ptr<ToolsPart> tools;
    std::unique_ptr<ComparePart> compare;
    std::unique_ptr<BackupUi> backups;
};

TEST_F(AllWindows, EveryKeyReachesAVisiblePlaceOrTheMessageTable) {
    writePack(QStringLiteral("K.lng"), markerPack("K"));
    choose(QStringLiteral("K"));
    form8.applyTexts(texts); // the start-up warning takes its texts at start-up
    const QSet<QString> shown = markersShown("K");

    QStringList notReached;
    for (const TextDef& def : builtInTexts()) {
        EXPECT_EQ(texts.get(def.key), marker("K", def.key)) << "the loader skipped a key";
        if (messageOnly(def.key))
            continue;
        // The tone buttons' first captions, always overwritten by the later keys.
        if (def.key.section == S::OTHER && def.key.key >= 14 && def.key.key <= 22)
            continue;
        if (!shown.contains(marker("K", def.key)))
            notReached << marker("K", def.key);
    }
    // Every window is built: no key may be missing.
    const QSet<QString> notYetBuilt;
    QStringList unexpected;
    for (const QString& key : notReached)
        if (!notYetBuilt.contains(key))
            unexpected << key;
    EXPECT_TRUE(unexpected.isEmpty())
        << "keys without a place: " << unexpected.join(' ').toStdString();
    if (!notReached.isEmpty())
        std::printf("keys waiting for their windows: %s\n", qPrintable(notReached.join(' ')));
}

TEST_F(AllWindows, CompositionRulesOverTheWholeWindow) {
    writePack(QStringLiteral("Mini.lng"),
              "[Menu]\r\n1=File\r\n63=DAY\r\n64=7\r\n[TAB1]\r\n11=  Dialling  \r\n76=Klavesa\r\n"
              "[TAB4]\r\n5=Btn\r\n[MESSAGE]\r\n20=www.x.invalid\r\n");
    choose(QStringLiteral("Mini"));
    auto text = [&](QWidget* root, const char* name) {
        QWidget* w = root->findChild<QWidget*>(QString::fromLatin1(name));
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w))
            return g->title();
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text();
        return QString();
    };
    EXPECT_EQ(form1->action(QStringLiteral("Soubor1"))->text(), QStringLiteral("File"));
    EXPECT_EQ(text(form1.get(), "GroupBox13"), QStringLiteral(" Dialling "));
    EXPECT_EQ(text(form1.get(), "RadioButton23"), QStringLiteral("Klavesa *"));
    EXPECT_EQ(text(form1.get(), "RadioButton24"), QStringLiteral("Klavesa #"));
    EXPECT_EQ(text(form1.get(), "RadioButton25"), QStringLiteral("Klavesa A"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit156")), QStringLiteral("DAY"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit157")), QStringLiteral("7"));
    EXPECT_EQ(text(&tools->about(), "Label8"), QStringLiteral("Web:  www.x.invalid"));
    // Everything else keeps its Czech default.
    EXPECT_EQ(form1->action(QStringLiteral("Otevt1"))->text(), QStringLiteral("Otevřít"));
    EXPECT_EQ(tools->toneSamples().windowTitle(), QStringLiteral("Ukázky tónů vrátného"));
}

TEST_F(AllWindows, SecondPackLeavesNothingOfTheFirstEvenWithADialogOpen) {
    writePack(QStringLiteral("K.lng"), markerPack("K"));
    writePack(QStringLiteral("J.lng"), markerPack("J"));
    choose(QStringLiteral("K"));
    tools->showToneSamples();
    tools->showAbout();
    choose(QStringLiteral("J"));
    choose(QStringLiteral("K"));
    choose(QStringLiteral("J"));
    EXPECT_TRUE(markersShown("K").isEmpty())
        << "left from the first pack: "
        << QStringList(markersShown("K").values()).join(' ').toStdString();
    EXPECT_GE(markersShown("J").size(), 150);
    EXPECT_EQ(tools->toneSamples().windowTitle(), QStringLiteral("JOTHER13"));
    tools->toneSamples().hide();
    tools->about().hide();
}

TEST_F(AllWindows, PacksChangeTextsOnlyNeverVisibilityOrEnabledState) {
    // Disable and hide a few things as the firmware rules and commands do.
    form1->action(QStringLiteral("Readdata1"))->setEnabled(false);
    if (QWidget* w = form1->findChild<QWidget*>(QStringLiteral("RadioButton16")))
        w->setEnabled(false);
    const auto before = states(*form1);
    const auto tonesBefore = states(tools->toneSamples());
    writePack(QStringLiteral("K.lng"), markerPack("K"));
    choose(QStringLiteral("K"));
    EXPECT_TRUE(states(*form1) == before);
    EXPECT_TRUE(states(tools->toneSamples()) == tonesBefore);
}

} // namespace
} // namespace lumo
