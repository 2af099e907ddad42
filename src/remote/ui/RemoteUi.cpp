#include "remote/ui/RemoteUi.h"
#include "files/ParameterFiles.h"
#include "files/ReadBackups.h"
#include "params/Comparison.h"
#include "params/ParameterModel.h"
#include "params/WriteCheck.h"
#include "platform/AppConfig.h"
#include "platform/Messenger.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteFields.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteCheck.h"
#include "remote/RemoteWriteEngine.h"
#include "remote/ui/TForm10.h"
#include "remote/ui/TForm11.h"
#include "remote/ui/TForm12.h"
#include "shell/Shell.h"
#include "shell/WriteGuard.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace lumo {

namespace {

constexpr int kCloseWaitMs = 5000;
// Beside the remote menu while an attempt runs: "Připojení" (connection) and an ellipsis.
constexpr int kConnectionTextKey = 22;

void waitInEventLoop(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || elapsed.elapsed() > kCloseWaitMs)
            loop.quit();
    });
    poll.start(10);
    if (!done())
        loop.exec();
}

} // namespace

// The main window's share of the connection engine's view.
class RemoteUi::WindowView : public ConnectionView {
public:
    explicit WindowView(RemoteUi& ui) : m_ui(ui) {}
    void stateChanged(ConnectionState state) override { m_ui.connectionStateChanged(state); }
    void setIndicator(KeepAliveColour colour) override {
        if (m_ui.m_shell)
            m_ui.m_shell->indicator().set(keepAliveRgb(colour));
    }
    void menusChanged(const RemoteMenuState& menus) override { m_ui.applyMenus(menus); }
    void showMessage(const QString&) override {} // the dialog model's messenger shows it

private:
    RemoteUi& m_ui;
};

RemoteUi::RemoteUi(QWidget* window, std::unique_ptr<BoxBus> bus)
    : m_window(window), m_bus(bus ? std::move(bus) : std::make_unique<FtdiBoxBus>()),
      m_waiter(waitInEventLoop) {}

RemoteUi::~RemoteUi() {
    // The engines first: they cancel their pending steps before the link goes.
    if (m_writeDialog) {
        m_writeDialog->setChecker(nullptr, nullptr);
        m_writeDialog->setEngine(nullptr);
    }
    m_checker.reset();
    m_writer.reset();
    m_engine.reset();
    m_model.reset();
}

void RemoteUi::attach(Shell& shell) {
    m_shell = &shell;
    m_link = std::make_unique<RemoteLink>(*m_bus, shell.clock());
    m_model = std::make_unique<ConnectDialogModel>(*m_link, shell.texts(), shell.messenger());
    m_view = std::make_unique<WindowView>(*this);
    m_model->setWindowView(m_view.get());
    m_engine = std::make_unique<ConnectionEngine>(*m_link, *m_model, shell.texts());
    m_model->setEngine(m_engine.get());

    m_dialog = new TForm10(*m_model, m_window);
    m_dialog->setServicePasswordSource(
        [&shell] { return shell.model().params().text(QStringLiteral("Edit144")); });
    m_dialog->setConnectHandler([this] { m_model->Button4Click(); });
    connect(m_dialog, &QDialog::finished, this, [this] {
        if (!m_attemptOpen)
            return;
        m_attemptOpen = false;
        m_model->endAttempt();
    });

    CommandTable& commands = shell.commands();
    commands.add(
        QStringLiteral("Connect1"), [this] { Connect1Click(); }, TextKey{TextSection::REMOTE, 18});
    commands.add(
        QStringLiteral("Unconnect1"), [this] { Unconnect1Click(); },
        TextKey{TextSection::REMOTE, 21});
    attachRead(shell);
    shell.closeSequence().add(CloseSequence::Stage::HangUp, QStringLiteral("remote"),
                              [this] { hangUpForClose(); });
    attachWrite(shell);

    // Opening a status menu refreshes its item, as clicking it did.
    if (m_window) {
        if (auto* n8 = m_window->findChild<QMenu*>(QStringLiteral("N8")))
            connect(n8, &QMenu::aboutToShow, this, &RemoteUi::N8Click);
        if (auto* c2 = m_window->findChild<QMenu*>(QStringLiteral("Connect2")))
            connect(c2, &QMenu::aboutToShow, this, &RemoteUi::Connect2Click);
    }
    applyMenus(m_engine->menus());
    applyTexts(shell.texts());
}

