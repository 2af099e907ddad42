// The main window holds every parameter of the field table on its page, with its default, and
// every caption follows the texts table with the composition rules.
#include "AppTestSupport.h"
#include "params/FieldTable.h"
#include "params/ui/TForm13.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>

namespace lumo::test {
namespace {

using MainWindowLayout = MainWindowTest;

QString pageOf(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget())
        if (p->objectName().startsWith(QLatin1String("TabSheet")))
            return p->objectName();
    return {};
}

QString expectedPage(const QString& name) {
    const int n = name.mid(4).toInt();
    if (name.startsWith(QLatin1String("Edit"))) {
        if (n <= 128) {
            const int button = (n - 1) % 64; // 0..63
            static const char* const pages[] = {"TabSheet1", "TabSheet2", "TabSheet6", "TabSheet7"};
            return QString::fromLatin1(pages[button / 16]);
        }
        if (n >= 129 && n <= 139)
            return QStringLiteral("TabSheet4");
        if ((n >= 140 && n <= 144) || n == 151)
            return QStringLiteral("TabSheet3");
        if (n == 156 || n == 157)
            return {};
        return QStringLiteral("TabSheet5");
    }
    if (name == QLatin1String("CheckBox1") || name == QLatin1String("CheckBox2"))
        return QStringLiteral("TabSheet4");
    return QStringLiteral("TabSheet5");
}

TEST_F(MainWindowLayout, PagesComeInOrderWithTheirCaptions) {
    auto* pages = child<QTabWidget>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    const QStringList names = {"TabSheet3", "TabSheet4", "TabSheet5", "TabSheet1",
                               "TabSheet2", "TabSheet6", "TabSheet7"};
    const QStringList captions = {"Základní parametry", "Spínače",         "Časové parametry",
                                  "Paměť čísel. 1- 16", "Paměť č. 17- 32", "Paměť č. 33- 48",
                                  "Paměť č. 49- 64"};
    ASSERT_EQ(pages->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
        EXPECT_EQ(pages->tabText(i), captions[i]);
    }
    EXPECT_EQ(form->size(), QSize(620, 419 + form->menuBar()->sizeHint().height()));
}

TEST_F(MainWindowLayout, EveryFieldIsOnItsPageWithItsDefault) {
    for (const FieldDef& f : fieldTable()) {
        const QString name = QString::fromLatin1(f.name);
        if (f.kind == FieldKind::List)
            continue;
        QWidget* w = child(name);
        ASSERT_NE(w, nullptr) << f.name;
        EXPECT_EQ(pageOf(w), expectedPage(name)) << f.name;
        if (f.kind == FieldKind::Text) {
            auto* e = qobject_cast<QLineEdit*>(w);
            ASSERT_NE(e, nullptr) << f.name;
            EXPECT_EQ(e->text(), QString::fromUtf8(f.defaultValue)) << f.name;
            if (f.maxLength > 0) {
                EXPECT_EQ(e->maxLength(), f.maxLength) << f.name;
            }
        } else {
            auto* c = qobject_cast<QCheckBox*>(w);
            ASSERT_NE(c, nullptr) << f.name;
            EXPECT_EQ(c->isChecked(), qstrcmp(f.defaultValue, "1") == 0) << f.name;
        }
    }
    for (const OptionGroupDef& g : optionGroups()) {
        auto* box = child<QGroupBox>(QString::fromLatin1(g.groupBox));
        ASSERT_NE(box, nullptr) << g.groupBox;
        for (const OptionDef& o : g.options) {
            auto* r = child<QRadioButton>(QString::fromLatin1(o.button));
            ASSERT_NE(r, nullptr) << o.button;
            EXPECT_EQ(r->parentWidget(), box) << o.button;
            EXPECT_EQ(r->isChecked(), qstrcmp(o.button, g.defaultButton) == 0) << o.button;
        }
    }
    // The prefix and its label are hidden until a firmware version shows them.
    EXPECT_TRUE(edit(QStringLiteral("Edit158"))->isHidden());
    EXPECT_TRUE(child(QStringLiteral("Label168"))->isHidden());
}

TEST_F(MainWindowLayout, NumberRowsAreLabelledByButton) {
    EXPECT_EQ(child<QLabel>(QStringLiteral("ButtonLabel1"))->text(), QStringLiteral("Tlačítko 1"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("ButtonLabel81"))->text(),
              QStringLiteral("Tlačítko 17"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("ButtonLabel128"))->text(),
              QStringLiteral("Tlačítko 64"));
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("GroupBox7"))->title(),
              QStringLiteral(" Skupina 2 / NOC "));
    EXPECT_EQ(edit(QStringLiteral("Edit17"))->toolTip(), QStringLiteral("Telefonní číslo"));
    EXPECT_TRUE(edit(QStringLiteral("Edit18"))->toolTip().isEmpty());
}

