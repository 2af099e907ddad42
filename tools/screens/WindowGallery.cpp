#include "WindowGallery.h"
#include "app/ComparePart.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/TForm3.h"
#include "app/TForm8.h"
#include "app/ToolsPart.h"
#include "files/ui/PrintUi.h"
#include "files/ui/TForm4.h"
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "link/LocalLinkSettings.h"
#include "link/ui/AfPortRadioGroup.h"
#include "link/ui/LocalTransferUi.h"
#include "link/ui/TForm5.h"
#include "link/ui/TForm6.h"
#include "link/ui/TForm7.h"
#include "link/ui/TForm9.h"
#include "params/Comparison.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/CompareDialog.h"
#include "params/ui/TForm13.h"
#include "platform/Messenger.h"
#include "platform/SoundOutput.h"
#include "platform/VirtualClock.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteWriteEngine.h"
#include "remote/ui/RemoteUi.h"
#include "remote/ui/TForm10.h"
#include "remote/ui/TForm11.h"
#include "remote/ui/TForm12.h"
#include "shell/Shell.h"
#include "sim/LineBoxUsbDevice.h"
#include "sim/VirtualUnit.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

namespace lumo::screens {

namespace {

class RecordingMessenger : public Messenger {
public:
    void message(const QString& text, const QString&) override { messages << text; }
    bool ask(const QString&, const QString& text, Icon, bool) override {
        messages << text;
        return false;
    }
    QStringList messages;
};

class NoSound : public SoundOutput {
public:
    bool hasOutputDevice() const override { return true; }
    void play(const QString&, std::function<void()> done) override { done(); }
    void playDefault(std::function<void()> done) override { done(); }
};

void pump() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace

struct WindowGallery::Program {
    explicit Program(const QString& pack);
    ~Program();

    // Moves virtual time on until `done` or `limitMs` have passed, task by task.
    void runUntil(const std::function<bool()>& done, qint64 limitMs);
    void show(const QString& name, QWidget& window, const Visitor& visit);
    QByteArray unitPassword() const;
    void visitMain(const Visitor& visit);
    void visitDialogs(const Visitor& visit);
    void visitRemote(const Visitor& visit);

    QString previousFolder;
    QTemporaryDir folder;
    FtdiBackendKind previousBackend = ftdiBackendKind();
    QString problem;

    VirtualClock clock;
    RecordingMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> lineBox;
    NoSound sound;
    LocalLinkState linkState;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm13> form13;
    std::unique_ptr<LocalTransferUi> localLink;
    std::unique_ptr<PrintUi> printing;
    std::unique_ptr<RemoteUi> remote;
    std::unique_ptr<ToolsPart> tools;
    std::unique_ptr<ComparePart> compare;
};

WindowGallery::Program::Program(const QString& pack) {
    previousFolder = QDir::currentPath();
    if (!folder.isValid()) {
        problem = QStringLiteral("no scratch folder");
        return;
    }
    QDir::setCurrent(folder.path());
    // The line box answers through the FTDI layer's virtual devices, as with --simulate.
    selectFtdiBackend(FtdiBackendKind::Virtual);
    VirtualFtdiRegistry::instance().unplugAll();
    lineBox = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);

    form1 = std::make_unique<TForm1>(shell);
    form13 = std::make_unique<TForm13>(form1.get());
    form1->attachToneDialog(form13.get());
    localLink = std::make_unique<LocalTransferUi>(shell, linkState, form1.get());
    form1->addPart(*localLink);
    printing = std::make_unique<PrintUi>(form1.get());
    form1->addPart(*printing);
    remote = std::make_unique<RemoteUi>(form1.get(), std::make_unique<FtdiBoxBus>());
    form1->addPart(*remote);
    tools = std::make_unique<ToolsPart>(form1.get(), sound, [](const QString&) {});
    form1->addPart(*tools);
    compare = std::make_unique<ComparePart>(
        form1.get(), [](ParameterModel&, std::function<void(bool)>) { return false; });
    form1->addPart(*compare);

