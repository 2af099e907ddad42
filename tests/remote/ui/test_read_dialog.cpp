// The read dialog over a connected line box of the simulator in virtual time: what its check
// boxes request, what its progress says, what its close resumes, the report file, and that the
// parameters change only with data received whole; then the menu command of the main window.
#include "files/ReadBackups.h"
#include "params/Codec.h"
#include "params/EditMarks.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "platform/VirtualClock.h"
#include "remote/test_remote_rw_support.h"
#include "remote/ui/RemoteUi.h"
#include "remote/ui/TForm10.h"
#include "remote/ui/TForm11.h"
#include "shell/Shell.h"
#include "support/ScriptedMessenger.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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

QByteArray memoryImage(const QByteArray& digits) {
    QByteArray image(16, char(0xFF));
    for (int i = 0; i < digits.size(); ++i)
        image[i] = char(digits[i] == '0' ? 10 : digits[i] - '0');
    return image;
}

class ReadDialogTest : public test::ConnectedBoxTest {
protected:
    void SetUp() override {
        ConnectedBoxTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        dialog = std::make_unique<TForm11>(*link, *connection, params, texts, messenger);
        dialog->setReportFolder(folder.path());
        dialog->setFinishedHandler([this](const RemoteReadResult& r) { results.push_back(r); });
        dialog->setStamp(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)),
                         QLocale(QLocale::Czech, QLocale::CzechRepublic));
    }
    void TearDown() override {
        dialog.reset();
        ConnectedBoxTest::TearDown();
    }
    template <typename W> W* child(const char* name) {
        return dialog->findChild<W*>(QString::fromLatin1(name));
    }
    void selectOnly(std::initializer_list<int> memories, bool settings) {
        child<QCheckBox>("CheckBox1")->setChecked(settings);
        for (int k = 1; k <= 128; ++k)
            dialog->memoryBox(k)->setChecked(false);
        for (int k : memories)
            dialog->memoryBox(k)->click();
    }
    QList<QByteArray> requestsSince(int from) const {
        QList<QByteArray> out;
        for (const QByteArray& c : commandsSince(from))
            if (c.startsWith("ATDE8*") && c != "ATDE8*5")
                out << c;
        return out;
    }
    void runRead() {
        const std::size_t before = results.size();
        child<QPushButton>("Button1")->click();
        runUntil([&] { return results.size() > before; });
        ASSERT_EQ(results.size(), before + 1);
    }

    test::ScriptedMessenger messenger;
    QTemporaryDir folder;
    std::unique_ptr<TForm11> dialog;
    std::vector<RemoteReadResult> results;
};

TEST_F(ReadDialogTest, ShowsItsDefaultsAndEveryBoxNamesItsMemory) {
    dialog->memoryBox(40)->setChecked(true); // kept from the last use
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), "Načtení vybraných parametrů z Vexo");
    EXPECT_EQ(child<QPushButton>("Button1")->text(), "Načti data");
    EXPECT_EQ(child<QPushButton>("Button2")->text(), "Storno");
    EXPECT_TRUE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 0);
    // The report name: forbidden characters of the Czech date and time made "_".
    EXPECT_EQ(child<QLineEdit>("Edit1")->text(),
              RemoteReport::defaultName(RemoteReport::Kind::Read,
                                        QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)),
                                        QLocale(QLocale::Czech, QLocale::CzechRepublic)));
    EXPECT_FALSE(child<QLineEdit>("Edit1")->text().contains(':'));
    const RemoteReadRequest r = dialog->request();
    std::vector<int> selected;
    for (int k = 1; k <= 128; ++k)
        if (r.memories[std::size_t(k - 1)])
            selected.push_back(k);
    EXPECT_EQ(selected, (std::vector<int>{1, 2, 40, 65, 66}));
    // Each group numbers its boxes 1..64; the box's place in the request is its memory.
    for (int k = 1; k <= 128; ++k) {
        QCheckBox* box = dialog->memoryBox(k);
        EXPECT_EQ(box->text(), QString::number(k <= 64 ? k : k - 64));
        EXPECT_EQ(box->parentWidget()->objectName(), k <= 64 ? "GroupBox3" : "GroupBox4");
    }
    dialog->hide();
}

