// The virtual line box: its replies to the box commands, the unit behind it (wake-up, log-in,
// keep-alive, reads and writes on the unit's memory), the faults, and the box as a virtual FTDI
// device.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "platform/VirtualClock.h"
#include "sim/LineBoxServer.h"
#include "sim/LineBoxUsbDevice.h"
#include "sim/VirtualLineBox.h"
#include "sim/VirtualUnit.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo::sim {
namespace {

// The program's reading of a DTMF character, written out independently of the box.
int dtmfValue(char c) {
    const QByteArray order = "D1234567890*#ABC";
    const int i = int(order.indexOf(c));
    return i < 0 ? 0 : i;
}

class LineBoxTest : public ::testing::Test {
protected:
    // Sends one command and returns what the box answered at once.
    QByteArray say(const QByteArray& command) {
        box.feed(command + "\r\n");
        return box.takeOutput();
    }
    // Lets time pass and returns what the box said meanwhile.
    QByteArray wait(int ms) {
        clock.advance(ms);
        return box.takeOutput();
    }
    // Dials the unit and wakes it, as a connection does.
    void dialAndWake() {
        ASSERT_EQ(say("AT@RESET"), "RESET\r\n");
        ASSERT_EQ(say("AT@DEFAULT"), "OK\r\n");
        ASSERT_EQ(say("AT@NORM"), "OK\r\n");
        ASSERT_EQ(say("ATA"), "OK\r\n");
        ASSERT_EQ(say("ATDE123456"), "OK\r\n");
        ASSERT_EQ(say("ATDEA"), "OK\r\n");
        ASSERT_EQ(say("AT@RECE"), "OK\r\n");
        ASSERT_EQ(wait(1000), "");
        ASSERT_EQ(say("AT@RECN"), "BOK\r\n");
    }
    void logIn(const QByteArray& password = "7850") {
        dialAndWake();
        ASSERT_EQ(say("ATDE#" + password), "OK\r\n");
    }
    // Requests `code`, records the unit's answer and returns the recorded characters.
    QByteArray request(const QByteArray& code, int halves) {
        EXPECT_EQ(say("ATDE" + code), "OK\r\n");
        QByteArray characters;
        for (int half = 0; half < halves; ++half) {
            EXPECT_EQ(say("AT@RECE"), "OK\r\n");
            EXPECT_EQ(wait(5000), "FULL\r\n");
            QByteArray reply = say("AT@RECN");
            EXPECT_TRUE(reply.endsWith("OK\r\n")) << reply.constData();
            characters += reply.left(reply.size() - 4);
        }
        return characters;
    }
    // Sends a programming code and lets the line go quiet so the unit takes it.
    void program(const QByteArray& code) {
        EXPECT_EQ(say("ATDE" + code), "OK\r\n");
        clock.advance(1000);
    }
    int settingsByte(int position) const {
        return static_cast<unsigned char>(unit.settings()[position - 1]);
    }

