// The write dialog over the simulator's line box, in virtual time: the menu command and its
// check, the dialog's controls, the report file, progress, stop and continue, Storno while
// writing, the limit to the memories that differ from what the unit holds, and "Ověřit zápis":
// the read-back after a completed write, its answer, Storno during it and a box lost under it.
#include "files/ParameterFiles.h"
#include "link/FtdiVirtual.h"
#include "params/Comparison.h"
#include "params/EditMarks.h"
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "params/ParameterModel.h"
#include "platform/AppConfig.h"
#include "platform/VirtualClock.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteWriteCheck.h"
#include "remote/RemoteWriteEngine.h"
#include "remote/WriteGroups.h"
#include "remote/ui/RemoteUi.h"
#include "remote/ui/TForm11.h"
#include "remote/ui/TForm12.h"
#include "shell/Shell.h"
#include "sim/LineBoxUsbDevice.h"
#include "support/ScriptedMessenger.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

class Window : public QMainWindow {
public:
    Window() {
        QMenu* n5 = menuBar()->addMenu("N5");
        for (const char* n : {"Connect1", "Readdata1", "Writedata1", "Unconnect1"})
            n5->addAction(QString::fromLatin1(n))->setObjectName(QString::fromLatin1(n));
    }
};

class WriteDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        ASSERT_TRUE(folder.isValid());
        m_cwd = QDir::currentPath();
        QDir::setCurrent(folder.path());
        device = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);
        part = std::make_unique<RemoteUi>(&window, std::make_unique<FtdiBoxBus>());
        shell.addPart(*part);
        dialog = &part->writeDialog();
    }
    void TearDown() override {
        part.reset();
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(m_previous);
        QDir::setCurrent(m_cwd);
    }
    void connectToUnit() {
        RemoteLink& link = part->link();
        link.ListBoxDevices();
        ASSERT_EQ(link.listedCount(), 1);
        link.setSelectedIndex(0);
        if (!link.hasBoxLink())
            link.OpenBoxLink(link.boxSerial(0));
        QByteArray password;
        for (int position = 21; position <= 24; ++position) {
            const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
            password += code == 10 ? '0' : char('0' + code);
        }
        ASSERT_TRUE(part->engine().connect("0601234567", password));
        runUntil([&] { return part->engine().state() == ConnectionState::Quiet; });
        ASSERT_EQ(part->engine().state(), ConnectionState::Quiet);
    }
    void runUntil(const std::function<bool()>& done, qint64 limitMs = 4 * 3600 * 1000) {
        const qint64 end = clock.nowMs() + limitMs;
        while (!done() && clock.nowMs() < end) {
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(std::max<qint64>(0, std::min(next, end) - clock.nowMs()));
        }
    }
    // The write's commands since `from`: everything but the keep-alive's.
    QList<QByteArray> writesSince(int from) const {
        QList<QByteArray> out;
        for (const QByteArray& c : device->box().commands().mid(from))
            if (c != "ATDE8*5" && c != "AT@RECE" && c != "AT@RECN")
                out << c;
        return out;
    }
    int commandCount() const { return device->box().commandCount(); }
    template <typename W> W* child(const char* name) {
        return dialog->findChild<W*>(QString::fromLatin1(name));
    }
    void only(std::initializer_list<int> groups) {
        for (int g = 1; g <= 4; ++g)
            child<QCheckBox>(qPrintable(QStringLiteral("CheckBox%1").arg(g)))
                ->setChecked(std::find(groups.begin(), groups.end(), g) != groups.end());
    }
    void setMemory(int k, const char* number) {
        model.params().setText(numberFieldName(k - 1), QString::fromLatin1(number));
    }
    QList<QByteArray> memoryCommands() const {
        remote::CommandTable table;
        const WriteGroupBuild b = BuildMemoryWrite(table, model.params());
        QList<QByteArray> out;
        for (int i = 0; i < b.entries; ++i)
            out << table.command(i).chopped(2);
        return out;
    }
    void openDialog() {
        model.setCameFromUnitOrFile(); // as after a read or an Open: no question first
        ASSERT_TRUE(shell.commands().trigger("Writedata1"));
        ASSERT_TRUE(dialog->isVisible());
    }
    bool keepAliveRuns() const {
        const ConnectionState s = part->engine().state();
        return s == ConnectionState::KeepAlive || s == ConnectionState::Quiet;
    }

    QTemporaryDir folder;
    QString m_cwd;
    VirtualClock clock;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    Window window;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;
    std::unique_ptr<RemoteUi> part;
    TForm12* dialog = nullptr;
    FtdiBackendKind m_previous = FtdiBackendKind::LibFtdi;
};

