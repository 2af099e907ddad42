// Read-all and write-all against the virtual unit served on a pseudo-terminal, in real time,
// through the serial component and the transfer engine as the program runs them. Reports the
// total time, the host's time per exchange beyond the wire, and the ratio to the 2400 Bd wire
// limit when the unit paces its bytes.
#include "link/AfComPort.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "params/MainState.h"
#include "platform/Messenger.h"
#include "platform/SystemClock.h"
#include "sim/UnitServer.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace lumo;
using Command = LocalTransferCommands::Command;

struct QuietMessenger : Messenger {
    void message(const QString&, const QString&) override {}
    bool ask(const QString&, const QString&, Icon, bool) override { return false; }
};
struct NoView : TransferView {
    QStringList messages;
    void setProgress(int) override {}
    void setIndicator(TransferIndicator) override {}
    void showMessage(const QString& text) override { messages << text; }
};
struct Yes : WriteConfirmation {
    Answer confirm(const UnitSnapshot&, ParameterSet&) override { return Answer::Ok; }
};

// Bytes on the wire, both directions, of the whole command (every exchange waits for the
// previous one, so the wire time is their sum at 10 bits a byte).
int wireBytes(Command command) {
    const int status = 1 + 8;
    if (command == Command::ReadAll)
        return status + (2 + 128) + 128 * (3 + 16);
    return status + (2 + 128 * 2) + 128 * (19 + 1);
}
int exchanges(Command command) {
    return command == Command::ReadAll ? 1 + 1 + 128 : 1 + 128 + 128;
}

void runCommand(benchmark::State& st, Command command, bool paced) {
    QTemporaryDir dir;
    sim::UnitServer server;
    sim::UnitServer::Options options;
    options.linkPath = dir.filePath("vexo");
    options.baudPacing = paced;
    QString error;
    if (!server.start(options, &error)) {
        st.SkipWithError(qPrintable(error));
        return;
    }
    SystemClock clock;
    MainState state;
    QuietMessenger messenger;
    NoView view;
    Yes yes;
    CodecTransferData data(state, &messenger);
    TAfComPort port;
    port.SetComNumber(1);
    port.SetDevicePath(server.devicePath());
    TransferSerialLink link(port);
    TransferEngine engine(clock, data, view);
    engine.setLink(&link);
    LocalTransferCommands commands(engine, state, messenger);
    commands.setConfirmation(&yes);

    double totalSeconds = 0;
    int runs = 0;
    for (auto _ : st) {
        QEventLoop loop;
        bool ok = false;
        const auto start = std::chrono::steady_clock::now();
        commands.run(command, [&](bool result) {
            ok = result;
            loop.quit();
        });
        loop.exec();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        st.SetIterationTime(seconds);
        totalSeconds += seconds;
        ++runs;
        if (!ok) {
            st.SkipWithError(qPrintable(view.messages.join("; ")));
            break;
        }
    }
    port.PortClose();
    if (runs == 0)
        return;
    const double mean = totalSeconds / runs;
    const double wire = paced ? wireBytes(command) * 10.0 / 2400.0 : 0.0;
    st.counters["total_s"] = mean;
    st.counters["host_ms_per_exchange"] = (mean - wire) * 1000.0 / exchanges(command);
    if (paced)
        st.counters["ratio_to_wire"] = mean / wire;
}

void BM_ReadAllInstant(benchmark::State& st) {
    runCommand(st, Command::ReadAll, false);
}
void BM_WriteAllInstant(benchmark::State& st) {
    runCommand(st, Command::WriteAll, false);
}
void BM_ReadAllPaced(benchmark::State& st) {
    runCommand(st, Command::ReadAll, true);
}
void BM_WriteAllPaced(benchmark::State& st) {
    runCommand(st, Command::WriteAll, true);
}

BENCHMARK(BM_ReadAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