    VirtualClock clock;
    VirtualUnit unit;
    VirtualLineBox box{clock, unit};
};

TEST_F(LineBoxTest, ConnectSequenceLogsInWithTheUnitsPasswordAndKeepsAlive) {
    logIn();
    EXPECT_TRUE(box.inCall());
    EXPECT_TRUE(box.unitAwake());
    EXPECT_TRUE(box.loggedIn());
    for (int cycle = 0; cycle < 3; ++cycle) {
        EXPECT_EQ(say("ATDE8*5"), "OK\r\n");
        EXPECT_EQ(say("AT@RECE"), "OK\r\n");
        EXPECT_EQ(wait(600), "");
        EXPECT_EQ(say("AT@RECN"), "BOK\r\n");
    }
    // Hang-up ends the call: the unit is gone, its keep-alive answer with it.
    EXPECT_EQ(say("ATH"), "OK\r\n");
    EXPECT_EQ(say("AT@BASIC"), "OK\r\n");
    EXPECT_FALSE(box.inCall());
    EXPECT_FALSE(box.loggedIn());
    EXPECT_EQ(say("ATDE8*5"), "OK\r\n"); // now a number dialled, nothing more
    EXPECT_EQ(say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(wait(1000), "");
    EXPECT_EQ(say("AT@RECN"), "OK\r\n");
}

TEST_F(LineBoxTest, UnitAnswersAfterItsReactionAndEachCharacterTakesItsTime) {
    box.setTiming({300, 100, 600});
    ASSERT_EQ(say("ATA"), "OK\r\n");
    ASSERT_EQ(say("ATDE1"), "OK\r\n");
    ASSERT_EQ(say("ATDEA"), "OK\r\n");
    ASSERT_EQ(say("AT@RECE"), "OK\r\n");
    clock.advance(399);
    EXPECT_EQ(say("AT@RECN"), "OK\r\n"); // "B" not there yet: asked too early
    // A new wake-up, recorded long enough.
    ASSERT_EQ(say("ATDEA"), "OK\r\n");
    ASSERT_EQ(say("AT@RECE"), "OK\r\n");
    clock.advance(400);
    EXPECT_EQ(say("AT@RECN"), "BOK\r\n");
    EXPECT_EQ(box.wakeUps(), 2);
}

TEST_F(LineBoxTest, EveryBoxCommandHasItsReplyAndUnknownOnesGetErr) {
    EXPECT_EQ(say("AT@RESET"), "RESET\r\n");
    EXPECT_EQ(say("AT"), "OK\r\n");
    EXPECT_EQ(say("AT@RECN"), "OK\r\n"); // nothing recorded
    EXPECT_EQ(say("ATDE"), "ERR\r\n");   // nothing to send
    EXPECT_EQ(say("ATX"), "ERR\r\n");
    // Commands end at CR LF or a lone CR; LF alone or empty lines are no commands.
    box.feed("AT@NORM\rAT@DEFAULT\r\n\r\n");
    EXPECT_EQ(box.takeOutput(), "OK\r\nOK\r\n");
    box.feed("ATA");
    EXPECT_EQ(box.takeOutput(), "");
    box.feed("\r\n");
    EXPECT_EQ(box.takeOutput(), "OK\r\n");
    EXPECT_EQ(box.commandCount(), 8);
}

TEST_F(LineBoxTest, WrongNumberOrWrongPasswordLeavesTheUnitSilent) {
    box.setUnitNumber("555");
    ASSERT_EQ(say("ATA"), "OK\r\n");
    ASSERT_EQ(say("ATDE556"), "OK\r\n");
    EXPECT_FALSE(box.inCall());
    ASSERT_EQ(say("ATDEA"), "OK\r\n");
    ASSERT_EQ(say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(wait(2000), "");
    EXPECT_EQ(say("AT@RECN"), "OK\r\n");

    box.setUnitNumber("");
    logIn("1111"); // the unit's password is 7850
    EXPECT_FALSE(box.loggedIn());
    EXPECT_EQ(say("ATDE8*5"), "OK\r\n");
    EXPECT_EQ(say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(wait(2000), "");
    EXPECT_EQ(say("AT@RECN"), "OK\r\n");
    EXPECT_EQ(say("ATDE#7850"), "OK\r\n");
    EXPECT_TRUE(box.loggedIn());
}

TEST_F(LineBoxTest, SettingsBlocksComeAs32CharactersInTwoFullHalves) {
    logIn();
    QByteArray image = unit.settings();
    for (int i = 0; i < 16; ++i)
        image[16 * 7 + i] = char(0x12 + 17 * i); // both nibbles differ
    unit.setSettings(image);
    image[119 - 1] = char(unit.firmwareByte()); // the unit's own version byte, not the image's
    for (int block : {0, 7}) {
        const QByteArray characters = request("8*#" + QByteArray::number(block), 2);
        ASSERT_EQ(characters.size(), 32);
        for (int j = 0; j < 16; ++j) {
            const int byte = dtmfValue(characters[2 * j + 1]) * 16 + dtmfValue(characters[2 * j]);
            EXPECT_EQ(byte, static_cast<unsigned char>(image[16 * block + j])) << block << j;
        }
    }
    // Block 7 carries the firmware version at position 119, as the unit reports it on the bench.
    unit.setFirmwareByte(20);
    const QByteArray block7 = request("8*#7", 2);
    EXPECT_EQ(dtmfValue(block7[13]) * 16 + dtmfValue(block7[12]), 20);

    // The recorder holds 16 characters: with no AT@RECN it reports FULL once only.
    EXPECT_EQ(say("ATDE8*#1"), "OK\r\n");
    EXPECT_EQ(say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(wait(10000), "FULL\r\n");
    EXPECT_EQ(say("AT@RECN").size(), 16 + 4);
}

TEST_F(LineBoxTest, NumberMemoriesComeAs16CharactersFromTheAddressedGroup) {
    logIn();
    const QByteArray day1("\x01\x02\x0A\x0D\x0E\x0B\x0C\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 16);
    const QByteArray night64("\x09\x09\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
                             16);
    unit.setNumberMemory(0, day1);
    unit.setNumberMemory(127, night64);
    EXPECT_EQ(request("8*100", 1), "120AB*#CCCCCCCCC");
    EXPECT_EQ(request("8*277", 1), "99CCCCCCCCCCCCCC");
    EXPECT_EQ(request("8*200", 1), QByteArray(16, 'C')); // NIGHT 1, empty
    // Octal digits only: 8 is no memory digit.
    EXPECT_EQ(say("ATDE8*180"), "OK\r\n");
    EXPECT_EQ(say("AT@RECE"), "OK\r\n");
    EXPECT_EQ(wait(5000), "");
}

TEST_F(LineBoxTest, MemoryWritesUndoTheEscapingAndSurviveASplitCommand) {
    logIn();
    program("103*#12*0**"); // DAY 3: F12P*
    EXPECT_EQ(unit.numberMemory(2), QByteArray("\x0E\x01\x02\x0D\x0B\xFF\xFF\xFF\xFF\xFF\xFF"
                                               "\xFF\xFF\xFF\xFF\xFF",
                                               16));
    program("2015"); // NIGHT 1: 5
    EXPECT_EQ(unit.numberMemory(64).left(2), QByteArray("\x05\xFF", 2));

    // A long entry goes in two commands 300 ms apart; the unit hears one code.
    ASSERT_EQ(say("ATDE1640123456789"), "OK\r\n");
    clock.advance(300);
    program("0*0*#98");
    EXPECT_EQ(unit.numberMemory(63),
              QByteArray("\x0A\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0D\x0E\x09\x08\xFF", 16));
    // Sixteen characters end the code at once; what follows is a new code.
    ASSERT_EQ(say("ATDE1021234567890123456"), "OK\r\n");
    EXPECT_EQ(unit.numberMemory(1).at(15), char(6));
    ASSERT_EQ(say("AT@RECE"), "OK\r\n");
    ASSERT_EQ(say("ATDE8*5"), "OK\r\n");
    EXPECT_EQ(wait(1000), "");
    EXPECT_EQ(say("AT@RECN"), "BOK\r\n");
    // Buttons outside 1..64 store nothing.
    const QByteArray before = unit.numberMemory(0);
    program("1655");
    program("1005");
    EXPECT_EQ(unit.numberMemory(0), before);
}

TEST_F(LineBoxTest, ParameterWritesLandWhereTheBenchReadsThem) {
    logIn();
    program("411");  // pulse dialling
    program("42#");  // call extension "#"
    program("4319"); // hang-up code 1, shorter than its group
    program("44"
            "1234");
    program("4512");
    program("471");
    program("483");
    program("491");
    program("6#12");
    program("513");
    program("52#"); // 30 minutes
    program("5315");
    program("5604");
    program("5710"); // tone 150 ms
    program("582");  // gap 70 ms
    program("5915"); // flash 1500 ms
    program("500");  // pause 1000 ms
    program("63");
    program("6*0"); // delayed start checked
    program("3114");
    program("3125");
    program("321123456");
    program("33112#");
    program("341#");
    program("35110");
    program("36107");
    program("3711");
    program("3805");
    EXPECT_EQ(settingsByte(25), 1);
    EXPECT_EQ(settingsByte(26), 12);
    EXPECT_EQ(settingsByte(17), 9);
    EXPECT_EQ(settingsByte(18), 255);
    EXPECT_EQ(unit.settings().mid(20, 4), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(settingsByte(10), 1);
    EXPECT_EQ(settingsByte(11), 2);
    EXPECT_EQ(settingsByte(27), 1);
    EXPECT_EQ(settingsByte(14), 3);
    EXPECT_EQ(settingsByte(15), 1);
    EXPECT_EQ(settingsByte(128), 12);
    EXPECT_EQ(settingsByte(2), 3);
    EXPECT_EQ(settingsByte(3), 12);
    EXPECT_EQ(settingsByte(4), 15);
    EXPECT_EQ(settingsByte(7), 4);
    EXPECT_EQ(settingsByte(8), 0xF7);
    EXPECT_EQ(settingsByte(9), 0xFA);
    EXPECT_EQ(settingsByte(125), 3);
    EXPECT_EQ(settingsByte(124), 0);
    EXPECT_EQ(settingsByte(37), 4);
    EXPECT_EQ(settingsByte(38), 5);
    EXPECT_EQ(unit.settings().mid(38, 6), QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    EXPECT_EQ(unit.settings().mid(50, 6), QByteArray("\x01\x02\xFF\xFF\xFF\xFF", 6));
    EXPECT_EQ(unit.settings().mid(62, 6), QByteArray(6, char(0xFF)));
    EXPECT_EQ(settingsByte(29), 1);
    EXPECT_EQ(settingsByte(30), 10);
    EXPECT_EQ(settingsByte(31), 7);
    EXPECT_EQ(settingsByte(35), 1);
    EXPECT_EQ(settingsByte(28), 5);
    EXPECT_EQ(settingsByte(1), 0x55);

    // The new password is the one the unit asks for now.
    ASSERT_EQ(say("ATH"), "OK\r\n");
    logIn("7850");
    EXPECT_FALSE(box.loggedIn());
    ASSERT_EQ(say("ATDE#1234"), "OK\r\n");
    EXPECT_TRUE(box.loggedIn());
}

TEST_F(LineBoxTest, CodesBeforeTheLogInChangeNothing) {
    dialAndWake();
    const QByteArray settings = unit.settings();
    program("411");
    program("2015");
    EXPECT_EQ(unit.settings(), settings);
    EXPECT_EQ(unit.numberMemory(64), QByteArray(16, char(0xFF)));
    // Values out of range are refused too.
    ASSERT_EQ(say("ATDE#7850"), "OK\r\n");
    program("5799"); // tone nibble would pass 15
    program("52A");
    EXPECT_EQ(unit.settings(), settings);
}

TEST_F(LineBoxTest, FaultsSilenceErrWakeUpsAndVanishing) {
    LineBoxFaults faults;
    faults.resetBanner = "Kavrostanel 2.1 ";
    box.setFaults(faults);
    EXPECT_EQ(say("AT@RESET"), "Kavrostanel 2.1 RESET\r\n");

    faults = {};
    faults.silentPrefixes = {"AT@NO"};
    faults.errEvery = 4;
    box.setFaults(faults);
    EXPECT_EQ(say("AT@RESET"), "RESET\r\n");
    EXPECT_EQ(say("AT@NORM"), "");
    EXPECT_EQ(say("ATA"), "OK\r\n");
    EXPECT_EQ(say("ATDE1"), "ERR\r\n"); // the 4th command since the change, not carried out
    EXPECT_EQ(say("ATDE1"), "OK\r\n");
    EXPECT_TRUE(box.inCall());
    EXPECT_EQ(say("AT"), "OK\r\n");
    EXPECT_EQ(say("AT"), "OK\r\n");
    EXPECT_EQ(say("AT"), "ERR\r\n");

    faults = {};
    faults.wakeUpsIgnored = 2;
    box.setFaults(faults);
    QList<QByteArray> replies;
    for (int wake = 1; wake <= 4; ++wake) {
        say("ATDEA");
        say("AT@RECE");
        clock.advance(1000);
        replies.append(say("AT@RECN"));
    }
    EXPECT_EQ(replies, (QList<QByteArray>{"OK\r\n", "OK\r\n", "BOK\r\n", "BOK\r\n"}));

    bool vanished = false;
    box.setVanishedHandler([&] { vanished = true; });
    faults = {};
    faults.vanishAfter = 1;
    box.setFaults(faults);
    EXPECT_EQ(say("AT"), ""); // answered, then gone with its answer
    EXPECT_TRUE(vanished);
    EXPECT_TRUE(box.vanished());
    EXPECT_FALSE(box.inCall());
    EXPECT_EQ(say("AT"), "");
    box.setFaults({});
    box.reappear();
    EXPECT_EQ(say("AT"), "OK\r\n");

    faults = {};
    faults.wakeUpsIgnored = -1;
    box.setFaults(faults);
    say("ATA");
    say("ATDE1");
    for (int wake = 0; wake < 41; ++wake) {
        say("ATDEA");
        say("AT@RECE");
        clock.advance(1000);
        ASSERT_EQ(say("AT@RECN"), "OK\r\n");
    }
}

TEST(LineBoxServerArguments, EveryOptionAndItsBadValues) {
    LineBoxServer::Options options;
    QString error;
    ASSERT_TRUE(parseLineBoxArguments({"--pty-link",
                                       "/tmp/b",
                                       "--memory",
                                       "/tmp/m",
                                       "--unit-number",
                                       "555",
                                       "--silent-prefix",
                                       "ATDE8",
                                       "--silent-prefix",
                                       "AT@RECN",
                                       "--err-every",
                                       "5",
                                       "--wake-after",
                                       "never",
                                       "--wrong-password",
                                       "--split-replies",
                                       "3",
                                       "--vanish-after",
                                       "20",
                                       "--reset-banner",
                                       "V2 ",
                                       "--reaction",
                                       "0",
                                       "--dtmf-char",
                                       "50",
                                       "--code-gap",
                                       "900",
                                       "--reply-delay",
                                       "30",
                                       "--short-recn",
                                       "2",
                                       "--garbage",
                                       "00ff",
                                       "--garbage-always"},
                                      &options, &error))
        << error.toStdString();
    EXPECT_EQ(options.linkPath, "/tmp/b");
    EXPECT_EQ(options.memoryFile, "/tmp/m");
    EXPECT_EQ(options.unitNumber, "555");
    EXPECT_EQ(options.faults.silentPrefixes, (QList<QByteArray>{"ATDE8", "AT@RECN"}));
    EXPECT_EQ(options.faults.errEvery, 5);
    EXPECT_EQ(options.faults.wakeUpsIgnored, -1);
    EXPECT_TRUE(options.faults.wrongPassword);
    EXPECT_EQ(options.faults.splitBytes, 3);
    EXPECT_EQ(options.faults.vanishAfter, 20);
    EXPECT_EQ(options.faults.resetBanner, "V2 ");
    EXPECT_EQ(options.timing.unitReactionMs, 0);
    EXPECT_EQ(options.timing.dtmfCharMs, 50);
    EXPECT_EQ(options.timing.codeGapMs, 900);
    EXPECT_EQ(options.faults.replyDelayMs, 30);
    EXPECT_EQ(options.faults.recordedShortBy, 2);
    EXPECT_EQ(options.faults.garbage, QByteArray("\0\xFF", 2));
    EXPECT_FALSE(options.faults.garbageOnce);

    for (const QStringList& bad :
         {QStringList{"--err-every", "0"}, QStringList{"--err-every"},
          QStringList{"--wake-after", "sometimes"}, QStringList{"--split-replies", "-1"},
          QStringList{"--code-gap", "0"}, QStringList{"--silent-prefix", ""},
          QStringList{"--loud"}}) {
        LineBoxServer::Options o;
        EXPECT_FALSE(parseLineBoxArguments(bad, &o, &error)) << bad.join(' ').toStdString();
        EXPECT_TRUE(error.startsWith("bad argument '" + bad[0] + "'")) << error.toStdString();
    }
}

TEST(LineBoxServerStart, ReplacesAnOldLinkButNoOtherFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("box"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    LineBoxServer::Options options;
    options.linkPath = path;
    QString error;
    {
        LineBoxServer server;
        EXPECT_FALSE(server.start(options, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("is not a link"))) << error.toStdString();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
    file.close();

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/pts"), path)); // left by a crash
    LineBoxServer server;
    ASSERT_TRUE(server.start(options, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), server.terminalName());
    server.stop();
    EXPECT_FALSE(QFileInfo(path).isSymLink());
}

TEST_F(LineBoxTest, FaultsLateRepliesShortRecordingsAndGarbage) {
    logIn();
    LineBoxFaults faults;
    faults.replyDelayMs = 50;
    box.setFaults(faults);
    box.feed("AT@NORM\r\nATDE8*5\r\n");
    EXPECT_EQ(wait(49), "");
    EXPECT_EQ(wait(1), "OK\r\nOK\r\n"); // both, in order
    box.feed("AT@RECE\r\n");
    EXPECT_EQ(wait(1000), "OK\r\n");
    box.feed("AT@RECN\r\n");
    EXPECT_EQ(wait(50), "BOK\r\n");
    box.feed("AT\r\n");
    box.vanish(); // a line on its way out is lost with the box
    EXPECT_EQ(wait(100), "");
    box.setFaults({});
    box.reappear();
    logIn();

    faults = {};
    faults.recordedShortBy = 1;
    box.setFaults(faults);
    unit.setNumberMemory(5, QByteArray(16, char(7)));
    EXPECT_EQ(request("8*105", 1), QByteArray(15, '7'));
    EXPECT_EQ(say("ATDE8*5"), "OK\r\n");
    EXPECT_EQ(say("AT@RECE"), "OK\r\n");
    clock.advance(1000);
    EXPECT_EQ(say("AT@RECN"), "OK\r\n"); // the "B" was lost

    faults = {};
    faults.garbage = QByteArray("\0\xFF", 2);
    box.setFaults(faults);
    EXPECT_EQ(say("AT"), QByteArray("\0\xFFOK\r\n", 6));
    EXPECT_EQ(say("AT"), "OK\r\n");
    faults.garbageOnce = false;
    box.setFaults(faults);
    EXPECT_EQ(say("AT"), QByteArray("\0\xFFOK\r\n", 6));
    EXPECT_EQ(say("AT"), QByteArray("\0\xFFOK\r\n", 6));
}

class LineBoxDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
    }
    void TearDown() override {
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(previous);
    }
    static QByteArray readAll(FT_HANDLE handle, int chunk = 64) {
        QByteArray got;
        char buffer[64];
        quint32 n = 0;
        do {
            n = 0;
            if (FT_Read(handle, buffer, quint32(chunk), &n) != FT_OK)
                break;
            got.append(buffer, int(n));
        } while (n > 0);
        return got;
    }
    static void write(FT_HANDLE handle, const QByteArray& bytes) {
        quint32 written = 0;
        ASSERT_EQ(FT_Write(handle, bytes.constData(), quint32(bytes.size()), &written), FT_OK);
        ASSERT_EQ(written, quint32(bytes.size()));
    }
    FtdiBackendKind previous = FtdiBackendKind::LibFtdi;
    VirtualClock clock;
    VirtualUnit unit;
};

TEST_F(LineBoxDeviceTest, ListedAsKavrostanelAndAnsweredThroughTheFtdiCalls) {
    LineBoxUsbDevice boxDevice(clock, unit);
    char description[64], serial[64];
    ASSERT_EQ(FT_ListDevices(reinterpret_cast<void*>(0), description,
                             FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_OK);
    ASSERT_EQ(FT_ListDevices(reinterpret_cast<void*>(0), serial,
                             FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER),
              FT_OK);
    EXPECT_STREQ(description, "Kavrostanel");
    EXPECT_EQ(QByteArray(serial).left(3), "KAV");

    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
    write(handle, "AT@RESET\r\nAT@DEFAULT\r\n");
    EXPECT_EQ(readAll(handle), "RESET\r\nOK\r\n");
    FT_Close(handle);
}

TEST_F(LineBoxDeviceTest, SplitRepliesArriveOnePieceARead) {
    LineBoxUsbDevice boxDevice(clock, unit);
    LineBoxFaults faults;
    faults.splitBytes = 3;
    boxDevice.box().setFaults(faults);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx(LineBoxUsbDevice::kDefaultSerial, FT_OPEN_BY_SERIAL_NUMBER, &handle),
              FT_OK);
    write(handle, "AT@RESET\r\nATA\r\n");
    QList<QByteArray> pieces;
    for (int read = 0; read < 6; ++read) {
        char buffer[64];
        quint32 n = 0;
        ASSERT_EQ(FT_Read(handle, buffer, sizeof buffer, &n), FT_OK);
        pieces.append(QByteArray(buffer, int(n)));
    }
    EXPECT_EQ(pieces, (QList<QByteArray>{"RES", "ET\r", "\nOK", "\r\n", "", ""}));
    FT_Close(handle);
}

TEST_F(LineBoxDeviceTest, VanishedBoxLeavesTheBusAndComesBackUnderItsSerial) {
    LineBoxUsbDevice boxDevice(clock, unit);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx(LineBoxUsbDevice::kDefaultSerial, FT_OPEN_BY_SERIAL_NUMBER, &handle),
              FT_OK);
    boxDevice.vanish();
    char buffer[8];
    quint32 n = 0;
    EXPECT_NE(FT_Read(handle, buffer, sizeof buffer, &n), FT_OK);
    quint32 count = 9;
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);
    FT_HANDLE again = nullptr;
    EXPECT_NE(FT_OpenEx(LineBoxUsbDevice::kDefaultSerial, FT_OPEN_BY_SERIAL_NUMBER, &again), FT_OK);

    boxDevice.reappear();
    ASSERT_EQ(FT_OpenEx(LineBoxUsbDevice::kDefaultSerial, FT_OPEN_BY_SERIAL_NUMBER, &again), FT_OK);
    write(again, "AT\r\n");
    EXPECT_EQ(readAll(again), "OK\r\n");
    FT_Close(again);
    FT_Close(handle);
}

TEST_F(LineBoxDeviceTest, WritesOverTheLineAreSavedToTheMemoryFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("unit.mem"));
    LineBoxUsbDevice boxDevice(clock, unit, nullptr, "KAV77", file);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OpenEx("KAV77", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
    write(handle, "ATA\r\nATDE1\r\nATDEA\r\nATDE#7850\r\nATDE2015\r\n");
    clock.advance(1000);
    FT_Close(handle);
    VirtualUnit bench;
    ASSERT_TRUE(bench.load(file));
    EXPECT_EQ(bench.numberMemory(64).left(2), QByteArray("\x05\xFF", 2));
}

} // namespace
} // namespace lumo::sim