TEST_F(ReadDialogTest, SelectionGivesExactlyItsRequestsInAscendingOrder) {
    dialog->show();
    selectOnly({128, 3, 64, 65}, false);
    const int from = commandCount();
    runRead();
    EXPECT_EQ(results[0].outcome, RemoteReadState::Done);
    EXPECT_EQ(requestsSince(from),
              (QList<QByteArray>{"ATDE8*#7", "ATDE8*102", "ATDE8*177", "ATDE8*200", "ATDE8*277"}));
    EXPECT_FALSE(dialog->isVisible()); // closed at the end of the read
}

TEST_F(ReadDialogTest, ProgressSaysEntryOfHowManyAndTheTimeLeft) {
    dialog->show();
    selectOnly({1, 65}, true);
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(child<QPushButton>("Button1")->isEnabled());
    EXPECT_FALSE(child<QWidget>("GroupBox1")->isEnabled());
    runUntil([&] { return !child<QLabel>("Label6")->text().isEmpty(); });
    // Six blocks and two memories; by the fixed pauses 6 x 200 + 5 x 1000 + 2 x 1200 ms.
    EXPECT_EQ(child<QLabel>("Label6")->text(), "Nastavení: blok 1 z 6, celkem 1 z 8");
    EXPECT_EQ(child<QLabel>("Label7")->text(), "Zbývá nejméně 0:09");
    runUntil([&] { return child<QLabel>("Label6")->text().startsWith("Paměti"); });
    EXPECT_EQ(child<QLabel>("Label6")->text(), "Paměti tlačítek: 1 z 2, celkem 7 z 8");
    EXPECT_EQ(child<QLabel>("Label5")->text(), "100");
    runUntil([&] { return child<QLabel>("Label5")->text() == "200"; });
    EXPECT_EQ(child<QLabel>("Label6")->text(), "Paměti tlačítek: 2 z 2, celkem 8 z 8");
    // The pause before the last memory's request is still ahead.
    EXPECT_EQ(child<QLabel>("Label7")->text(), "Zbývá nejméně 0:02");
    runUntil([&] { return !results.empty(); });
    EXPECT_EQ(results.at(0).outcome, RemoteReadState::Done);
}

TEST_F(ReadDialogTest, StornoStopsTheReadAndResumesTheKeepAlive) {
    dialog->show();
    selectOnly({1}, true);
    const int from = commandCount();
    child<QPushButton>("Button1")->click();
    runUntil([&] { return requestsSince(from).size() >= 2; }); // into block 0
    EXPECT_EQ(connection->state(), ConnectionState::Suspended);
    child<QPushButton>("Button2")->click();
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, RemoteReadState::Cancelled);
    const int closedAt = commandCount();
    const qint64 closedMs = clock.nowMs();
    runUntil([&] { return commandCount() > closedAt; }, 10000);
    EXPECT_EQ(commandsSince(closedAt).value(0), QByteArray("ATDE8*5"));
    EXPECT_EQ(clock.nowMs() - closedMs, 2000);
    runUntil([&] { return connection->state() == ConnectionState::Quiet; }, 20000);
    EXPECT_EQ(connection->state(), ConnectionState::Quiet);

    // Opened and closed without a read: nothing is sent, the keep-alive goes on by itself.
    dialog->show();
    const int before = commandCount();
    child<QPushButton>("Button2")->click();
    clock.advance(3000);
    EXPECT_EQ(commandCount(), before);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(ReadDialogTest, FieldsChangeOnlyWithWhatCameInWhole) {
    unit.setNumberMemory(0, memoryImage("111"));
    unit.setNumberMemory(1, memoryImage("222"));
    ParameterSet other;
    other.setText(QStringLiteral("Edit151"), QStringLiteral("2"));
    TransferBuffer buffer;
    Codec codec(other, buffer, texts);
    codec.EncodeSettings();
    unit.setSettings(codec.settingsImageFromBuffer());
    params.setText(numberFieldName(0), QStringLiteral("9"));
    params.setText(numberFieldName(1), QStringLiteral("8"));
    const QString edit151 = params.text(QStringLiteral("Edit151"));
    ASSERT_NE(edit151, QStringLiteral("2"));

    // Block 3 never answers: the settings are never decoded, no memory is reached.
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"ATDE8*#3"};
    device->box().setFaults(faults);
    dialog->show();
    selectOnly({1, 2}, true);
    child<QPushButton>("Button1")->click();
    runUntil([&] { return device->box().commands().count("ATDE8*#3") >= 2; }, 120000);
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].settingsDecoded);
    EXPECT_EQ(params.text(QStringLiteral("Edit151")), edit151);
    EXPECT_EQ(params.text(numberFieldName(0)), QStringLiteral("9"));

    // Memory 2 never answers: memory 1 and the settings are in, memory 2 stays.
    runUntil([&] { return connection->state() == ConnectionState::Quiet; }, 30000);
    faults.silentPrefixes = {"ATDE8*101"};
    device->box().setFaults(faults);
    dialog->show();
    selectOnly({1, 2}, true);
    child<QPushButton>("Button1")->click();
    runUntil([&] { return params.text(numberFieldName(0)) == QStringLiteral("111"); });
    runUntil([] { return false; }, 12000); // memory 2 waits past its first re-send
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[1].settingsDecoded);
    EXPECT_EQ(results[1].memoriesRead, std::vector<int>{1});
    EXPECT_EQ(params.text(QStringLiteral("Edit151")), QStringLiteral("2"));
    EXPECT_EQ(params.text(numberFieldName(0)), QStringLiteral("111"));
    EXPECT_EQ(params.text(numberFieldName(1)), QStringLiteral("8"));
}

