// Backups of reads and before writes, with the local link's part, the backups' part and a
// virtual unit in virtual time, in a fresh working folder: the files and their names, the
// partial read, the off switches, a "Zálohy" that cannot be a folder, the question before a
// write of values that came from nowhere, and the order on the wire of a backup before a write,
// also before a write that is read back.
#include "files/ReadBackups.h"
#include "files/SettingsFile.h"
#include "files/ui/BackupUi.h"
#include "params/FieldTable.h"
#include "platform/AppConfig.h"
#include "support/LocalTransferRig.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

// The working folder comes first and goes last, around the rig.
struct FreshFolder {
    QTemporaryDir folder;
};

class BackupsTest : public ::testing::Test,
                    protected FreshFolder,
                    protected test::LocalTransferRig {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        shell.addPart(part);
        shell.addPart(backups);
        part.useLink(&unitLink);
        shell.setWallClockOrigin(QDateTime(QDate(2026, 12, 8), QTime(14, 3, 0)), clock.nowMs());
        // The unit shows what a fresh window shows: no write confirmation comes up.
        unit.setMode(0);
        unit.setCounter(0);
        unit.setUnfitted(0);
        QByteArray number(16, char(0xFF));
        number[0] = 7, number[1] = 7;
        unit.setNumberMemory(9, number);
    }
    void TearDown() override { QDir::setCurrent(previous); }

    void configure(bool backup, bool backupBeforeWrite) {
        AppConfig config;
        config.existed = true;
        config.backup = backup;
        config.backupBeforeWrite = backupBeforeWrite;
        shell.readConfig(config);
        link.portCheckRequested = false; // no start-up status read in these tests
    }
    void run(const char* command) {
        ASSERT_TRUE(shell.commands().trigger(QString::fromLatin1(command)));
        const qint64 limit = clock.nowMs() + 3600000;
        while (part.busy() && clock.nowMs() < limit)
            clock.advance(10);
    }
    QString backupFolder() const { return folder.filePath(ReadBackups::folderName()); }
    QStringList backupNames() const {
        QStringList names;
        for (const QString& path : ReadBackups(backupFolder()).backups())
            names << QFileInfo(path).fileName();
        return names;
    }
    ParameterSet loadBackup(const QString& name) const {
        ParameterSet params;
        QString error;
        EXPECT_TRUE(LoadSettingsFile(params, QDir(backupFolder()).filePath(name), &error))
            << error.toStdString();
        return params;
    }

    QString previous;
    QStringList opened;
    BackupUi backups{[this](const QString& path) { opened << path; }};
};

} // namespace

TEST_F(BackupsTest, EveryReadIsKeptUnderItsDateTimeAndKind) {
    configure(true, true);
    run("Nastve1");
    run("Nastnastaven1");
    run("Nastpamtisel1");
    EXPECT_TRUE(messenger.messages.empty());
    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 3) << names.join(' ').toStdString();
    EXPECT_TRUE(names[0].startsWith("2026-12-08_14-03-")) << names[0].toStdString();
    EXPECT_TRUE(names[0].endsWith("_vse.KTF")) << names.join(' ').toStdString();
    EXPECT_TRUE(names[1].endsWith("_nastaveni.KTF"));
    EXPECT_TRUE(names[2].endsWith("_cisla.KTF"));
    EXPECT_EQ(loadBackup(names[0]).text(numberFieldName(9)), "77");
    // The note of the read stays what it was.
    EXPECT_TRUE(shell.statusPanels().note().startsWith("Načtena paměť čísel"));
}

TEST_F(BackupsTest, APartialReadIsKeptAsIncompleteAndTheStatusBarSaysSo) {
    configure(true, true);
    unit.faults().readErrorBlock = 40;
    unit.faults().readErrorTimes = -1;
    run("Nastpamtisel1");
    // The link's message and what was read and what not; the backup adds none.
    ASSERT_EQ(messenger.messages.size(), 2u);
    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 1);
    EXPECT_TRUE(names[0].endsWith("_cisla_neuplne.KTF")) << names[0].toStdString();
    EXPECT_EQ(shell.statusPanels().note(), texts.message(Msg::BackupIncomplete).arg(names[0]));
    EXPECT_EQ(loadBackup(names[0]).text(numberFieldName(9)), "77");

    // A read that brought nothing keeps nothing.
    unit.faults().readErrorBlock = -1;
    unit.faults().settingsDelta = -1;
    run("Nastnastaven1");
    EXPECT_EQ(backupNames().size(), 1);
}

