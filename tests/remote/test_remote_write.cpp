// The remote write against the simulator's line box in virtual time: the commands of each
// group, the splitting of long entries, the limits, stop and resume, only-changed memories.
#include "params/FieldTable.h"
#include "remote/BoxProtocol.h"
#include "remote/WriteGroups.h"
#include "test_remote_rw_support.h"
#include <QFile>
#include <QTemporaryDir>

namespace lumo {
namespace {

using test::ConnectedBoxTest;

class RemoteWriteTest : public ConnectedBoxTest {
protected:
    static RemoteWriteRequest only(int group) {
        RemoteWriteRequest r;
        r.groups = {group == 1, group == 2, group == 3, group == 4};
        return r;
    }
    RemoteWriteResult write(const RemoteWriteRequest& request) {
        std::optional<RemoteWriteResult> result;
        EXPECT_TRUE(
            writer->start(request, nullptr, [&](const RemoteWriteResult& r) { result = r; }))
            << (writeView.messages.empty() ? std::string()
                                           : writeView.messages.back().toStdString());
        runUntil([&] { return result.has_value(); });
        // The unit takes a number once the line has been quiet for its code gap.
        clock.advance(1000);
        EXPECT_TRUE(result.has_value());
        return result.value_or(RemoteWriteResult{});
    }
    // Commands sent by the write: everything but the keep-alive's.
    QList<QByteArray> writesSince(int from) const {
        QList<QByteArray> out;
        for (const QByteArray& c : commandsSince(from))
            if (c != "ATDE8*5" && c != "AT@RECE" && c != "AT@RECN")
                out << c;
        return out;
    }
    static QList<QByteArray> built(RemoteGroup group, const ParameterSet& params) {
        remote::CommandTable table;
        const WriteGroupBuild b = BuildWriteGroup(group, table, params);
        QList<QByteArray> out;
        for (int i = 0; i < b.entries; ++i)
            out << table.command(i).chopped(2);
        return out;
    }
    void setMemories(std::initializer_list<std::pair<int, const char*>> numbers) {
        for (auto [k, n] : numbers)
            params.setText(numberFieldName(k - 1), QString::fromLatin1(n));
    }
};

TEST_F(RemoteWriteTest, SwitchGroupSendsItsFifteenEntriesThenResumesTheKeepAlive) {
    const int from = commandCount();
    const RemoteWriteResult result = write(only(3));
    EXPECT_EQ(result.outcome, RemoteWriteState::Done);
    const QList<QByteArray> sent = writesSince(from);
    ASSERT_EQ(sent.size(), 15);
    EXPECT_TRUE(sent.front().startsWith("ATDE311"));
    EXPECT_TRUE(sent.back().startsWith("ATDE38"));
    EXPECT_EQ(result.acknowledged[2], 15);
    EXPECT_EQ(result.resumeGroup, 0);
    runUntil([&] { return commandsSince(from).size() > 15; }, 10000);
    EXPECT_EQ(commandsSince(from).value(15), QByteArray("ATDE8*5"));
}

TEST_F(RemoteWriteTest, AcknowledgementsAreTakenAsTheyArriveNotOnTheNextTick) {
    // The box says "OK" to an entry the moment it has it: the next entry follows after the
    // protocol's pauses and one pass, not a tick later.
    const int from = commandCount();
    std::vector<qint64> sentAt;
    std::optional<RemoteWriteResult> result;
    const RemoteWriteRequest request = only(3);
    const qint64 start = clock.nowMs();
    ASSERT_TRUE(writer->start(request, nullptr, [&](const RemoteWriteResult& r) { result = r; }));
    runUntil([&] {
        while (sentAt.size() < std::size_t(writesSince(from).size()))
            sentAt.push_back(clock.nowMs());
        return result.has_value();
    });
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->outcome, RemoteWriteState::Done);
    ASSERT_EQ(sentAt.size(), 15u);
    for (std::size_t i = 1; i < sentAt.size(); ++i)
        EXPECT_EQ(sentAt[i] - sentAt[i - 1], RemoteWriteEngine::kAckWaitMs +
                                                 RemoteWriteEngine::kEntryWaitMs +
                                                 RemoteWriteEngine::kPickUpMs)
            << i;
    EXPECT_EQ(clock.nowMs() - start,
              writer->fixedPausesMs(request) + 15 * RemoteWriteEngine::kPickUpMs);
}

TEST_F(RemoteWriteTest, EveryGroupSendsExactlyWhatItsBuilderMadeInOrder) {
    setMemories({{1, "123"}, {70, "456"}});
    const int from = commandCount();
    RemoteWriteRequest request;
    const qint64 startedAt = clock.nowMs();
    const RemoteWriteResult result = write(request);
    ASSERT_EQ(result.outcome, RemoteWriteState::Done);
    QList<QByteArray> expected;
    for (RemoteGroup g :
         {RemoteGroup::Basic, RemoteGroup::Time, RemoteGroup::Switch, RemoteGroup::Memory})
        expected += built(g, params);
    EXPECT_EQ(writesSince(from), expected);
    // The write lasts its fixed pauses plus the exchanges; never less.
    EXPECT_GE(clock.nowMs() - startedAt, writer->fixedPausesMs(request));
    EXPECT_EQ(result.entries, (std::array<int, 4>{11, 12, 15, 2}));
    EXPECT_EQ(result.acknowledged, result.entries);
    ASSERT_FALSE(writeView.progresses.empty());
    EXPECT_EQ(writeView.progresses.back().overallCount, 40);
    EXPECT_EQ(writeView.progresses.back().overallIndex, 40);
    EXPECT_EQ(writeView.progresses.back().msLeft, 0);
}

TEST_F(RemoteWriteTest, NineteenCharactersGoWholeTwentyAreSplit) {
    setMemories({{1, "1234567890"}, {2, "12345678901"}});
    remote::CommandTable table;
    BuildMemoryWrite(table, params);
    ASSERT_EQ(table.command(0).size(), 19);
    ASSERT_EQ(table.command(1).size(), 20);
    const int from = commandCount();
    const RemoteWriteResult result = write(only(4));
    ASSERT_EQ(result.outcome, RemoteWriteState::Done);
    const QByteArray whole = table.command(1).chopped(2);
    EXPECT_EQ(writesSince(from), (QList<QByteArray>{table.command(0).chopped(2), whole.left(17),
                                                    "ATDE" + whole.mid(17)}));
    EXPECT_EQ(unit.numberMemory(1).left(12),
              QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x01\xff", 12));
}

TEST_F(RemoteWriteTest, TimeOutReSendsALongEntryWhole) {
    setMemories({{1, "12345678909"}});
    remote::CommandTable table;
    BuildMemoryWrite(table, params);
    const QByteArray whole = table.command(0).chopped(2);
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"ATDE" + whole.mid(17)};
    device->box().setFaults(faults);
    const int from = commandCount();
    const RemoteWriteResult result = write(only(4));
    // The instant box answers each re-send before the input is discarded, as a real box never
    // does, so every re-send goes unanswered here until the limit.
    EXPECT_EQ(result.outcome, RemoteWriteState::Failed);
    EXPECT_EQ(result.message, QStringLiteral("Není možné spojení s Vexo 'Timeout of Repeat'"));
    const QList<QByteArray> sent = writesSince(from);
    ASSERT_EQ(sent.size(), 2 + 11);
    EXPECT_EQ(sent.mid(0, 3), (QList<QByteArray>{whole.left(17), "ATDE" + whole.mid(17), whole}));
    EXPECT_EQ(sent.count(whole), 11);
}

TEST_F(RemoteWriteTest, EleventhErrClosesWithTheMessage) {
    sim::LineBoxFaults faults;
    faults.errEvery = 1;
    device->box().setFaults(faults);
    const int from = commandCount();
    const RemoteWriteResult result = write(only(3));
    EXPECT_EQ(result.outcome, RemoteWriteState::Failed);
    EXPECT_EQ(result.message, QStringLiteral("Není možné spojení s Vexo 'Timeout of ERR'"));
    const QList<QByteArray> sent = writesSince(from);
    ASSERT_EQ(sent.size(), 12); // the entry and its eleven re-sends
    EXPECT_EQ(sent.count(sent.front()), 12);
    EXPECT_EQ(result.acknowledged[2], 0);
    EXPECT_EQ(result.resumeGroup, 3);
    EXPECT_EQ(writeView.messages.back(), result.message);
}

TEST_F(RemoteWriteTest, OnlyEmptyMemoriesSendNothing) {
    const int from = commandCount();
    const RemoteWriteResult result = write(only(4));
    EXPECT_EQ(result.outcome, RemoteWriteState::Done);
    EXPECT_EQ(result.sent, 0);
    EXPECT_TRUE(writesSince(from).isEmpty());
    EXPECT_EQ(writeView.closed, 1);
}

TEST_F(RemoteWriteTest, InvalidParametersAreRefusedBeforeAnythingIsSent) {
    params.setText(numberFieldName(0), QStringLiteral("12X"));
    const int from = commandCount();
    EXPECT_FALSE(writer->start(only(4), nullptr, {}));
    ASSERT_EQ(writeView.messages.size(), 1u);
    EXPECT_TRUE(writeView.messages[0].contains(QStringLiteral("12X")));
    EXPECT_EQ(connection->state(), ConnectionState::Quiet);
    EXPECT_TRUE(writesSince(from).isEmpty());
}

TEST_F(RemoteWriteTest, StopAfterTheEntryInFlightThenResumeSendsNothingTwice) {
    setMemories({{1, "11"}, {2, "22"}, {3, "33"}, {4, "44"}});
    const int from = commandCount();
    std::optional<RemoteWriteResult> stopped;
    ASSERT_TRUE(writer->start(only(4), nullptr, [&](const RemoteWriteResult& r) { stopped = r; }));
    // Stop while the second entry is in flight.
    runUntil([&] { return writesSince(from).size() == 2; });
    writer->requestStop();
    EXPECT_FALSE(stopped.has_value()); // the entry in flight is awaited
    runUntil([&] { return stopped.has_value(); });
    ASSERT_TRUE(stopped);
    clock.advance(1000);
    EXPECT_EQ(stopped->outcome, RemoteWriteState::Stopped);
    EXPECT_EQ(stopped->acknowledged[3], 2);
    EXPECT_EQ(stopped->resumeGroup, 4);
    EXPECT_EQ(stopped->resumeStep, 2);
    EXPECT_EQ(unit.numberMemory(2).at(0), char(0xFF)); // memory 3 not written yet
    runUntil([&] { return connection->state() == ConnectionState::Quiet; });

    RemoteWriteRequest resume = only(4);
    resume.resumeGroup = stopped->resumeGroup;
    resume.resumeStep = stopped->resumeStep;
    const RemoteWriteResult rest = write(resume);
    ASSERT_EQ(rest.outcome, RemoteWriteState::Done);
    const QList<QByteArray> all = writesSince(from);
    EXPECT_EQ(all, built(RemoteGroup::Memory, params));
    EXPECT_EQ(rest.acknowledged[3], 4);
    EXPECT_EQ(unit.numberMemory(3).left(2), QByteArray("\x04\x04"));
}

TEST_F(RemoteWriteTest, OnlyChangedSendsExactlyTheDifferingMemories) {
    setMemories({{1, "11"}, {2, "22"}, {66, "66"}});
    ParameterSet held = params;
    held.setText(numberFieldName(1), QStringLiteral("29"));
    held.setText(numberFieldName(65), QString());
    RemoteWriteRequest request = only(4);
    request.unitContents = heldMemoriesOf(held);
    const int from = commandCount();
    const RemoteWriteResult result = write(request);
    ASSERT_EQ(result.outcome, RemoteWriteState::Done);
    EXPECT_EQ(result.entries[3], 2);
    const QList<QByteArray> all = built(RemoteGroup::Memory, params);
    EXPECT_EQ(writesSince(from), (QList<QByteArray>{all[1], all[2]}));
    RemoteWriteRequest full = only(4);
    EXPECT_LT(writer->fixedPausesMs(request), writer->fixedPausesMs(full));
}

TEST_F(RemoteWriteTest, UnacknowledgedFirstPartHaltsUntilClosed) {
    setMemories({{1, "12345678901"}});
    remote::CommandTable table;
    BuildMemoryWrite(table, params);
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {table.command(0).left(17)};
    device->box().setFaults(faults);
    std::optional<RemoteWriteResult> result;
    ASSERT_TRUE(writer->start(only(4), nullptr, [&](const RemoteWriteResult& r) { result = r; }));
    runUntil([&] { return writer->state() == RemoteWriteState::Halted; }, 60000);
    ASSERT_EQ(writer->state(), RemoteWriteState::Halted);
    EXPECT_EQ(writeView.messages.back(), QStringLiteral("Chyba - timeout first part of number 0"));
    clock.advance(60000);
    EXPECT_EQ(writer->state(), RemoteWriteState::Halted); // nothing more happens
    writer->close();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, RemoteWriteState::Halted);
    EXPECT_EQ(connection->state(), ConnectionState::KeepAlive);
}