TEST_F(WriteDialogTest, MenuCommandOnlyWhileConnectedAndNeverWithInvalidParameters) {
    EXPECT_FALSE(shell.commands().isEnabled("Writedata1"));
    EXPECT_FALSE(shell.commands().trigger("Writedata1"));
    connectToUnit();
    EXPECT_TRUE(shell.commands().isEnabled("Writedata1"));

    model.params().setText(numberFieldName(0), QStringLiteral("12X"));
    const int from = commandCount();
    ASSERT_TRUE(shell.commands().trigger("Writedata1"));
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("12X")));
    clock.advance(30000);
    EXPECT_TRUE(writesSince(from).isEmpty());
}

TEST_F(WriteDialogTest, ValuesThatCameFromNowhereAreWrittenOnlyAfterAYes) {
    connectToUnit();
    const int from = commandCount();
    ASSERT_FALSE(model.cameFromUnitOrFile());
    ASSERT_TRUE(shell.commands().trigger("Writedata1"));
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].text, texts.message(Msg::WriteWithoutSource));
    EXPECT_TRUE(messenger.questions[0].defaultNo);
    EXPECT_FALSE(dialog->isVisible()) << "No, the default, opens nothing";
    clock.advance(30000);
    EXPECT_TRUE(writesSince(from).isEmpty());

    messenger.answers = {true};
    ASSERT_TRUE(shell.commands().trigger("Writedata1"));
    EXPECT_EQ(messenger.questions.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(WriteDialogTest, OnShowEveryGroupIsSelectedAndTheReportNamedWithoutForbiddenCharacters) {
    connectToUnit();
    openDialog();
    for (const char* n : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4"})
        EXPECT_TRUE(child<QCheckBox>(n)->isChecked()) << n;
    EXPECT_FALSE(child<QCheckBox>("CheckBox5")->isChecked());
    const QString name = child<QLineEdit>("Edit1")->text();
    EXPECT_TRUE(name.startsWith(QStringLiteral("LF-W-")));
    for (QChar c : QStringLiteral("!*,./:;?\\"))
        EXPECT_FALSE(name.contains(c)) << name.toStdString();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Zápis dat do Vexo"));
    EXPECT_EQ(child<QPushButton>("Button1")->text(), QStringLiteral("Zápis dat"));
    // Nothing read, no file named: the only-changed limit is not on offer; nothing to continue.
    EXPECT_FALSE(child<QCheckBox>("CheckBox7")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Button4")->isVisibleTo(dialog));
    EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());
}

TEST_F(WriteDialogTest, SwitchWriteWithReportShowsProgressClosesAndResumesTheKeepAlive) {
    connectToUnit();
    openDialog();
    only({3});
    child<QCheckBox>("CheckBox5")->click();
    ASSERT_TRUE(dialog->report().isOpen());
    const QString path = dialog->report().path();
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    EXPECT_TRUE(part->busy());
    EXPECT_TRUE(shell.guard().busy()); // no local exchange meanwhile
    EXPECT_FALSE(child<QCheckBox>("CheckBox1")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("Button3")->isEnabled());
    runUntil([&] { return writesSince(from).size() == 3; });
    // Entry 3 of 15 is on the line, 12 pauses of 1050 ms still ahead.
    const QString progress = child<QLabel>("Label3")->text();
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Položka 3 z 15, celkem 3 z 15, zbývá asi ")))
        << progress.toStdString();
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("3"));
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(shell.guard().busy());
    const QList<QByteArray> sent = writesSince(from);
    ASSERT_EQ(sent.size(), 15);
    EXPECT_TRUE(sent.front().startsWith("ATDE311"));
    runUntil([&] { return keepAliveRuns(); }, 5000);
    EXPECT_TRUE(keepAliveRuns());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray report = f.readAll();
    EXPECT_TRUE(report.startsWith("Write report "));
    EXPECT_TRUE(report.contains("\r\nSTART\r\n"));
    EXPECT_TRUE(report.contains("> " + sent.front() + "\r\n\r\n< OK\r\n\r\n"));
    EXPECT_FALSE(report.contains("ACK")); // all acknowledged: no summary
}

TEST_F(WriteDialogTest, ReportFileThatCannotBeCreatedIsNamedAndTheWriteGoesOnWithout) {
    connectToUnit();
    openDialog();
    only({3});
    child<QLineEdit>("Edit1")->setText(QStringLiteral("no-such-folder/LF-W-x"));
    child<QCheckBox>("CheckBox5")->click();
    EXPECT_FALSE(child<QCheckBox>("CheckBox5")->isChecked());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("no-such-folder/LF-W-x.TXT")))
        << messenger.messages[0].toStdString();
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("bez záznamu")));
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(writesSince(from).size(), 15);
}

