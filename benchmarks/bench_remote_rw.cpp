// Remote read and write through the engines the dialogs and lumo-cli run, against the
// simulator's line box with its unit:
//  - a full read (settings and all 128 memories) and a full write (all four groups, 128
//    memories) in virtual time: the protocol's duration against the sum of its fixed pauses,
//    the excess per exchange, and the CPU spent per simulated minute;
//  - only changed memories with one changed memory against the full memory group (virtual
//    protocol time, bytes put on the line);
//  - the event loop during a real-time write: the longest gap of a 10 ms probe timer while the
//    write waits in its 7.1 s pause between two memories.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "platform/SystemClock.h"
#include "platform/VirtualClock.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteLink.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include "sim/LineBoxUsbDevice.h"
#include "texts/Texts.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace lumo;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct QuietConnectionView : ConnectionView {
    void showMessage(const QString&) override {}
};
struct QuietReadView : RemoteReadView {
    void showMessage(const QString&) override {}
};
struct QuietWriteView : RemoteWriteView {
    void showMessage(const QString&) override {}
};

// A connection in its quiet period, where a click would start a read or write. The box
// answers as fast as its line allows when `instant` (1 ms per DTMF character and reaction),
// else with the simulator's usual line timing.
template <class ClockType> class Connected {
public:
    explicit Connected(bool instant) {
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        device = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);
        if (instant)
            device->box().setTiming({1, 1, 20});
        link = std::make_unique<RemoteLink>(bus, clock);
        connection = std::make_unique<ConnectionEngine>(*link, view, texts);
        link->ListBoxDevices();
        link->setSelectedIndex(0);
        link->OpenBoxLink(link->boxSerial(0));
    }
    ~Connected() {
        connection.reset();
        link.reset();
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
    }
    bool connect(const std::function<void(const std::function<bool()>&)>& runUntil) {
        bool connected = false;
        connection->connect("0601234567", "7850", [&](const ConnectionResult& r) {
            connected = r.kind == ConnectionResult::Kind::Connected;
        });
        runUntil([&] { return connection->state() == ConnectionState::Quiet; });
        return connected && connection->state() == ConnectionState::Quiet;
    }

    ClockType clock;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;
    FtdiBoxBus bus;
    std::unique_ptr<RemoteLink> link;
    QuietConnectionView view;
    Texts texts;
    std::unique_ptr<ConnectionEngine> connection;
};

using VirtualConnected = Connected<VirtualClock>;

void runVirtual(VirtualClock& clock, const std::function<bool()>& done) {
    const qint64 end = clock.nowMs() + 24LL * 3600 * 1000;
    while (!done() && clock.nowMs() < end) {
        const qint64 next = clock.nextDueMs();
        if (next < 0)
            break;
        clock.advance(std::max<qint64>(0, next - clock.nowMs()));
    }
}

ParameterSet withAllMemories() {
    ParameterSet set;
    for (int memory = 0; memory < 128; ++memory)
        set.setText(numberFieldName(memory), QStringLiteral("06%1").arg(memory, 8, 10, QChar('0')));
    return set;
}

void reportTimes(benchmark::State& state, qint64 virtualMs, qint64 fixedMs, int exchanges,
                 int tickMs, double cpu) {
    state.counters["virtual_ms"] = double(virtualMs);
    state.counters["fixed_pauses_ms"] = double(fixedMs);
    state.counters["excess_ms"] = double(virtualMs - fixedMs);
    state.counters["exchanges"] = exchanges;
    state.counters["excess_ticks_per_exchange"] =
        double(virtualMs - fixedMs) / exchanges / double(tickMs);
    state.counters["cpu_ms_per_simulated_min"] = cpu * 1000 / (double(virtualMs) / 60000.0);
}

// Settings (blocks 7, 0..4) and all 128 memories.
void BM_RemoteReadFullVirtual(benchmark::State& state) {
    for (auto _ : state) {
        VirtualConnected c(true);
        auto until = [&](const std::function<bool()>& done) { runVirtual(c.clock, done); };
        if (!c.connect(until)) {
            state.SkipWithError("not connected");
            return;
        }
        ParameterSet params;
        QuietReadView view;
        RemoteReadEngine reader(*c.link, *c.connection, params, c.texts, view);
        RemoteReadRequest request;
        request.settings = true;
        request.memories.fill(true);
        bool done = false;
        RemoteReadResult result;
        const qint64 start = c.clock.nowMs();
        const double cpu0 = cpuSeconds();
        reader.start(request, nullptr, [&](const RemoteReadResult& r) {
            result = r;
            done = true;
        });
        runVirtual(c.clock, [&] { return done; });
        const double cpu = cpuSeconds() - cpu0;
        if (result.outcome != RemoteReadState::Done || result.memoriesRead.size() != 128) {
            state.SkipWithError("read incomplete");
            return;
        }
        reportTimes(state, c.clock.nowMs() - start, RemoteReadEngine::fixedPausesMs(request),
                    6 + 128, RemoteReadEngine::kTickMs, cpu);
        state.counters["resends"] = result.resends;
    }
}
BENCHMARK(BM_RemoteReadFullVirtual)->Iterations(1)->Unit(benchmark::kMillisecond);