TEST_F(MainWindowLayout, CaptionsFollowTheCompositionRules) {
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("GroupBox13"))->title(),
              QStringLiteral(" Druh volby "));
    EXPECT_EQ(child<QRadioButton>(QStringLiteral("RadioButton24"))->text(),
              QStringLiteral("Klávesa Klíč vytáčí #"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label168"))->text(),
              QStringLiteral("Pevný prefix před volbou všech čísel: "));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label158"))->text(),
              QStringLiteral("Servisní heslo pro přístup do programování vrátného\nz telefonu :"));
    EXPECT_EQ(form->action(QStringLiteral("Nastve1"))->text(), QStringLiteral("Načíst vše"));
    EXPECT_EQ(child<QMenu>(QStringLiteral("N5"))->title(), QStringLiteral("Vzdálené nastavení"));
    EXPECT_EQ(child(QStringLiteral("BitBtn6"))->toolTip(),
              QStringLiteral("Zapsat všechny parametry do vrátného"));
    EXPECT_EQ(child(QStringLiteral("Panel2"))->toolTip(),
              QStringLiteral("Počet připojení na linku (resetů) - pouze 0-255, pak se opakuje"));

    // A pack value keeps one blank on each side of a frame caption, and the row labels and
    // the file label follow their keys.
    texts.set(TextSection::TAB1, 11, QStringLiteral("  Dialling  "));
    texts.set(TextSection::TAB1, 76, QStringLiteral("Klavesa"));
    texts.set(TextSection::TAB4, 5, QStringLiteral("Button"));
    texts.set(TextSection::Menu, 1, QStringLiteral("File"));
    texts.set(TextSection::Menu, 63, QStringLiteral("DAY"));
    model.params().setText(QStringLiteral("Edit156"), QStringLiteral("NOC"));
    form->applyTexts();
    EXPECT_EQ(child<QGroupBox>(QStringLiteral("GroupBox13"))->title(),
              QStringLiteral(" Dialling "));
    EXPECT_EQ(child<QRadioButton>(QStringLiteral("RadioButton25"))->text(),
              QStringLiteral("Klavesa A"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("ButtonLabel100"))->text(), QStringLiteral("Button 36"));
    EXPECT_EQ(child<QMenu>(QStringLiteral("Soubor1"))->title(), QStringLiteral("File"));
    EXPECT_EQ(edit(QStringLiteral("Edit156"))->text(), QStringLiteral("DAY"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit156")), QStringLiteral("DAY"));
    form->Timer1Timer();
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel2"))->text(), QStringLiteral("File: "));
}

TEST_F(MainWindowLayout, MenuTreeHasItsInitialStates) {
    for (const char* name :
         {"Otevt1",      "Uloit1",         "Uloitjako1",       "isknastaven1",
          "Konec1",      "Nastve1",        "Nastnastaven1",    "Nastpamtisel1",
          "Uloitve1",    "Ulotnastaven1",  "Uloitpamtisel1",   "Ukzkytn1",
          "iskvizitek1", "Nastavenportu1", "Npovda1",          "Novinky1",
          "Oprogramu1",  "Connect1",       "imeofconnection1", "Numberofconnect1",
          "N7"})
        ASSERT_NE(form->action(QString::fromLatin1(name)), nullptr) << name;
    for (const char* name : {"Readdata1", "Writedata1", "Unconnect1"})
        EXPECT_FALSE(form->action(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_FALSE(form->action(QStringLiteral("N6"))->isEnabled());
    EXPECT_FALSE(form->action(QStringLiteral("N8"))->isEnabled());
    EXPECT_FALSE(form->action(QStringLiteral("Connect2"))->isVisible());
    EXPECT_EQ(form->action(QStringLiteral("Numberofconnect1"))->text(),
              QStringLiteral("Počet opakování:"));
}

TEST_F(MainWindowLayout, StatusBarHasSevenPanelsRefreshedByTheTimer) {
    EXPECT_EQ(child(QStringLiteral("StatusBar1")), form->statusBar());
    const QStringList initial = {"COM", "Soubor", "", "Firmware:", "", "Date", "Time"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel%1").arg(i + 1))->text(), initial[i]);

    part.linkPanel = QStringLiteral("COM:3");
    model.setSettingsFileName(QStringLiteral("/tmp/sites/Dum 12.KTF"));
    model.params().setFirmwareVersion(QStringLiteral("7.4"));
    form->Timer1Timer();
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel1"))->text(), QStringLiteral("COM:3"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel2"))->text(),
              QStringLiteral("Soubor: Dum 12.KTF"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel4"))->text(),
              QStringLiteral("Firmware: 7.4"));
    EXPECT_TRUE(QTime::fromString(child<QLabel>(QStringLiteral("StatusPanel6"))->text(),
                                  QStringLiteral("hh:mm:ss"))
                    .isValid());
    EXPECT_TRUE(QDate::fromString(child<QLabel>(QStringLiteral("StatusPanel7"))->text(),
                                  QStringLiteral("dd.MM.yyyy"))
                    .isValid());

    part.linkPanel = QStringLiteral("USB:OK");
    form->Timer1Timer();
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusPanel1"))->text(), QStringLiteral("USB:OK"));
}

void click(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

TEST_F(MainWindowLayout, PanelAndStatusBarClicksRunTheirCommands) {
    click(child(QStringLiteral("Label1")));
    click(child(QStringLiteral("Edit157")));
    click(child(QStringLiteral("Panel2")));
    click(child(QStringLiteral("Edit156")));
    click(child(QStringLiteral("StatusPanel4")));
    click(form->statusBar());
    EXPECT_EQ(part.runs,
              (QStringList{"Panel1", "Panel2", "Panel2", "Panel1", "StatusBar1", "StatusBar1"}));
}

TEST_F(MainWindowLayout, ActionsFollowTheirCommandsAndTheIndicatorItsModel) {
    QAction* readAll = form->action(QStringLiteral("Nastve1"));
    readAll->trigger();
    child<QPushButton>(QStringLiteral("BitBtn3"))->click();
    EXPECT_EQ(part.runs, (QStringList{"Nastve1", "Nastve1"}));
    shell.commands().setEnabled(QStringLiteral("Nastve1"), false);
    EXPECT_FALSE(readAll->isEnabled());
    shell.commands().setVisible(QStringLiteral("Nastve1"), false);
    EXPECT_FALSE(readAll->isVisible());
    shell.commands().setVisible(QStringLiteral("Nastve1"), true);
    shell.commands().setEnabled(QStringLiteral("Nastve1"), true);
    EXPECT_TRUE(readAll->isEnabled());
    EXPECT_TRUE(readAll->isVisible());
    // A command registered later reaches its action, caption included.
    int connects = 0;
    shell.commands().add(
        QStringLiteral("Connect1"), [&] { ++connects; }, TextKey{TextSection::Menu, 11});
    form->action(QStringLiteral("Connect1"))->trigger();
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(form->action(QStringLiteral("Connect1"))->text(), QStringLiteral("Otevřít"));

    auto* label166 = child<QLabel>(QStringLiteral("Label166"));
    shell.indicator().set(0x008000);
    EXPECT_EQ(label166->palette().color(QPalette::Window), QColor(0, 128, 0));
    form->Timer1Timer(); // every tick starts from the window colour
    EXPECT_EQ(label166->palette().color(QPalette::Window), form->palette().color(QPalette::Window));
}

TEST_F(MainWindowLayout, ToneDialogListsAreBoundToTheModel) {
    TForm13 dialog(form.get());
    form->attachToneDialog(&dialog);
    auto* band = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->currentText(), QStringLiteral("350-500"));
    EXPECT_EQ(band->count(), 12);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tone detection"));

    // A settings-file value outside the items is shown as it is.
    model.params().setText(QStringLiteral("ComboBox2"), QStringLiteral("800-950"));
    EXPECT_EQ(band->currentText(), QStringLiteral("800-950"));
    band->setCurrentIndex(0);
    EXPECT_EQ(model.params().text(QStringLiteral("ComboBox2")), QStringLiteral("200-350"));

    // Typing changes nothing; emptying a list brings its default back.
    auto* busy = dialog.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    model.params().setText(QStringLiteral("ComboBox1"), QStringLiteral("6"));
    typeText(busy->lineEdit(), QStringLiteral("9x"));
    EXPECT_EQ(busy->currentText(), QStringLiteral("6"));
    busy->lineEdit()->selectAll();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(busy->lineEdit(), &del);
    EXPECT_EQ(busy->currentText(), QStringLiteral("8"));
    EXPECT_EQ(model.params().text(QStringLiteral("ComboBox1")), QStringLiteral("8"));
}

} // namespace
} // namespace lumo::test