TEST_F(BackupsTest, BackupZeroKeepsNoReadsAndMakesNoFolder) {
    configure(false, true);
    run("Nastve1");
    EXPECT_TRUE(messenger.messages.empty());
    EXPECT_FALSE(QFileInfo::exists(backupFolder()));
    EXPECT_EQ(model.params().text(numberFieldName(9)), "77");
}

TEST_F(BackupsTest, AFileNamedZalohyFailsTheBackupWithOneMessageAndTheReadStands) {
    configure(true, true);
    QFile blocker(backupFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    run("Nastve1");
    EXPECT_EQ(model.params().text(numberFieldName(9)), "77");
    ASSERT_EQ(messenger.messages.size(), 1u);
    const QString& m = messenger.messages[0];
    EXPECT_TRUE(m.contains(QDir::toNativeSeparators(backupFolder()) + "/2026-12-08_14-03-"))
        << m.toStdString();
    EXPECT_TRUE(m.contains("_vse.KTF"));
    FileError notAFolder;
    notAFolder.problem = FileError::Problem::BadPath;
    EXPECT_TRUE(m.endsWith(fileErrorText(notAFolder, texts))) << m.toStdString();
    // The read still counts as done.
    EXPECT_TRUE(shell.statusPanels().note().startsWith("Načteno vše"));

    // The folder command says the same instead of opening anything.
    ASSERT_TRUE(shell.commands().trigger("Slokazloh1"));
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messenger.messages.size(), 2u);
    EXPECT_TRUE(messenger.messages[1].startsWith(
        texts.message(Msg::BackupFolderFailed).arg(QDir::toNativeSeparators(backupFolder()), "")));
}

TEST_F(BackupsTest, TheFolderCommandMakesTheFolderAndOpensIt) {
    configure(true, true);
    ASSERT_TRUE(shell.commands().trigger("Slokazloh1"));
    EXPECT_EQ(opened, QStringList{backupFolder()});
    EXPECT_TRUE(QFileInfo(backupFolder()).isDir());
    EXPECT_TRUE(messenger.messages.empty());
}

TEST_F(BackupsTest, AWriteOfValuesFromNowhereAsksFirstAndNoSendsNothing) {
    configure(true, false);
    run("Uloitve1");
    ASSERT_EQ(messenger.questions.size(), 1u);
    EXPECT_EQ(messenger.questions[0].text, texts.message(Msg::WriteWithoutSource));
    EXPECT_TRUE(messenger.questions[0].defaultNo);
    EXPECT_TRUE(unitLink.sent().isEmpty());
    for (const char* command : {"Ulotnastaven1", "Uloitpamtisel1"}) {
        run(command);
        EXPECT_TRUE(unitLink.sent().isEmpty()) << command;
    }
    EXPECT_EQ(messenger.questions.size(), 3u);

    // Yes: the write goes out exactly as without the question.
    messenger.answers = {true};
    run("Ulotnastaven1");
    EXPECT_EQ(unitLink.sent().left(3), QByteArray("VWP"));
    EXPECT_EQ(unit.settingsWrites(), 1);

    // After a read there is nothing to ask.
    run("Nastve1");
    unitLink.clearSent();
    run("Uloitpamtisel1");
    EXPECT_EQ(messenger.questions.size(), 4u);
    EXPECT_EQ(unitLink.sent().left(3), QByteArray("WT\0", 3));
    EXPECT_EQ(unit.numberWrites(), 128);
}

TEST_F(BackupsTest, AWriteToAUnitNotReadInThisRunReadsItIntoABackupFirst) {
    configure(false, true); // a backup before a write has its own switch
    messenger.answers = {true};
    model.params().setText(numberFieldName(9), "123");
    run("Uloitve1");
    const QByteArray sent = unitLink.sent();
    // The whole memory is read, then the write begins with its own status check.
    ASSERT_EQ(sent.left(3), QByteArray("VRP"));
    const qsizetype write = sent.indexOf("VWP");
    ASSERT_GT(write, 0);
    EXPECT_EQ(sent.left(write).count("RT"), 128);
    EXPECT_EQ(unit.numberWrites(), 128);
    EXPECT_EQ(unit.numberMemory(9).left(3), QByteArray("\x01\x02\x03"));

    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 1);
    EXPECT_TRUE(names[0].endsWith("_predzapisem.KTF"));
    EXPECT_EQ(loadBackup(names[0]).text(numberFieldName(9)), "77") << "what the unit held";
    EXPECT_EQ(model.params().text(numberFieldName(9)), "123") << "the window untouched";

    // Read once in this run: the next write goes straight out.
    unitLink.clearSent();
    messenger.answers = {true};
    run("Ulotnastaven1");
    EXPECT_EQ(unitLink.sent().left(3), QByteArray("VWP"));
    EXPECT_EQ(backupNames().size(), 1);
}

