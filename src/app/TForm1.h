#pragma once
#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace lumo {

class CompareDialog;
class EditMarkPainter;
class FieldBinder;
class FileCommands;
class FileDialogs;
class Messenger;
class Shell;
class ShellPart;
class TForm8;
class TForm13;
class ParameterModel;
class Texts;

// The main window: the whole parameter set on seven pages, the menu tree and tool buttons and
// the status bar, bound to the shell. Menu items are QActions named after their commands
// (Otevt1, Nastve1, ...) and run the shell's command of the same name; the subsystems' parts
// register those commands. Every parameter widget is bound to the parameter model by its
// objectName. The window runs the start-up sequence and adds its own steps (the save
// question, Config.ini) to the close sequence.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kLanguageItems = 11;

    explicit TForm1(Shell& shell, QWidget* parent = nullptr);
    ~TForm1() override;

    Shell& shell() { return m_shell; }
    // Hands the window a subsystem's part: it registers its commands, texts, tick share and
    // close steps with the shell.
    void addPart(ShellPart& part);
    FieldBinder& binder() { return *m_binder; }
    QAction* action(const QString& name) const;

    // Replaces the toolkit's file dialogs of Open, Save and Save As (tests script them).
    void useFileDialogs(FileDialogs* dialogs);

    // Binds the tone-detection dialog's lists and lets Button1 open it.
    void attachToneDialog(TForm13* dialog);

    // Start-up sequence of the shown window (working folder, Config.ini, language menu and
    // pack, command-line argument). `warning` is closed by the first port-timer tick.
    void startUp(const QStringList& arguments, TForm8* warning);

    // Sets every caption, hint and the mode and counter texts from the texts table.
    void applyTexts();

    // One tick of the port timer now (the shell's PortTimer runs them on its schedule).
    void Timer1Timer();

    // Help: the help file of the working folder opened by the desktop, or a message.
    void Npovda1Click();

    // Language state.
    const QString& languageFile() const { return m_languageFile; }
    void setLanguageFile(const QString& path) { m_languageFile = path; }
    const std::array<QString, kLanguageItems>& languageItemPaths() const { return m_langPaths; }
    void buildLanguageMenu();
    void chooseLanguage(int item);

    bool fileFromCommandLine() const { return m_fileFromCommandLine; }

    // The compare view the shell opens (created on first use) and the marks of edited fields.
    CompareDialog* compareDialog();
    EditMarkPainter& editMarks() { return *m_editMarks; }
    // Brings the page of a parameter (a field, an option button or its group box) to front and
    // puts the focus in its control.
    void jumpToParameter(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addCommand(QMenu* menu, const char* name);
    QMenu* addMenu(const char* name);
    void buildMenus();
    void buildTopRow(QWidget* row);
    void buildStatusBar();
    QLineEdit* makeEdit(const QString& name, int width);
    QLabel* makeLabel(const char* name);

    void setUpShell();
    void registerCommands();
    void bindCommand(const QString& name);
    void runCommand(const QString& name);
    // Shows the status-bar note `messageKey` with the time when `done`.
    void noteIf(bool done, int messageKey);
    void paintIndicator();
    void windowTick();
    void refreshStatusBar();
    void fitPageTabs();
    void applyFirmwareRules();
    void finishStartUp();
    void loadLanguage();
    void writeConfig();

    void setUpCompare();
    void refreshEditsPanel();

    void setText(const char* objectName, const QString& text);
    void setHint(const char* objectName, const QString& text);

    Shell& m_shell;
    ParameterModel& m_model;
    Texts& m_texts;
    Messenger& m_messenger;
    FieldBinder* m_binder;
    std::unique_ptr<FileCommands> m_files;
    QTabWidget* m_pageControl1 = nullptr;
    QLabel* m_label166 = nullptr;
    std::array<QLabel*, 7> m_panels{};
    QLabel* m_editsPanel = nullptr;
    EditMarkPainter* m_editMarks = nullptr;
    CompareDialog* m_compare = nullptr;
    QPushButton* m_button1 = nullptr;
    TForm8* m_warning = nullptr;
    TForm13* m_toneDialog = nullptr;
    QHash<QString, QAction*> m_actions;
    std::array<QAction*, kLanguageItems> m_langItems{};
    std::array<QString, kLanguageItems> m_langPaths;
    QString m_languageFile;
    QString m_fileLabel;
    bool m_fileFromCommandLine = false;
    bool m_closed = false;
};

// What the start-up makes of a command-line argument: a settings file to load, or the message
// that rejects it.
enum class ArgumentCheck { SettingsFile, TooShort, NotSettingsFile };
ArgumentCheck checkSettingsArgument(const QString& argument);

} // namespace lumo
