#include "app/TForm1.h"
#include "app/TForm8.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/ParameterPages.h"
#include "params/ui/TForm13.h"
#include "shell/Shell.h"
#include "texts/Texts.h"
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace lumo {

namespace {
using S = TextSection;
} // namespace

void TForm1::setText(const char* objectName, const QString& text) {
    const QString name = QString::fromLatin1(objectName);
    if (QAction* a = action(name)) {
        a->setText(text);
        if (auto* menu = findChild<QMenu*>(name))
            menu->setTitle(text);
        return;
    }
    QWidget* w = findChild<QWidget*>(name);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(text);
    else if (w && m_pageControl1->indexOf(w) >= 0)
        m_pageControl1->setTabText(m_pageControl1->indexOf(w), text);
}

void TForm1::setHint(const char* objectName, const QString& text) {
    if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(objectName)))
        w->setToolTip(text);
}

void TForm1::applyTexts() {
    const Texts& t = m_texts;

    // Menu section: menus, tool buttons, the top panels.
    setText("Soubor1", t.get(S::Menu, 1));
    m_fileLabel = t.get(S::Menu, 1) + QStringLiteral(": ");
    setText("BitBtn1", t.get(S::Menu, 11));
    setText("BitBtn2", t.get(S::Menu, 12));
    // The menus and the items no part has taken yet; commands bring their own caption keys.
    static const std::pair<const char*, int> menuItems[] = {
        {"isknastaven1", 14}, {"Vexovrtn1", 2}, {"est1", 3},   {"Ukzkytn1", 31},
        {"iskvizitek1", 32},  {"Nastaven1", 6}, {"Pomoc1", 4}, {"Oprogramu1", 44},
        {"Jazyk1", 5},        {"Label1", 61},   {"Label2", 62}};
    for (const auto& [name, key] : menuItems)
        setText(name, t.get(S::Menu, key));
    const CommandTable& commands = m_shell.commands();
    for (const QString& name : commands.names())
        if (const auto& key = commands.find(name)->text)
            setText(qPrintable(name), t.get(*key));
    // The mode and counter fields take their texts from the pack, replacing what a read put
    // there.
    m_model.params().setText(statusField(StatusTag::Mode), t.get(S::Menu, 63));
    m_model.params().setText(statusField(StatusTag::Counter), t.get(S::Menu, 64));

    // Pages, frames, rows and their hints.
    ParameterPages::applyTexts(m_pageControl1, t);
    fitPageTabs();

    // Hints of the window itself.
    setHint("Label166", t.get(S::HINT, 1));
    setHint("Panel1", t.get(S::HINT, 5));
    setHint("Panel2", t.get(S::HINT, 6));
    static const char* const tools[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4",
                                        "BitBtn5", "BitBtn6", "BitBtn7", "BitBtn8"};
    for (int i = 0; i < 8; ++i)
        setHint(tools[i], t.get(S::HINT, 7 + i));

    // Remote programming menu.
    static const std::pair<const char*, int> remoteItems[] = {
        {"N5", 17},         {"Connect1", 18}, {"Readdata1", 19},        {"Writedata1", 20},
        {"Unconnect1", 21}, {"Connect2", 22}, {"Numberofconnect1", 23}, {"imeofconnection1", 24}};
    for (const auto& [name, key] : remoteItems)
        setText(name, t.get(S::REMOTE, key));

    if (m_warning)
        m_warning->applyTexts(t);
    if (m_toneDialog)
        m_toneDialog->applyTexts(t);
    refreshEditsPanel();
    m_shell.applyTexts();
}

} // namespace lumo
