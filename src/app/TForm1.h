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
class QTimer;
class QToolButton;

namespace lumo {

class FieldBinder;
class FileCommands;
class FileDialogs;
class Messenger;
class TForm8;
class TForm13;
struct LocalLinkState;
class ParameterModel;
class Texts;

// Calls into subsystems that the main window starts but does not implement. Each may be left
// empty; the window then skips that step.
struct ShellHooks {
    // The status read of the unit that a raised port-check request asks for.
    std::function<void()> portCheck;
    // Opens (or reopens) the USB cable's adapter.
    std::function<void()> openUsbAdapter;
    // "OK" or "--": the state of the USB cable's adapter.
    std::function<QString()> usbAdapterState;
    // The remote-connect dialog's cancel action, run first when the window closes.
    std::function<void()> remoteCancel;
    // The action-choice dialog for the mode panel ("rezim") or the counter panel ("citac").
    std::function<void(const QString& kind)> actionChoice;
    // Config.ini has been read into the link state: the local link takes its port, cable
    // choice and timer interval from there.
    std::function<void()> linkConfigured;
};

// The main window: the whole parameter set on seven pages, the menu tree and tool buttons, the
// status bar and the port timer, and the start-up and close sequences of the program. Menu
// commands are QActions named after their menu items (Otevt1, Nastve1, ...); the subsystems
// connect to them. Every parameter widget is bound to the parameter model by its objectName.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kLanguageItems = 11;

    TForm1(ParameterModel& model, LocalLinkState& link, Texts& texts, Messenger& messenger,
           QWidget* parent = nullptr);
    ~TForm1() override;

    ParameterModel& model() { return m_model; }
    LocalLinkState& link() { return m_link; }
    Texts& texts() { return m_texts; }
    ShellHooks& hooks() { return m_hooks; }
    FieldBinder& binder() { return *m_binder; }
    QAction* action(const QString& name) const;
    QTimer* timer1() const { return m_timer1; }

    // Replaces the toolkit's file dialogs of Open, Save and Save As (tests script them).
    void useFileDialogs(FileDialogs* dialogs);

    // Binds the tone-detection dialog's lists and lets Button1 open it.
    void attachToneDialog(TForm13* dialog);

    // Start-up sequence of the shown window (working folder, Config.ini, language menu and
    // pack, command-line argument). `warning` is closed by the first port-timer tick.
    void startUp(const QStringList& arguments, TForm8* warning);

    // Sets every caption, hint and the mode and counter texts from the texts table.
    void applyTexts();

    // One tick of the port timer: status bar, activity indicator, firmware rules, start-up
    // hand-over and port check.
    void Timer1Timer();

    void setPortIndicator(const QColor& colour);

    // Help: the help file of the working folder opened by the desktop, or a message.
    void Npovda1Click();

    // Language state.
    const QString& languageFile() const { return m_languageFile; }
    void setLanguageFile(const QString& path) { m_languageFile = path; }
    const std::array<QString, kLanguageItems>& languageItemPaths() const { return m_langPaths; }
    void buildLanguageMenu();
    void chooseLanguage(int item);

    bool fileFromCommandLine() const { return m_fileFromCommandLine; }

signals:
    // The texts changed (a language pack was applied); the other windows take theirs now.
    void textsApplied();

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

    void refreshStatusBar();
    void fitPageTabs();
    void applyFirmwareRules();
    void finishStartUp();
    void statusBarClicked();
    void loadLanguage();
    void writeConfig();

    void setText(const char* objectName, const QString& text);
    void setHint(const char* objectName, const QString& text);

    ParameterModel& m_model;
    LocalLinkState& m_link;
    Texts& m_texts;
    Messenger& m_messenger;
    ShellHooks m_hooks;
    FieldBinder* m_binder;
    std::unique_ptr<FileCommands> m_files;
    QTabWidget* m_pageControl1 = nullptr;
    QTimer* m_timer1 = nullptr;
    QLabel* m_label166 = nullptr;
    std::array<QLabel*, 7> m_panels{};
    QPushButton* m_button1 = nullptr;
    TForm8* m_warning = nullptr;
    TForm13* m_toneDialog = nullptr;
    QHash<QString, QAction*> m_actions;
    std::array<QAction*, kLanguageItems> m_langItems{};
    std::array<QString, kLanguageItems> m_langPaths;
    QString m_languageFile;
    QString m_fileLabel;
    bool m_fileFromCommandLine = false;
    bool m_inTick = false;
    bool m_closed = false;
};

// What the start-up makes of a command-line argument: a settings file to load, or the message
// that rejects it.
enum class ArgumentCheck { SettingsFile, TooShort, NotSettingsFile };
ArgumentCheck checkSettingsArgument(const QString& argument);

} // namespace lumo
