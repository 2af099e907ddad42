#include "link/LocalTransferCommands.h"
#include "params/FieldTable.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"
#include <utility>

namespace lumo {

namespace {
constexpr int kMessageCommunicationError = 35;
constexpr int kMessageWrongPort = 39;
constexpr int kMessageNumberWriteRefused = 55;
} // namespace

CodecTransferData::CodecTransferData(ParameterModel& model, const Texts& texts,
                                     Messenger* messenger)
    : m_model(model), m_codec(model.params(), model.buffer(), texts), m_messenger(messenger) {}

void CodecTransferData::decodeStatus(const QByteArray& image, bool toSnapshot) {
    m_codec.DecodeStatus(image, toSnapshot, m_model.snapshot());
}
void CodecTransferData::decodeSettings(const QByteArray& image) {
    const DecodeReport report = m_codec.DecodeSettings(image);
    if (m_messenger)
        for (const QString& message : report.messages)
            m_messenger->message(message);
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
    m_engine.setPortCheckFlag(&m_link.portCheckRequested);
    applySettings();
}

void LocalTransferCommands::applySettings() {
    TransferEngine::Texts texts;
    texts.communicationError = m_texts.message(kMessageCommunicationError);
    texts.wrongPort = m_texts.message(kMessageWrongPort);
    const QString refused = m_texts.message(kMessageNumberWriteRefused);
    if (!refused.isEmpty())
        texts.numberWriteRefused = refused;
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
    if (link->isUsb()) {
        // The cable is opened afresh for every command.
        link->open(nullptr);
        if (!link->isOpen()) {
            m_messenger.message(m_texts.message(kMessageCommunicationError));
            return false;
        }
    }
    return true;
}

bool LocalTransferCommands::validate() {
    if (!m_validator)
        return true;
    const QString problem = m_validator(m_model.params());
    if (problem.isEmpty())
        return true;
    m_messenger.message(problem);
    return false;
}

bool LocalTransferCommands::stopped() const {
    return m_engine.failed || m_engine.lastOutcome() == TransferEngine::State::Aborted;
}

void LocalTransferCommands::finish(bool ok) {
    m_busy = false;
    if (auto done = std::exchange(m_done, nullptr))
        done(ok);
}

bool LocalTransferCommands::portCheck(std::function<void()> done) {
    if (busy() || !m_link.portCheckRequested || !m_engine.link())
        return false;
    TransferLink* link = m_engine.link();
    // On the cable the check waits (the request stays raised) until the adapter is open.
    if (link->isUsb() && !link->isOpen())
        return false;
    applySettings();
    return m_engine.start({TransferKind::None, 8, 0}, std::move(done));
}

void LocalTransferCommands::statusRead(Next next) {
    m_engine.requestPortCheck(true);
    TransferLink* link = m_engine.link();
    if (link->isUsb() && !link->isOpen()) {
        next();
        return;
    }
    m_engine.start({TransferKind::None, 8, 0}, std::move(next));
}

void LocalTransferCommands::settingsRead(Next next) {
    m_engine.start({TransferKind::SettingsRead, 128, 0}, std::move(next));
}

void LocalTransferCommands::numbersRead(Next next) {
    m_engine.start({TransferKind::NumbersRead, 16, 0}, std::move(next));
}

void LocalTransferCommands::preWriteCheck(Next next) {
    m_engine.preWriteCheck = true;
    m_engine.start({TransferKind::None, 8, 0}, [this, next = std::move(next)] {
        m_engine.preWriteCheck = false;
        m_engine.requestPortCheck(false);
        next();
    });
}

bool LocalTransferCommands::confirmWrite() {
    if (!snapshotDiffers(m_model.snapshot(), m_model.params()))
        return true;
    if (!m_confirmation)
        return true;
    if (m_confirmation->confirm(m_model.snapshot(), m_model.params()) ==
        WriteConfirmation::Answer::Storno)
        m_engine.failed = true;
    return !m_engine.failed;
}

void LocalTransferCommands::settingsWrite(Next next) {
    m_engine.start({TransferKind::SettingsWrite, 128, 0}, std::move(next));
}

void LocalTransferCommands::numbersWrite(Next next) {
    m_engine.start({TransferKind::NumbersWrite, 128, 0}, std::move(next));
}

bool LocalTransferCommands::run(Command command, Done done) {
    if (busy())
        return false;
    applySettings();
    if (!prepareLink()) {
        if (done)
            done(false);
        return true;
    }
    const bool writes = command == Command::WriteAll || command == Command::WriteSettings ||
                        command == Command::WriteNumbers;
    // Nothing goes to the unit from a parameter set that breaks its rules.
    if (writes && !validate()) {
        if (done)
            done(false);
        return true;
    }
    m_busy = true;
    m_done = std::move(done);
    m_engine.failed = false;

    switch (command) {
    case Command::ReadAll:
        statusRead([this] {
            if (stopped())
                return finish(false);
            settingsRead([this] {
                // The settings read's failure does not stop the number read.
                if (m_engine.lastOutcome() == TransferEngine::State::Aborted)
                    return finish(false);
                numbersRead([this] { finish(!stopped()); });
            });
        });
        break;
    case Command::ReadSettings:
        statusRead([this] {
            if (m_engine.lastOutcome() == TransferEngine::State::Aborted)
                return finish(false);
            // The status read's result is not tested.
            m_engine.failed = false;
            settingsRead([this] { finish(!stopped()); });
        });
        break;
    case Command::ReadNumbers:
        statusRead([this] {
            if (m_engine.lastOutcome() == TransferEngine::State::Aborted)
                return finish(false);
            m_engine.failed = false;
            numbersRead([this] { finish(!stopped()); });
        });
        break;
    case Command::WriteSettings:
    case Command::WriteAll:
        preWriteCheck([this, command] {
            if (stopped() || !confirmWrite())
                return finish(false);
            settingsWrite([this, command] {
                if (command == Command::WriteSettings || stopped())
                    return finish(!stopped());
                numbersWrite([this] { finish(!stopped()); });
            });
        });
        break;
    case Command::WriteNumbers:
        numbersWrite([this] { finish(!stopped()); });
        break;
    }
    return true;
}

} // namespace lumo