struct WriteRun {
    bool ok = false;
    qint64 virtualMs = 0;
    qint64 fixedMs = 0;
    quint64 bytes = 0;
    int sent = 0;
    double cpu = 0;
};

WriteRun writeVirtual(const ParameterSet& params, const RemoteWriteRequest& request) {
    WriteRun run;
    VirtualConnected c(true);
    auto until = [&](const std::function<bool()>& done) { runVirtual(c.clock, done); };
    if (!c.connect(until))
        return run;
    QuietWriteView view;
    RemoteWriteEngine writer(*c.link, *c.connection, params, c.texts, view);
    bool done = false;
    RemoteWriteResult result;
    const qint64 start = c.clock.nowMs();
    const quint64 bytes0 = c.link->bytesSent();
    const double cpu0 = cpuSeconds();
    writer.start(request, nullptr, [&](const RemoteWriteResult& r) {
        result = r;
        done = true;
    });
    runVirtual(c.clock, [&] { return done; });
    run.cpu = cpuSeconds() - cpu0;
    run.ok = result.outcome == RemoteWriteState::Done;
    run.virtualMs = c.clock.nowMs() - start;
    run.fixedMs = writer.fixedPausesMs(request);
    // Counted up to the end of the write, before the keep-alive resumes.
    run.bytes = c.link->bytesSent() - bytes0;
    run.sent = result.sent;
    return run;
}

// All four groups, every memory holding a ten-digit number.
void BM_RemoteWriteFullVirtual(benchmark::State& state) {
    const ParameterSet params = withAllMemories();
    for (auto _ : state) {
        const WriteRun run = writeVirtual(params, {});
        if (!run.ok || run.sent != 11 + 12 + 15 + 128) {
            state.SkipWithError("write incomplete");
            return;
        }
        reportTimes(state, run.virtualMs, run.fixedMs, run.sent, RemoteWriteEngine::kTickMs,
                    run.cpu);
    }
}
BENCHMARK(BM_RemoteWriteFullVirtual)->Iterations(1)->Unit(benchmark::kMillisecond);

// The memory group only: all 128 memories (arg 0), or only the one that differs from what the
// unit holds (arg 1).
void BM_MemoryGroupOnlyChanged(benchmark::State& state) {
    const ParameterSet params = withAllMemories();
    RemoteWriteRequest request;
    request.groups = {false, false, false, true};
    if (state.range(0) == 1) {
        HeldMemories held = heldMemoriesOf(params);
        held[41] = QStringLiteral("0699");
        request.unitContents = held;
    }
    for (auto _ : state) {
        const WriteRun run = writeVirtual(params, request);
        if (!run.ok) {
            state.SkipWithError("write failed");
            return;
        }
        state.counters["virtual_ms"] = double(run.virtualMs);
        state.counters["entries"] = run.sent;
        state.counters["wire_bytes"] = double(run.bytes);
    }
}
BENCHMARK(BM_MemoryGroupOnlyChanged)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// Real time, on the event loop as in the program: connect, then write two memories (one 7.1 s
// pause between them), while a 10 ms timer measures how late the loop serves it.
void BM_EventLoopDuringRealTimeWrite(benchmark::State& state) {
    for (auto _ : state) {
        Connected<SystemClock> c(true);
        qint64 maxLateMs = 0;
        qint64 probes = 0;
        QElapsedTimer since;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (since.isValid())
                maxLateMs = std::max<qint64>(maxLateMs, since.elapsed() - 10);
            ++probes;
            since.restart();
        });
        probe.start(10);
        auto until = [&](const std::function<bool()>& done) {
            QEventLoop loop;
            QTimer check;
            QObject::connect(&check, &QTimer::timeout, [&] {
                if (done())
                    loop.quit();
            });
            check.start(20);
            QTimer::singleShot(120000, &loop, &QEventLoop::quit);
            loop.exec();
        };
        if (!c.connect(until)) {
            state.SkipWithError("not connected");
            return;
        }
        const qint64 connectLate = maxLateMs;
        maxLateMs = 0;
        ParameterSet params;
        params.setText(QStringLiteral("Edit1"), QStringLiteral("111"));
        params.setText(QStringLiteral("Edit2"), QStringLiteral("222"));
        QuietWriteView view;
        RemoteWriteEngine writer(*c.link, *c.connection, params, c.texts, view);
        RemoteWriteRequest request;
        request.groups = {false, false, false, true};
        bool done = false;
        bool ok = false;
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = cpuSeconds();
        writer.start(request, nullptr, [&](const RemoteWriteResult& r) {
            ok = r.outcome == RemoteWriteState::Done;
            done = true;
        });
        until([&] { return done; });
        const double cpu = cpuSeconds() - cpu0;
        if (!ok) {
            state.SkipWithError("write failed");
            return;
        }
        state.SetIterationTime(double(wall.elapsed()) / 1000);
        state.counters["write_wall_ms"] = double(wall.elapsed());
        state.counters["max_probe_late_connect_ms"] = double(connectLate);
        state.counters["max_probe_late_write_ms"] = double(maxLateMs);
        state.counters["probes"] = double(probes);
        state.counters["cpu_percent_of_core"] = cpu / (double(wall.elapsed()) / 1000) * 100;
    }
}
BENCHMARK(BM_EventLoopDuringRealTimeWrite)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
