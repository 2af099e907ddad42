#pragma once
#include "link/LocalLinkSettings.h"
#include "link/ReadReport.h"
#include "link/TransferEngine.h"
#include "params/Codec.h"
#include "params/ParameterModel.h"
#include "params/WriteCheck.h"
#include <functional>
#include <memory>

namespace lumo {

class Messenger;
class Texts;

// The transfer data of real runs: the codec over the parameter model's set, transfer buffer
// and unit snapshot.
class CodecTransferData : public TransferData {
public:
    CodecTransferData(ParameterModel& model, const Texts& texts, Messenger* messenger);
    void decodeStatus(const QByteArray& image, UnitSnapshot* snapshot) override;
    void decodeSettings(const QByteArray& image) override;
    void decodeNumberMemory(const QByteArray& image, int memory) override;
    void encodeSettings() override;
    void encodeNumberMemory(int memory) override;
    char bufferByte(int slot) const override;

private:
    ParameterModel& m_model;
    Codec m_codec;
    Messenger* m_messenger; // shows what decoding reports
};

// The write confirmation asked before a settings write when the unit's mode, unfitted-button
// count or power-on count differ from the parameter set (the TForm9 decision). On Ok it has
// updated Edit151, Edit156 and Edit157 as chosen; Storno stops the write; Closed goes on with
// the fields unchanged.
class WriteConfirmation {
public:
    enum class Answer { Ok, Storno, Closed };
    virtual ~WriteConfirmation() = default;
    virtual Answer confirm(const UnitSnapshot& unit, ParameterSet& params) = 0;
};

// The six commands of the local link and the port check, as sequences of transfers on one
// engine. GUI-free: the main window's menu items and lumo-cli run the same sequences. Each
// command runs asynchronously on the engine's clock and reports once through `done`; each of
// its transfers hands its result to the step that follows.
class LocalTransferCommands {
public:
    enum class Command {
        ReadAll,
        ReadSettings,
        ReadNumbers,
        WriteAll,
        WriteSettings,
        WriteNumbers
    };
    // Checks a parameter set before anything is written; returns the message naming the
    // wrong field, or an empty text when the set may be sent.
    using Validator = std::function<QString(const ParameterSet&)>;
    using Done = std::function<void(bool ok)>;
    using StatusDone = std::function<void(const TransferResult&)>;
    using Checked = std::function<void(const WriteCheck&)>;
    // A backup of the unit before a write: `keep` gets the memory read into a side set and
    // whether the read completed, and says whether the backup was kept; when the read or
    // `keep` failed, `writeAnyway` decides whether the write goes on.
    struct WriteBackup {
        std::function<bool(const ParameterModel& side, bool complete)> keep;
        std::function<bool()> writeAnyway;
    };

    LocalTransferCommands(TransferEngine& engine, ParameterModel& model, LocalLinkState& link,
                          const Texts& texts, Messenger& messenger);

    void setConfirmation(WriteConfirmation* confirmation) { m_confirmation = confirmation; }
    void setValidator(Validator validator) { m_validator = std::move(validator); }
    // The next transfer fails without a time-out message (the automatic first port check at
    // start-up); the port message is shown all the same.
    void quietNextTransfer() { m_quietNext = true; }

    // Takes the engine's texts and the link settings afresh (language packs and Config.ini may
    // change them between commands).
    void applySettings();

    // Runs a command; false (nothing started) while another exchange runs. `ok` is false when
    // the command failed or stopped (communication error, Storno, wrong port, invalid set).
    bool run(Command command, Done done = {});
    // Runs a read command (ReadAll, ReadSettings, ReadNumbers) into `side` instead of the
    // window's model: every decode goes there, the window's fields, firmware version and
    // marks stay as they are. The firmware rules are applied to `side` at the end. False
    // (nothing started) while another exchange runs or for a write command.
    bool readInto(ParameterModel& side, Command command, Done done = {});
    // Runs a write command (WriteAll, WriteSettings, WriteNumbers) and, once it has
    // completed, reads back what it wrote with the read of the same kind on the same link into
    // a side buffer (the window untouched) and compares it with what was sent. `checked` is
    // told once how it ended. False (nothing started) while another exchange runs or for a
    // read command.
    bool runVerified(Command command, Checked checked);
    // The read that gives back what a write command wrote.
    static Command readBackOf(Command write);
    static bool isWrite(Command command);

    // Runs a write command after reading the unit's whole memory into a side set for `backup`.
    // A set that breaks its rules is refused before the unit is read. False (nothing started)
    // while another exchange runs or for a read command.
    bool runWithBackup(Command command, WriteBackup backup, Done done = {});
    // The first half of it: validates, reads the unit into a side set, keeps it, asks when
    // that failed; `then` is told whether the write may go on. False when nothing started.
    bool backupBeforeWrite(WriteBackup backup, std::function<void(bool go)> then);
    // The port timer's status read: runs when the port check is requested and the link is
    // usable (on the USB cable only while the adapter is open); false when nothing started.
    bool portCheck(StatusDone done = {});
    bool busy() const { return m_busy || m_engine.isShowing(); }
    // The user stops the running command: the transfer in flight ends after its exchange in
    // flight (a settings write after its last byte) and no further transfer starts; the command
    // reports failure. Does nothing when no command runs.
    void stop();
    bool stopping() const { return m_stopRequested; }
    // What the last read command brought in, whether it completed or not.
    const ReadReport& readReport() const { return m_readReport; }

    // Whether the unit's values differ from the parameter set (the write confirmation is due).
    static bool snapshotDiffers(const UnitSnapshot& unit, const ParameterSet& params);

    TransferEngine& engine() { return m_engine; }

private:
    using Next = std::function<void(const TransferResult&)>;
    bool prepareLink();
    bool validate();
    // Starts one transfer; a transfer that cannot start hands `next` a result at once.
    bool transfer(TransferRequest request, Next next);
    // The read commands' status read, as the port timer runs it.
    void statusRead(Next next);
    // The status read before a write: the unit's values go to the snapshot.
    void preWriteCheck(Next next);
    bool confirmWrite(const TransferResult& check);
    void finish(bool ok);
    // A further transfer of the running command may start (no stop was asked for).
    bool goesOn() const { return !m_stopRequested; }
    // A transfer into the window's model completed: that part of it is the new baseline.
    void transferred(BaselinePart part);

    TransferEngine& m_engine;
    ParameterModel& m_model;
    LocalLinkState& m_link;
    const Texts& m_texts;
    Messenger& m_messenger;
    WriteConfirmation* m_confirmation = nullptr;
    Validator m_validator;
    bool m_busy = false;
    bool m_quietNext = false;
    bool m_stopRequested = false;
    ReadReport m_readReport;
    Done m_done;
    std::unique_ptr<CodecTransferData> m_sideData;
    ParameterModel* m_sideModel = nullptr; // set while a read goes into a side buffer
};

} // namespace lumo
