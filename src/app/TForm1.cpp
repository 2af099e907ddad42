#include "app/TForm1.h"
#include "app/ToolGlyphs.h"
#include "files/ui/FileCommands.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/FieldBinder.h"
#include "params/ui/ParameterPages.h"
#include "params/ui/TForm13.h"
#include "shell/Shell.h"
#include "shell/ShellPart.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace lumo {

namespace {

constexpr int kClientWidth = 620;
constexpr int kClientHeight = 419;
constexpr int kRowHeight = 19;

} // namespace

TForm1::TForm1(Shell& shell, QWidget* parent)
    : QMainWindow(parent), m_shell(shell), m_model(shell.model()), m_texts(shell.texts()),
      m_messenger(shell.messenger()) {
    setObjectName(QStringLiteral("Form1"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    m_binder = new FieldBinder(m_model.params(), m_texts, m_messenger, this);

    buildMenus();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(2, 2, 2, 0);
    column->setSpacing(2);
    auto* topRow = new QWidget(central);
    buildTopRow(topRow);
    column->addWidget(topRow);

    m_pageControl1 = new QTabWidget(central);
    m_pageControl1->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl1->setUsesScrollButtons(false);
    m_pageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
    ParameterPages::build(m_pageControl1);
    m_button1 = m_pageControl1->findChild<QPushButton*>(QStringLiteral("Button1"));
    column->addWidget(m_pageControl1, 1);
    setCentralWidget(central);

    buildStatusBar();

    m_binder->bind(this);
    ParameterPages::bindRowLabels(m_pageControl1, *m_binder);

    setUpShell();
    setUpCompare();

    applyTexts();
    // Client area 620 x 419 below the menu bar, as the window was designed.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

TForm1::~TForm1() = default;

void TForm1::useFileDialogs(FileDialogs* dialogs) {
    m_files = std::make_unique<FileCommands>(this, m_model, m_texts, m_messenger, dialogs);
}

QAction* TForm1::action(const QString& name) const {
    return m_actions.value(name);
}

void TForm1::addPart(ShellPart& part) {
    m_shell.addPart(part);
}

// The window's own commands; the parts register theirs when they are added.
void TForm1::registerCommands() {
    using S = TextSection;
    CommandTable& c = m_shell.commands();
    c.add(
        QStringLiteral("Otevt1"), [this] { noteIf(m_files->open(), Msg::NoteFileLoaded); },
        TextKey{S::Menu, 11});
    c.add(
        QStringLiteral("Uloit1"), [this] { noteIf(m_files->save(), Msg::NoteFileSaved); },
        TextKey{S::Menu, 12});
    c.add(
        QStringLiteral("Uloitjako1"), [this] { noteIf(m_files->saveAs(), Msg::NoteFileSaved); },
        TextKey{S::Menu, 13});
    c.add(
        QStringLiteral("Konec1"), [this] { close(); }, TextKey{S::Menu, 15});
    c.add(
        QStringLiteral("Npovda1"), [this] { Npovda1Click(); }, TextKey{S::Menu, 41});
    c.add(
        QStringLiteral("Novinky1"),
        [this] { QDesktopServices::openUrl(QUrl::fromUserInput(m_texts.message(51))); },
        TextKey{S::Menu, 43});
    // The language items take their captions from the packs found in the working folder.
    for (int i = 0; i < kLanguageItems; ++i)
        c.add(m_langItems[size_t(i)]->objectName(), [this, i] { chooseLanguage(i); });
}

void TForm1::noteIf(bool done, int messageKey) {
    if (done)
        m_shell.showNote(m_texts.message(messageKey).arg(m_shell.timeOfDay()));
}

void TForm1::runCommand(const QString& name) {
    m_shell.commands().trigger(name);
}

// A command was registered or changed: its action follows. Actions without a command keep the
// state the menu tree gave them.
void TForm1::bindCommand(const QString& name) {
    QAction* a = action(name);
    const CommandTable::Command* command = m_shell.commands().find(name);
    if (!a || !command)
        return;
    a->setEnabled(command->enabled);
    a->setVisible(command->visible);
    if (command->checked) {
        a->setCheckable(true);
        a->setChecked(*command->checked);
    }
    if (command->text)
        setText(qPrintable(name), m_texts.get(*command->text));
}

QMenu* TForm1::addMenu(const char* name) {
    QMenu* menu = menuBar()->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    m_actions.insert(QString::fromLatin1(name), menu->menuAction());
    return menu;
}

QAction* TForm1::addCommand(QMenu* menu, const char* name) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    m_actions.insert(QString::fromLatin1(name), a);
    return a;
}

void TForm1::buildMenus() {
    QMenu* file = addMenu("Soubor1");
    for (const char* n : {"Otevt1", "Uloit1", "Uloitjako1", "Porovnatsjednotkou1",
                          "Porovnatsesouborem1", "Slokazloh1", "isknastaven1", "Konec1"})
        addCommand(file, n);
    useFileDialogs(nullptr);

    QMenu* unit = addMenu("Vexovrtn1");
    for (const char* n : {"Nastve1", "Nastnastaven1", "Nastpamtisel1", "Uloitve1", "Ulotnastaven1",
                          "Uloitpamtisel1"})
        addCommand(unit, n);

    QMenu* tools = addMenu("est1");
    for (const char* n : {"Ukzkytn1", "iskvizitek1", "Nastavenportu1"})
        addCommand(tools, n);

    QMenu* setup = addMenu("Nastaven1");
    addCommand(setup, "Ovitzpis1");

    QMenu* help = addMenu("Pomoc1");
    for (const char* n : {"Npovda1", "Novinky1", "Oprogramu1"})
        addCommand(help, n);

    QMenu* language = addMenu("Jazyk1");
    static const char* const langNames[kLanguageItems] = {
        "English1", "a11", "a21", "a31", "a41", "a51", "a61", "a71", "a81", "a91", "a01"};
    for (int i = 0; i < kLanguageItems; ++i) {
        m_langItems[size_t(i)] = addCommand(language, langNames[i]);
        m_langItems[size_t(i)]->setVisible(false);
    }
    // The first item stands for "no pack" until the folder has been searched.
    m_langItems[0]->setText(QStringLiteral("None"));
    m_langItems[0]->setVisible(true);

    QMenu* remote = addMenu("N5");
    for (const char* n : {"Connect1", "Readdata1", "Writedata1", "Unconnect1"})
        addCommand(remote, n);
    for (const char* n : {"Readdata1", "Writedata1", "Unconnect1"})
        action(QString::fromLatin1(n))->setEnabled(false);

    // Connection status display driven by the remote connection.
    // Standard keys beside the items; they change no caption, Qt shows them in the menus.
    const struct {
        const char* name;
        QKeySequence keys;
    } shortcuts[] = {
        {"Otevt1", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Uloit1", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Uloitjako1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"isknastaven1", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"Konec1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"Nastve1", QKeySequence(Qt::Key_F5)},
        {"Npovda1", QKeySequence(Qt::Key_F1)},
    };
    for (const auto& s : shortcuts)
        action(QString::fromLatin1(s.name))->setShortcut(s.keys);

    QMenu* n6 = addMenu("N6");
    n6->setTitle(QStringLiteral("   "));
    n6->menuAction()->setEnabled(false);
    QAction* n7 = n6->addSeparator();
    n7->setObjectName(QStringLiteral("N7"));
    m_actions.insert(QStringLiteral("N7"), n7);
    QMenu* n8 = addMenu("N8");
    n8->setTitle(QStringLiteral("|"));
    n8->menuAction()->setEnabled(false);
    addCommand(n8, "imeofconnection1");
    QMenu* n9 = addMenu("N9");
    n9->setTitle(QStringLiteral("  "));
    QMenu* connect2 = addMenu("Connect2");
    connect2->menuAction()->setVisible(false);
    addCommand(connect2, "Numberofconnect1");
}

QLineEdit* TForm1::makeEdit(const QString& name, int width) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFixedSize(width, kRowHeight);
    return edit;
}

QLabel* TForm1::makeLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

void TForm1::buildTopRow(QWidget* row) {
    row->setObjectName(QStringLiteral("TopRow"));
    row->setFixedHeight(28);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    struct Tool {
        const char* name;
        const char* command;
        std::optional<ToolGlyph> glyph;
    };
    const Tool tools[] = {
        {"BitBtn1", "Otevt1", std::nullopt},
        {"BitBtn2", "Uloit1", std::nullopt},
        {"BitBtn3", "Nastve1", ToolGlyph::ReadAll},
        {"BitBtn4", "Nastnastaven1", ToolGlyph::ReadSettings},
        {"BitBtn5", "Nastpamtisel1", ToolGlyph::ReadNumbers},
        {"BitBtn6", "Uloitve1", ToolGlyph::WriteAll},
        {"BitBtn7", "Ulotnastaven1", ToolGlyph::WriteSettings},
        {"BitBtn8", "Uloitpamtisel1", ToolGlyph::WriteNumbers},
    };
    for (const Tool& tool : tools) {
        auto* button = new QPushButton(row);
        button->setObjectName(QString::fromLatin1(tool.name));
        button->setFocusPolicy(Qt::NoFocus); // tool buttons never take the focus from a field
        if (tool.glyph) {
            button->setIcon(toolGlyph(*tool.glyph));
            button->setIconSize(QSize(20, 20));
            button->setFixedSize(28, 28);
        } else {
            button->setFixedSize(72, 28);
        }
        QAction* command = action(QString::fromLatin1(tool.command));
        connect(button, &QPushButton::clicked, command, &QAction::trigger);
        layout->addWidget(button);
        if (qstrcmp(tool.name, "BitBtn2") == 0)
            layout->addSpacing(8);
    }
    layout->addSpacing(8);

    m_label166 = new QLabel(row);
    m_label166->setObjectName(QStringLiteral("Label166"));
    m_label166->setFixedSize(18, 18);
    m_label166->setFrameShape(QFrame::Panel);
    m_label166->setFrameShadow(QFrame::Sunken);
    m_label166->setAutoFillBackground(true);
    layout->addWidget(m_label166);
    layout->addStretch(1);

    auto makePanel = [&](const char* panel, const char* label, const QString& edit) {
        auto* frame = new QFrame(row);
        frame->setObjectName(QString::fromLatin1(panel));
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Raised);
        auto* h = new QHBoxLayout(frame);
        h->setContentsMargins(4, 1, 3, 1);
        h->setSpacing(3);
        QLabel* l = makeLabel(label);
        QLineEdit* e = makeEdit(edit, 38);
        e->setAlignment(Qt::AlignCenter);
        // Display only: a click opens the action choice, the keyboard never enters it.
        e->setFocusPolicy(Qt::NoFocus);
        h->addWidget(l);
        h->addWidget(e);
        for (QWidget* w :
             {static_cast<QWidget*>(frame), static_cast<QWidget*>(l), static_cast<QWidget*>(e)})
            w->installEventFilter(this);
        layout->addWidget(frame);
    };
    makePanel("Panel1", "Label1", statusField(StatusTag::Mode));
    makePanel("Panel2", "Label2", statusField(StatusTag::Counter));
}

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    // The designed widths were for a narrower font: the time and date panels get room for
    // their eight and ten digits, taken from the blank spacers.
    static const int widths[7] = {56, 210, 24, 140, 24, 64, 80};
    static const char* const initial[7] = {"COM", "Soubor", "", "Firmware:", "", "Date", "Time"};
    for (int i = 0; i < 7; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(initial[i]), bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFixedWidth(widths[i]);
        const bool spacer = i == 2 || i == 4;
        panel->setFrameShape(spacer ? QFrame::NoFrame : QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i == 3 || i >= 5)
            panel->setAlignment(Qt::AlignCenter);
        panel->installEventFilter(this);
        bar->addWidget(panel);
        m_panels[size_t(i)] = panel;
    }
    bar->installEventFilter(this);
}