TEST_F(ReadDialogTest, ReportFileOnRequestAndOneThatCannotBeCreated) {
    dialog->show();
    selectOnly({}, false);
    auto* check2 = child<QCheckBox>("CheckBox2");
    check2->click();
    ASSERT_TRUE(check2->isChecked());
    const QString path = folder.filePath(child<QLineEdit>("Edit1")->text() + ".TXT");
    EXPECT_TRUE(child<QLabel>("Label8")->text().startsWith("Protokol: "));
    EXPECT_TRUE(child<QLabel>("Label8")->text().endsWith(".TXT"));
    runRead();
    EXPECT_FALSE(check2->isChecked()); // closed with the dialog
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("Read report "));
    EXPECT_TRUE(text.contains("> ATDE8*#7\r\n\r\n< OK\r\n"));

    // A folder that does not exist: the message names the file and the reason, the read goes
    // on without a report.
    runUntil([&] { return connection->state() == ConnectionState::Quiet; }, 30000);
    dialog->setReportFolder(folder.filePath("missing/deeper"));
    dialog->show();
    selectOnly({}, false);
    check2->click();
    EXPECT_FALSE(check2->isChecked());
    ASSERT_EQ(messenger.messages.size(), 1u);
    const QString& m = messenger.messages[0];
    EXPECT_TRUE(m.startsWith("Soubor protokolu \"" + folder.filePath("missing/deeper/")));
    EXPECT_TRUE(m.contains(".TXT\" nelze vytvořit: ")) << m.toStdString();
    EXPECT_FALSE(m.contains("\" nelze vytvořit: .")) << "no reason given";
    runRead();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].outcome, RemoteReadState::Done);
}

// The main window's part: "Načti" while connected, the dialog, the fields.
class StandInWindow : public QMainWindow {
public:
    StandInWindow() {
        QMenu* n5 = menuBar()->addMenu("N5");
        for (const char* n : {"Connect1", "Readdata1", "Writedata1", "Unconnect1"})
            n5->addAction(QString::fromLatin1(n))->setObjectName(QString::fromLatin1(n));
        for (const char* n : {"N6", "N8", "Connect2"}) {
            QMenu* m = menuBar()->addMenu(QString::fromLatin1(n));
            m->setObjectName(QString::fromLatin1(n));
            m->menuAction()->setObjectName(QString::fromLatin1(n));
        }
    }
};

class ReadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        device = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);
        part = std::make_unique<RemoteUi>(&window, std::make_unique<FtdiBoxBus>());
        shell.addPart(*part);
        QByteArray password;
        for (int position = 21; position <= 24; ++position) {
            const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
            password += code == 10 ? '0' : char('0' + code);
        }
        model.params().setText("Edit144", QString::fromLatin1(password));
    }
    void TearDown() override {
        part.reset();
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    void advanceUntil(const std::function<bool()>& done, qint64 limitMs) {
        for (qint64 t = 0; t < limitMs && !done(); t += 10)
            clock.advance(10);
    }
    void connectUnit() {
        ASSERT_TRUE(shell.commands().trigger("Connect1"));
        TForm10& d = part->dialog();
        emit d.findChild<QComboBox*>("ComboBox1")->activated(0);
        d.findChild<QPushButton*>("Button2")->click();
        clock.advance(20);
        auto* edit1 = d.findChild<QLineEdit*>("Edit1");
        edit1->setText("0601");
        emit edit1->textEdited("0601");
        d.findChild<QPushButton*>("Button4")->click();
        advanceUntil([&] { return part->engine().state() == ConnectionState::Quiet; }, 60000);
        ASSERT_EQ(part->engine().state(), ConnectionState::Quiet);
    }

    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    VirtualClock clock;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;
    test::ScriptedMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell{clock, messenger, model, texts};
    StandInWindow window;
    std::unique_ptr<RemoteUi> part;
};

TEST_F(ReadCommandTest, ReadsIntoTheWindowWhileConnectedOnly) {
    EXPECT_TRUE(shell.commands().contains("Readdata1"));
    EXPECT_FALSE(shell.commands().isEnabled("Readdata1"));
    shell.commands().trigger("Readdata1");
    EXPECT_FALSE(part->readDialog().isVisible());

    unit.setNumberMemory(64, memoryImage("4455"));
    connectUnit();
    EXPECT_TRUE(shell.commands().isEnabled("Readdata1"));
    ASSERT_TRUE(shell.commands().trigger("Readdata1"));
    TForm11& d = part->readDialog();
    ASSERT_TRUE(d.isVisible());
    EXPECT_TRUE(d.isModal());
    EXPECT_TRUE(shell.guard().busy()); // no local exchange meanwhile
    EXPECT_TRUE(d.findChild<QLineEdit*>("Edit1")->text().startsWith("LF-R-"));

    std::vector<std::pair<BackupRequest, QString>> kept;
    shell.setBackupKeeper([&](const BackupRequest& r) {
        kept.emplace_back(r, r.params->text(numberFieldName(64)));
        return true;
    });
    EXPECT_FALSE(model.cameFromUnitOrFile());
    d.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    for (int k = 1; k <= 128; ++k)
        d.memoryBox(k)->setChecked(k == 65);
    d.findChild<QPushButton*>("Button1")->click();
    EXPECT_TRUE(part->busy());
    advanceUntil([&] { return !d.isVisible(); }, 60000);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(model.params().text(numberFieldName(64)), "4455");
    // The read is kept as a backup, and a write from it needs no question.
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].first.kind, BackupRequest::Kind::Remote);
    EXPECT_TRUE(kept[0].first.complete);
    EXPECT_EQ(kept[0].second, "4455");
    EXPECT_TRUE(model.cameFromUnitOrFile());
    EXPECT_FALSE(shell.guard().busy());
    advanceUntil([&] { return part->engine().state() == ConnectionState::Quiet; }, 30000);
    EXPECT_EQ(part->engine().state(), ConnectionState::Quiet);

    // Disconnected: the command is off again.
    shell.commands().trigger("Unconnect1");
    clock.advance(2000);
    EXPECT_FALSE(shell.commands().isEnabled("Readdata1"));
}

