// Read-all and write-all against the virtual unit, in real time, through the transfer engine as
// the program runs it: over the serial component to the unit served on a pseudo-terminal, and
// over the program's USB cable code to the unit behind the virtual FTDI device. Reports the
// total time, the host's time per exchange beyond the wire, and, when the unit paces its bytes,
// the ratio to the 2400 Bd wire limit and to the least time the tick rules allow.
#include "link/AfComPort.h"
#include "link/FtdiApi.h"
#include "link/LocalLinkSettings.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/SystemClock.h"
#include "sim/UnitServer.h"
#include "sim/UnitUsbDevice.h"
#include "texts/Texts.h"
#include <QEventLoop>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>

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

enum class Cable { Serial, Usb };

// The least time the tick rules allow over a line paced at 2400 Bd, in seconds: the next
// request, block or byte goes out at a tick (every 10 ms on the serial port, 5 ms on the cable),
// and the cable's replies are seen at a tick too, while the serial port's complete replies are
// taken from the data event at once. The cable is opened with two settle pauses of 20 ms.
double tickBoundSeconds(Cable cable, Command command) {
    const double byteMs = 10.0 * 1000.0 / 2400.0;
    const double tick = cable == Cable::Usb ? 5.0 : 10.0;
    auto atTick = [&](double ms) { return std::ceil(ms / tick - 1e-9) * tick; };
    auto ending = [&](double ms) { return cable == Cable::Usb ? atTick(ms) : ms; };
    double ms = (cable == Cable::Usb ? 2 * 20.0 : 0.0) + ending(9 * byteMs);
    if (command == Command::ReadAll) {
        ms += ending(130 * byteMs) + 128 * atTick(19 * byteMs);
    } else {
        // "U" at the first tick, behind "W" "P" if they are still on the wire; then one byte a
        // tick after each "D"; the "Z" after the last byte ends the write.
        ms += atTick(std::max(tick, 2 * byteMs) + 2 * byteMs) + 126 * atTick(2 * byteMs) +
              ending(2 * byteMs);
        ms += 128 * atTick(20 * byteMs);
    }
    return ms / 1000.0;
}

// One link with its virtual unit: the unit on a pseudo-terminal behind the serial component, or
// behind the virtual FTDI device "Vexo-USB" through the program's cable code.
struct Rig {
    QTemporaryDir dir;
    sim::UnitServer server;
    TAfComPort port;
    std::unique_ptr<TransferSerialLink> serial;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::UnitUsbDevice> device;
    std::unique_ptr<TransferUsbLink> usb;

    bool start(Cable cable, bool paced, QString* error) {
        if (cable == Cable::Usb) {
            selectFtdiBackend(FtdiBackendKind::Virtual);
            sim::UnitUsbDevice::Timing timing;
            timing.baudPacing = paced;
            device = std::make_unique<sim::UnitUsbDevice>(unit, QString(), nullptr, timing);
            usb = std::make_unique<TransferUsbLink>();
            return true;
        }
        sim::UnitServer::Options options;
        options.linkPath = dir.filePath("vexo");
        options.baudPacing = paced;
        if (!server.start(options, error))
            return false;
        port.SetComNumber(1);
        port.SetDevicePath(server.devicePath());
        serial = std::make_unique<TransferSerialLink>(port);
        return true;
    }
    TransferLink* link() { return usb ? static_cast<TransferLink*>(usb.get()) : serial.get(); }
    void stop() {
        if (usb)
            usb->close();
        port.PortClose();
    }
};

void runCommand(benchmark::State& st, Cable cable, Command command, bool paced) {
    Rig rig;
    QString error;
    if (!rig.start(cable, paced, &error)) {
        st.SkipWithError(qPrintable(error));
        return;
    }
    SystemClock clock;
    ParameterModel model;
    LocalLinkState link;
    Texts texts;
    QuietMessenger messenger;
    NoView view;
    Yes yes;
    CodecTransferData data(model, texts, &messenger);
    TransferEngine engine(clock, data, view);
    engine.setLink(rig.link());
    LocalTransferCommands commands(engine, model, link, texts, messenger);
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
    engine.setLink(nullptr);
    rig.stop();
    if (runs == 0)
        return;
    const double mean = totalSeconds / runs;
    const double wire = paced ? wireBytes(command) * 10.0 / 2400.0 : 0.0;
    st.counters["total_s"] = mean;
    st.counters["host_ms_per_exchange"] = (mean - wire) * 1000.0 / exchanges(command);
    if (paced) {
        st.counters["ratio_to_wire"] = mean / wire;
        st.counters["ratio_to_tick_bound"] = mean / tickBoundSeconds(cable, command);
    }
}

void BM_ReadAllInstant(benchmark::State& st) {
    runCommand(st, Cable::Serial, Command::ReadAll, false);
}
void BM_WriteAllInstant(benchmark::State& st) {
    runCommand(st, Cable::Serial, Command::WriteAll, false);
}
void BM_ReadAllPaced(benchmark::State& st) {
    runCommand(st, Cable::Serial, Command::ReadAll, true);
}
void BM_WriteAllPaced(benchmark::State& st) {
    runCommand(st, Cable::Serial, Command::WriteAll, true);
}
void BM_UsbReadAllInstant(benchmark::State& st) {
    runCommand(st, Cable::Usb, Command::ReadAll, false);
}
void BM_UsbWriteAllInstant(benchmark::State& st) {
    runCommand(st, Cable::Usb, Command::WriteAll, false);
}
void BM_UsbReadAllPaced(benchmark::State& st) {
    runCommand(st, Cable::Usb, Command::ReadAll, true);
}
void BM_UsbWriteAllPaced(benchmark::State& st) {
    runCommand(st, Cable::Usb, Command::WriteAll, true);
}

BENCHMARK(BM_ReadAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsbReadAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsbWriteAllInstant)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsbReadAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsbWriteAllPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
