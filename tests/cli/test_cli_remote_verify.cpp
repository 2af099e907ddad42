// `lumo-cli remote write --verify` in virtual time against the simulator's box: what the write
// carried is read back over the line and compared, against a unit that stores everything and
// one that loses an entry; without the option nothing is read back.
#include "CliRemoteFixture.h"
#include "params/FieldTable.h"
#include "remote/RemoteWriteCheck.h"

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

} // namespace
} // namespace lumo::test