    if (pack.isEmpty())
        return;
    // The pack is chosen from the language menu of the working folder, as a user does.
    const QString name = QFileInfo(pack).fileName();
    if (!QFile::copy(pack, folder.filePath(name))) {
        problem = QStringLiteral("cannot read %1").arg(pack);
        return;
    }
    form1->buildLanguageMenu();
    const auto& paths = form1->languageItemPaths();
    for (int i = 0; i < TForm1::kLanguageItems; ++i)
        if (QFileInfo(paths[std::size_t(i)]).fileName() == name) {
            form1->chooseLanguage(i);
            return;
        }
    problem = QStringLiteral("%1 is not in the language menu").arg(name);
}

WindowGallery::Program::~Program() {
    compare.reset();
    tools.reset();
    remote.reset();
    printing.reset();
    localLink.reset();
    form13.reset();
    form1.reset();
    lineBox.reset();
    VirtualFtdiRegistry::instance().unplugAll();
    selectFtdiBackend(previousBackend);
    QDir::setCurrent(previousFolder);
}

void WindowGallery::Program::runUntil(const std::function<bool()>& done, qint64 limitMs) {
    const qint64 end = clock.nowMs() + limitMs;
    while (!done() && clock.nowMs() < end) {
        const qint64 next = clock.nextDueMs();
        if (next < 0)
            break;
        clock.advance(std::max<qint64>(0, std::min(next, end) - clock.nowMs()));
        QApplication::processEvents();
    }
}

void WindowGallery::Program::show(const QString& name, QWidget& window, const Visitor& visit) {
    if (!window.isVisible())
        window.show();
    pump();
    visit(name, window);
}

QByteArray WindowGallery::Program::unitPassword() const {
    QByteArray password;
    for (int position = 21; position <= 24; ++position) {
        const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
        password += code == 10 ? '0' : char('0' + code);
    }
    return password;
}

void WindowGallery::Program::visitMain(const Visitor& visit) {
    // A unit of recent firmware: every firmware-dependent control is there.
    model.params().setFirmwareVersion(QStringLiteral("7.5"));
    model.params().setText(QStringLiteral("Edit1"), QStringLiteral("0601234567"));
    model.params().setText(QStringLiteral("Edit2"), QStringLiteral("0607654321"));
    model.params().setText(QStringLiteral("Edit65"), QStringLiteral("0212345678"));
    // The longer of the two mode names, as a read from a unit in night mode shows it.
    model.params().setText(statusField(StatusTag::Mode), texts.message(46));
    form1->show();
    form1->Timer1Timer(); // status bar and firmware rules
    auto* pages = form1->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int i = 0; pages && i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        show(i == 0 ? QStringLiteral("main") : QStringLiteral("main-page%1").arg(i + 1), *form1,
             visit);
    }
    if (pages)
        pages->setCurrentIndex(0);
}

