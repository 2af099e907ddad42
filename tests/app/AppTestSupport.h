#pragma once
#include "app/TForm1.h"
#include "files/FileDialogs.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/Messenger.h"
#include "platform/VirtualClock.h"
#include "shell/Shell.h"
#include "shell/ShellPart.h"
#include "support/ScriptedMessenger.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace lumo::test {

// File dialogs that are always cancelled, counting how often they were asked for.
class CancelledDialogs : public FileDialogs {
public:
    std::optional<QString> run(const FileDialogRequest& request) override {
        requests.push_back(request);
        return std::nullopt;
    }
    std::vector<FileDialogRequest> requests;
};

inline void pump() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Sends one typed character to a widget as the keyboard would.
inline void typeChar(QWidget* w, QChar c) {
    const int key = c == QChar(8) ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
}

inline void typeText(QWidget* w, const QString& text) {
    for (QChar c : text)
        typeChar(w, c);
}

// A part in place of the local link's: it records what the window routes to it (commands,
// clicks, config, port checks) and shows `linkPanel` in the link panel.
class RecordingPart : public ShellPart {
public:
    void attach(Shell& shell) override {
        m_shell = &shell;
        for (const char* name : {"Nastve1", "Panel1", "Panel2", "StatusBar1"})
            shell.commands().add(
                QString::fromLatin1(name), [this, name] { runs << QString::fromLatin1(name); },
                qstrcmp(name, "Nastve1") == 0
                    ? std::optional<TextKey>(TextKey{TextSection::Menu, 21})
                    : std::nullopt);
    }
    void readConfig(const AppConfig& c) override {
        config = c;
        requested = true;
    }
    void writeConfig(AppConfig& c) const override {
        c.com = config.com;
        c.usb = config.usb;
    }
    void startUpFinished() override { ++startUpsFinished; }
    void portTick() override { m_shell->statusPanels().setText(StatusPanels::Link, linkPanel); }
    bool portCheckRequested() const override { return requested; }
    void portCheck() override { ++portChecks; }

    AppConfig config;
    bool requested = false;
    int portChecks = 0;
    int startUpsFinished = 0;
    QStringList runs;
    QString linkPanel = QStringLiteral("COM:1");

private:
    Shell* m_shell = nullptr;
};

// A main window in a fresh working folder, shown and active so that focus moves as for a user.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
        form = std::make_unique<TForm1>(shell);
        form->addPart(part);
        form->useFileDialogs(&dialogs);
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        pump();
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(previousFolder);
    }

    template <class T = QWidget> T* child(const QString& name) const {
        return form->findChild<T*>(name);
    }
    QLineEdit* edit(const QString& name) const { return child<QLineEdit>(name); }

    // Gives a field the focus the way a click would.
    void focus(const QString& name) {
        QWidget* w = child(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        // The page of the field comes to front first, as the user would switch to it.
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (p->objectName().startsWith(QLatin1String("TabSheet")))
                child<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentWidget(p);
        w->setFocus(Qt::MouseFocusReason);
        pump();
    }

    QTemporaryDir folder;
    QString previousFolder;
    ParameterModel model;
    Texts texts;
    ScriptedMessenger messenger;
    VirtualClock clock;
    Shell shell{clock, messenger, model, texts};
    RecordingPart part;
    CancelledDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

} // namespace lumo::test