void RemoteUi::applyTexts(const Texts& texts) {
    if (m_dialog)
        m_dialog->applyTexts(texts);
    if (m_readDialog)
        m_readDialog->applyTexts(texts);
    if (m_writeDialog)
        m_writeDialog->applyTexts(texts);
}

void RemoteUi::readConfig(const AppConfig& config) {
    m_verifyConfig = config.verify;
}

bool RemoteUi::verifyWrites() const {
    // The option lives with the local link's part when it is there.
    const QString option = QStringLiteral("Ovitzpis1");
    if (m_shell && m_shell->commands().contains(option))
        return m_shell->commands().isChecked(option);
    return m_verifyConfig;
}

bool RemoteUi::busy() const {
    if (m_readDialog && m_readDialog->reading())
        return true;
    if (m_writeDialog && m_writeDialog->checking())
        return true;
    return m_engine && (m_engine->isBusy() || m_engine->state() == ConnectionState::Connecting ||
                        m_link->hangingUp() || (m_writer && m_writer->running()));
}

void RemoteUi::Connect1Click() {
    if (!m_shell || m_attemptOpen || m_shell->guard().busy())
        return; // another exchange runs
    if (!m_model->beginAttempt())
        return;
    m_attemptOpen = true;
    // Window-modal without a nested event loop: the engine's waits and the port timer go on.
    m_dialog->open();
}

void RemoteUi::Unconnect1Click() {
    m_engine->disconnect();
}

void RemoteUi::N8Click() {
    setItemText("imeofconnection1", m_engine->connectionTimeCaption());
}

void RemoteUi::Connect2Click() {
    setItemText("Numberofconnect1", m_engine->repeatCountCaption());
}

void RemoteUi::setItemText(const char* name, const QString& text) {
    if (!m_window)
        return;
    if (auto* action = m_window->findChild<QAction*>(QString::fromLatin1(name)))
        action->setText(text);
}

void RemoteUi::applyMenus(const RemoteMenuState& menus) {
    if (!m_shell)
        return;
    CommandTable& commands = m_shell->commands();
    commands.setEnabled(QStringLiteral("Connect1"), menus.connectEnabled);
    commands.setEnabled(QStringLiteral("Unconnect1"), menus.disconnectEnabled);
    applyReadMenu(menus);
    applyWriteMenus(menus);
    if (!m_window)
        return;
    if (auto* n8 = m_window->findChild<QAction*>(QStringLiteral("N8"))) {
        n8->setVisible(menus.n8Visible);
        n8->setEnabled(menus.n8Enabled);
        n8->setText(menus.n8Caption.isEmpty() ? QStringLiteral("|") : menus.n8Caption);
    }
    if (auto* c2 = m_window->findChild<QAction*>(QStringLiteral("Connect2")))
        c2->setVisible(menus.connect2Visible);
}

