// The line box's replies as the connection takes them: the connect sequence and the keep-alive
// walked over whatever the box answers (pieces, noise, "ERR", silence, a box that vanishes), in
// virtual time. Whatever the box says, the engine must never call the unit connected on replies
// it did not get, must report each end once, and must come to rest once cancelled.
#include "ScriptedLineBox.h"
#include "platform/VirtualClock.h"
#include "remote/BoxProtocol.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include "texts/Texts.h"
#include <cstdlib>

namespace {

class QuietView : public lumo::ConnectionView {
public:
    void showMessage(const QString&) override {}
};

// The framing helpers agree with each other on any buffer.
void checkFraming(const QByteArray& buffer) {
    const bool complete = lumo::ReplyComplete(buffer);
    if (complete != buffer.endsWith("\r\n"))
        std::abort();
    if (complete && lumo::ReplyText(buffer) + "\r\n" != buffer)
        std::abort();
    if ((lumo::IsResetReply(buffer) || lumo::EndsWithOk(buffer)) && !complete)
        std::abort();
    QByteArray image;
    lumo::DecodeSettingsBlock(buffer, int(buffer.size() % 8), image);
    if (image.size() != 128)
        std::abort();
    const QByteArray memory = lumo::DecodeNumberMemoryCharacters(buffer);
    if (memory.size() != 16)
        std::abort();
    for (const char c : memory)
        if (static_cast<unsigned char>(c) > 15)
            std::abort();
}

// The connect commands appear in `lines` in order (each may be repeated in between).
bool sentInOrder(const QByteArray& lines, const QList<QByteArray>& commands) {
    qsizetype at = 0;
    for (const QByteArray& command : commands) {
        at = lines.indexOf(command, at);
        if (at < 0)
            return false;
        at += command.size();
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkFraming(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));

    static const lumo::Texts texts;
    lumo::VirtualClock clock;
    auto script = std::make_shared<lumo::fuzzing::LineBoxScript>(clock, data, size);
    script->healthy = false;
    lumo::fuzzing::ScriptedBoxBus bus(script);
    QuietView view;
    {
        lumo::RemoteLink link(bus, clock);
        lumo::ConnectionEngine engine(link, view, texts);
        link.ListBoxDevices();
        link.setSelectedIndex(0);
        link.OpenBoxLink(link.boxSerial(0));

        int connected = 0;
        int ended = 0;
        int linesAtConnect = 0;
        QByteArray sentAtConnect;
        if (!engine.connect("0601234567", "7850", [&](const lumo::ConnectionResult& r) {
                if (r.kind == lumo::ConnectionResult::Kind::Connected) {
                    ++connected;
                    linesAtConnect = script->completeLines;
                    sentAtConnect = script->lines;
                } else {
                    ++ended;
                }
            }))
            std::abort();

        // Until the box has not taken a script byte for 90 s (the keep-alive gives a silent
        // box up after 60 s; longer silence only repeats the 5 s re-send), in virtual time: a
        // box that keeps the connection alive for ever ends the input too.
        qint64 lastProgress = clock.nowMs();
        size_t seen = script->pos;
        // The framing check of a buffer that did not change since the last tick would repeat
        // itself: most ticks of a waiting engine receive nothing.
        QByteArray checked;
        while (ended == 0 && clock.nowMs() - lastProgress < 90 * 1000) {
            if (script->pos != seen) {
                seen = script->pos;
                lastProgress = clock.nowMs();
            }
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(std::max<qint64>(0, next - clock.nowMs()));
            if (link.ReceiveBuffer != checked) {
                checked = link.ReceiveBuffer;
                checkFraming(checked);
            }
        }

        if (connected > 1 || ended > 1)
            std::abort();
        if (connected == 1) {
            // Each of the twelve steps needs a complete reply of the box.
            if (linesAtConnect < lumo::kConnectStepCount)
                std::abort();
            if (!sentInOrder(sentAtConnect,
                             {"AT@RESET\r\n", "AT@DEFAULT\r\n", "AT@NORM\r\n", "ATA\r\n",
                              "ATDE0601234567\r\n", "ATDEA\r\n", "AT@RECE\r\n", "AT@RECN\r\n",
                              "ATDE#7850\r\n", "ATDE8*5\r\n", "AT@RECE\r\n", "AT@RECN\r\n"}))
                std::abort();
        }
        // Cancelled (as the closing main window does), the engine hangs up and comes to rest.
        bool free = false;
        engine.cancel([&] { free = true; });
        clock.runUntilIdle(3600 * 1000);
        if (!free || engine.state() != lumo::ConnectionState::Idle || engine.isBusy())
            std::abort();
        if (ended > 1 || (connected == 1 && ended != 1))
            std::abort();
    }
    return 0;
}
