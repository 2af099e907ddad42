// Runs a local command (status, read or write, over the serial port or the USB cable) against a
// unit whose every answer comes from the fuzzer's bytes, in virtual time. Whatever the unit
// says, the command must end, report exactly once, and never report success for a transfer
// whose replies it did not get.
#include "link/LocalTransferCommands.h"
#include "link/TransferEngine.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/VirtualClock.h"
#include "texts/Texts.h"
#include <cstdint>
#include <cstdlib>

namespace {

class Quiet : public lumo::Messenger {
public:
    void message(const QString&, const QString&) override {}
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};

class NoView : public lumo::TransferView {
public:
    void setProgress(int) override {}
    void setIndicator(lumo::TransferIndicator) override {}
    void showMessage(const QString&) override {}
};

// The unit: after every byte the host sends, the next script byte says what comes back.
// 0x00..0x3E: nothing; 0x3F: the device vanishes; 0x40 and above: (b - 0x40) bytes of the
// script, after the number of milliseconds given by the byte that follows.
class ScriptedLink : public lumo::TransferLink {
public:
    ScriptedLink(lumo::Clock& clock, Kind kind, const uint8_t* data, size_t size)
        : m_clock(clock), m_kind(kind), m_data(data), m_size(size) {}

    Kind kind() const override { return m_kind; }
    bool isOpen() const override { return m_open; }
    bool open(QString*) override {
        m_open = !m_gone;
        return m_open;
    }
    void close() override {
        m_open = false;
        m_input.clear();
    }
    bool hasDevice() const override { return !m_gone; }
    int bytesWaiting() override { return int(m_input.size()); }
    QByteArray readAll() override { return std::exchange(m_input, QByteArray()); }
    bool writeByte(char) override {
        if (m_gone || !m_open) {
            m_writeOk = false;
            return m_kind == Kind::Serial;
        }
        ++sent;
        const int op = next();
        if (op < 0 || op < 0x3F)
            return true;
        if (op == 0x3F) {
            m_gone = true;
            m_open = m_kind == Kind::Serial ? m_open : false;
            return true;
        }
        const int count = op - 0x40;
        const int delay = std::max(0, next());
        QByteArray reply;
        for (int i = 0; i < count && m_pos < m_size; ++i)
            reply += char(m_data[m_pos++]);
        m_clock.runAfter(delay, [this, reply] {
            if (!m_open || m_gone)
                return;
            m_input += reply;
            delivered += int(reply.size());
            if (m_kind == Kind::Serial && m_handler)
                m_handler(int(m_input.size()));
        });
        return true;
    }
    bool lastWriteOk() const override { return m_writeOk; }
    void setDataHandler(DataHandler handler) override { m_handler = std::move(handler); }

    int sent = 0;
    int delivered = 0; // bytes that reached the host's input

private:
    int next() { return m_pos < m_size ? m_data[m_pos++] : -1; }

    lumo::Clock& m_clock;
    Kind m_kind;
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_open = true;
    bool m_gone = false;
    bool m_writeOk = true;
    QByteArray m_input;
    DataHandler m_handler;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    using Command = lumo::LocalTransferCommands::Command;
    const uint8_t head = data[0];
    const auto command = static_cast<Command>((head & 0x07) % 6);
    const auto kind =
        (head & 0x08) ? lumo::TransferLink::Kind::Usb : lumo::TransferLink::Kind::Serial;
    const bool closePort = head & 0x10;

    static const lumo::Texts texts;
    Quiet quiet;
    NoView view;
    lumo::VirtualClock clock;
    lumo::ParameterModel model;
    lumo::LocalLinkState linkState;
    linkState.settings.useUsbCable = kind == lumo::TransferLink::Kind::Usb;
    linkState.settings.closePortMode = closePort ? QStringLiteral("1") : QStringLiteral("0");
    lumo::CodecTransferData transferData(model, texts, &quiet);
    // The link outlives the engine, which lets go of it when it is destroyed.
    ScriptedLink link(clock, kind, data + 1, size - 1);
    lumo::TransferEngine engine(clock, transferData, view);
    engine.setLink(&link);
    lumo::LocalTransferCommands commands(engine, model, linkState, texts, quiet);

    int reports = 0;
    bool ok = false;
    if (!commands.run(command, [&](bool result) {
            ++reports;
            ok = result;
        }))
        std::abort(); // nothing else runs, so the command must start
    // Every pause and time-out of a whole read or write fits in a few virtual hours.
    clock.runUntilIdle(4LL * 3600 * 1000);
    if (reports != 1 || commands.busy())
        std::abort();
    // Success needs at least the bytes of every complete reply the command waits for: the status
    // image, 128 settings bytes, 16 bytes per number memory, one "Z" per number block written.
    // A settings write ends with the unit's "Z", which the unit may send before the last byte.
    static const int kLeast[6] = {/*ReadAll*/ 8 + 128 * 16, /*ReadSettings*/ 128,
                                  /*ReadNumbers*/ 128 * 16, /*WriteAll*/ 8 + 1 + 128,
                                  /*WriteSettings*/ 8 + 1,  /*WriteNumbers*/ 128};
    if (ok && link.delivered < kLeast[static_cast<int>(command)])
        std::abort();
    return 0;
}
