// `lumo-cli remote write`: which entries reach the box and the unit for each group choice,
// only changed memories, resuming at an entry, refused arguments and sets.
#include "CliRemoteFixture.h"
#include "support/FileHelpers.h"
#include <QRegularExpression>

namespace lumo::test {
namespace {

using ::testing::HasSubstr;

// The group an entry belongs to by its address: 1 basic, 2 time, 3 switch, 4 memories.
int groupOf(const QByteArray& entry) {
    const char a = entry[4];
    if (a == '1' || a == '2')
        return 4;
    if (a == '3')
        return 3;
    if (a == '4' || entry.startsWith("ATDE6#"))
        return 1;
    return 2; // 5x, 6, 6*
}

QList<int> groupsOf(const QList<QByteArray>& entries) {
    QList<int> out;
    for (const QByteArray& e : entries)
        if (out.isEmpty() || out.last() != groupOf(e))
            out << groupOf(e);
    return out;
}

int countOf(const QList<QByteArray>& entries, int group) {
    int n = 0;
    for (const QByteArray& e : entries)
        n += groupOf(e) == group;
    return n;
}

class CliRemoteWrite : public CliRemoteFixture {
protected:
    void SetUp() override {
        CliRemoteFixture::SetUp();
        set.setText(QStringLiteral("Edit1"), QStringLiteral("111"));
        set.setText(QStringLiteral("Edit2"), QStringLiteral("111"));
        set.setText(QStringLiteral("Edit3"), QStringLiteral("111"));
        set.setText(QStringLiteral("Edit2"), QStringLiteral("222"));
        set.setText(QStringLiteral("Edit3"), QStringLiteral("333"));
        set.setText(QStringLiteral("Edit70"), QStringLiteral("706"));
        set.setText(QStringLiteral("Edit140"), QStringLiteral("73"));
        save(QStringLiteral("in.KTF"), set);
    }
    // The number a unit memory holds, as digits (codes 1..9, 10 = 0; 0xFF ends it).
    QString held(int memory) const {
        QString out;
        for (const char c : unit.numberMemory(memory - 1)) {
            const int code = static_cast<unsigned char>(c);
            if (code == 0xFF)
                break;
            out += code == 10 ? QLatin1Char('0') : QChar(u'0' + code);
        }
        return out;
    }
    ParameterSet set;
};

TEST_F(CliRemoteWrite, WithoutAGroupFlagAllFourGroupsGoInOrder) {
    const CliRun r = write({path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    const QList<QByteArray> entries = writeEntries();
    EXPECT_EQ(groupsOf(entries), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(countOf(entries, 1), 11);
    EXPECT_EQ(countOf(entries, 2), 12);
    EXPECT_EQ(countOf(entries, 3), 15);
    EXPECT_EQ(entries.mid(38),
              (QList<QByteArray>{"ATDE101111", "ATDE102222", "ATDE103333", "ATDE206706"}));
    EXPECT_TRUE(entries.contains("ATDE43173"));
    // The unit holds what was written: the last memory too (the call outlived its code).
    EXPECT_EQ(held(1), QStringLiteral("111"));
    EXPECT_EQ(held(70), QStringLiteral("706"));
    EXPECT_THAT(r.out, HasSubstr("wrote 42 entries from"));
    EXPECT_THAT(r.err, HasSubstr("z 4, celkem 42 z 42"));
    EXPECT_FALSE(device->box().inCall());
    // Three 7.1 s pauses between the four memories, at the least.
    EXPECT_GT(r.virtualMs, 3 * 7100 + 38 * 1000);
}

TEST_F(CliRemoteWrite, GroupFlagsChooseTheGroups) {
    CliRun r = write({"--switch", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    QList<QByteArray> entries = writeEntries();
    ASSERT_EQ(entries.size(), 15);
    EXPECT_EQ(entries.first(), "ATDE3111"); // switch 1 works the lock
    EXPECT_EQ(entries.last(), "ATDE3815");  // 15 s between the switches
    EXPECT_EQ(groupsOf(entries), QList<int>{3});

    const int before = int(writeEntries().size());
    r = write({"--memories", "--time", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    entries = writeEntries().mid(before);
    EXPECT_EQ(groupsOf(entries), (QList<int>{2, 4}));
    EXPECT_EQ(countOf(entries, 2), 12);
    EXPECT_EQ(countOf(entries, 4), 4);

    const int beforeBasic = int(writeEntries().size());
    r = write({"--basic", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(groupsOf(writeEntries().mid(beforeBasic)), QList<int>{1});
}

TEST_F(CliRemoteWrite, ChangedSinceSendsOnlyTheDifferingMemories) {
    ParameterSet unitNow = set;
    unitNow.setText(QStringLiteral("Edit2"), QStringLiteral("999")); // the unit has 999
    unitNow.setText(QStringLiteral("Edit5"), QStringLiteral("55"));  // the file clears it
    save(QStringLiteral("unit.KTF"), unitNow);
    CliRun r = write({"--memories", "--changed-since", path("unit.KTF"), path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(writeEntries(), QList<QByteArray>{"ATDE102222"});
    EXPECT_EQ(held(2), QStringLiteral("222"));
    EXPECT_EQ(held(1), QString()); // not sent, the unit keeps what it had

    // Nothing differs: nothing is sent, and the command says so.
    const int before = int(commands().size());
    r = write({"--memories", "--changed-since", path("in.KTF"), path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(writeEntries().mid(1).isEmpty());
    EXPECT_THAT(r.out, HasSubstr("nothing to write"));
    EXPECT_GT(commands().size(), before); // it did connect: the unit was asked

    r = write({"--memories", "--changed-since", path("none.KTF"), path("in.KTF")});
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliRemoteWrite, FromEntryResumesTheMemoryGroup) {
    const CliRun r = write({"--memories", "--from-entry", "3", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(writeEntries(), (QList<QByteArray>{"ATDE103333", "ATDE206706"}));
    EXPECT_EQ(held(1), QString());
    EXPECT_EQ(held(3), QStringLiteral("333"));
    EXPECT_THAT(r.err, HasSubstr("Paměti tlačítek 4 z 4"));

    // All groups and --from-entry: the groups before the memories count as written.
    const int before = int(writeEntries().size());
    const CliRun all = write({"--from-entry", "4", path("in.KTF")});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(writeEntries().mid(before), QList<QByteArray>{"ATDE206706"});
}

TEST_F(CliRemoteWrite, BadEntriesAndSetsAreRefusedBeforeDialling) {
    for (const char* k : {"0", "x", "-1", "", "5"}) {
        const CliRun r = write({"--memories", "--from-entry", k, path("in.KTF")});
        EXPECT_EQ(r.status, 2) << k;
        EXPECT_THAT(r.err, HasSubstr(std::string("--from-entry ") + k)) << k;
    }
    CliRun r = write({"--switch", "--from-entry", "1", path("in.KTF")});
    EXPECT_EQ(r.status, 2);
    // Counted within the changed memories: one differs, entry 2 does not exist.
    ParameterSet unitNow = set;
    unitNow.setText(QStringLiteral("Edit2"), QStringLiteral("999"));
    save(QStringLiteral("unit.KTF"), unitNow);
    r = write({"--from-entry", "2", "--changed-since", path("unit.KTF"), path("in.KTF")});
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("has 1 entries"));

    r = write({"--bogus", path("in.KTF")});
    EXPECT_EQ(r.status, 2);
    r = write({"--memories", "--memories", path("in.KTF")});
    EXPECT_EQ(r.status, 2);

    // A set the unit cannot take: every wrong field named, nothing sent.
    ParameterSet bad = set;
    bad.setText(QStringLiteral("Edit144"), QStringLiteral("78x0"));
    save(QStringLiteral("bad.json"), bad);
    r = write({path("bad.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("78x0"));
    r = write({path("missing.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(commands().isEmpty());
}

TEST_F(CliRemoteWrite, LogWritesTheReportFile) {
    const CliRun r = write({"--log", "--memories", path("in.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    const QString name = QString::fromStdString(r.out).section('\n', 0, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^LF-W-[^:/]+\\.TXT$")).match(name).hasMatch())
        << name.toStdString();
    const QByteArray report = readFile(path(name));
    EXPECT_TRUE(report.startsWith("Write report ")) << report.left(40).toStdString();
    EXPECT_TRUE(report.contains("START\r\n"));
    EXPECT_TRUE(report.contains("> ATDE101111\r\n\r\n< OK\r\n\r\n"));
    EXPECT_TRUE(report.contains("> ATDE206706\r\n"));
}

TEST_F(CliRemoteWrite, ALongNumberGoesInTwoPartsAndArrivesWhole) {
    set.setText(QStringLiteral("Edit4"), QStringLiteral("1234567890123")); // 20 with CR LF
    save(QStringLiteral("long.KTF"), set);
    const CliRun r = write({"--memories", "--from-entry", "4", path("long.KTF")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(commands().contains("ATDE1041234567890"));
    EXPECT_TRUE(commands().contains("ATDE123"));
    EXPECT_EQ(held(4), QStringLiteral("1234567890123"));
}

TEST_F(CliRemoteWrite, AnEntryNeverAnsweredFailsAndNamesWhereToResume) {
    sim::LineBoxFaults faults;
    faults.silentPrefixes = {"ATDE361"}; // switch 1 on-time (5 s), entry 11 of the group
    device->box().setFaults(faults);
    const CliRun r = write({"--switch", path("in.KTF")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.ranOut);
    EXPECT_THAT(r.err, HasSubstr("Timeout of Repeat"));
    EXPECT_THAT(r.err, HasSubstr("Pokračovat lze od položky 11 skupiny 3."));
    // Sent, then sent again at each of eleven time-outs; the eleventh ends the write.
    EXPECT_EQ(writeEntries().count("ATDE36105"), 12);
    EXPECT_FALSE(writeEntries().contains("ATDE362"));
    EXPECT_FALSE(device->box().inCall());
}

} // namespace
} // namespace lumo::test
