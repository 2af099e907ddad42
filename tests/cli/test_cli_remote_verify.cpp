// `lumo-cli remote write --verify` in virtual time against the simulator's box: what the write
// carried is read back over the line and compared, against a unit that stores everything and
// one that loses an entry; without the option nothing is read back.
#include "CliRemoteFixture.h"
#include "cli/ParameterListing.h"
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "params/WriteCheck.h"
#include "remote/RemoteWriteCheck.h"
#include "texts/Texts.h"

namespace lumo::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

class CliRemoteVerify : public CliRemoteFixture {
protected:
    // The switch group: its entries go 311, 312, 321 (Edit129), ...
    void saveSwitches() {
        ParameterSet set;
        set.setText(QStringLiteral("Edit129"), QStringLiteral("123456"));
        set.setText(QStringLiteral("Edit133"), QStringLiteral("12"));
        set.setChecked(QStringLiteral("RadioButton13"), true);
        save(QStringLiteral("in.json"), set);
    }
};

TEST_F(CliRemoteVerify, AUnitThatStoresEverythingIsVerified) {
    saveSwitches();
    const CliRun w = write({"--switch", "--verify", path("in.json")});
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_FALSE(w.ranOut);
    EXPECT_THAT(w.out, HasSubstr("wrote 15 entries from"));
    EXPECT_THAT(w.out, HasSubstr("Zápis ověřen"));
    // The settings blocks came back; no memory was written, so none was read.
    EXPECT_THAT(readRequests(), Contains(QByteArray("ATDE8*#7")));
    EXPECT_THAT(readRequests(), Contains(QByteArray("ATDE8*#4")));
    for (const QByteArray& r : readRequests())
        EXPECT_TRUE(r.startsWith("ATDE8*#")) << r.constData();
}

TEST_F(CliRemoteVerify, AnEntryTheUnitLostIsNamedAndFails) {
    saveSwitches();
    sim::LineBoxFaults faults;
    faults.dropWrite = 3; // the third write code: 321, switch 1's first code
    device->box().setFaults(faults);
    const CliRun w = write({"--switch", "--verify", path("in.json")});
    EXPECT_EQ(w.status, 1) << w.err;
    EXPECT_THAT(w.out, HasSubstr("wrote 15 entries from")) << "the box acknowledged them all";
    EXPECT_THAT(w.err, HasSubstr("Zápis neověřen, liší se parametrů: 1"));
    EXPECT_THAT(w.err, HasSubstr("[Edit129]: \"123456\" -> \"\""));
    EXPECT_THAT(w.out, Not(HasSubstr("Zápis ověřen")));
}

TEST_F(CliRemoteVerify, WrittenMemoriesAreReadBackAndNothingWithoutTheOption) {
    ParameterSet set;
    set.setText(numberFieldName(4), QStringLiteral("123")); // DAY 5
    set.setText(numberFieldName(70), QStringLiteral("45")); // NIGHT 7
    save(QStringLiteral("in.json"), set);
    const CliRun plain = write({"--memories", path("in.json")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(readRequests().isEmpty());

    const CliRun w = write({"--memories", "--verify", path("in.json")});
    ASSERT_EQ(w.status, 0) << w.err;
    EXPECT_THAT(w.out, HasSubstr("Zápis ověřen"));
    EXPECT_THAT(readRequests(), Contains(QByteArray("ATDE8*104")));
    EXPECT_THAT(readRequests(), Contains(QByteArray("ATDE8*206")));
    EXPECT_EQ(readRequests().size(), 3) << "block 7 and the two memories";
}

TEST(RemoteWriteCheckRequest, ReadsWhatTheWriteCarried) {
    RemoteWriteRequest request;
    request.groups = {false, false, true, true};
    RemoteWriteResult result;
    result.outcome = RemoteWriteState::Done;
    EXPECT_FALSE(RemoteWriteCheck::readBack(request, result)) << "nothing acknowledged";
    result.acknowledged = {0, 0, 15, 2};
    result.acknowledgedMemories = {4, 70};
    const auto read = RemoteWriteCheck::readBack(request, result);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->settings);
    EXPECT_EQ(read->selectedCount(), 2);
    EXPECT_TRUE(read->memories[4]);
    EXPECT_TRUE(read->memories[70]);
    result.acknowledged = {0, 0, 0, 2};
    EXPECT_FALSE(RemoteWriteCheck::readBack(request, result)->settings);
}

// The service password's caption is broken over two lines in the window; the listing of a
// failed check keeps each difference on one line, as diff does.
TEST(WriteCheckListing, AWrappedCaptionStaysOnOneLine) {
    Texts texts;
    ParameterSet written;
    written.setText(QStringLiteral("Edit144"), QStringLiteral("1234"));
    WriteCheck check;
    check.outcome = WriteCheck::Outcome::Differs;
    check.differences = diffParameters(written, ParameterSet(), texts);
    ASSERT_EQ(check.differences.size(), 1u);
    ASSERT_TRUE(check.differences[0].caption.contains(QLatin1Char('\n')));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(cli::reportWriteCheck(check, texts));
    const QStringList lines =
        QString::fromStdString(testing::internal::GetCapturedStderr()).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Zápis neověřen, liší se parametrů: 1"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("  ")));
    EXPECT_THAT(lines[1].toStdString(),
                HasSubstr("vrátného z telefonu : [Edit144]: \"1234\" -> \"7850\""));
}

} // namespace
} // namespace lumo::test
