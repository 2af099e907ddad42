// The remote dialogs in real time, as the program runs them: the read dialog TForm11 and the
// write dialog TForm12 of the remote part on the system clock, against the simulator's line box
// with its usual line timing, in this process. Measures
//  - the longest delay of a 10 ms probe timer on the event loop while connecting, during a read
//    of the settings and some memories, and during a full write;
//  - the CPU time of the process over the write (the simulated box included, so an upper bound
//    for the program), as a share of one core.
// Not a test: it takes as long as the protocol, a full write about 16 minutes.
//   remote_gui_realtime [MEMORIES-TO-WRITE (default 128)] [MEMORIES-TO-READ (default 8)]
// Run it on a display (xvfb-run with QT_QPA_PLATFORM=xcb) to count the painting too.
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/SystemClock.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteWriteEngine.h"
#include "remote/ui/RemoteUi.h"
#include "remote/ui/TForm11.h"
#include "remote/ui/TForm12.h"
#include "shell/Shell.h"
#include "sim/LineBoxUsbDevice.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace {

using namespace lumo;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PrintingMessenger : public Messenger {
public:
    void message(const QString& text, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool ask(const QString&, const QString& text, Icon, bool) override {
        std::fprintf(stderr, "question (yes): %s\n", qPrintable(text));
        return true;
    }
};

class Window : public QMainWindow {
public:
    Window() {
        QMenu* n5 = menuBar()->addMenu(QStringLiteral("N5"));
        for (const char* n : {"Connect1", "Readdata1", "Writedata1", "Unconnect1"})
            n5->addAction(QString::fromLatin1(n))->setObjectName(QString::fromLatin1(n));
        for (const char* n : {"N6", "N8", "Connect2"}) {
            QMenu* m = menuBar()->addMenu(QString::fromLatin1(n));
            m->setObjectName(QString::fromLatin1(n));
            m->menuAction()->setObjectName(QString::fromLatin1(n));
        }
        resize(640, 400);
    }
};

// The longest time the 10 ms probe came late, per phase.
class Probe {
public:
    Probe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_since.isValid()) {
                const qint64 late = m_since.elapsed() - 10;
                m_worst = std::max(m_worst, late);
                if (late > 50) {
                    ++m_over50;
                    if (m_late.size() < 40)
                        m_late.push_back({m_phase.elapsed(), late});
                }
            }
            ++m_probes;
            m_since.restart();
        });
        m_timer.start(10);
    }
    void phase() {
        m_worst = 0;
        m_over50 = 0;
        m_probes = 0;
        m_late.clear();
        m_since.invalidate();
        m_phase.start();
    }
    // When in the phase the late probes came and how late, to tell a pattern (the same step of
    // every entry) from a machine busy elsewhere.
    void printLate() const {
        for (const auto& [at, late] : m_late)
            std::printf("  late probe at %.3f s: %lld ms\n", at / 1000.0, late);
    }
    qint64 worst() const { return m_worst; }
    qint64 probes() const { return m_probes; }
    // Probes more than 50 ms late.
    qint64 over50() const { return m_over50; }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    QElapsedTimer m_phase;
    std::vector<std::pair<qint64, qint64>> m_late;
    qint64 m_worst = 0;
    qint64 m_probes = 0;
    qint64 m_over50 = 0;
};

// The machine's load, since a probe that comes late may only have waited for a core.
QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2)
                                          : QString();
}