TEST_F(ReadCommandTest, ReadClearsTheMarksOfWhatItReplacedOnly) {
    // The unit's block 7 holds a prefix of its own; its password stays the one we log in with.
    ParameterSet held;
    held.setText("Edit158", "12");
    held.setText("Edit144", model.params().text("Edit144"));
    TransferBuffer buffer;
    Codec codec(held, buffer, texts);
    codec.EncodeSettings();
    unit.setSettings(codec.settingsImageFromBuffer());
    unit.setNumberMemory(64, memoryImage("4455"));
    connectUnit();
    model.params().setVisible("Edit158", true);       // as a firmware with the prefix shows it
    model.params().setText("Edit158", "15");          // block 7: read
    model.params().setText("Edit144", "4321");        // block 1: not read
    model.params().setText(numberFieldName(64), "9"); // read
    model.params().setText(numberFieldName(65), "8"); // not read
    ASSERT_EQ(editedParameters(model.params(), model.baseline().values()),
              (QStringList{"Edit65", "Edit66", "Edit144", "Edit158"}));

    ASSERT_TRUE(shell.commands().trigger("Readdata1"));
    TForm11& d = part->readDialog();
    d.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    for (int k = 1; k <= 128; ++k)
        d.memoryBox(k)->setChecked(k == 65);
    d.findChild<QPushButton*>("Button1")->click();
    advanceUntil([&] { return !d.isVisible(); }, 60000);
    ASSERT_EQ(model.params().text("Edit158"), "12");
    EXPECT_EQ(editedParameters(model.params(), model.baseline().values()),
              (QStringList{"Edit66", "Edit144"}));
}

TEST_F(ReadCommandTest, BoxVanishingMidReadShowsTheConnectionLostInTheWindow) {
    connectUnit();
    ASSERT_TRUE(shell.commands().trigger("Readdata1"));
    TForm11& d = part->readDialog();
    d.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    for (int k = 1; k <= 128; ++k)
        d.memoryBox(k)->setChecked(k == 65 || k == 66);
    d.findChild<QPushButton*>("Button1")->click();
    advanceUntil([&] { return device->box().commands().contains("ATDE8*200"); }, 60000);
    device->vanish();
    advanceUntil([&] { return !d.isVisible(); }, 1000);
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_TRUE(messenger.messages[0].startsWith("Zařízení Telvox KAV00001 bylo odpojeno"))
        << messenger.messages[0].toStdString();
    EXPECT_FALSE(part->busy());
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_FALSE(shell.commands().isEnabled("Readdata1"));
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_EQ(window.findChild<QAction*>("N6")->text(), QStringLiteral("Spojení s Vexo ztraceno"));
    clock.advance(30000);
    EXPECT_EQ(messenger.messages.size(), 1u); // said once, nothing repeats
}

TEST_F(ReadCommandTest, BoxVanishingWhileAHaltedReadWaitsForStornoIsNoticedAtOnce) {
    connectUnit();
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"AT@RECN"};
    device->box().setFaults(faults);
    ASSERT_TRUE(shell.commands().trigger("Readdata1"));
    TForm11& d = part->readDialog();
    d.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    for (int k = 1; k <= 128; ++k)
        d.memoryBox(k)->setChecked(false);
    d.findChild<QPushButton*>("Button1")->click();
    advanceUntil([&] { return !messenger.messages.empty(); }, 60000);
    ASSERT_EQ(messenger.messages, std::vector<QString>{QStringLiteral("Chyba - RECN")});
    // Halted on a box that stays: the read waits for Storno as long as it takes.
    clock.advance(60000);
    ASSERT_TRUE(d.isVisible());
    ASSERT_EQ(messenger.messages.size(), 1u);

    device->vanish();
    advanceUntil([&] { return !d.isVisible(); }, 1000);
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(messenger.messages.size(), 2u);
    EXPECT_TRUE(messenger.messages[1].startsWith("Zařízení Telvox KAV00001 bylo odpojeno"))
        << messenger.messages[1].toStdString();
    EXPECT_EQ(part->engine().state(), ConnectionState::Idle);
    EXPECT_FALSE(shell.guard().busy());
    EXPECT_FALSE(shell.commands().isEnabled("Readdata1"));
    EXPECT_TRUE(shell.commands().isEnabled("Connect1"));
    EXPECT_EQ(window.findChild<QAction*>("N6")->text(), QStringLiteral("Spojení s Vexo ztraceno"));
}

} // namespace
} // namespace lumo
