#include "app/TForm1.h"
#include "app/TForm8.h"
#include "files/ui/FileCommands.h"
#include "params/FieldRules.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/Messenger.h"
#include "platform/Version.h"
#include "platform/WorkingFolder.h"
#include "shell/Shell.h"
#include "texts/LanguagePack.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTime>
#include <QUrl>

namespace lumo {

ArgumentCheck checkSettingsArgument(const QString& argument) {
    if (argument.size() < 8)
        return ArgumentCheck::TooShort;
    const int dot = argument.lastIndexOf(QLatin1Char('.'));
    const QString extension = (dot < 0 ? argument : argument.mid(dot + 1)).trimmed().toUpper();
    return extension == QLatin1String("KTF") ? ArgumentCheck::SettingsFile
                                             : ArgumentCheck::NotSettingsFile;
}

// Binds the window to the shell: actions to commands, the indicator and the status panels to
// their models, the window's share of the port tick, the start-up hand-over and the window's
// steps of the close sequence.
void TForm1::setUpShell() {
    registerCommands();
    for (const QString& name : m_actions.keys())
        connect(m_actions.value(name), &QAction::triggered, this,
                [this, name] { runCommand(name); });
    connect(&m_shell.commands(), &CommandTable::changed, this, &TForm1::bindCommand);
    connect(&m_shell.indicator(), &ActivityIndicator::changed, this, &TForm1::paintIndicator);
    connect(&m_shell.statusPanels(), &StatusPanels::changed, this, [this](int panel) {
        m_panels[size_t(panel)]->setText(m_shell.statusPanels().text(panel));
    });
    // A note covers the panels while it lasts, as the status bar's passing messages do.
    connect(&m_shell.statusPanels(), &StatusPanels::noteChanged, this, [this] {
        const QString& note = m_shell.statusPanels().note();
        if (note.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(note);
    });
    m_shell.setWindowTick([this] { windowTick(); });
    // The start-up question waits until a message shown meanwhile has been closed.
    m_shell.portTimer().setHandOverHandler([this] {
        m_messenger.whenNoBoxIsOpen([this] {
            if (m_warning && m_warning->isVisible())
                finishStartUp();
        });
    });
    m_shell.closeSequence().add(CloseSequence::Stage::SaveQuestion, QStringLiteral("save"), [this] {
        if (m_messenger.ask(m_texts.message(48), m_texts.message(47), Messenger::Icon::Question,
                            true)) {
            m_model.setSaveAsWithCurrentName(true);
            runCommand(QStringLiteral("Uloitjako1"));
        }
    });
    m_shell.closeSequence().add(CloseSequence::Stage::Config, QStringLiteral("Config.ini"),
                                [this] { writeConfig(); });
}

void TForm1::startUp(const QStringList& arguments, TForm8* warning) {
    m_warning = warning;
    if (m_warning) {
        m_warning->applyTexts(m_texts);
        m_warning->centreOnScreen();
        m_warning->show();
        m_warning->raise();
        QApplication::processEvents();
    }

    setWindowTitle(mainWindowCaption());
    m_fileFromCommandLine = false;
    m_model.setSaveAsWithCurrentName(false);

    const QString folder = workingFolder::current();
    m_languageFile = folder + QLatin1Char('/') + language::kDefaultPack;
    buildLanguageMenu();

    // A missing Config.ini gives the defaults to every part and is created with them.
    const AppConfig config = readConfig(folder);
    if (config.existed)
        m_languageFile = folder + QLatin1Char('/') + config.lang;
    else
        createConfig(folder, config.com, m_languageFile);
    m_shell.readConfig(config);

    // On a first start the Config.ini just created must not count as a remembered choice:
    // a folder without packs starts with the built-in texts and no error message.
    if (!config.existed && !QFileInfo::exists(m_languageFile))
        applyTexts();
    else if (m_languageFile.size() > 8)
        loadLanguage();

    m_shell.portTimer().start();

    m_model.setSettingsFileName(QString());
    if (!arguments.isEmpty()) {
        // The file commands check the name (messages 16 and 17) and load the file; a rejected
        // name ends the sequence here.
        const QString argument = SettingsFileCommands::commandLinePath(arguments.first());
        m_fileFromCommandLine = checkSettingsArgument(argument) == ArgumentCheck::SettingsFile;
        noteIf(m_files->loadFromCommandLine(argument), Msg::NoteFileLoaded);
        if (!m_fileFromCommandLine)
            return;
    }

    m_pageControl1->setCurrentIndex(0);
    m_shell.startUpFinished();
}

void TForm1::buildLanguageMenu() {
    const std::vector<language::MenuEntry> entries =
        language::languageMenuEntries(workingFolder::current());
    for (int i = 0; i < kLanguageItems; ++i) {
        QAction* item = m_langItems[size_t(i)];
        if (size_t(i) < entries.size()) {
            item->setText(entries[size_t(i)].caption);
            item->setVisible(true);
            m_langPaths[size_t(i)] = entries[size_t(i)].path;
        } else {
            item->setVisible(i == 0);
            m_langPaths[size_t(i)].clear();
        }
    }
    if (entries.empty())
        m_langItems[0]->setText(QStringLiteral("None"));
    // The last item is listed but cannot be chosen.
    m_langItems[kLanguageItems - 1]->setEnabled(false);
}

void TForm1::chooseLanguage(int item) {
    if (item < 0 || item >= kLanguageItems)
        return;
    const QString& path = m_langPaths[size_t(item)];
    // The first item without a pack behind it ("None") does nothing.
    if ((item == 0 && path.size() <= 4) || path.isEmpty())
        return;
    m_languageFile = path;
    loadLanguage();
}

void TForm1::loadLanguage() {
    const QString requested = m_languageFile;
    const language::PackChoice choice =
        language::applyLanguage(workingFolder::current(), m_languageFile, m_texts);
    m_languageFile = choice.languageFile;
    if (choice.outcome == language::PackChoice::Outcome::Error) {
        // The built-in texts are the Czech pack: its absence loses nothing, so it is not an
        // error worth a message at every start in a folder without packs.
        const bool czechRequested =
            requested.endsWith(QLatin1Char('/') + language::kDefaultPack, Qt::CaseInsensitive) ||
            requested.compare(language::kDefaultPack, Qt::CaseInsensitive) == 0;
        if (!czechRequested)
            m_messenger.warning(language::kLanguageFileError);
        return;
    }
    applyTexts();
}

void TForm1::Timer1Timer() {
    m_shell.portTimer().tick();
}

// The window's share of a port tick; the parts' shares and the port check follow.
void TForm1::windowTick() {
    refreshStatusBar();
    applyFirmwareRules();
}

void TForm1::applyFirmwareRules() {
    const FirmwareRuleStates states = lumo::applyFirmwareRules(m_model.params());
    m_button1->setEnabled(states.toneDetectionEnabled);
}

void TForm1::finishStartUp() {
    setEnabled(true);
    m_warning->close();
    if (!m_fileFromCommandLine && m_messenger.ask(m_texts.message(50), m_texts.message(49),
                                                  Messenger::Icon::Question, true)) {
        action(QStringLiteral("Otevt1"))->trigger();
    }
}

void TForm1::refreshStatusBar() {
    const QString& path = m_model.settingsFileName();
    const int slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    // Through the panels' model, which tells the window only of a text that changed: three
    // ticks a second would otherwise relayout and repaint the status bar for nothing.
    StatusPanels& panels = m_shell.statusPanels();
    panels.setText(StatusPanels::File, m_fileLabel + path.mid(slash + 1));
    panels.setText(StatusPanels::Firmware,
                   QStringLiteral("Firmware: ") + m_model.params().firmwareVersion());
    panels.setText(StatusPanels::Time, QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    panels.setText(StatusPanels::Date, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

void TForm1::Npovda1Click() {
    const QString name = m_texts.get(TextSection::OTHER, 37);
    if (!name.isEmpty() && workingFolder::exists(name))
        QDesktopServices::openUrl(QUrl::fromLocalFile(workingFolder::resolve(name)));
    else
        m_messenger.message(m_texts.get(TextSection::OTHER, 38));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The close is never refused, and its questions are asked once.
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_shell.portTimer().stop();
    m_shell.closeSequence().run();
}

void TForm1::writeConfig() {
    AppConfig config;
    m_shell.writeConfig(config);
    QString error;
    if (!writeConfigOnClose(workingFolder::current(), config.usb, config.com, m_languageFile,
                            &error, config.verify))
        qWarning("Config.ini not written: %s", qUtf8Printable(error));
}

} // namespace lumo