TEST_F(BackupsTest, AReadOfOnlyTheSettingsStillBacksUpBeforeAWriteOfTheNumbers) {
    configure(true, true);
    run("Nastnastaven1");
    EXPECT_FALSE(part.backupDue(LocalTransferCommands::Command::WriteSettings));
    EXPECT_TRUE(part.backupDue(LocalTransferCommands::Command::WriteNumbers));
    EXPECT_TRUE(part.backupDue(LocalTransferCommands::Command::WriteAll));
    run("Nastpamtisel1");
    EXPECT_FALSE(part.backupDue(LocalTransferCommands::Command::WriteAll));
}

TEST_F(BackupsTest, BackupBeforeWriteZeroWritesAtOnce) {
    configure(true, false);
    messenger.answers = {true};
    run("Ulotnastaven1");
    EXPECT_EQ(unitLink.sent().left(3), QByteArray("VWP"));
    EXPECT_TRUE(backupNames().isEmpty());
}

TEST_F(BackupsTest, ABackupReadThatFailsAsksWhetherToWriteAnyway) {
    configure(true, true);
    unit.faults().readErrorBlock = 5;
    unit.faults().readErrorTimes = -1;
    messenger.answers = {true, false}; // yes to the values from nowhere, no to writing anyway
    run("Ulotnastaven1");
    ASSERT_EQ(messenger.questions.size(), 2u);
    EXPECT_EQ(messenger.questions[1].text, texts.message(Msg::BackupBeforeWriteFailed));
    EXPECT_TRUE(messenger.questions[1].defaultNo);
    EXPECT_EQ(unitLink.sent().indexOf("WP"), -1);
    EXPECT_EQ(unit.settingsWrites(), 0);
    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 1);
    EXPECT_TRUE(names[0].endsWith("_predzapisem_neuplne.KTF"));

    messenger.answers = {true, true};
    run("Ulotnastaven1");
    EXPECT_EQ(unit.settingsWrites(), 1);
}

TEST_F(BackupsTest, ABackupBeforeAVerifiedWriteIsNamedAndTheWriteIsThenReadBack) {
    configure(true, true);
    ASSERT_TRUE(shell.commands().trigger("Ovitzpis1"));
    ASSERT_TRUE(part.verifyWrites());
    QStringList notes;
    QObject::connect(&shell.statusPanels(), &StatusPanels::noteChanged,
                     [&] { notes << shell.statusPanels().note(); });
    messenger.answers = {true}; // values that came from nowhere: yes
    model.params().setText(numberFieldName(9), "123");
    run("Uloitve1");
    QApplication::processEvents(); // the check's answer follows the transfer's own call

    // On the wire: the backup read, the write, then the read-back of what it wrote.
    const QByteArray sent = unitLink.sent();
    ASSERT_TRUE(sent.startsWith("VRP"));
    const qsizetype write = sent.indexOf("VWP");
    ASSERT_GT(write, 0);
    const qsizetype readBack = sent.indexOf("VRP", write);
    ASSERT_GT(readBack, write);
    EXPECT_EQ(sent.left(write).count("RT"), 128);
    EXPECT_EQ(sent.mid(readBack).count("RT"), 128);
    EXPECT_EQ(unit.numberWrites(), 128);
    EXPECT_EQ(unit.numberMemory(9).left(3), QByteArray("\x01\x02\x03"));

    EXPECT_EQ(messenger.questions.size(), 1u) << "the backup read needs no question";
    EXPECT_EQ(messenger.messages, std::vector<QString>{texts.message(Msg::WriteVerified)});
    const QStringList names = backupNames();
    ASSERT_EQ(names.size(), 1) << names.join(' ').toStdString();
    EXPECT_TRUE(names[0].endsWith("_predzapisem.KTF")) << names[0].toStdString();
    EXPECT_EQ(loadBackup(names[0]).text(numberFieldName(9)), "77") << "what the unit held";
    EXPECT_EQ(model.params().text(numberFieldName(9)), "123");
    // The status bar names the backup while the write goes out, then notes the write.
    const qsizetype backupNote = notes.indexOf(texts.message(Msg::BackupSaved).arg(names[0]));
    ASSERT_GE(backupNote, 0) << notes.join(" | ").toStdString();
    const qsizetype writeNote = notes.indexOf(QRegularExpression("Zapsáno vše .*"));
    EXPECT_GT(writeNote, backupNote) << notes.join(" | ").toStdString();
    EXPECT_EQ(shell.statusPanels().note(), notes.back());
}

} // namespace lumo