TEST_F(WriteDialogTest, ALongRunOfAcknowledgedMemoriesIsSaidAsARange) {
    for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 65, 66})
        setMemory(k, QByteArray::number(k * 11).constData());
    connectToUnit();
    openDialog();
    only({4});
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return writesSince(from).size() == 5; });
    child<QPushButton>("Button3")->click();
    runUntil([&] { return !part->writer().running(); });
    ASSERT_TRUE(dialog->lastResult());
    const int acked = dialog->lastResult()->acknowledged[3];
    ASSERT_GE(acked, 3);
    const QString said = child<QLabel>("Label4")->text();
    EXPECT_TRUE(said.contains(QStringLiteral("DEN 1") + QChar(0x2013) + QString::number(acked)))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("DEN 2"))) << said.toStdString();
    dialog->done(QDialog::Rejected);
}

TEST_F(WriteDialogTest, StopAfterTheEntryInFlightThenContinueSendsNothingTwice) {
    for (int k : {1, 2, 3, 4})
        setMemory(k, QByteArray::number(k * 11).constData());
    connectToUnit();
    openDialog();
    only({4});
    child<QCheckBox>("CheckBox5")->click();
    const QString firstReport = dialog->report().path();
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return writesSince(from).size() == 2; });
    child<QPushButton>("Button3")->click();
    EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label4")->text().contains(QStringLiteral("po potvrzení")));
    runUntil([&] { return !part->writer().running(); });
    ASSERT_TRUE(dialog->lastResult());
    EXPECT_EQ(dialog->lastResult()->outcome, RemoteWriteState::Stopped);
    // The dialog stays open, says what the unit acknowledged and offers the rest.
    EXPECT_TRUE(dialog->isVisible());
    const QString said = child<QLabel>("Label4")->text();
    EXPECT_TRUE(said.contains(QStringLiteral("Paměti tlačítek 2 z 4"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("DEN 1, DEN 2"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("od položky 3"))) << said.toStdString();
    EXPECT_TRUE(child<QPushButton>("Button4")->isVisibleTo(dialog));
    runUntil([&] { return keepAliveRuns(); }, 5000);
    EXPECT_TRUE(keepAliveRuns());
    QFile f(firstReport);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray report = f.readAll();
    EXPECT_TRUE(report.contains("ACK memories 2/4\r\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("ACK memories: 1 2\r\n"));
    EXPECT_TRUE(report.contains("NEXT memories 3\r\n"));

    // Closed and opened again: the offer stands while parameters and connection are the same.
    child<QPushButton>("Button2")->click();
    EXPECT_FALSE(dialog->isVisible());
    openDialog();
    ASSERT_TRUE(child<QPushButton>("Button4")->isVisibleTo(dialog));
    child<QPushButton>("Button4")->click();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(writesSince(from), memoryCommands());
    EXPECT_EQ(dialog->lastResult()->outcome, RemoteWriteState::Done);
    clock.advance(1000);
    EXPECT_EQ(unit.numberMemory(3).left(2), QByteArray("\x04\x04"));
    openDialog();
    EXPECT_FALSE(child<QPushButton>("Button4")->isVisibleTo(dialog)); // nothing left to do
}

TEST_F(WriteDialogTest, ChangedParametersWithdrawTheOfferToContinue) {
    for (int k : {1, 2, 3})
        setMemory(k, "55");
    connectToUnit();
    openDialog();
    only({4});
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return writesSince(from).size() == 1; });
    child<QPushButton>("Button3")->click();
    runUntil([&] { return !part->writer().running(); });
    EXPECT_TRUE(dialog->resumeOffered());
    child<QPushButton>("Button2")->click();
    setMemory(2, "66"); // a different entry 2: continuing would skip or repeat something
    openDialog();
    EXPECT_FALSE(dialog->resumeOffered());
    EXPECT_FALSE(child<QPushButton>("Button4")->isVisibleTo(dialog));
}

TEST_F(WriteDialogTest, StornoWhileWritingAsksAndStopsCleanlyOnlyOnYes) {
    for (int k : {1, 2, 3})
        setMemory(k, "77");
    connectToUnit();
    openDialog();
    only({4});
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return writesSince(from).size() == 1; });
    messenger.answers = {false};
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].text,
              QStringLiteral("Zastavit zápis po potvrzení právě zapisované položky?"));
    EXPECT_TRUE(part->writer().running()); // No: the write goes on
    runUntil([&] { return writesSince(from).size() == 2; });
    messenger.answers = {true};
    dialog->reject(); // the window's close button asks the same
    EXPECT_EQ(messenger.questions.size(), 2u);
    EXPECT_TRUE(dialog->isVisible()); // until the entry in flight is acknowledged
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(dialog->lastResult()->outcome, RemoteWriteState::Stopped);
    EXPECT_EQ(dialog->lastResult()->acknowledged[3], 2);
    EXPECT_EQ(writesSince(from).size(), 2);
}