TEST_F(RemoteWriteTest, BoxVanishingMidWriteEndsAtOnceSayingWhatWasAcknowledged) {
    setMemories({{1, "11"}, {2, "22"}, {3, "33"}, {4, "44"}});
    QTemporaryDir dir;
    RemoteReport report;
    ASSERT_TRUE(report.open(dir.path(), QStringLiteral("LF-W-lost"), RemoteReport::Kind::Write,
                            QDateTime::currentDateTime(), QLocale::c()));
    const int from = commandCount();
    std::optional<RemoteWriteResult> result;
    ASSERT_TRUE(writer->start(only(4), &report, [&](const RemoteWriteResult& r) { result = r; }));
    runUntil([&] { return writesSince(from).size() == 2; });
    device->vanish(); // with the second entry on the line, unanswered
    const qint64 vanishedAt = clock.nowMs();
    runUntil([&] { return result.has_value(); }, 600000);
    ASSERT_TRUE(result.has_value());
    EXPECT_LE(clock.nowMs() - vanishedAt, 2 * RemoteWriteEngine::kTickMs);
    EXPECT_EQ(result->outcome, RemoteWriteState::Failed);
    EXPECT_TRUE(result->boxLost);
    EXPECT_EQ(result->acknowledged[3], 1);
    EXPECT_EQ(result->acknowledgedMemories, std::vector<int>{0});
    EXPECT_EQ(result->resumeGroup, 4);
    EXPECT_EQ(result->resumeStep, 1);
    const QString expected =
        QStringLiteral("Zařízení Telvox KAV00001 bylo odpojeno, spojení s Vexo je ztraceno. "
                       "Zápis byl přerušen. Vexo potvrdilo: Paměti tlačítek 1 z 4; potvrzené "
                       "paměti: DEN 1.");
    EXPECT_EQ(result->message, expected);
    EXPECT_EQ(writeView.messages, std::vector<QString>{expected});
    EXPECT_EQ(writesSince(from).size(), 2); // nothing re-sent into the void
    QFile file(dir.filePath(QStringLiteral("LF-W-lost.TXT")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("\r\nLINE BOX LOST\r\nACK memories 1/4\r\nACK memories: 1\r\n"
                              "NEXT memories 2\r\n"))
        << text.toStdString();
    // The connection is over: no keep-alive resumed on the dead device.
    EXPECT_EQ(connection->state(), ConnectionState::Idle);
    EXPECT_TRUE(connectionView.menus.connectEnabled);
    EXPECT_FALSE(connectionView.menus.writeEnabled);
    EXPECT_TRUE(connectionView.messages.empty());
    const int ticks = connection->ticks();
    clock.advance(60000);
    EXPECT_EQ(connection->ticks(), ticks);
}

TEST_F(RemoteWriteTest, ASendThatFailsEndsTheWriteLikeAVanishedBox) {
    const int from = commandCount();
    std::optional<RemoteWriteResult> result;
    ASSERT_TRUE(writer->start(only(3), nullptr, [&](const RemoteWriteResult& r) { result = r; }));
    runUntil([&] { return writesSince(from).size() == 3; });
    device->device().setFailWrites(true);
    runUntil([&] { return result.has_value(); }, 600000);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->boxLost);
    EXPECT_EQ(result->acknowledged[2], 3);
    EXPECT_EQ(connection->state(), ConnectionState::Idle);
    EXPECT_EQ(writeView.messages.size(), 1u);
}

TEST_F(RemoteWriteTest, ANewBoxAfterALostOneConnectsAndWritesAgain) {
    device->vanish();
    const int lostAt = commandCount();
    std::optional<RemoteWriteResult> result;
    ASSERT_TRUE(writer->start(only(3), nullptr, [&](const RemoteWriteResult& r) { result = r; }));
    runUntil([&] { return result.has_value(); }, 600000);
    ASSERT_TRUE(result && result->boxLost);
    EXPECT_EQ(result->sent, 1);
    EXPECT_EQ(commandCount(), lostAt);
    device->reappear();
    link->ListBoxDevices();
    link->setSelectedIndex(0);
    link->OpenBoxLink(link->boxSerial(0));
    EXPECT_FALSE(link->boxLost());
    ASSERT_TRUE(connection->connect("0601234567", password()));
    runUntil([&] { return connection->state() == ConnectionState::Quiet; });
    ASSERT_EQ(connection->state(), ConnectionState::Quiet);
    const int from = commandCount();
    EXPECT_EQ(write(only(3)).outcome, RemoteWriteState::Done);
    EXPECT_EQ(writesSince(from).size(), 15);
}

} // namespace
} // namespace lumo
