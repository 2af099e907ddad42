// The connection to the unit in real time, through the connection engine as the program runs
// it: the connect sequence against a box that answers at once (total time against the sum of
// the protocol's fixed waits, and the excess per step), the same against the simulator's line
// box with its unit behind the FTDI layer, and the CPU used while connected and idle.
#include "link/FtdiApi.h"
#include "platform/SystemClock.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "sim/LineBoxUsbDevice.h"
#include "texts/Texts.h"
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace lumo;

// The waits of the connect sequence: 100 ms before "AT@RESET", 50 ms before every further
// step, 500 ms more before steps 3, 5, 7, 11, 2000 ms more before 2, 4, 9, and 1000 ms before
// the first keep-alive.
constexpr double kFixedWaitsMs = 100 + 11 * 50 + 4 * 500 + 3 * 2000 + 1000;
constexpr int kSteps = 13; // twelve steps and the first keep-alive

// A box with a unit that answers every command at once.
class InstantBox : public BoxDevice {
public:
    bool writeByte(char byte) override {
        m_line += byte;
        if (m_line.endsWith("\r\n")) {
            if (m_line == "AT@RESET\r\n")
                m_reply += "RESET\r\n";
            else if (m_line == "AT@RECN\r\n")
                m_reply += "BOK\r\n";
            else if (m_line != "ATH\r\n" && m_line != "AT@BASIC\r\n")
                m_reply += "OK\r\n";
            m_line.clear();
        }
        return true;
    }
    bool readByte(char* byte) override {
        if (m_reply.isEmpty())
            return false;
        *byte = m_reply.front();
        m_reply.remove(0, 1);
        return true;
    }
    int receiveCount() override { return int(m_reply.size()); }
    bool setBitMode(quint8, quint8) override { return true; }
    void dtrControl(bool) override {}
    void rtsControl(bool) override {}
    void setBaudRate(int) override {}

private:
    QByteArray m_line, m_reply;
};

class InstantBus : public BoxBus {
public:
    int deviceCount() override { return 1; }
    QString description(int) override { return QStringLiteral("Kavrostanel"); }
    QString serialNumber(int) override { return QStringLiteral("KAV00001"); }
    std::unique_ptr<BoxDevice> open(const QString&) override {
        return std::make_unique<InstantBox>();
    }
};

struct NoView : ConnectionView {
    QStringList messages;
    void showMessage(const QString& text) override { messages << text; }
};

// Connects and returns the milliseconds from Button4 to the first keep-alive sent, or -1.
double connectOnce(BoxBus& bus, SystemClock& clock, const QByteArray& password,
                   ConnectionEngine** keep = nullptr,
                   std::unique_ptr<RemoteLink>* linkOut = nullptr,
                   std::unique_ptr<ConnectionEngine>* engineOut = nullptr) {
    static NoView view;
    static Texts texts;
    auto link = std::make_unique<RemoteLink>(bus, clock);
    link->ListBoxDevices();
    link->setSelectedIndex(0);
    link->OpenBoxLink(link->boxSerial(0));
    auto engine = std::make_unique<ConnectionEngine>(*link, view, texts);
    QEventLoop loop;
    bool connected = false;
    const auto start = std::chrono::steady_clock::now();
    engine->connect("0601234567", password, [&](const ConnectionResult& r) {
        connected = r.kind == ConnectionResult::Kind::Connected;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (keep && linkOut && engineOut) {
        *keep = engine.get();
        *linkOut = std::move(link);
        *engineOut = std::move(engine);
    }
    return connected ? ms : -1;
}

void BM_ConnectInstantBox(benchmark::State& state) {
    SystemClock clock;
    InstantBus bus;
    double total = 0;
    for (auto _ : state) {
        total = connectOnce(bus, clock, "7850");
        if (total < 0) {
            state.SkipWithError("not connected");
            return;
        }
        state.SetIterationTime(total / 1000);
    }
    state.counters["total_ms"] = total;
    state.counters["fixed_waits_ms"] = kFixedWaitsMs;
    state.counters["excess_per_step_ms"] = (total - kFixedWaitsMs) / kSteps;
}
BENCHMARK(BM_ConnectInstantBox)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ConnectSimulatedLineBox(benchmark::State& state) {
    SystemClock clock;
    selectFtdiBackend(FtdiBackendKind::Virtual);
    sim::VirtualUnit unit;
    sim::LineBoxUsbDevice device(clock, unit);
    FtdiBoxBus bus;
    double total = 0;
    for (auto _ : state) {
        total = connectOnce(bus, clock, "7850");
        if (total < 0) {
            state.SkipWithError("not connected");
            return;
        }
        state.SetIterationTime(total / 1000);
    }
    state.counters["total_ms"] = total;
    state.counters["fixed_waits_ms"] = kFixedWaitsMs;
    state.counters["excess_per_step_ms"] = (total - kFixedWaitsMs) / kSteps;
}
BENCHMARK(BM_ConnectSimulatedLineBox)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Connected and idle for 60 s of real time: the keep-alive cycle every quiet period, the 50 ms
// tick in between, on the event loop as in the program.
void BM_ConnectedIdleCpu(benchmark::State& state) {
    SystemClock clock;
    InstantBus bus;
    ConnectionEngine* engine = nullptr;
    std::unique_ptr<RemoteLink> link;
    std::unique_ptr<ConnectionEngine> owned;
    if (connectOnce(bus, clock, "7850", &engine, &link, &owned) < 0) {
        state.SkipWithError("not connected");
        return;
    }
    const int seconds = int(state.range(0));
    double share = 0;
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        share = (cpuSeconds() - cpu0) / seconds * 100;
        state.SetIterationTime(seconds);
    }
    state.counters["cpu_percent_of_core"] = share;
    state.counters["keep_alive_cycles"] = link->counters.RepeatCount;
    state.counters["connected"] = engine->isConnected();
}
BENCHMARK(BM_ConnectedIdleCpu)->Arg(60)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