TEST_F(WriteDialogTest, OnlyChangedMemoriesFromThisConnectionsReadOrAFile) {
    setMemory(1, "11");
    setMemory(2, "22");
    setMemory(66, "66");
    connectToUnit();
    // What a remote read of this connection noted: every memory, 2 different, 66 empty.
    for (int m = 0; m < 128; ++m)
        part->link().noteUnitMemory(m, model.params().text(numberFieldName(m)));
    part->link().noteUnitMemory(1, QStringLiteral("29"));
    part->link().noteUnitMemory(65, QString());
    openDialog();
    auto* onlyChanged = child<QCheckBox>("CheckBox7");
    EXPECT_TRUE(onlyChanged->isEnabled());
    EXPECT_FALSE(onlyChanged->isChecked()); // off by default
    EXPECT_TRUE(child<QLabel>("Label5")->text().contains(QStringLiteral("128")));
    only({4});
    onlyChanged->setChecked(true);
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    const QList<QByteArray> all = memoryCommands();
    EXPECT_EQ(writesSince(from), (QList<QByteArray>{all[1], all[2]}));

    // The write noted what the unit now holds: a second only-changed write has nothing to do.
    openDialog();
    only({4});
    onlyChanged->setChecked(true);
    const int second = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); }, 60000);
    EXPECT_TRUE(writesSince(second).isEmpty());

    // A settings file names the unit's contents instead: only memory 1 differs from it.
    ParameterSet held = model.params();
    held.setText(numberFieldName(0), QStringLiteral("19"));
    const QString file = folder.filePath(QStringLiteral("UNIT.KTF"));
    QString error;
    ASSERT_TRUE(saveParameterFile(file, held, &error)) << error.toStdString();
    dialog->setFileChooser([file] { return file; });
    openDialog();
    only({4});
    child<QPushButton>("Button5")->click();
    EXPECT_TRUE(child<QLabel>("Label5")->text().contains(QStringLiteral("UNIT.KTF")));
    onlyChanged->setChecked(true);
    const int third = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(writesSince(third), (QList<QByteArray>{all[0]}));
}

TEST_F(WriteDialogTest, WithOnlyChangedOffTheTrafficIsTheFullGroup) {
    setMemory(1, "11");
    setMemory(2, "22");
    connectToUnit();
    for (int m = 0; m < 128; ++m)
        part->link().noteUnitMemory(m, model.params().text(numberFieldName(m)));
    openDialog();
    only({4});
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(writesSince(from), memoryCommands());
}

TEST_F(WriteDialogTest, ANewConnectionForgetsWhatTheUnitHeld) {
    connectToUnit();
    part->link().noteUnitMemory(0, QStringLiteral("1"));
    EXPECT_EQ(knownCount(part->link().unitMemories()), 1);
    part->engine().disconnect();
    runUntil([&] { return part->engine().state() == ConnectionState::Idle; });
    clock.advance(1000);
    connectToUnit();
    EXPECT_EQ(knownCount(part->link().unitMemories()), 0);
    openDialog();
    EXPECT_FALSE(child<QCheckBox>("CheckBox7")->isEnabled());
}

