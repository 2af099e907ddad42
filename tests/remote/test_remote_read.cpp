// The remote read against the simulator's line box in virtual time: what is requested, in
// which order, what lands in the parameters, the report file and the re-sends.
#include "params/Codec.h"
#include "params/FieldTable.h"
#include "remote/BoxProtocol.h"
#include "test_remote_rw_support.h"
#include <QFile>
#include <QTemporaryDir>

namespace lumo {
namespace {

using test::ConnectedBoxTest;

class RemoteReadTest : public ConnectedBoxTest {
protected:
    RemoteReadResult read(const RemoteReadRequest& request, RemoteReport* report = nullptr) {
        std::optional<RemoteReadResult> result;
        EXPECT_TRUE(reader->start(request, report, [&](const RemoteReadResult& r) { result = r; }));
        runUntil([&] { return result.has_value(); });
        EXPECT_TRUE(result.has_value());
        return result.value_or(RemoteReadResult{});
    }
    // The requests (reads of blocks and memories) among the commands from `from` on.
    QList<QByteArray> requestsSince(int from) const {
        QList<QByteArray> out;
        for (const QByteArray& c : commandsSince(from))
            if (c.startsWith("ATDE8*") && c != "ATDE8*5")
                out << c;
        return out;
    }
    static QByteArray memoryImage(const QByteArray& digits) {
        QByteArray image(16, char(0xFF));
        for (int i = 0; i < digits.size(); ++i)
            image[i] = char(digits[i] == '0' ? 10 : digits[i] - '0');
        return image;
    }
    QByteArray editorImage() {
        TransferBuffer buffer;
        Codec codec(params, buffer, texts);
        codec.EncodeSettings();
        return codec.settingsImageFromBuffer();
    }
};

TEST_F(RemoteReadTest, SettingsOffAndNothingSelectedReadsBlockSevenOnlyAndResumes) {
    const int from = commandCount();
    RemoteReadRequest request;
    request.settings = false;
    const RemoteReadResult result = read(request);
    EXPECT_EQ(result.outcome, RemoteReadState::Done);
    EXPECT_TRUE(result.settingsDecoded);
    EXPECT_TRUE(result.memoriesRead.empty());
    const QList<QByteArray> sent = commandsSince(from);
    ASSERT_GE(sent.size(), 5);
    EXPECT_EQ(sent.mid(0, 5),
              (QList<QByteArray>{"ATDE8*#7", "AT@RECE", "AT@RECN", "AT@RECE", "AT@RECN"}));
    EXPECT_EQ(readView.closed, 1);
    // The keep-alive comes back 2 s after the close.
    const qint64 closedAt = clock.nowMs();
    runUntil([&] { return commandsSince(from).size() > 5; }, 10000);
    EXPECT_EQ(commandsSince(from).value(5), QByteArray("ATDE8*5"));
    EXPECT_EQ(clock.nowMs() - closedAt, 2000);
    EXPECT_EQ(connection->state(), ConnectionState::KeepAlive);
}

TEST_F(RemoteReadTest, SettingsBlocksInOrderLandInTheParametersAndBlockFiveKeepsTheEditors) {
    // Make the unit's block 0..4 and 7 differ from the editor's values through a set of
    // its own, and give the editor a block 5 of its own.
    ParameterSet other;
    other.setText(QStringLiteral("Edit144"), QStringLiteral("4321"));
    other.setText(QStringLiteral("Edit151"), QStringLiteral("7"));
    TransferBuffer buffer;
    Codec codec(other, buffer, texts);
    codec.EncodeSettings();
    QByteArray unitImage = codec.settingsImageFromBuffer();
    unitImage[16 * 5 + 3] = char(0x42); // block 5 is never read
    unit.setSettings(unitImage);
    const QByteArray before = editorImage();
    ASSERT_NE(before.mid(0, 80), unitImage.mid(0, 80));

    const int from = commandCount();
    RemoteReadRequest request;
    const RemoteReadResult result = read(request);
    ASSERT_EQ(result.outcome, RemoteReadState::Done);
    EXPECT_EQ(requestsSince(from), (QList<QByteArray>{"ATDE8*#7", "ATDE8*#0", "ATDE8*#1",
                                                      "ATDE8*#2", "ATDE8*#3", "ATDE8*#4"}));
    const QByteArray after = editorImage();
    EXPECT_EQ(after.mid(1, 79), unitImage.mid(1, 79)); // blocks 0..4, marker aside
    EXPECT_EQ(after.mid(80, 32), before.mid(80, 32));  // blocks 5 and 6 as they were
    EXPECT_EQ(params.text(QStringLiteral("Edit144")), QStringLiteral("4321"));
}

TEST_F(RemoteReadTest, NightSixtyFourIsRequestedAsGroupTwoOctalSevenSeven) {
    unit.setNumberMemory(127, memoryImage("60123"));
    const int from = commandCount();
    RemoteReadRequest request;
    request.settings = false;
    request.memories[127] = true;
    const RemoteReadResult result = read(request);
    ASSERT_EQ(result.outcome, RemoteReadState::Done);
    EXPECT_EQ(requestsSince(from), (QList<QByteArray>{"ATDE8*#7", "ATDE8*277"}));
    EXPECT_EQ(params.text(numberFieldName(127)), QStringLiteral("60123"));
    EXPECT_EQ(result.memoriesRead, std::vector<int>{128});
}

TEST_F(RemoteReadTest, AnySelectionIsReadCompletelyInAscendingOrder) {
    const std::vector<int> selected = {1, 9, 64, 65, 100, 128};
    for (int k : selected)
        unit.setNumberMemory(k - 1, memoryImage(QByteArray::number(5000 + k)));
    params.setText(numberFieldName(1), QStringLiteral("777")); // not selected: untouched
    RemoteReadRequest request;
    request.settings = false;
    for (int k : {128, 1, 65, 9, 100, 64}) // the order of selection does not matter
        request.memories[std::size_t(k - 1)] = true;
    const int from = commandCount();
    const RemoteReadResult result = read(request);
    ASSERT_EQ(result.outcome, RemoteReadState::Done);
    EXPECT_EQ(result.memoriesRead, selected);
    EXPECT_EQ(requestsSince(from),
              (QList<QByteArray>{"ATDE8*#7", "ATDE8*100", "ATDE8*110", "ATDE8*177", "ATDE8*200",
                                 "ATDE8*243", "ATDE8*277"}));
    for (int k : selected)
        EXPECT_EQ(params.text(numberFieldName(k - 1)), QString::number(5000 + k)) << k;
    EXPECT_EQ(params.text(numberFieldName(1)), QStringLiteral("777"));
    // Progress counted every exchange and ended with nothing left.
    ASSERT_FALSE(readView.progresses.empty());
    EXPECT_EQ(readView.progresses.back().overallCount, 7);
    EXPECT_EQ(readView.progresses.back().overallIndex, 7);
    // The last memory's request waits its pause after it is reported.
    EXPECT_EQ(readView.progresses.back().msLeft, RemoteReadEngine::kMemoryWaitMs);
    EXPECT_EQ(readView.progresses.front().msLeft,
              RemoteReadEngine::fixedPausesMs(request) - RemoteReadEngine::kStartWaitMs);
}

TEST_F(RemoteReadTest, TheTimeLeftIsThePausesStillAheadAtEveryReport) {
    // A fast box, so what is left after each report is its pauses and little more.
    device->box().setTiming({1, 1, 20});
    RemoteReadRequest request;
    request.settings = true;
    request.memories[0] = request.memories[100] = true;
    std::vector<qint64> reportedAt;
    std::optional<RemoteReadResult> result;
    ASSERT_TRUE(reader->start(request, nullptr, [&](const RemoteReadResult& r) { result = r; }));
    runUntil([&] {
        while (reportedAt.size() < readView.progresses.size())
            reportedAt.push_back(clock.nowMs());
        return result.has_value();
    });
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->outcome, RemoteReadState::Done);
    ASSERT_EQ(readView.progresses.size(), std::size_t(6 + 2)); // each block and memory once
    for (std::size_t i = 0; i < reportedAt.size(); ++i) {
        const RemoteProgress& p = readView.progresses[i];
        const qint64 left = clock.nowMs() - reportedAt[i];
        const int exchangesAhead = p.overallCount - p.overallIndex + 1;
        EXPECT_LE(p.msLeft, left) << i;
        EXPECT_LE(left - p.msLeft, exchangesAhead * RemoteReadEngine::kTickMs)
            << "report " << i << " (" << p.group.toStdString() << " " << p.groupIndex
            << ") leaves out a pause";
    }
}

TEST_F(RemoteReadTest, RepliesAreTakenAsTheyArriveNotOnTheNextTick) {
    // A box as fast as its line allows: its "OK" to a request is there at once, its "FULL"
    // after 16 characters of 1 ms.
    device->box().setTiming({1, 1, 20});
    RemoteReadRequest request;
    request.memories[0] = request.memories[100] = true;
    const int from = commandCount();
    std::vector<std::pair<qint64, QByteArray>> sent; // when each command reached the box
    std::optional<RemoteReadResult> result;
    const qint64 start = clock.nowMs();
    ASSERT_TRUE(reader->start(request, nullptr, [&](const RemoteReadResult& r) { result = r; }));
    runUntil([&] {
        const QList<QByteArray> all = commandsSince(from);
        while (sent.size() < std::size_t(all.size()))
            sent.emplace_back(clock.nowMs(), all[qsizetype(sent.size())]);
        return result.has_value();
    });
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->outcome, RemoteReadState::Done);
    ASSERT_EQ(result->resends, 0);
    const qint64 excess = clock.nowMs() - start - RemoteReadEngine::fixedPausesMs(request);
    const int exchanges = 6 + 2;
    EXPECT_LE(excess, exchanges * RemoteReadEngine::kTickMs);
    int requests = 0;
    for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
        if (!sent[i].second.startsWith("ATDE8*"))
            continue;
        ++requests;
        EXPECT_EQ(sent[i + 1].second, QByteArray("AT@RECE")) << i;
        EXPECT_EQ(sent[i + 1].first - sent[i].first, RemoteReadEngine::kPickUpMs)
            << sent[i].second.toStdString();
    }
    EXPECT_EQ(requests, exchanges);
}

