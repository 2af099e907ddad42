// Start-up and close of the main window: Config.ini, the language menu, the command-line
// argument, the hand-over at the first port-timer tick, and the close questions.
#include "AppTestSupport.h"
#include "app/TForm8.h"
#include "platform/IniFile.h"
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

namespace lumo::test {
namespace {

using StartUp = MainWindowTest;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList visibleLanguageItems(TForm1& form) {
    QStringList captions;
    for (QAction* a : form.findChild<QMenu*>(QStringLiteral("Jazyk1"))->actions())
        if (a->isVisible())
            captions << a->text();
    return captions;
}

TEST(ArgumentCheck, NameLengthAndExtension) {
    EXPECT_EQ(checkSettingsArgument(QStringLiteral("a.ktf")), ArgumentCheck::TooShort);
    EXPECT_EQ(checkSettingsArgument(QStringLiteral("/home/t/Dum.ktf")),
              ArgumentCheck::SettingsFile);
    EXPECT_EQ(checkSettingsArgument(QStringLiteral("/home/t/Dum.KTF  ")),
              ArgumentCheck::SettingsFile);
    EXPECT_EQ(checkSettingsArgument(QStringLiteral("/home/t/Dum.txt")),
              ArgumentCheck::NotSettingsFile);
    EXPECT_EQ(checkSettingsArgument(QStringLiteral("/home/t/ktf")), ArgumentCheck::NotSettingsFile);
}

TEST_F(StartUp, FirstStartCreatesConfigAndCloseKeepsHandEditedKeys) {
    TForm8 warning;
    form->startUp({}, &warning);
    const QString configPath = folder.filePath(QStringLiteral("Config.ini"));
    ASSERT_TRUE(QFile::exists(configPath));
    {
        IniFile ini(configPath);
        EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("USB")),
                  QStringLiteral("0"));
        EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("COM")),
                  QStringLiteral("1"));
        EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("Lang")),
                  QStringLiteral("Cesky.lng"));
        EXPECT_TRUE(ini.hasKey(QStringLiteral("Info"), QStringLiteral("ClosePort")));
        EXPECT_EQ(ini.readString(QStringLiteral("-"), QStringLiteral("-")), QStringLiteral("-"));
    }
    EXPECT_EQ(form->windowTitle().left(6), QStringLiteral("Lumo V"));
    EXPECT_TRUE(part.requested);
    EXPECT_FALSE(part.config.existed);
    EXPECT_EQ(part.startUpsFinished, 1);

    // The technician adds the serial options by hand; closing keeps them and stores the port.
    IniFile(configPath)
        .writeString(QStringLiteral("Setup"), QStringLiteral("ClosePort"), QStringLiteral("1"));
    IniFile(configPath)
        .writeString(QStringLiteral("Setup"), QStringLiteral("TimeOutRS"), QStringLiteral("25"));
    part.config.com = 4;
    messenger.answers = {false}; // no save
    form->close();
    IniFile ini(configPath);
    EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("ClosePort")),
              QStringLiteral("1"));
    EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("TimeOutRS")),
              QStringLiteral("25"));
    EXPECT_EQ(ini.readString(QStringLiteral("Setup"), QStringLiteral("COM")), QStringLiteral("4"));
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].title, QStringLiteral("Uložit soubor"));
    EXPECT_EQ(messenger.questions[0].text, QStringLiteral("Chcete uložit data s nastavením?"));
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(StartUp, ExistingConfigIsReadAndYesOnCloseRunsSaveAs) {
    writeFile(folder.filePath(QStringLiteral("Config.ini")),
              "[Setup]\r\nUSB=1\r\nCOM=3\r\nLang=English.lng\r\nClosePort=1\r\nTimeOutRS=20\r\n");
    writeFile(folder.filePath(QStringLiteral("English.lng")), "[Menu]\r\n1=File\r\n");
    form->startUp({}, nullptr);
    // The parts get what Config.ini says.
    EXPECT_TRUE(part.config.existed);
    EXPECT_EQ(part.config.com, 3);
    EXPECT_TRUE(part.config.usb);
    EXPECT_EQ(part.config.closePort, QStringLiteral("1"));
    EXPECT_EQ(part.config.timeOutRS, 20);
    EXPECT_EQ(part.startUpsFinished, 1);
    EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("Soubor1"))->title(), QStringLiteral("File"));

    // Yes: Save As is offered with the current name; cancelling it still closes.
    messenger.answers = {true};
    form->close();
    EXPECT_TRUE(model.saveAsWithCurrentName());
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(IniFile(folder.filePath(QStringLiteral("Config.ini")))
                  .readString(QStringLiteral("Setup"), QStringLiteral("Lang")),
              QStringLiteral("English.lng"));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(StartUp, FirstTickAfterStartUpHandsOverAndAsksToOpen) {
    TForm8 warning;
    form->setEnabled(false);
    form->startUp({}, &warning);
    EXPECT_TRUE(warning.isVisible());
    EXPECT_EQ(shell.portTimer().intervalMs(), 8000);
    messenger.answers = {true};
    clock.advance(7999);
    EXPECT_TRUE(warning.isVisible());
    clock.advance(1); // the timer's first tick
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(warning.isVisible());
    EXPECT_EQ(shell.portTimer().intervalMs(), 300);
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].title, QStringLiteral("Otevřít soubor"));
    EXPECT_EQ(messenger.questions[0].text, QStringLiteral("Chcete načíst soubor s nastavením?"));
    EXPECT_TRUE(messenger.questions[0].defaultNo);
    EXPECT_EQ(dialogs.requests.size(), 1u); // Yes ran the Open command
    EXPECT_EQ(part.portChecks, 1);

    // Later ticks with a raised request only run the port check.
    clock.advance(300);
    EXPECT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(part.portChecks, 2);
}