QByteArray memoryImage(const QByteArray& digits) {
    QByteArray image(16, char(0xFF));
    for (int i = 0; i < digits.size(); ++i)
        image[i] = char(digits[i] == '0' ? 10 : digits[i] - '0');
    return image;
}

TEST_F(WriteDialogTest, ARemoteReadOfThisConnectionIsWhatOnlyChangedComparesWith) {
    unit.setNumberMemory(0, memoryImage("11"));
    unit.setNumberMemory(1, memoryImage("22"));
    connectToUnit();
    ASSERT_TRUE(shell.commands().trigger("Readdata1"));
    TForm11& read = part->readDialog();
    read.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    for (int k = 1; k <= 128; ++k)
        read.memoryBox(k)->setChecked(k <= 3); // memory 3 is empty in the unit
    read.findChild<QPushButton*>("Button1")->click();
    runUntil([&] { return !read.isVisible(); });
    runUntil([&] { return part->engine().state() == ConnectionState::Quiet; });
    ASSERT_EQ(model.params().text(numberFieldName(1)), QStringLiteral("22"));

    setMemory(2, "29"); // differs from what was read
    setMemory(3, "33"); // read empty: differs too
    setMemory(4, "44"); // not read: unknown, so written
    openDialog();
    auto* onlyChanged = child<QCheckBox>("CheckBox7");
    ASSERT_TRUE(onlyChanged->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label5")->text().contains(QStringLiteral("3 ze 128")))
        << child<QLabel>("Label5")->text().toStdString();
    only({4});
    onlyChanged->setChecked(true);
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    const QList<QByteArray> all = memoryCommands();
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(writesSince(from), all.mid(1));
}

TEST_F(WriteDialogTest, BoxVanishingMidWriteKeepsTheDialogOpenSayingWhatWasAcknowledged) {
    for (int k : {1, 2, 3, 4})
        setMemory(k, QByteArray::number(k * 11).constData());
    connectToUnit();
    openDialog();
    only({4});
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return writesSince(from).size() == 2; });
    device->vanish();
    runUntil([&] { return !part->writer().running(); }, 60000);
    ASSERT_TRUE(dialog->lastResult());
    EXPECT_TRUE(dialog->lastResult()->boxLost);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(child<QLabel>("Label4")->text(),
              QStringLiteral("Zápis byl přerušen. Vexo potvrdilo: Paměti tlačítek 1 z 4; "
                             "potvrzené paměti: DEN 1."));
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages[0].startsWith(QStringLiteral("Zařízení Telvox KAV00001")));
    // Nothing to continue on or start through; the window shows the connection gone.
    EXPECT_FALSE(child<QPushButton>("Button4")->isVisibleTo(dialog));
    EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(shell.commands().isEnabled("Writedata1"));
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    // The acknowledged memory is no edit any more; the others still are.
    const QStringList edited = editedParameters(model.params(), model.baseline().values());
    EXPECT_FALSE(edited.contains(numberFieldName(0)));
    for (int m : {1, 2, 3})
        EXPECT_TRUE(edited.contains(numberFieldName(m))) << m;
    // Storno just closes.
    child<QPushButton>("Button2")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(messenger.questions.empty());
}