void RemoteUi::connectionStateChanged(ConnectionState state) {
    readConnectionChanged(state);
    // The connection ended under the read-back of a write: it stops without resuming anything
    // and says that the write could not be checked.
    if (state == ConnectionState::Idle && m_checker && m_checker->running())
        m_checker->abort();
    const bool lineBusy =
        state == ConnectionState::Connecting || state == ConnectionState::HangingUp;
    if (lineBusy && !m_ticket && m_shell)
        m_ticket = m_shell->guard().acquire(QStringLiteral("remote"));
    else if (!lineBusy)
        m_ticket.reset();
    // The attempt goes on when its dialog is closed with the window button: say so beside the
    // remote menu, so that its later message does not come out of the blue.
    m_statusText =
        state == ConnectionState::Connecting && m_shell
            ? m_shell->texts().get(TextSection::REMOTE, kConnectionTextKey) + QChar(0x2026)
            : QString();
    // A box pulled out ends the connection without a hang-up: say so beside the remote menu
    // until the next attempt, and in the status bar.
    if (state == ConnectionState::Idle && m_shell && m_link->boxLost()) {
        m_statusText = m_shell->texts().message(Msg::ConnectionLost);
        m_shell->showNote(m_statusText);
    }
    setItemText("N6", m_statusText.isEmpty() ? QStringLiteral("   ") : m_statusText);
}

void RemoteUi::hangUpForClose() {
    if (!m_engine)
        return;
    m_attemptOpen = false; // no "no box selected" message while the window closes
    if (m_readDialog && m_readDialog->isVisible()) {
        m_readDialog->engine().abort();
        m_readDialog->done(QDialog::Rejected);
    }
    endWriteForClose();
    if (m_dialog && m_dialog->isVisible())
        m_dialog->done(QDialog::Rejected);
    auto done = std::make_shared<bool>(false);
    m_model->Button1Click([done] { *done = true; });
    if (!*done && m_waiter)
        m_waiter([done] { return *done; });
}

void RemoteUi::attachRead(Shell& shell) {
    m_readDialog = new TForm11(*m_link, *m_engine, shell.model().params(), shell.texts(),
                               shell.messenger(), m_window);
    m_readDialog->setFinishedHandler([this](const RemoteReadResult& r) { readFinished(r); });
    connect(m_readDialog, &QDialog::finished, this, [this] { m_readTicket.reset(); });
    shell.commands().add(
        QStringLiteral("Readdata1"), [this] { Readdata1Click(); },
        TextKey{TextSection::REMOTE, 19});
}

void RemoteUi::applyReadMenu(const RemoteMenuState& menus) {
    m_shell->commands().setEnabled(QStringLiteral("Readdata1"), menus.readEnabled);
}

void RemoteUi::Readdata1Click() {
    if (!m_shell || !m_engine->isConnected() || m_readDialog->isVisible())
        return;
    // No local exchange while the dialog may read.
    ExchangeGuard::Ticket ticket = m_shell->guard().acquire(QStringLiteral("remote read"));
    if (!ticket)
        return;
    m_readTicket = std::move(ticket);
    m_readDialog->setStamp(QDateTime::currentDateTime(), QLocale());
    // Window-modal without a nested event loop: the read's waits run from the main loop.
    m_readDialog->open();
}

void RemoteUi::readConnectionChanged(ConnectionState state) {
    // The connection ended under the read: the read stops without resuming anything.
    if (state == ConnectionState::Idle && m_readDialog && m_readDialog->reading()) {
        m_readDialog->engine().abort();
        m_readDialog->done(QDialog::Rejected);
    }
}

void RemoteUi::readFinished(const RemoteReadResult& result) {
    // The fields show the parameter set, which the read changed only where data came in whole;
    // those now hold the unit's values and are no edits any more.
    if (!m_shell)
        return;
    ParameterModel& model = m_shell->model();
    model.resetBaseline(fieldsReadRemotely(result));
    if (!result.settingsDecoded && result.memoriesRead.empty())
        return;
    model.setCameFromUnitOrFile();
    m_shell->keepBackup(
        {BackupRequest::Kind::Remote, result.outcome == RemoteReadState::Done, &model.params()});
}

// --- remote write ---