TEST_F(StartUp, BadCommandLineArgumentsShowTheirMessage) {
    auto* pages = child<QTabWidget>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(3);
    // A short name is a file of the current folder: checked and loaded by its full path.
    form->startUp({QStringLiteral("a.ktf")}, nullptr);
    ASSERT_EQ(messenger.messages.size(), 1u); // a.ktf does not exist
    EXPECT_TRUE(messenger.messages[0].contains(folder.filePath(QStringLiteral("a.ktf"))))
        << qPrintable(messenger.messages[0]);
    EXPECT_TRUE(model.settingsFileName().isEmpty());
    ASSERT_TRUE(QFile::copy(QStringLiteral(LUMO_TEST_DATA_DIR "/files/records164.KTF"),
                            folder.filePath(QStringLiteral("a.ktf"))));
    messenger.messages.clear();
    form->startUp({QStringLiteral("a.ktf")}, nullptr);
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_TRUE(form->fileFromCommandLine());
    EXPECT_EQ(model.settingsFileName(), folder.filePath(QStringLiteral("a.ktf")));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit144")), QStringLiteral("1234"));
    pages->setCurrentIndex(3);

    // The second start finds the Config.ini of the first, and its Czech pack.
    writeFile(folder.filePath(QStringLiteral("Cesky.lng")), "[Menu]\r\n");
    messenger.messages.clear();
    form->startUp({folder.filePath(QStringLiteral("notes.txt"))}, nullptr);
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0],
              QStringLiteral("Vybraný soubor není soubor pro nastavení Vexo"));
    EXPECT_TRUE(model.settingsFileName().isEmpty());
    EXPECT_EQ(pages->currentIndex(), 3); // the sequence ended before the first page
}

TEST_F(StartUp, SettingsFileFromCommandLineSkipsTheOpenQuestion) {
    const QString path = folder.filePath(QStringLiteral("missing.KTF"));
    TForm8 warning;
    form->startUp({path}, &warning);
    EXPECT_TRUE(form->fileFromCommandLine());
    messenger.questions.clear();
    form->Timer1Timer();
    EXPECT_TRUE(messenger.questions.empty());
}

