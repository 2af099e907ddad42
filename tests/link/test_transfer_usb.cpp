// The command sequences over the program's USB cable code (UsbCable, TFT232) and the virtual
// FTDI device "Vexo-USB" serving a virtual unit, in virtual time.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferUsbLink.h"
#include "platform/Messenger.h"
#include "sim/UnitUsbDevice.h"
#include "test_transfer_support.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;
using Command = LocalTransferCommands::Command;

namespace {
struct Silent : Messenger {
    QStringList messages;
    void message(const QString& text, const QString&) override { messages << text; }
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

struct UsbRig {
    UsbRig()
        : data(model, texts, &messenger), cable(unit), engine(clock, data, view),
          commands(engine, model, linkState, texts, messenger) {
        selectFtdiBackend(FtdiBackendKind::Virtual);
        link = std::make_unique<TransferUsbLink>(std::make_unique<UsbCable>([](int) {}));
        engine.setLink(link.get());
    }
    ~UsbRig() { engine.setLink(nullptr); }
    bool run(Command c) {
        bool ok = false, finished = false;
        commands.run(c, [&](bool r) { ok = r, finished = true; });
        clock.runUntilIdle(3600000);
        EXPECT_TRUE(finished);
        return ok;
    }
    VirtualClock clock;
    ParameterModel model;
    LocalLinkState linkState;
    Texts texts;
    Silent messenger;
    CodecTransferData data;
    sim::VirtualUnit unit;
    sim::UnitUsbDevice cable;
    lumo::testing::RecordingView view;
    TransferEngine engine;
    LocalTransferCommands commands;
    std::unique_ptr<TransferUsbLink> link;
};
} // namespace

TEST(TransferUsbCable, WriteAllAndReadBackOverTheVirtualCable) {
    UsbRig rig;
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_EQ(rig.link->cable().AdapterState(), "OK");
    rig.model.params().setText("Edit64", "987");
    rig.model.params().setText("Edit145", "15");
    const ParameterSet written = rig.model.params();
    ASSERT_TRUE(rig.run(Command::WriteAll));
    EXPECT_EQ(rig.unit.numberWrites(), 128);
    rig.model.params().resetToDefaults();
    ASSERT_TRUE(rig.run(Command::ReadAll));
    EXPECT_TRUE(rig.model.params().sameValues(written));
    EXPECT_TRUE(rig.view.messages.isEmpty());
}

TEST(TransferUsbCable, UnpluggedCableShowsCommunicationError) {
    UsbRig rig;
    rig.cable.device().setPlugged(false);
    EXPECT_FALSE(rig.run(Command::ReadSettings));
    EXPECT_EQ(rig.messenger.messages, QStringList{"Chyba komunikace"});
    EXPECT_EQ(rig.link->cable().AdapterState(), "--");
}

TEST(TransferUsbCable, FailedCableWriteStopsTheSettingsWrite) {
    UsbRig rig;
    rig.cable.device().setFailWrites(true);
    EXPECT_FALSE(rig.run(Command::WriteSettings));
    EXPECT_EQ(rig.unit.settingsWrites(), 0);
    EXPECT_FALSE(rig.link->hasDevice());
}
