// `lumo-cli remote read|write` ending a call that cannot be made or that the user stops: the
// connect time limit, SIGINT and SIGTERM, each ending with the line hung up; and the progress
// both print on standard error.
#include "CliRemoteFixture.h"
#include "cli/InterruptWatch.h"
#include "params/FieldTable.h"
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <csignal>

namespace lumo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class CliRemoteEnd : public CliRemoteFixture {
protected:
    void SetUp() override {
        CliRemoteFixture::SetUp();
        for (int k = 1; k <= 4; ++k)
            set.setText(numberFieldName(k - 1), QString::number(k).repeated(3));
        save(QStringLiteral("in.KTF"), set);
    }
    void expectHungUp() const {
        const QList<QByteArray> c = commands();
        ASSERT_GE(c.size(), 2);
        EXPECT_EQ(c.mid(c.size() - 2), (QList<QByteArray>{"ATH", "AT@BASIC"}));
        EXPECT_FALSE(device->box().inCall());
    }
    int count() const { return device->box().commandCount(); }
    // The write's entries of the memory group since command `from`.
    int memoryEntriesSince(int from) const {
        int n = 0;
        for (const QByteArray& c : commands().mid(from))
            n += c.startsWith("ATDE1") || c.startsWith("ATDE2");
        return n;
    }
    ParameterSet set;
};