TEST_F(StartUp, LanguageMenuWithoutPacksShowsNone) {
    form->startUp({}, nullptr);
    EXPECT_EQ(visibleLanguageItems(*form), QStringList{QStringLiteral("None")});
    const QString before = form->action(QStringLiteral("Nastve1"))->text();
    form->action(QStringLiteral("English1"))->trigger();
    EXPECT_EQ(form->action(QStringLiteral("Nastve1"))->text(), before);
    EXPECT_TRUE(messenger.messages.empty());
}

TEST_F(StartUp, LanguageMenuListsPacksAndSwitchesLanguage) {
    writeFile(folder.filePath(QStringLiteral("Cesky.lng")), "[Menu]\r\n");
    writeFile(folder.filePath(QStringLiteral("English.lng")),
              "[Menu]\r\n1=File\r\n21=Read all\r\n63=DAY\r\n[TAB4]\r\n5=Button\r\n");
    form->startUp({}, nullptr);
    QStringList items = visibleLanguageItems(*form);
    items.sort();
    EXPECT_EQ(items, (QStringList{QStringLiteral("Cesky"), QStringLiteral("English")}));

    int english = -1;
    for (int i = 0; i < TForm1::kLanguageItems; ++i)
        if (form->languageItemPaths()[size_t(i)].endsWith(QLatin1String("English.lng")))
            english = i;
    ASSERT_GE(english, 0);
    model.params().setText(QStringLiteral("Edit156"), QStringLiteral("NOC"));
    form->chooseLanguage(english);
    EXPECT_EQ(form->action(QStringLiteral("Nastve1"))->text(), QStringLiteral("Read all"));
    EXPECT_EQ(edit(QStringLiteral("Edit156"))->text(), QStringLiteral("DAY"));
    EXPECT_EQ(child<QLabel>(QStringLiteral("ButtonLabel64"))->text(), QStringLiteral("Button 64"));
    EXPECT_EQ(form->action(QStringLiteral("Uloit1"))->text(), QStringLiteral("Uložit"));

    messenger.answers = {false};
    form->close();
    EXPECT_EQ(IniFile(folder.filePath(QStringLiteral("Config.ini")))
                  .readString(QStringLiteral("Setup"), QStringLiteral("Lang")),
              QStringLiteral("English.lng"));
}

TEST_F(StartUp, MissingPacksWarnOnlyWhenAChosenPackIsGone) {
    // Config.ini from an earlier run and no pack at all: the built-in Czech texts, silently.
    writeFile(folder.filePath(QStringLiteral("Config.ini")), "[Setup]\r\nLang=Cesky.lng\r\n");
    form->startUp({}, nullptr);
    EXPECT_TRUE(messenger.messages.empty());

    // A pack chosen from the menu and deleted before the choice, with no Czech pack either.
    writeFile(folder.filePath(QStringLiteral("Deutsch.lng")), "[Menu]\r\n21=Alles lesen\r\n");
    form->buildLanguageMenu();
    QFile::remove(folder.filePath(QStringLiteral("Deutsch.lng")));
    form->chooseLanguage(0);
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Language file error / chybí jazykový soubor"));
    EXPECT_EQ(form->action(QStringLiteral("Nastve1"))->text(), QStringLiteral("Načíst vše"));
}

TEST_F(StartUp, HelpWithoutItsFileSaysSo) {
    form->action(QStringLiteral("Npovda1"))->trigger();
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], QStringLiteral("Nenalezl soubor nápovědy"));
}

TEST_F(StartUp, OnlyElevenPacksAreListedAndTheLastCannotBeChosen) {
    for (int i = 0; i < 12; ++i)
        writeFile(folder.filePath(QStringLiteral("Pack%1.lng").arg(i, 2, 10, QLatin1Char('0'))),
                  "[Menu]\r\n");
    form->startUp({}, nullptr);
    EXPECT_EQ(visibleLanguageItems(*form).size(), 11);
    QAction* last = form->action(QStringLiteral("a01"));
    EXPECT_TRUE(last->isVisible());
    EXPECT_FALSE(last->isEnabled());
    EXPECT_TRUE(form->action(QStringLiteral("a91"))->isEnabled());
}

} // namespace
} // namespace lumo::test