void WindowGallery::Program::visitDialogs(const Visitor& visit) {
    TForm8 warning;
    warning.applyTexts(texts);
    show(QStringLiteral("warning"), warning, visit);
    warning.close();

    show(QStringLiteral("tone-detection"), *form13, visit);
    form13->hide();

    show(QStringLiteral("tones"), tools->toneSamples(), visit);
    tools->toneSamples().hide();
    show(QStringLiteral("about"), tools->about(), visit);
    tools->about().hide();

    TForm4* labels = printing->labelDialog();
    LabelNames names;
    names[0] = QStringLiteral("Novák");
    names[1] = QStringLiteral("Dvořáková");
    names[12] = QStringLiteral("Ordinace MUDr. Malý");
    labels->setNames(names);
    show(QStringLiteral("labels"), *labels, visit);
    labels->hide();

    // Opened from the menu, the dialog shows the current port and its device.
    localLink->form5().portGroup()->SetPortNumber(1);
    show(QStringLiteral("ports"), localLink->form5(), visit);
    // The cable ticked: what the dialog says of the cable in place of the port list.
    localLink->form5().usbBox()->setChecked(true);
    show(QStringLiteral("ports-usb"), localLink->form5(), visit);
    localLink->form5().usbBox()->setChecked(false);
    localLink->form5().hide();

    // "Načíst vše" in its number read: one bar over the command, the memory in it.
    TForm6 transfer(messenger, texts, form1.get());
    transfer.applyTexts(texts);
    transfer.commandPlanned(
        {TransferKind::Status, TransferKind::SettingsRead, TransferKind::NumbersRead});
    transfer.transferStarting(TransferKind::NumbersRead);
    transfer.setProgress(36);
    show(QStringLiteral("transfer"), transfer, visit);
    transfer.hide();

    // All three panels: the unit differs in button count, mode and counter.
    TForm9 confirm(texts, form1.get());
    const QString day = texts.message(45);
    const QString night = texts.message(46);
    const QString windowMode = model.params().text(statusField(StatusTag::Mode));
    confirm.prepare({windowMode == day ? night : day, QStringLiteral("1"), QStringLiteral("17")},
                    model.params());
    show(QStringLiteral("confirm"), confirm, visit);
    confirm.hide();

    TForm7& action = localLink->form7();
    for (const char* kind : {"rezim", "citac"}) {
        action.setAction(QString::fromLatin1(kind));
        show(qstrcmp(kind, "rezim") == 0 ? QStringLiteral("action-mode")
                                         : QStringLiteral("action-counter"),
             action, visit);
        action.hide();
    }

    // The compare view with a few rows, and with none.
    CompareRequest request;
    request.other = model.params();
    request.other.setText(QStringLiteral("Edit1"), QStringLiteral("0609999999"));
    request.other.setText(QStringLiteral("Edit144"), QStringLiteral("4321"));
    request.other.setText(QStringLiteral("Edit145"), QStringLiteral("5"));
    request.other.setChecked(QStringLiteral("RadioButton7"), true);
    CompareDialog* comparison = form1->compareDialog();
    comparison->setRequest(request);
    show(QStringLiteral("compare"), *comparison, visit);
    request.other = model.params();
    comparison->setRequest(request);
    show(QStringLiteral("compare-empty"), *comparison, visit);
    // The answer to a write that did not verify: what was written beside what was read back.
    CompareRequest unverified;
    unverified.other = model.params();
    unverified.other.setText(QStringLiteral("Edit144"), QStringLiteral("7234"));
    unverified.title = texts.message(Msg::WriteNotVerified);
    unverified.otherHeader = texts.message(Msg::ReadBackColumn);
    unverified.allowTake = false;
    comparison->setRequest(unverified);
    show(QStringLiteral("compare-verify"), *comparison, visit);
    comparison->hide();
}

