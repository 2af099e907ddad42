// The remote read decoding whatever the line box hands back (pieces, noise, short or long
// recordings, "ERR", silence, a box that vanishes), in virtual time, over a connection made to
// a healthy box. The first byte chooses the settings and how many memories, the next ones
// which; the rest is the box's script. Whatever the box says, the read reports once, never
// calls itself done on recordings it did not get, and touches only the memories it was asked
// for, in ascending order.
#include "ScriptedLineBox.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "platform/VirtualClock.h"
#include "remote/ConnectionEngine.h"
#include "remote/RemoteLink.h"
#include "remote/RemoteReadEngine.h"
#include "texts/Texts.h"
#include <cstdlib>
#include <optional>

namespace {

class QuietConnectionView : public lumo::ConnectionView {
public:
    void showMessage(const QString&) override {}
};

class QuietReadView : public lumo::RemoteReadView {
public:
    void showMessage(const QString&) override {}
};

void runFor(lumo::VirtualClock& clock, const std::function<bool()>& done, qint64 limitMs) {
    const qint64 end = clock.nowMs() + limitMs;
    while (!done() && clock.nowMs() < end) {
        const qint64 next = clock.nextDueMs();
        if (next < 0)
            return;
        clock.advance(std::max<qint64>(0, std::min(next, end) - clock.nowMs()));
    }
}

QString marker(int memory) {
    return QStringLiteral("9%1").arg(memory);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    lumo::RemoteReadRequest request;
    request.settings = data[0] & 0x01;
    const size_t picks = std::min<size_t>((data[0] >> 1) & 0x07, size - 1);
    for (size_t i = 0; i < picks; ++i)
        request.memories[data[1 + i] & 0x7F] = true;
    const size_t skip = 1 + picks;

    static const lumo::Texts texts;
    lumo::VirtualClock clock;
    auto script = std::make_shared<lumo::fuzzing::LineBoxScript>(clock, data + skip, size - skip);
    lumo::fuzzing::ScriptedBoxBus bus(script);
    QuietConnectionView connectionView;
    QuietReadView readView;
    lumo::ParameterSet params;
    for (int m = 0; m < 128; ++m)
        params.setText(lumo::numberFieldName(m), marker(m));
    {
        lumo::RemoteLink link(bus, clock);
        lumo::ConnectionEngine connection(link, connectionView, texts);
        link.ListBoxDevices();
        link.setSelectedIndex(0);
        link.OpenBoxLink(link.boxSerial(0));
        bool connected = false;
        connection.connect("0601234567", "7850", [&](const lumo::ConnectionResult& r) {
            connected = connected || r.kind == lumo::ConnectionResult::Kind::Connected;
        });
        runFor(
            clock, [&] { return connection.state() == lumo::ConnectionState::Quiet; },
            10LL * 60 * 1000);
        if (!connected || connection.state() != lumo::ConnectionState::Quiet)
            std::abort(); // the healthy box always connects

        // From here on the script answers.
        script->healthy = false;
        lumo::RemoteReadEngine reader(link, connection, params, texts, readView);
        int reports = 0;
        std::optional<lumo::RemoteReadResult> result;
        if (!reader.start(request, nullptr, [&](const lumo::RemoteReadResult& r) {
                ++reports;
                result = r;
            }))
            std::abort();
        // A box that stays silent (or went away) makes the read ask again every 5 s for as
        // long as the dialog is open: the user closes it 30 s after the box last heard a
        // command it answers from the script (or once the script is spent); six repeats show
        // what any number of them would.
        qint64 lastProgress = clock.nowMs();
        size_t seen = script->pos;
        while (reports == 0 && clock.nowMs() - lastProgress < 30 * 1000) {
            if (script->pos != seen && !script->exhausted()) {
                seen = script->pos;
                lastProgress = clock.nowMs();
            }
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(std::max<qint64>(0, next - clock.nowMs()));
        }
        if (reports == 0)
            reader.close();
        if (reports != 1 || !result || reader.running())
            std::abort();

        // Memories come in ascending order, each one asked for.
        int last = 0;
        for (const int memory : result->memoriesRead) {
            if (memory <= last || memory > 128 || !request.memories[size_t(memory - 1)])
                std::abort();
            last = memory;
        }
        for (int m = 0; m < 128; ++m)
            if (!request.memories[size_t(m)] && params.text(lumo::numberFieldName(m)) != marker(m))
                std::abort();
        if (result->outcome == lumo::RemoteReadState::Done) {
            if (!result->settingsDecoded ||
                int(result->memoriesRead.size()) != request.selectedCount())
                std::abort();
            // Every block is two recordings of 16 characters, every memory one.
            const int blocks = request.settings ? 6 : 1;
            const qint64 needed = 32LL * blocks + 16LL * request.selectedCount();
            if (script->dtmfDelivered + script->rawDelivered < needed)
                std::abort();
        }
        connection.cancel();
        clock.runUntilIdle(3600 * 1000);
    }
    return 0;
}
