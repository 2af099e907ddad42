#include "app/TForm1.h"
#include "app/TForm8.h"
#include "link/LocalLinkSettings.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/TForm13.h"
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

// Pack values lose their outer blanks, so the frame captions get exactly one on each side.
void TForm1::setGroupCaption(const char* objectName, const QString& text) {
    setText(objectName, QLatin1Char(' ') + text.trimmed() + QLatin1Char(' '));
}

void TForm1::applyTexts() {
    const Texts& t = m_texts;

    // Menu section: menus, tool buttons, the top panels.
    setText("Soubor1", t.get(S::Menu, 1));
    m_fileLabel = t.get(S::Menu, 1) + QStringLiteral(": ");
    setText("Otevt1", t.get(S::Menu, 11));
    setText("BitBtn1", t.get(S::Menu, 11));
    setText("Uloit1", t.get(S::Menu, 12));
    setText("BitBtn2", t.get(S::Menu, 12));
    static const std::pair<const char*, int> menuItems[] = {
        {"Uloitjako1", 13},    {"isknastaven1", 14},   {"Konec1", 15},        {"Vexovrtn1", 2},
        {"Nastve1", 21},       {"Nastnastaven1", 22},  {"Nastpamtisel1", 23}, {"Uloitve1", 24},
        {"Ulotnastaven1", 25}, {"Uloitpamtisel1", 26}, {"est1", 3},           {"Ukzkytn1", 31},
        {"iskvizitek1", 32},   {"Nastavenportu1", 33}, {"Pomoc1", 4},         {"Npovda1", 41},
        {"Novinky1", 43},      {"Oprogramu1", 44},     {"Jazyk1", 5},         {"Label1", 61},
        {"Label2", 62}};
    for (const auto& [name, key] : menuItems)
        setText(name, t.get(S::Menu, key));
    // The mode and counter fields take their texts from the pack, replacing what a read put
    // there.
    m_model.params().setText(QStringLiteral("Edit156"), t.get(S::Menu, 63));
    m_model.params().setText(QStringLiteral("Edit157"), t.get(S::Menu, 64));

    // Page captions.
    setText("TabSheet3", t.get(S::TAB1, 1));
    setText("TabSheet4", t.get(S::TAB2, 1));
    setText("TabSheet5", t.get(S::TAB3, 1));
    setText("TabSheet1", t.get(S::TAB4, 1));
    setText("TabSheet2", t.get(S::TAB4, 2) + QStringLiteral(" 17- 32"));
    setText("TabSheet6", t.get(S::TAB4, 2) + QStringLiteral(" 33- 48"));
    setText("TabSheet7", t.get(S::TAB4, 2) + QStringLiteral(" 49- 64"));
    fitPageTabs();

    // Option groups and their buttons.
    for (const OptionGroupDef& group : optionGroups()) {
        setGroupCaption(group.groupBox, t.get(group.caption));
        for (const OptionDef& option : group.options)
            setText(option.button,
                    t.get(option.caption) + QString::fromLatin1(option.captionSuffix));
    }

    // Field labels, check-box captions and field hints from the field table. The mode and
    // counter labels were set above; the lists' labels belong to the tone dialog.
    for (const FieldDef& f : fieldTable()) {
        if (f.kind == FieldKind::List)
            continue;
        if (f.caption && f.labelName && f.filter != KeyFilter::DisplayOnly) {
            QString caption = t.get(*f.caption);
            if (qstrcmp(f.labelName, "Label168") == 0)
                caption += QLatin1Char(' ');
            setText(f.labelName, caption);
        } else if (f.caption && f.kind == FieldKind::Check) {
            setText(f.name, t.get(*f.caption));
        }
        if (f.hint && f.filter != KeyFilter::DisplayOnly)
            setHint(f.name, t.get(*f.hint));
    }

    // Frames that hold fields rather than option buttons.
    static const std::pair<const char*, TextKey> frames[] = {
        {"GroupBox16", {S::TAB1, 41}}, {"GroupBox17", {S::TAB1, 51}}, {"GroupBox23", {S::TAB1, 80}},
        {"GroupBox20", {S::TAB1, 91}}, {"GroupBox3", {S::TAB2, 12}},  {"GroupBox10", {S::TAB2, 22}},
        {"GroupBox22", {S::TAB3, 11}}, {"GroupBox21", {S::TAB3, 21}}, {"GroupBox24", {S::TAB3, 26}},
        {"GroupBox25", {S::TAB3, 29}}, {"GroupBox1", {S::TAB4, 3}},   {"GroupBox4", {S::TAB4, 3}},
        {"GroupBox6", {S::TAB4, 3}},   {"GroupBox8", {S::TAB4, 3}},   {"GroupBox2", {S::TAB4, 4}},
        {"GroupBox5", {S::TAB4, 4}},   {"GroupBox7", {S::TAB4, 4}},   {"GroupBox9", {S::TAB4, 4}}};
    for (const auto& [name, key] : frames)
        setGroupCaption(name, t.get(key));
    setText("Button1", t.get(S::TAB3, 32));

    // The 128 row labels: day rows and night rows both count buttons 1..64.
    const QString buttonWord = t.get(S::TAB4, 5);
    for (int field = 1; field <= 128; ++field) {
        const int button = (field - 1) % 64 + 1;
        if (auto* label = findChild<QLabel*>(QStringLiteral("ButtonLabel%1").arg(field)))
            label->setText(buttonWord + QLatin1Char(' ') + QString::number(button));
    }

    // Hints of the window itself.
    setHint("Label166", t.get(S::HINT, 1));
    setHint("GroupBox11", t.get(S::HINT, 4));
    setHint("Panel1", t.get(S::HINT, 5));
    setHint("Panel2", t.get(S::HINT, 6));
    static const char* const tools[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4",
                                        "BitBtn5", "BitBtn6", "BitBtn7", "BitBtn8"};
    for (int i = 0; i < 8; ++i)
        setHint(tools[i], t.get(S::HINT, 7 + i));
    setHint("RadioButton16", QStringLiteral("Only for version firmware > V1.6"));

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
    emit textsApplied();
}

} // namespace lumo
