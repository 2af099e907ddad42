// Serial component over a pseudo-terminal:
//   - latency from a byte written by the peer to OnDataRecived on the owner (GUI) thread;
//   - CPU used by an open, idle port (LUMO_BENCH_IDLE_SECONDS, default 60).
#include "link/AfComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

struct Pty {
    int master = -1;
    QString slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty() { ::close(master); }
};

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_ByteToHandlerLatency(benchmark::State& state) {
    Pty pty;
    lumo::TAfComPort port;
    port.SetComNumber(1);
    port.SetDevicePath(pty.slave);
    port.SetBaudRate(lumo::TAfBaudrate::br2400);
    port.SetEventThreadPriority(lumo::TThreadPriority::tpHighest);
    bool received = false;
    port.OnDataRecived = [&](lumo::TAfCustomSerialPort*, int) {
        port.ReadAllWaiting();
        received = true;
    };
    port.PortOpen();
    std::vector<double> samples;
    for (auto _ : state) {
        received = false;
        const auto start = std::chrono::steady_clock::now();
        const char byte = 'D';
        if (::write(pty.master, &byte, 1) != 1)
            state.SkipWithError("peer write failed");
        while (!received)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
    port.PortClose();
    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        state.counters["median_us"] = samples[samples.size() / 2] * 1e6;
        state.counters["p99_us"] = samples[samples.size() * 99 / 100] * 1e6;
    }
}
BENCHMARK(BM_ByteToHandlerLatency)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

void BM_IdlePortCpu(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIsSet("LUMO_BENCH_IDLE_SECONDS")
                            ? qEnvironmentVariableIntValue("LUMO_BENCH_IDLE_SECONDS")
                            : 60;
    Pty pty;
    lumo::TAfComPort port;
    port.SetComNumber(1);
    port.SetDevicePath(pty.slave);
    port.SetBaudRate(lumo::TAfBaudrate::br2400);
    for (auto _ : state) {
        port.PortOpen();
        const double cpu0 = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
        QCoreApplication::exec();
        const double cpu = processCpuSeconds() - cpu0;
        const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
        port.PortClose();
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / elapsed;
        state.counters["idle_seconds"] = elapsed;
    }
}
BENCHMARK(BM_IdlePortCpu)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