void TForm1::attachToneDialog(TForm13* dialog) {
    m_toneDialog = dialog;
    m_binder->bind(dialog);
    dialog->applyTexts(m_texts);
    connect(m_button1, &QPushButton::clicked, dialog, &QDialog::exec);
}

void TForm1::fitPageTabs() {
    // Seven captions must fit the fixed width without scroll arrows or clipped text: a font
    // wider than the one the window was designed for gets a smaller size on the tabs.
    QTabBar* bar = m_pageControl1->tabBar();
    QFont tabFont = font();
    for (qreal size = tabFont.pointSizeF(); size >= 6.0; size -= 0.5) {
        tabFont.setPointSizeF(size);
        bar->setFont(tabFont);
        if (bar->sizeHint().width() <= kClientWidth - 8)
            break;
    }
}

void TForm1::paintIndicator() {
    const std::optional<quint32> rgb = m_shell.indicator().colour();
    QPalette pal = m_label166->palette();
    pal.setColor(QPalette::Window, rgb ? QColor::fromRgb(*rgb) : palette().color(QPalette::Window));
    m_label166->setPalette(pal);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = watched->objectName();
        if (name == QLatin1String("Panel1") || name == QLatin1String("Label1") ||
            name == statusField(StatusTag::Mode)) {
            runCommand(QStringLiteral("Panel1"));
            return true;
        }
        if (name == QLatin1String("Panel2") || name == QLatin1String("Label2") ||
            name == statusField(StatusTag::Counter)) {
            runCommand(QStringLiteral("Panel2"));
            return true;
        }
        if (name == QLatin1String("StatusBar1") || name.startsWith(QLatin1String("StatusPanel"))) {
            runCommand(QStringLiteral("StatusBar1"));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace lumo