TEST_F(CliRemoteEnd, AWrongPasswordIsGivenUpAtTheConnectTimeLimitAndTheLineHungUp) {
    sim::LineBoxFaults faults;
    faults.wrongPassword = true; // the unit never answers the log-in: the sequence loops
    device->box().setFaults(faults);
    const CliRun r = read({"--connect-timeout", "30", path("out.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.ranOut);
    EXPECT_THAT(r.err, HasSubstr("Spojení s Vexo nevzniklo do 30 s"));
    EXPECT_THAT(r.err, Not(HasSubstr("Spojeno")));
    EXPECT_GE(r.virtualMs, 30000);
    EXPECT_LT(r.virtualMs, 33000); // the hang-up's own pauses
    expectHungUp();
    EXPECT_FALSE(QFile::exists(path("out.KTF")));

    const int from = count();
    const CliRun w = write({path("in.KTF")}); // the default limit
    EXPECT_EQ(w.status, 1);
    EXPECT_THAT(w.err, HasSubstr("do 120 s"));
    EXPECT_GE(w.virtualMs, 120000);
    EXPECT_LT(w.virtualMs, 123000);
    EXPECT_EQ(memoryEntriesSince(from), 0);
    expectHungUp();
}

TEST_F(CliRemoteEnd, AConnectionMadeInTimeIsKeptPastTheLimit) {
    // The limit is for making the connection only: a write that outlasts it goes on.
    const CliRun r = write({"--connect-timeout", "15", "--memories", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GT(r.virtualMs, 30000);
    EXPECT_EQ(memoryEntriesSince(0), 4);
}

TEST_F(CliRemoteEnd, ABadConnectTimeLimitIsAUsageError) {
    for (const char* value : {"0", "-5", "abc", "1.5", ""}) {
        const CliRun r = read({"--connect-timeout", value, path("out.KTF")});
        EXPECT_EQ(r.status, 2) << value;
        EXPECT_THAT(r.err, HasSubstr("--connect-timeout")) << value;
    }
    EXPECT_TRUE(commands().isEmpty()); // nothing dialled
}

TEST_F(CliRemoteEnd, AnInterruptWhileConnectingHangsUpWithTheSignalInTheStatus) {
    for (int signal : {SIGINT, SIGTERM}) {
        const int from = count();
        interrupts.push_back(
            {[this, from] { return commands().mid(from).contains("ATDEA"); }, signal});
        const CliRun r = read({path("out.KTF")});
        EXPECT_EQ(r.status, 128 + signal);
        EXPECT_THAT(r.err, HasSubstr("Přerušeno: zavěšuji"));
        EXPECT_FALSE(r.ranOut);
        EXPECT_FALSE(commands().mid(from).contains("ATDE8*#7"));
        expectHungUp();
    }
}

TEST_F(CliRemoteEnd, AnInterruptedReadAsksNoMoreSavesNothingAndHangsUp) {
    interrupts.push_back({[this] { return commands().contains("ATDE8*#1"); }, SIGINT});
    const CliRun r = read({"--settings", "--day", "1-4", path("out.KTF")});
    EXPECT_EQ(r.status, 130);
    EXPECT_THAT(r.err, HasSubstr("Přerušeno: čtení končí"));
    EXPECT_FALSE(QFile::exists(path("out.KTF")));
    const QList<QByteArray> c = commands();
    const QList<QByteArray> after = c.mid(c.indexOf("ATDE8*#1") + 1);
    EXPECT_FALSE(after.contains("ATDE8*#2"));
    EXPECT_FALSE(after.contains("ATDE8*100"));
    // Closed as Storno closes the dialog: the keep-alive came back before the hang-up.
    EXPECT_TRUE(after.contains("ATDE8*5"));
    expectHungUp();
}

TEST_F(CliRemoteEnd, AnInterruptedWriteEndsAfterTheEntryInFlightAndSaysWhereToGoOn) {
    interrupts.push_back({[this] { return memoryEntriesSince(0) == 2; }, SIGINT});
    const CliRun r = write({"--memories", path("in.KTF")});
    EXPECT_EQ(r.status, 130);
    EXPECT_THAT(r.err, HasSubstr("zápis skončí po potvrzení právě zapisované položky"));
    EXPECT_THAT(r.err, HasSubstr("Pokračovat lze od položky 3 skupiny 4."));
    EXPECT_THAT(r.out, Not(HasSubstr("wrote")));
    EXPECT_EQ(memoryEntriesSince(0), 2);
    // The unit took the acknowledged entries: the call lasted past their code gap.
    EXPECT_EQ(unit.numberMemory(1).left(3), QByteArray("\x02\x02\x02"));
    EXPECT_EQ(unit.numberMemory(2).at(0), char(0xFF));
    expectHungUp();

    // Interrupted twice while an entry is in flight: the write stops at once.
    const int from = count();
    interrupts.push_back({[this, from] { return memoryEntriesSince(from) == 2; }, SIGINT});
    interrupts.push_back({[this, from] { return memoryEntriesSince(from) == 2; }, SIGINT});
    const CliRun again = write({"--memories", path("in.KTF")});
    EXPECT_EQ(again.status, 130);
    EXPECT_THAT(again.err, HasSubstr("zápis končí hned"));
    EXPECT_THAT(again.err, HasSubstr("Pokračovat lze od položky 2 skupiny 4."));
    expectHungUp();
}

// "PART n z m, celkem i z k, zbývá M:SS" lines, in the order printed (the built-in texts).
struct ProgressLine {
    QString group;
    int n = 0, m = 0, i = 0, k = 0;
    int secondsLeft = 0;
};
std::vector<ProgressLine> progressLines(const std::string& text) {
    static const QRegularExpression line(
        QStringLiteral(R"(^(.+) (\d+) z (\d+), celkem (\d+) z (\d+), zbývá (\d+):(\d\d)$)"),
        QRegularExpression::MultilineOption);
    std::vector<ProgressLine> out;
    auto it = line.globalMatch(QString::fromStdString(text));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const ProgressLine p{
            m.captured(1),         m.captured(2).toInt(),
            m.captured(3).toInt(), m.captured(4).toInt(),
            m.captured(5).toInt(), m.captured(6).toInt() * 60 + m.captured(7).toInt()};
        out.push_back(p);
    }
    return out;
}

// Every entry on one line of its own, in order, within its group and overall; the time left
// never grows and ends at `lastLeft` seconds, the pauses before the last entry; all of it on
// standard error.
void expectProgress(const CliRun& r, const std::vector<std::pair<QString, int>>& groups,
                    int lastLeft) {
    const std::vector<ProgressLine> lines = progressLines(r.err);
    EXPECT_TRUE(progressLines(r.out).empty());
    int total = 0;
    for (const auto& g : groups)
        total += g.second;
    ASSERT_EQ(lines.size(), std::size_t(total));
    std::size_t at = 0;
    for (const auto& [name, entries] : groups) {
        for (int n = 1; n <= entries; ++n, ++at) {
            EXPECT_EQ(lines[at].group, name) << at;
            EXPECT_EQ(lines[at].n, n) << at;
            EXPECT_EQ(lines[at].m, entries) << at;
            EXPECT_EQ(lines[at].i, int(at) + 1) << at;
            EXPECT_EQ(lines[at].k, total) << at;
            if (at > 0) {
                EXPECT_LE(lines[at].secondsLeft, lines[at - 1].secondsLeft) << at;
            }
        }
    }
    EXPECT_EQ(lines.back().secondsLeft, lastLeft);
}

TEST_F(CliRemoteEnd, ReadAndWritePrintEveryEntryOfHowManyAndTheTimeLeftOnStandardError) {
    const CliRun r = read({"--settings", "--day", "2", "--night", "1,64", path("out.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    expectProgress(r, {{QStringLiteral("Nastavení"), 6}, {QStringLiteral("Paměti tlačítek"), 3}},
                   2); // the 1.2 s before the last memory's request
    // By the fixed pauses: six blocks (200 ms each, 1000 ms between two) and three memories.
    EXPECT_EQ(progressLines(r.err).front().secondsLeft, 10);

    const CliRun w = write({path("in.KTF")});
    ASSERT_EQ(w.status, 0) << w.err;
    expectProgress(w,
                   {{QStringLiteral("Základní parametry"), 11},
                    {QStringLiteral("Časové parametry"), 12},
                    {QStringLiteral("Spínače"), 15},
                    {QStringLiteral("Paměti tlačítek"), 4}},
                   8); // 50 ms after the acknowledgement and 7.1 s before the last memory
    EXPECT_GE(progressLines(w.err).front().secondsLeft, 3 * 7 + 35);
}

TEST(InterruptWatch, ASignalBecomesACallOnTheLoopAndTheOldHandlersComeBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction oldTerm {
    }, oldInt{};
    ASSERT_EQ(sigaction(SIGTERM, &ignore, &oldTerm), 0);
    ASSERT_EQ(sigaction(SIGINT, nullptr, &oldInt), 0);
    std::vector<int> got;
    {
        cli::InterruptWatch watch([&](int signal) { got.push_back(signal); });
        ASSERT_TRUE(watch.watching());
        cli::InterruptWatch second([](int) {});
        EXPECT_FALSE(second.watching()); // one at a time
        raise(SIGINT);
        raise(SIGTERM);
        EXPECT_TRUE(got.empty()); // not inside the signal handler
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (got.size() >= 2)
                loop.quit();
        });
        poll.start(1);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_EQ(got, (std::vector<int>{SIGINT, SIGTERM}));
    }
    struct sigaction now {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    ASSERT_EQ(sigaction(SIGINT, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, oldInt.sa_handler);
    sigaction(SIGTERM, &oldTerm, nullptr);
}

} // namespace
} // namespace lumo::test
