// Which parameters a remote read replaced and which a remote write had acknowledged: the
// fields whose edit marks go.
#include "params/FieldTable.h"
#include "params/RemoteValues.h"
#include "remote/RemoteFields.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(RemoteFields, ASettingsBlockHoldsTheFieldsWhollyInsideIt) {
    const QStringList seven = settingsFieldsOfBlocks({7});
    EXPECT_TRUE(seven.contains("Edit158"));  // positions 113..116
    EXPECT_FALSE(seven.contains("Edit144")); // 21..24, block 1
    EXPECT_FALSE(seven.contains("Edit1"));   // number memories are not in the image
    for (const QString& name : seven) {
        if (const FieldDef* f = findField(name)) {
            EXPECT_GE(f->imagePosition, 113) << name.toStdString();
        }
    }
    const QStringList all = settingsFieldsOfBlocks({7, 0, 1, 2, 3, 4});
    EXPECT_TRUE(all.contains("Edit144"));
    EXPECT_TRUE(all.contains("Edit129"));
    EXPECT_TRUE(all.contains("GroupBox18")); // an option group by its box, position 37
    EXPECT_TRUE(settingsFieldsOfBlocks({}).isEmpty());
    // Edit129 spans positions 39..44 of block 2: without block 2 it is not taken.
    EXPECT_FALSE(settingsFieldsOfBlocks({0, 1, 3}).contains("Edit129"));
}

TEST(RemoteFields, AReadTakesDecodedSettingsAndWholeMemoriesOnly) {
    RemoteReadResult result;
    result.blocksRead = {7, 0};
    result.memoriesRead = {1, 65, 128};
    EXPECT_EQ(fieldsReadRemotely(result), (QStringList{"Edit1", "Edit65", "Edit128"}));
    result.settingsDecoded = true;
    const QStringList names = fieldsReadRemotely(result);
    EXPECT_TRUE(names.contains("Edit158"));
    EXPECT_TRUE(names.contains("Edit128"));
    EXPECT_FALSE(names.contains("Edit144"));
}

TEST(RemoteFields, AWriteTakesTheAcknowledgedEntriesAndWhatRidesOnThem) {
    const ParameterSet params;
    RemoteWriteResult result;
    result.acknowledged = {0, 0, 3, 0};
    // Switches: function of switch 1, function of switch 2, switch 1 outer code.
    EXPECT_EQ(fieldsWrittenRemotely(result, params),
              (QStringList{"GroupBox18", "GroupBox19", "Edit129"}));

    // The sound entry of the time group carries both signalling boxes.
    const std::vector<RemoteEntry> time = remoteWriteEntries(RemoteGroup::Time, params);
    int sound = -1;
    for (std::size_t i = 0; i < time.size(); ++i)
        if (time[i].field == QLatin1String("CheckBox3"))
            sound = int(i);
    ASSERT_GE(sound, 0);
    result.acknowledged = {0, sound, 0, 0};
    EXPECT_FALSE(fieldsWrittenRemotely(result, params).contains("CheckBox3"));
    result.acknowledged = {0, sound + 1, 0, 0};
    const QStringList withSound = fieldsWrittenRemotely(result, params);
    EXPECT_TRUE(withSound.contains("CheckBox3"));
    EXPECT_TRUE(withSound.contains("CheckBox4"));

    result.acknowledged = {11, 0, 0, 2};
    result.acknowledgedMemories = {4, 70};
    const QStringList names = fieldsWrittenRemotely(result, params);
    EXPECT_EQ(names.mid(names.size() - 2), (QStringList{"Edit5", "Edit71"}));
    for (const RemoteEntry& e : remoteWriteEntries(RemoteGroup::Basic, params))
        EXPECT_TRUE(names.contains(e.field)) << e.field.toStdString();
}

} // namespace
} // namespace lumo