// Turns the event loop (sleeping between events) until `done` or the limit.
void runUntil(const std::function<bool()>& done, int limitS) {
    if (done())
        return;
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || t.elapsed() >= qint64(limitS) * 1000)
            loop.quit();
    });
    check.start(50);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int writeMemories = argc > 1 ? std::clamp(std::atoi(argv[1]), 0, 128) : 128;
    const int readMemories = argc > 2 ? std::clamp(std::atoi(argv[2]), 0, 128) : 8;

    selectFtdiBackend(FtdiBackendKind::Virtual);
    VirtualFtdiRegistry::instance().unplugAll();
    SystemClock clock;
    sim::VirtualUnit unit;
    sim::LineBoxUsbDevice device(clock, unit);
    PrintingMessenger messenger;
    ParameterModel model;
    Texts texts;
    Shell shell(clock, messenger, model, texts);
    Window window;
    window.show();
    RemoteUi part(&window, std::make_unique<FtdiBoxBus>());
    shell.addPart(part);
    Probe probe;

    RemoteLink& link = part.link();
    link.ListBoxDevices();
    link.setSelectedIndex(0);
    link.OpenBoxLink(link.boxSerial(0));
    QByteArray password;
    for (int position = 21; position <= 24; ++position) {
        const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
        password += code == 10 ? '0' : char('0' + code);
    }
    probe.phase();
    QElapsedTimer phase;
    phase.start();
    if (!part.engine().connect("0601234567", password)) {
        std::fprintf(stderr, "the connection did not start\n");
        return 1;
    }
    runUntil([&] { return part.engine().state() == ConnectionState::Quiet; }, 300);
    if (part.engine().state() != ConnectionState::Quiet) {
        std::fprintf(stderr, "not connected\n");
        return 1;
    }
    std::printf("connect: %.1f s, worst probe delay %lld ms (%lld probes, %lld over 50 ms), "
                "load %s\n",
                phase.elapsed() / 1000.0, probe.worst(), probe.probes(), probe.over50(),
                qPrintable(loadAverage()));
    probe.printLate();
    std::fflush(stdout);

    // A read of the settings and the first memories, in the read dialog.
    part.Readdata1Click();
    TForm11& reader = part.readDialog();
    reader.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
    for (int k = 1; k <= 128; ++k)
        reader.memoryBox(k)->setChecked(k <= readMemories);
    probe.phase();
    phase.restart();
    double cpu0 = cpuSeconds();
    reader.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    runUntil([&] { return !reader.isVisible(); }, 900);
    double cpu = cpuSeconds() - cpu0;
    std::printf("read (settings and %d memories): %.1f s, CPU %.2f s = %.3f %% of a core, worst "
                "probe delay %lld ms (%lld probes, %lld over 50 ms), load %s\n",
                readMemories, phase.elapsed() / 1000.0, cpu, cpu * 100 / (phase.elapsed() / 1000.0),
                probe.worst(), probe.probes(), probe.over50(), qPrintable(loadAverage()));
    probe.printLate();
    std::fflush(stdout);
    runUntil([&] { return part.engine().state() == ConnectionState::Quiet; }, 60);

    // A write of every group, the memories holding ten-digit numbers.
    for (int memory = 0; memory < 128; ++memory)
        model.params().setText(numberFieldName(memory),
                               memory < writeMemories
                                   ? QStringLiteral("06%1").arg(memory, 8, 10, QChar('0'))
                                   : QString());
    model.setCameFromUnitOrFile();
    part.Writedata1Click();
    TForm12& writer = part.writeDialog();
    if (!writer.isVisible()) {
        std::fprintf(stderr, "the write dialog did not open\n");
        return 1;
    }
    probe.phase();
    phase.restart();
    cpu0 = cpuSeconds();
    writer.Button1Click();
    runUntil([&] { return !part.writer().running(); }, 3600);
    cpu = cpuSeconds() - cpu0;
    const auto result = writer.lastResult();
    const bool done = result && result->outcome == RemoteWriteState::Done;
    std::printf("write (4 groups, %d memories): %s in %.1f s, CPU %.2f s = %.3f %% of a core, "
                "worst probe delay %lld ms (%lld probes, %lld over 50 ms), load %s\n",
                writeMemories, done ? "done" : "NOT DONE", phase.elapsed() / 1000.0, cpu,
                cpu * 100 / (phase.elapsed() / 1000.0), probe.worst(), probe.probes(),
                probe.over50(), qPrintable(loadAverage()));
    probe.printLate();
    std::fflush(stdout);
    writer.done(QDialog::Accepted);
    part.engine().cancel();
    runUntil([] { return false; }, 2);
    return done ? 0 : 1;
}
