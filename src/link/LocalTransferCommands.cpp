#include "link/LocalTransferCommands.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "platform/Messenger.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <memory>
#include <utility>

namespace lumo {

CodecTransferData::CodecTransferData(ParameterModel& model, const Texts& texts,
                                     Messenger* messenger)
    : m_model(model), m_codec(model.params(), model.buffer(), texts), m_messenger(messenger) {}

void CodecTransferData::decodeStatus(const QByteArray& image, UnitSnapshot* snapshot) {
    UnitSnapshot unused;
    m_codec.DecodeStatus(image, snapshot != nullptr, snapshot ? *snapshot : unused);
}
void CodecTransferData::decodeSettings(const QByteArray& image) {
    const DecodeReport report = m_codec.DecodeSettings(image);
    if (m_messenger)
        for (const QString& message : report.messages)
            m_messenger->warning(message);
}
void CodecTransferData::decodeNumberMemory(const QByteArray& image, int memory) {
    m_codec.DecodeNumberMemory(image, memory);
}
void CodecTransferData::encodeSettings() {
    m_codec.EncodeSettings();
}
void CodecTransferData::encodeNumberMemory(int memory) {
    m_codec.EncodeNumberMemory(memory);
}
char CodecTransferData::bufferByte(int slot) const {
    return m_model.buffer().byteAt(slot);
}

LocalTransferCommands::LocalTransferCommands(TransferEngine& engine, ParameterModel& model,
                                             LocalLinkState& link, const Texts& texts,
                                             Messenger& messenger)
    : m_engine(engine), m_model(model), m_link(link), m_texts(texts), m_messenger(messenger) {
    applySettings();
}

void LocalTransferCommands::applySettings() {
    TransferEngine::Texts texts;
    texts.communicationError = m_texts.message(Msg::CommunicationError);
    texts.wrongPort = m_texts.message(Msg::WrongPort);
    const QString refused = m_texts.message(Msg::NumberWriteRefused);
    if (!refused.isEmpty())
        texts.numberWriteRefused = refused;
    if (const QString lost = m_texts.message(Msg::DeviceLost); !lost.isEmpty())
        texts.deviceLost = lost;
    m_engine.setTexts(texts);
    m_engine.setClosePortMode(m_link.settings.closePortMode);
    m_engine.setSerialTimeout(m_link.settings.serialTimeoutMs);
}

bool LocalTransferCommands::snapshotDiffers(const UnitSnapshot& unit, const ParameterSet& params) {
    return unit.mode != params.text(statusField(StatusTag::Mode)) ||
           unit.unfitted != params.text(statusField(StatusTag::Unfitted)) ||
           unit.counter != params.text(statusField(StatusTag::Counter));
}

bool LocalTransferCommands::prepareLink() {
    TransferLink* link = m_engine.link();
    if (!link)
        return false;
    if (!m_engine.policy()->prepareForCommand(*link)) {
        const QString why = link->openProblem();
        m_messenger.warning(why.isEmpty() ? m_texts.message(Msg::CommunicationError)
                                          : m_texts.message(Msg::CommunicationError) + '\n' + why);
        return false;
    }
    return true;
}

bool LocalTransferCommands::validate() {
    if (!m_validator)
        return true;
    const QString problem = m_validator(m_model.params());
    if (problem.isEmpty())
        return true;
    m_messenger.warning(problem);
    return false;
}

void LocalTransferCommands::stop() {
    if (!busy())
        return;
    // The port timer's status read is no command: it is left to end by itself.
    if (m_busy)
        m_stopRequested = true;
    m_engine.requestStop();
}

void LocalTransferCommands::finish(bool ok) {
    m_busy = false;
    m_readReport.stopped |= m_stopRequested;
    m_stopRequested = false;
    m_engine.planCommand({});
    // Whatever came in from the unit makes the window's set the unit's, in part at least.
    if (!m_sideModel && m_readReport.anyRead())
        m_model.setCameFromUnitOrFile();
    if (auto done = std::exchange(m_done, nullptr))
        done(ok);
}

bool LocalTransferCommands::transfer(TransferRequest request, Next next) {
    request.quiet = std::exchange(m_quietNext, false);
    const TransferState state = m_engine.start(request, next);
    if (state == TransferState::Closed) {
        // Not started: the step after it learns so at once.
        TransferResult result;
        result.outcome = TransferResult::Outcome::Aborted;
        result.kind = request.kind;
        next(result);
        return false;
    }
    // The request for a status read is consumed when "V" goes out or the port cannot be
    // opened; with the cable link missing it stays raised.
    if (request.kind == TransferKind::Status && state != TransferState::Closing)
        m_link.portCheckRequested = false;
    return true;
}

bool LocalTransferCommands::portCheck(StatusDone done) {
    TransferLink* link = m_engine.link();
    if (busy() || !m_link.portCheckRequested || !link)
        return false;
    // On the cable the check waits (the request stays raised) until the adapter is open.
    if (!m_engine.policy()->readyForStatusRead(*link))
        return false;
    applySettings();
    return transfer({TransferKind::Status},
                    [this, done = std::move(done)](const TransferResult& r) {
                        m_engine.planCommand({});
                        if (done)
                            done(r);
                    });
}

void LocalTransferCommands::statusRead(Next next) {
    // As the port timer does it: the request raised, the read when the link is usable.
    m_link.portCheckRequested = true;
    if (!m_engine.policy()->readyForStatusRead(*m_engine.link())) {
        next(TransferResult{});
        return;
    }
    transfer({TransferKind::Status}, std::move(next));
}

void LocalTransferCommands::preWriteCheck(Next next) {
    transfer({TransferKind::Status, true}, [this, next = std::move(next)](const TransferResult& r) {
        m_link.portCheckRequested = false;
        next(r);
    });
}

bool LocalTransferCommands::confirmWrite(const TransferResult& check) {
    if (check.snapshot)
        m_model.snapshot() = *check.snapshot;
    if (!snapshotDiffers(m_model.snapshot(), m_model.params()) || !m_confirmation)
        return true;
    return m_confirmation->confirm(m_model.snapshot(), m_model.params()) !=
           WriteConfirmation::Answer::Storno;
}

void LocalTransferCommands::transferred(BaselinePart part) {
    if (!m_sideModel)
        m_model.resetBaseline(part);
}

bool LocalTransferCommands::readInto(ParameterModel& side, Command command, Done done) {
    if (busy() || (command != Command::ReadAll && command != Command::ReadSettings &&
                   command != Command::ReadNumbers))
        return false;
    TransferData& own = m_engine.data();
    m_sideData = std::make_unique<CodecTransferData>(side, m_texts, &m_messenger);
    m_sideModel = &side;
    m_engine.setData(*m_sideData);
    auto restore = [this, &own, done = std::move(done)](bool ok) {
        m_engine.setData(own);
        if (m_sideModel)
            applyFirmwareRules(m_sideModel->params());
        m_sideModel = nullptr;
        if (done)
            done(ok);
    };
    if (run(command, std::move(restore)))
        return true;
    m_engine.setData(own);
    m_sideModel = nullptr;
    return false;
}

bool LocalTransferCommands::isWrite(Command command) {
    return command == Command::WriteAll || command == Command::WriteSettings ||
           command == Command::WriteNumbers;
}

LocalTransferCommands::Command LocalTransferCommands::readBackOf(Command write) {
    switch (write) {
    case Command::WriteSettings:
        return Command::ReadSettings;
    case Command::WriteNumbers:
        return Command::ReadNumbers;
    default:
        return Command::ReadAll;
    }
}

bool LocalTransferCommands::runVerified(Command command, Checked checked) {
    if (busy() || !isWrite(command))
        return false;
    return run(command, [this, command, checked = std::move(checked)](bool ok) {
        WriteCheck failed;
        if (!ok)
            return checked(failed);
        const bool settings = command != Command::WriteNumbers;
        const bool numbers = command != Command::WriteSettings;
        // What was sent is what the window holds now: the confirmation may have changed it
        // before the settings image was built, nothing can after.
        const ParameterSet expected =
            expectedAfterWrite(m_model.params(), settings, numbers, m_texts);
        // Parts not read back stay as expected, so only what was read can differ.
        auto side = std::make_shared<ParameterModel>();
        side->params() = expected;
        const bool started =
            readInto(*side, readBackOf(command),
                     [this, side, expected, settings, numbers, checked](bool readOk) {
                         if (!readOk) {
                             WriteCheck unread;
                             unread.outcome = WriteCheck::Outcome::ReadBackFailed;
                             return checked(unread);
                         }
                         checked(checkWrite(expected, side->params(),
                                            locallyWritten(settings, numbers), m_texts));
                     });
        if (!started) {
            failed.outcome = WriteCheck::Outcome::ReadBackFailed;
            checked(failed);
        }
    });
}

bool LocalTransferCommands::runWithBackup(Command command, WriteBackup backup, Done done) {
    if (busy() || !isWrite(command))
        return false;
    return backupBeforeWrite(std::move(backup), [this, command, done](bool go) {
        if (!go || !run(command, done))
            if (done)
                done(false);
    });
}

bool LocalTransferCommands::backupBeforeWrite(WriteBackup backup,
                                              std::function<void(bool go)> then) {
    if (busy())
        return false;
    // Eleven seconds of reading are not spent on a set that will be refused.
    if (!validate()) {
        then(false);
        return true;
    }
    auto side = std::make_shared<ParameterModel>();
    return readInto(*side, Command::ReadAll,
                    [this, side, backup = std::move(backup), then = std::move(then)](bool ok) {
                        // Still one exchange: no port check slips in while a message or
                        // the question is open.
                        m_busy = true;
                        const bool kept =
                            m_readReport.anyRead() && backup.keep && backup.keep(*side, ok);
                        const bool write =
                            (ok && kept) || (backup.writeAnyway && backup.writeAnyway());
                        m_busy = false;
                        then(write);
                    });
}

bool LocalTransferCommands::run(Command command, Done done) {
    if (busy())
        return false;
    m_readReport = ReadReport{};
    applySettings();
    if (!prepareLink()) {
        if (done)
            done(false);
        return true;
    }
    const bool writes = isWrite(command);
    // Nothing goes to the unit from a parameter set that breaks its rules.
    if (writes && !validate()) {
        if (done)
            done(false);
        return true;
    }
    m_busy = true;
    m_stopRequested = false;
    m_done = std::move(done);

    using K = TransferKind;
    switch (command) {
    case Command::ReadAll:
        m_engine.planCommand({K::Status, K::SettingsRead, K::NumbersRead});
        break;
    case Command::ReadSettings:
        m_engine.planCommand({K::Status, K::SettingsRead});
        break;
    case Command::ReadNumbers:
        m_engine.planCommand({K::Status, K::NumbersRead});
        break;
    case Command::WriteAll:
        m_engine.planCommand({K::Status, K::SettingsWrite, K::NumbersWrite});
        break;
    case Command::WriteSettings:
        m_engine.planCommand({K::Status, K::SettingsWrite});
        break;
    case Command::WriteNumbers:
        m_engine.planCommand({K::NumbersWrite});
        break;
    }
    m_readReport.started = true;
    m_readReport.settingsWanted = command == Command::ReadAll || command == Command::ReadSettings;
    m_readReport.numbersWanted = command == Command::ReadAll || command == Command::ReadNumbers;
    // What a read brought in, kept as each of its transfers ends.
    auto settingsRead = [this](const TransferResult& r) {
        m_readReport.settingsRead = r.ok();
        m_readReport.stopped |= r.stopped();
        if (r.ok())
            transferred(BaselinePart::Settings);
    };
    auto numbersRead = [this](const TransferResult& r) {
        m_readReport.memoriesRead = r.memoriesRead;
        m_readReport.stopped |= r.stopped();
        if (r.ok())
            transferred(BaselinePart::Numbers);
    };

    using R = const TransferResult&;
    switch (command) {
    case Command::ReadAll:
        statusRead([this, settingsRead, numbersRead](R status) {
            if (status.failed() || status.aborted() || !goesOn())
                return finish(false);
            transfer({TransferKind::SettingsRead}, [this, settingsRead, numbersRead](R settings) {
                settingsRead(settings);
                // A failed settings read does not stop the number read; both can report.
                if (settings.aborted() || !goesOn())
                    return finish(false);
                transfer({TransferKind::NumbersRead},
                         [this, numbersRead, settingsFailed = settings.failed()](R numbers) {
                             numbersRead(numbers);
                             finish(!settingsFailed && numbers.ok());
                         });
            });
        });
        break;
    case Command::ReadSettings:
    case Command::ReadNumbers:
        statusRead([this, command, settingsRead, numbersRead](R status) {
            // The status read's failure is not tested, only a link that could not be used.
            if (status.aborted() || !goesOn())
                return finish(false);
            const bool settings = command == Command::ReadSettings;
            transfer({settings ? TransferKind::SettingsRead : TransferKind::NumbersRead},
                     [this, settings, settingsRead, numbersRead](R read) {
                         if (settings)
                             settingsRead(read);
                         else
                             numbersRead(read);
                         finish(read.ok());
                     });
        });
        break;
    case Command::WriteSettings:
    case Command::WriteAll:
        preWriteCheck([this, command](R check) {
            if (!check.ok() || !goesOn() || !confirmWrite(check))
                return finish(false);
            transfer({TransferKind::SettingsWrite}, [this, command](R settings) {
                if (settings.ok())
                    transferred(BaselinePart::Settings);
                if (command == Command::WriteSettings || !settings.ok() || !goesOn())
                    return finish(settings.ok() && command == Command::WriteSettings);
                transfer({TransferKind::NumbersWrite}, [this](R numbers) {
                    if (numbers.ok())
                        transferred(BaselinePart::Numbers);
                    finish(numbers.ok());
                });
            });
        });
        break;
    case Command::WriteNumbers:
        transfer({TransferKind::NumbersWrite}, [this](R numbers) {
            if (numbers.ok())
                transferred(BaselinePart::Numbers);
            finish(numbers.ok());
        });
        break;
    }
    return true;
}

} // namespace lumo