void RemoteUi::attachWrite(Shell& shell) {
    m_writeDialog = new TForm12(*m_link, shell.texts(), shell.messenger(), m_window);
    m_writer = std::make_unique<RemoteWriteEngine>(*m_link, *m_engine, shell.model().params(),
                                                   shell.texts(), *m_writeDialog);
    m_writeDialog->setEngine(m_writer.get());
    m_checker = std::make_unique<RemoteWriteCheck>(*m_link, *m_engine, shell.texts(),
                                                   m_writeDialog->checkView());
    m_writeDialog->setChecker(m_checker.get(), &shell.model().params());
    m_writeDialog->setCheckedHandler(
        [this](const WriteCheck& check, const QString& reason) { writeChecked(check, reason); });
    m_writeDialog->setFileChooser([this] {
        return QFileDialog::getOpenFileName(
            m_writeDialog, m_shell->texts().get(TextSection::REMOTE, 63), QDir::currentPath(),
            QStringLiteral("*.KTF *.ktf *.json"));
    });
    m_writeDialog->setFileLoader(
        [&shell](const QString& path, ParameterSet& params, QString* error) {
            return loadParameterFile(path, params, error, &shell.texts());
        });
    // What the unit acknowledged holds the window's values now: no edits any more.
    m_writeDialog->setFinishedHandler([this](const RemoteWriteResult& result) {
        if (m_shell)
            m_shell->model().resetBaseline(
                fieldsWrittenRemotely(result, m_shell->model().params()));
    });
    // No local exchange while the line carries a write.
    m_writeDialog->setRunningHandler([this](bool running) {
        if (running && !m_writeTicket && m_shell)
            m_writeTicket = m_shell->guard().acquire(QStringLiteral("remote write"));
        else if (!running)
            m_writeTicket.reset();
    });
    shell.commands().add(
        QStringLiteral("Writedata1"), [this] { Writedata1Click(); },
        TextKey{TextSection::REMOTE, 20});
}

void RemoteUi::applyWriteMenus(const RemoteMenuState& menus) {
    if (m_shell && m_shell->commands().contains(QStringLiteral("Writedata1")))
        m_shell->commands().setEnabled(QStringLiteral("Writedata1"), menus.writeEnabled);
}

void RemoteUi::Writedata1Click() {
    if (!m_shell || !m_writer || !m_engine->isConnected() || m_writer->running() ||
        m_writeDialog->isVisible())
        return;
    // Nothing is written from a parameter set the unit cannot take.
    const QString invalid = m_writer->validationMessage();
    if (!invalid.isEmpty()) {
        m_shell->messenger().message(invalid);
        return;
    }
    if (!writeGuardPasses(m_shell->model().cameFromUnitOrFile(), m_shell->messenger(),
                          m_shell->texts()))
        return;
    m_writeDialog->setStamp(QDateTime::currentDateTime());
    m_writeDialog->setVerifyDefault(verifyWrites());
    // Window-modal without a nested event loop: the write's pauses run on the clock.
    m_writeDialog->open();
}

void RemoteUi::endWriteForClose() {
    if (m_writer && m_writer->running())
        m_writer->abort();
    if (m_writeDialog)
        m_writeDialog->abortCheck();
    if (m_writeDialog && m_writeDialog->isVisible())
        m_writeDialog->done(QDialog::Rejected);
}

void RemoteUi::writeChecked(const WriteCheck& check, const QString& reason) {
    if (!m_shell)
        return;
    const Texts& texts = m_shell->texts();
    Messenger& messenger = m_shell->messenger();
    switch (check.outcome) {
    case WriteCheck::Outcome::WriteFailed:
        return; // the write has said why
    case WriteCheck::Outcome::ReadBackFailed:
        messenger.warning(texts.message(Msg::ReadBackFailed) +
                          (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
        return;
    case WriteCheck::Outcome::Verified:
        messenger.message(texts.message(Msg::WriteVerified));
        return;
    case WriteCheck::Outcome::Differs:
        break;
    }
    CompareRequest request;
    request.other = heldForComparison(m_shell->model().params(), check);
    request.title = texts.message(Msg::WriteNotVerified);
    request.otherHeader = texts.message(Msg::ReadBackColumn);
    // What the unit holds is no value to take: the write is to be repeated.
    request.allowTake = false;
    m_shell->showComparison(request);
}

} // namespace lumo