void WindowGallery::Program::visitRemote(const Visitor& visit) {
    // Connecting through the dialog, as a technician does.
    shell.commands().trigger(QStringLiteral("Connect1"));
    TForm10& connect = remote->dialog();
    show(QStringLiteral("connect"), connect, visit);
    ConnectDialogModel& dialog = remote->dialogModel();
    dialog.ComboBox1Change(0);
    dialog.Button2Click();
    runUntil([&] { return dialog.state().panel2Visible; }, 5000);
    dialog.setEdit1(QStringLiteral("0601234567"));
    dialog.setEdit2(QString::fromLatin1(unitPassword()));
    show(QStringLiteral("connect-box"), connect, visit);
    if (auto* button = connect.findChild<QPushButton*>(QStringLiteral("Button4")))
        button->click();
    runUntil([&] { return dialog.state().progress >= 5; }, 60000);
    show(QStringLiteral("connect-dialling"), connect, visit);
    runUntil([&] { return remote->engine().state() == ConnectionState::Quiet; }, 10 * 60 * 1000);
    if (connect.isVisible())
        connect.hide();
    if (!remote->engine().isConnected()) {
        messenger.messages << QStringLiteral("the simulated unit did not connect");
        return;
    }

    // Reading a few memories.
    shell.commands().trigger(QStringLiteral("Readdata1"));
    TForm11& read = remote->readDialog();
    for (int k : {1, 2, 3, 65})
        read.memoryBox(k)->setChecked(true);
    show(QStringLiteral("read"), read, visit);
    if (auto* button = read.findChild<QPushButton*>(QStringLiteral("Button1")))
        button->click();
    auto* readBar = read.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    runUntil([&] { return !read.reading() || (readBar && readBar->value() >= 3); }, 10 * 60 * 1000);
    show(QStringLiteral("read-reading"), read, visit);
    runUntil([&] { return !read.isVisible(); }, 30 * 60 * 1000);
    runUntil([&] { return remote->engine().state() == ConnectionState::Quiet; }, 60000);

    // Writing the number memories, stopped part way; the dialog then offers to continue.
    // Forty memories, stopped late: the longest account of what the unit acknowledged.
    for (int k = 1; k <= 32; ++k)
        model.params().setText(numberFieldName(k - 1),
                               QStringLiteral("06012345%1").arg(k, 2, 10, QChar('0')));
    for (int k = 65; k <= 72; ++k)
        model.params().setText(numberFieldName(k - 1),
                               QStringLiteral("02123456%1").arg(k, 2, 10, QChar('0')));
    shell.commands().trigger(QStringLiteral("Writedata1"));
    TForm12& write = remote->writeDialog();
    if (!write.isVisible())
        return;
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3"})
        if (auto* box = write.findChild<QCheckBox*>(QString::fromLatin1(name)))
            box->setChecked(false);
    show(QStringLiteral("write"), write, visit);
    if (auto* button = write.findChild<QPushButton*>(QStringLiteral("Button1")))
        button->click();
    RemoteWriteEngine& writer = remote->writer();
    auto* writeBar = write.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    runUntil(
        [&] {
            return !writer.running() ||
                   (writeBar && writeBar->value() >= writeBar->maximum() * 3 / 4 &&
                    writeBar->value() > 0);
        },
        60 * 60 * 1000);
    show(QStringLiteral("write-writing"), write, visit);
    write.Button3Click(); // stop after the entry in flight
    runUntil([&] { return !writer.running(); }, 30 * 60 * 1000);
    show(QStringLiteral("write-stopped"), write, visit);
    write.done(QDialog::Rejected);
    pump();

    // The switches written with "Ověřit zápis": the dialog stays in view for the read-back.
    runUntil([&] { return remote->engine().state() == ConnectionState::Quiet; }, 60000);
    shell.commands().trigger(QStringLiteral("Writedata1"));
    if (!write.isVisible())
        return;
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox4"})
        if (auto* box = write.findChild<QCheckBox*>(QString::fromLatin1(name)))
            box->setChecked(false);
    if (auto* verify = write.findChild<QCheckBox*>(QStringLiteral("CheckBox6")))
        verify->setChecked(true);
    if (auto* button = write.findChild<QPushButton*>(QStringLiteral("Button1")))
        button->click();
    // A few blocks into the read-back, its progress and time left in the dialog.
    runUntil(
        [&] {
            return !write.isVisible() || (write.checking() && writeBar && writeBar->value() >= 2);
        },
        30 * 60 * 1000);
    show(QStringLiteral("write-verifying"), write, visit);
    // Storno ends the read-back claiming nothing: no answer to wait for here.
    write.done(QDialog::Rejected);
    pump();
}

WindowGallery::WindowGallery(const QString& pack) : m_program(std::make_unique<Program>(pack)) {}

WindowGallery::~WindowGallery() = default;

bool WindowGallery::ready() const {
    return m_program->problem.isEmpty();
}

QString WindowGallery::problem() const {
    return m_program->problem;
}

void WindowGallery::visit(const Visitor& visit) {
    if (!ready())
        return;
    m_program->visitMain(visit);
    m_program->visitDialogs(visit);
    m_program->visitRemote(visit);
}

QStringList WindowGallery::messages() const {
    return m_program->messenger.messages;
}

} // namespace lumo::screens