TEST_F(RemoteReadTest, ErrIsAnUnexpectedReplyWithoutReSendUntilTheSilenceRepeats) {
    sim::LineBoxFaults faults;
    faults.errEvery = 1;
    device->box().setFaults(faults);
    const int from = commandCount();
    RemoteReadRequest request;
    request.settings = false;
    ASSERT_TRUE(reader->start(request, nullptr, {}));
    runUntil([&] { return commandsSince(from).size() >= 2; }, 60000);
    const QList<QByteArray> sent = commandsSince(from);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0], "ATDE8*#7");
    EXPECT_EQ(sent[1], "ATDE8*#7"); // the repeat after 100 silent ticks, not an immediate one
    EXPECT_EQ(reader->state(), RemoteReadState::Settings);
    reader->close();
    EXPECT_EQ(reader->state(), RemoteReadState::Idle);
}

TEST_F(RemoteReadTest, ReportFileHoldsHeaderAndEveryExchange) {
    QTemporaryDir dir;
    RemoteReport report;
    const QDateTime when(QDate(2026, 12, 8), QTime(4, 54, 58));
    ASSERT_TRUE(report.open(dir.path(), QStringLiteral("LF-R-test"), RemoteReport::Kind::Read, when,
                            QLocale(QLocale::Czech, QLocale::CzechRepublic)));
    RemoteReadRequest request;
    request.settings = false;
    request.memories[0] = true;
    unit.setNumberMemory(0, memoryImage("123"));
    ASSERT_EQ(read(request, &report).outcome, RemoteReadState::Done);
    EXPECT_FALSE(report.isOpen());
    QFile file(dir.filePath(QStringLiteral("LF-R-test.TXT")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QByteArray header =
        RemoteReport::headerLine(RemoteReport::Kind::Read, when,
                                 QLocale(QLocale::Czech, QLocale::CzechRepublic))
            .toLatin1();
    EXPECT_TRUE(text.startsWith("Read report " + header.mid(12) + "\r\n"));
    EXPECT_TRUE(text.contains("\r\n> ATDE8*#7\r\n\r\n< OK\r\n\r\n> AT@RECE\r\n\r\n< OK\r\n\r\n"));
    EXPECT_TRUE(text.contains("\r\n< FULL\r\n\r\n> AT@RECN\r\n\r\n"));
    EXPECT_TRUE(text.contains("\r\nMemory of buttons\r\n\r\n> ATDE8*100\r\n\r\n"));
    EXPECT_TRUE(text.contains("< 123CCCCCCCCCCCCCOK\r\n\r\n"));
}

TEST_F(RemoteReadTest, StrayOkAfterTheRecorderStartedIsLoggedAndWaitedPast) {
    // Replies come a piece of four bytes a read, so an "OK" put before "FULL" is a reply of
    // its own.
    sim::LineBoxFaults faults;
    faults.splitBytes = 4;
    device->box().setFaults(faults);
    QTemporaryDir dir;
    RemoteReport report;
    ASSERT_TRUE(report.open(dir.path(), QStringLiteral("LF-R-stray"), RemoteReport::Kind::Read,
                            QDateTime::currentDateTime(), QLocale::c()));
    const int from = commandCount();
    RemoteReadRequest request;
    request.settings = false;
    std::optional<RemoteReadResult> result;
    ASSERT_TRUE(reader->start(request, &report, [&](const RemoteReadResult& r) { result = r; }));
    runUntil([&] { return commandsSince(from).contains("AT@RECE"); }, 60000);
    faults.garbage = "OK\r\n"; // before the next line of the box, its "FULL"
    device->box().setFaults(faults);
    runUntil([&] { return result.has_value(); }, 60000);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, RemoteReadState::Done);
    EXPECT_EQ(result->resends, 0);
    // No second "AT@RECE", which would have restarted the recorder.
    EXPECT_EQ(commandsSince(from).mid(0, 5),
              (QList<QByteArray>{"ATDE8*#7", "AT@RECE", "AT@RECN", "AT@RECE", "AT@RECN"}));
    QFile file(dir.filePath(QStringLiteral("LF-R-stray.TXT")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("> AT@RECE\r\n\r\n< OK\r\n\r\n< OK\r\n\r\n< FULL\r\n"));
}

TEST_F(RemoteReadTest, ShortRecordedReplyRequestsTheBlockAgainAtOnce) {
    ParameterSet other;
    other.setText(QStringLiteral("Edit158"), QStringLiteral("12"));
    TransferBuffer buffer;
    Codec codec(other, buffer, texts);
    codec.EncodeSettings();
    const QByteArray unitImage = codec.settingsImageFromBuffer();
    unit.setSettings(unitImage);
    ASSERT_NE(editorImage().mid(112, 16), unitImage.mid(112, 16));
    sim::LineBoxFaults faults;
    faults.recordedShortBy = 1;
    device->box().setFaults(faults);
    const int from = commandCount();
    RemoteReadRequest request;
    request.settings = false;
    std::optional<RemoteReadResult> result;
    ASSERT_TRUE(reader->start(request, nullptr, [&](const RemoteReadResult& r) { result = r; }));
    runUntil([&] { return commandsSince(from).count("ATDE8*#7") == 2; }, 60000);
    const QList<QByteArray> sent = commandsSince(from);
    ASSERT_EQ(sent, (QList<QByteArray>{"ATDE8*#7", "AT@RECE", "AT@RECN", "ATDE8*#7"}));
    // Nothing of the short half went into the set; the next try gets the whole block.
    device->box().setFaults({});
    runUntil([&] { return result.has_value(); }, 60000);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, RemoteReadState::Done);
    EXPECT_EQ(result->resends, 1);
    EXPECT_EQ(params.text(QStringLiteral("Edit158")), QStringLiteral("12"));
}

TEST_F(RemoteReadTest, MoreThanTenUnexpectedRepliesEndTheReadAndResume) {
    for (int errs : {10, 11}) {
        sim::LineBoxFaults faults;
        faults.splitBytes = 5;
        faults.garbage = QByteArray("ERR\r\n").repeated(errs); // before the request's "OK"
        device->box().setFaults(faults);
        readView.messages.clear();
        RemoteReadRequest request;
        request.settings = false;
        const RemoteReadResult result = read(request);
        if (errs == 10) {
            EXPECT_EQ(result.outcome, RemoteReadState::Done);
            EXPECT_TRUE(readView.messages.empty());
        } else {
            EXPECT_EQ(result.outcome, RemoteReadState::Failed);
            EXPECT_EQ(result.message, QStringLiteral("Chyba komunikace - 'RECE -> OK'"));
            EXPECT_EQ(readView.messages, std::vector<QString>{result.message});
            EXPECT_FALSE(result.settingsDecoded);
        }
        device->box().setFaults({});
        runUntil([&] { return connection->state() == ConnectionState::Quiet; }, 30000);
        ASSERT_EQ(connection->state(), ConnectionState::Quiet) << errs;
    }
}

TEST_F(RemoteReadTest, ReadNotesWhatTheUnitHoldsForThisConnectionOnly) {
    unit.setNumberMemory(2, memoryImage("333"));
    unit.setNumberMemory(69, memoryImage("7070"));
    RemoteReadRequest request;
    request.settings = false;
    request.memories[2] = request.memories[69] = request.memories[70] = true;
    ASSERT_EQ(read(request).outcome, RemoteReadState::Done);
    const HeldMemories held = link->unitMemories();
    EXPECT_EQ(knownCount(held), 3);
    EXPECT_EQ(held[2], std::optional<QString>(QStringLiteral("333")));
    EXPECT_EQ(held[69], std::optional<QString>(QStringLiteral("7070")));
    EXPECT_EQ(held[70], std::optional<QString>(QString())); // read, and empty
    EXPECT_FALSE(held[0].has_value());                      // not read: unknown
}

class RemoteReadLostTest : public RemoteReadTest {
protected:
    // Settings and memories 1..4, the box vanishing once `request` has gone out.
    RemoteReadResult readUntilVanished(const QByteArray& request, QByteArray* reportText) {
        for (int k = 1; k <= 4; ++k)
            unit.setNumberMemory(k - 1, memoryImage(QByteArray::number(100 + k)));
        QTemporaryDir dir;
        RemoteReport report;
        EXPECT_TRUE(report.open(dir.path(), QStringLiteral("LF-R-lost"), RemoteReport::Kind::Read,
                                QDateTime::currentDateTime(), QLocale::c()));
        RemoteReadRequest r;
        for (int k = 0; k < 4; ++k)
            r.memories[std::size_t(k)] = true;
        const int from = commandCount();
        std::optional<RemoteReadResult> result;
        EXPECT_TRUE(reader->start(r, &report, [&](const RemoteReadResult& x) { result = x; }));
        runUntil([&] { return requestsSince(from).contains(request); }, 600000);
        EXPECT_TRUE(requestsSince(from).contains(request));
        device->vanish();
        const qint64 vanishedAt = clock.nowMs();
        runUntil([&] { return result.has_value(); }, 600000);
        EXPECT_TRUE(result.has_value());
        // At once: within a tick, not after the 5 s of a repeat.
        EXPECT_LE(clock.nowMs() - vanishedAt, 2 * RemoteReadEngine::kTickMs);
        QFile file(dir.filePath(QStringLiteral("LF-R-lost.TXT")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        *reportText = file.readAll();
        return result.value_or(RemoteReadResult{});
    }
    void expectConnectionLostForGood() {
        EXPECT_EQ(connection->state(), ConnectionState::Idle);
        EXPECT_TRUE(connectionView.menus.connectEnabled);
        EXPECT_FALSE(connectionView.menus.readEnabled);
        EXPECT_TRUE(connectionView.messages.empty()); // the read said it, once
        const int ticks = connection->ticks();
        clock.advance(60000);
        EXPECT_EQ(connection->ticks(), ticks); // no keep-alive on a dead device
        EXPECT_FALSE(connection->timerEnabled());
    }
    const QString kLost =
        QStringLiteral("Zařízení Telvox KAV00001 bylo odpojeno, spojení s Vexo je ztraceno. ");
};

TEST_F(RemoteReadLostTest, DuringTheMemoriesTheSettingsAndWholeMemoriesStay) {
    ParameterSet other;
    other.setText(QStringLiteral("Edit158"), QStringLiteral("12"));
    TransferBuffer buffer;
    Codec codec(other, buffer, texts);
    codec.EncodeSettings();
    unit.setSettings(codec.settingsImageFromBuffer());
    params.setText(numberFieldName(2), QStringLiteral("999"));
    QByteArray report;
    const RemoteReadResult result = readUntilVanished("ATDE8*102", &report); // memory 3
    EXPECT_EQ(result.outcome, RemoteReadState::Failed);
    EXPECT_TRUE(result.boxLost);
    EXPECT_TRUE(result.settingsDecoded);
    EXPECT_EQ(result.memoriesRead, (std::vector<int>{1, 2}));
    EXPECT_EQ(params.text(QStringLiteral("Edit158")), QStringLiteral("12"));
    EXPECT_EQ(params.text(numberFieldName(1)), QStringLiteral("102"));
    EXPECT_EQ(params.text(numberFieldName(2)), QStringLiteral("999")); // not received whole
    EXPECT_EQ(readView.messages,
              std::vector<QString>{kLost + QStringLiteral("Načtení bylo přerušeno. Převzaty byly "
                                                          "parametry nastavení a celé přijaté "
                                                          "paměti tlačítek (2 z 4).")});
    EXPECT_EQ(result.message, readView.messages.front());
    EXPECT_EQ(readView.closed, 1);
    EXPECT_TRUE(report.contains("> ATDE8*102\r\n\r\nLINE BOX LOST\r\n")) << report.toStdString();
    EXPECT_EQ(knownCount(link->unitMemories()), 2);
    expectConnectionLostForGood();
}

TEST_F(RemoteReadLostTest, DuringTheSettingsNothingChanges) {
    ParameterSet other;
    other.setText(QStringLiteral("Edit144"), QStringLiteral("4321"));
    TransferBuffer buffer;
    Codec codec(other, buffer, texts);
    codec.EncodeSettings();
    unit.setSettings(codec.settingsImageFromBuffer());
    const QByteArray before = editorImage();
    QByteArray report;
    const RemoteReadResult result = readUntilVanished("ATDE8*#2", &report);
    EXPECT_TRUE(result.boxLost);
    EXPECT_FALSE(result.settingsDecoded);
    EXPECT_EQ(result.blocksRead, (std::vector<int>{7, 0, 1}));
    EXPECT_TRUE(result.memoriesRead.empty());
    EXPECT_EQ(editorImage(), before);
    EXPECT_EQ(readView.messages,
              std::vector<QString>{kLost + QStringLiteral("Načtení bylo přerušeno. Parametry "
                                                          "nastavení zůstaly beze změny, převzaty "
                                                          "byly jen celé přijaté paměti tlačítek "
                                                          "(0 z 4).")});
    EXPECT_TRUE(report.contains("\r\nLINE BOX LOST\r\n"));
    expectConnectionLostForGood();
}

} // namespace
} // namespace lumo