TEST_F(WriteDialogTest, BoxVanishingWhileAHaltedWriteWaitsForStornoIsNoticedAtOnce) {
    setMemory(1, "11");
    setMemory(2, "12345678909"); // sent in two parts
    const QByteArray firstPart = memoryCommands().value(1).left(17);
    ASSERT_EQ(firstPart.size(), 17);
    connectToUnit();
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {firstPart};
    device->box().setFaults(faults);
    openDialog();
    only({4});
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !messenger.messages.empty(); }, 600000);
    ASSERT_EQ(messenger.messages,
              std::vector<QString>{QStringLiteral("Chyba - timeout first part of number 1")});
    ASSERT_EQ(part->writer().state(), RemoteWriteState::Halted);
    // Halted on a box that stays: the write waits for Storno as long as it takes.
    clock.advance(60000);
    ASSERT_EQ(part->writer().state(), RemoteWriteState::Halted);
    ASSERT_EQ(messenger.messages.size(), 1u);

    device->vanish();
    runUntil([&] { return !part->writer().running(); }, 1000);
    EXPECT_FALSE(part->writer().running());
    ASSERT_TRUE(dialog->lastResult());
    EXPECT_TRUE(dialog->lastResult()->boxLost);
    ASSERT_EQ(messenger.messages.size(), 2u);
    EXPECT_TRUE(messenger.messages[1].startsWith(QStringLiteral("Zařízení Telvox KAV00001")))
        << messenger.messages[1].toStdString();
    EXPECT_EQ(child<QLabel>("Label4")->text(),
              QStringLiteral("Zápis byl přerušen. Vexo potvrdilo: Paměti tlačítek 1 z 2; "
                             "potvrzené paměti: DEN 1."));
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_FALSE(shell.guard().busy());
    child<QPushButton>("Button2")->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(WriteDialogTest, CompletedWriteClearsTheMarksOfWhatWasWrittenOnly) {
    model.params().setText(QStringLiteral("Edit129"), QStringLiteral("123456"));
    model.params().setChecked(QStringLiteral("CheckBox1"),
                              !model.params().isChecked(QStringLiteral("CheckBox1")));
    setMemory(1, "11");
    const QStringList before = editedParameters(model.params(), model.baseline().values());
    ASSERT_EQ(before, (QStringList{"Edit1", "Edit129", "CheckBox1"}));
    connectToUnit();
    openDialog();
    only({3});
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    ASSERT_EQ(dialog->lastResult()->outcome, RemoteWriteState::Done);
    EXPECT_EQ(editedParameters(model.params(), model.baseline().values()), QStringList{"Edit1"});
}

// --- "Ověřit zápis": the read-back after a completed write ---

class VerifyDialogTest : public WriteDialogTest {
protected:
    void SetUp() override {
        WriteDialogTest::SetUp();
        shell.setComparisonViewer([this](const CompareRequest& r) { compared.push_back(r); });
    }
    void verifyOption(bool on) {
        AppConfig config;
        config.verify = on;
        shell.readConfig(config);
    }
    // The switch group: 15 entries, the third (321) carries Edit129.
    void writeSwitchesVerified() {
        model.params().setText(QStringLiteral("Edit129"), QStringLiteral("123456"));
        verifyOption(true);
        connectToUnit();
        openDialog();
        only({3});
        ASSERT_TRUE(child<QCheckBox>("CheckBox6")->isChecked());
        from = commandCount();
        child<QPushButton>("Button1")->click();
        runUntil([&] { return readRequests().size() > 0; });
        ASSERT_FALSE(readRequests().isEmpty()) << "no read-back started";
    }
    // The read requests (settings blocks, memories) the box received since `from`.
    QList<QByteArray> readRequests() const {
        QList<QByteArray> out;
        for (const QByteArray& c : device->box().commands().mid(from))
            if (c.startsWith("ATDE8*") && c != "ATDE8*5")
                out << c;
        return out;
    }
    std::vector<CompareRequest> compared;
    int from = 0;
};

TEST_F(VerifyDialogTest, TheBoxSitsInItsRowAndStartsAsTheOptionOfTheNastaveniMenu) {
    auto* verify = child<QCheckBox>("CheckBox6");
    ASSERT_NE(verify, nullptr);
    EXPECT_EQ(verify->text(), QStringLiteral("Ověřit zápis"));
    EXPECT_EQ(verify->parentWidget()->objectName(), QStringLiteral("GroupBox1"));
    EXPECT_EQ(verify->geometry().top(), 194);
    connectToUnit();
    openDialog();
    EXPECT_FALSE(verify->isChecked()) << "Verify is off unless Config.ini says so";
    dialog->done(QDialog::Rejected);

    verifyOption(true);
    openDialog();
    EXPECT_TRUE(verify->isChecked());
    verify->setChecked(false); // for this write only
    dialog->done(QDialog::Rejected);
    openDialog();
    EXPECT_TRUE(verify->isChecked());
    dialog->done(QDialog::Rejected);

    // With the local part there, its menu item is the option, as the menu has set it since.
    bool on = false;
    shell.commands().add(QStringLiteral("Ovitzpis1"), [&] { on = !on; });
    shell.commands().setChecked(QStringLiteral("Ovitzpis1"), false);
    openDialog();
    EXPECT_FALSE(verify->isChecked());
    dialog->done(QDialog::Rejected);
}

TEST_F(VerifyDialogTest, ClearTheWriteIsFollowedByTheKeepAliveAlone) {
    model.params().setText(QStringLiteral("Edit129"), QStringLiteral("123456"));
    connectToUnit();
    openDialog();
    only({3});
    ASSERT_FALSE(child<QCheckBox>("CheckBox6")->isChecked());
    from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    const int end = commandCount();
    EXPECT_EQ(writesSince(from).size(), 15);
    // A minute of the resumed connection: the keep-alive's cycle, no read of any block.
    runUntil([] { return false; }, 60000);
    const QList<QByteArray> after = device->box().commands().mid(end);
    ASSERT_FALSE(after.isEmpty());
    for (const QByteArray& c : after)
        EXPECT_TRUE(c == "ATDE8*5" || c == "AT@RECE" || c == "AT@RECN" || c == "AT")
            << c.constData();
    EXPECT_TRUE(readRequests().isEmpty());
    EXPECT_TRUE(messenger.messages.empty());
}

TEST_F(VerifyDialogTest, AUnitThatStoresEverythingIsVerifiedWithTheDialogInViewMeanwhile) {
    writeSwitchesVerified();
    // The write is done; its dialog stays, saying that it reads back and how far it is.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->checking());
    EXPECT_EQ(dialog->lastResult()->outcome, RemoteWriteState::Done);
    EXPECT_TRUE(part->busy());
    EXPECT_TRUE(shell.guard().busy()) << "no local exchange while the line reads back";
    EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("CheckBox6")->isEnabled());
    runUntil([&] { return readRequests().size() == 2; });
    const QString progress = child<QLabel>("Label3")->text();
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Nastavení: blok 2 z 6, celkem 2 z 6")))
        << progress.toStdString();
    const QString said = child<QLabel>("Label4")->text();
    EXPECT_TRUE(
        said.startsWith(QStringLiteral("Zápis dokončen, čtu zpět k ověření. Zbývá nejméně ")))
        << said.toStdString();
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->maximum(), 6);
    EXPECT_TRUE(child<QLabel>("Label1")->text().isEmpty()) << "no group is being written";

    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_FALSE(dialog->checking());
    EXPECT_EQ(messenger.messages, std::vector<QString>{QStringLiteral("Zápis ověřen")});
    EXPECT_TRUE(compared.empty());
    // Block 7 first, then 0..4: the settings blocks, and no memory, since none was written.
    EXPECT_EQ(readRequests(), (QList<QByteArray>{"ATDE8*#7", "ATDE8*#0", "ATDE8*#1", "ATDE8*#2",
                                                 "ATDE8*#3", "ATDE8*#4"}));
    EXPECT_FALSE(shell.guard().busy());
    runUntil([&] { return keepAliveRuns(); }, 5000);
    EXPECT_TRUE(keepAliveRuns());
    EXPECT_TRUE(shell.commands().isEnabled("Writedata1"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit129")), QStringLiteral("123456"));
}

TEST_F(VerifyDialogTest, WrittenMemoriesAreReadBackAndAVerifyWithNothingWrittenSaysNothing) {
    setMemory(5, "123");
    setMemory(71, "45");
    verifyOption(true);
    connectToUnit();
    openDialog();
    only({4});
    from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_EQ(readRequests(), (QList<QByteArray>{"ATDE8*#7", "ATDE8*104", "ATDE8*206"}));
    EXPECT_EQ(messenger.messages, std::vector<QString>{QStringLiteral("Zápis ověřen")});

    // Only memories, all empty: nothing goes out, nothing is read back, nothing claimed.
    for (int k : {5, 71})
        setMemory(k, "");
    messenger.messages.clear();
    openDialog();
    only({4});
    from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return !dialog->isVisible(); }, 60000);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(readRequests().isEmpty());
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_FALSE(shell.guard().busy());
}

TEST_F(VerifyDialogTest, AWriteCodeTheUnitLostOpensTheCompareViewWithThatParameter) {
    sim::LineBoxFaults faults;
    faults.dropWrite = 3; // the third write code: 321, Edit129
    device->box().setFaults(faults);
    writeSwitchesVerified();
    runUntil([&] { return !dialog->isVisible(); });
    EXPECT_TRUE(messenger.messages.empty()) << messenger.messages[0].toStdString();
    ASSERT_EQ(compared.size(), 1u);
    const CompareRequest& request = compared[0];
    EXPECT_FALSE(request.allowTake);
    EXPECT_EQ(request.title, texts.message(Msg::WriteNotVerified));
    EXPECT_EQ(request.otherHeader, texts.message(Msg::ReadBackColumn));
    const auto listed = diffParameters(model.params(), request.other, texts);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, QStringLiteral("Edit129"));
    EXPECT_EQ(listed[0].otherValue, QString());
    EXPECT_EQ(model.params().text(QStringLiteral("Edit129")), QStringLiteral("123456"))
        << "the window keeps what was written";
}

TEST_F(VerifyDialogTest, StornoDuringTheReadBackEndsItCleanlyClaimingNothing) {
    writeSwitchesVerified();
    runUntil([&] { return readRequests().size() == 2; });
    child<QPushButton>("Button2")->click();
    EXPECT_FALSE(dialog->isVisible()) << "no question: nothing is left half-written";
    EXPECT_TRUE(messenger.questions.empty());
    EXPECT_FALSE(dialog->checking());
    EXPECT_FALSE(part->writeCheck().running());
    EXPECT_FALSE(shell.guard().busy());
    runUntil([&] { return keepAliveRuns(); }, 5000);
    EXPECT_TRUE(keepAliveRuns());
    runUntil([] { return false; }, 60000);
    EXPECT_EQ(readRequests().size(), 2) << "no block asked for after Storno";
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_TRUE(compared.empty());
    EXPECT_EQ(part->engine().state(), ConnectionState::Quiet);

    // The window's close button during a read-back does the same.
    openDialog();
    only({3});
    from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return readRequests().size() == 1; });
    ASSERT_TRUE(dialog->checking());
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(part->writeCheck().running());
    runUntil([&] { return keepAliveRuns(); }, 5000);
    EXPECT_TRUE(keepAliveRuns());
    EXPECT_TRUE(messenger.messages.empty());
}

TEST_F(VerifyDialogTest, ABoxLostDuringTheReadBackSaysTheWriteIsUncheckedInOneMessage) {
    writeSwitchesVerified();
    runUntil([&] { return readRequests().size() == 2; });
    device->vanish();
    runUntil([&] { return !dialog->checking(); }, 60000);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(messenger.messages.size(), 1u);
    const QString& said = messenger.messages[0];
    EXPECT_TRUE(said.startsWith(texts.message(Msg::ReadBackFailed))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("Zařízení Telvox KAV00001"))) << said.toStdString();
    // The read-back took nothing into the window, so nothing is said of taken parameters.
    EXPECT_FALSE(said.contains(QStringLiteral("Načtení bylo přerušeno"))) << said.toStdString();
    EXPECT_EQ(messenger.warnings.size(), 1u);
    EXPECT_TRUE(compared.empty());
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_FALSE(shell.commands().isEnabled("Writedata1"));
    EXPECT_EQ(model.params().text(QStringLiteral("Edit129")), QStringLiteral("123456"));
}

TEST_F(VerifyDialogTest, AReadBackThatHaltsSaysSoAndWhyInOneMessageAndNeverClaimsSuccess) {
    writeSwitchesVerified();
    // The recorded characters never come: the read halts on its wait for them.
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"AT@RECN"};
    device->box().setFaults(faults);
    runUntil([&] { return !dialog->checking(); }, 10 * 60000);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(part->writeCheck().running());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0],
              texts.message(Msg::ReadBackFailed) + QStringLiteral("\nChyba - RECN"));
    EXPECT_TRUE(compared.empty());
    EXPECT_FALSE(shell.guard().busy());
}

TEST_F(VerifyDialogTest, TheMainWindowClosingDuringTheReadBackEndsItWithoutAnAnswer) {
    part->setWaiter([this](const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i)
            clock.advance(10);
    });
    writeSwitchesVerified();
    shell.closeSequence().run();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->checking());
    EXPECT_FALSE(part->writeCheck().running());
    runUntil([] { return false; }, 10000);
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
}

} // namespace
} // namespace lumo
