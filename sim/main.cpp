#include "platform/SystemClock.h"
#include "platform/Version.h"
#include "sim/LineBoxServer.h"
#include "sim/UnitServer.h"
#include <QCoreApplication>
#include <QHash>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <unistd.h>

// lumo-sim: serves a virtual unit, or a virtual line box with a unit behind it, on a
// pseudo-terminal until stopped (SIGINT, SIGTERM or end of standard input is not needed: it
// runs until a signal).

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

const char* answerFaultUsage() {
    return "--fault spoils the unit's N-th answer (--fault-at, default 1; answers are the status\n"
           "and memory images and the letters \"D\", \"Z\" and \"E\", counted from 1 since "
           "start),\n"
           "or every answer from the N-th on with --fault-always. KIND is one of\n"
           "  silence  nothing is sent          short    the last byte is missing\n"
           "  long     one byte too many        e        \"E\" instead of the answer\n"
           "  garbage  the bytes 00 11 ff before the answer\n"
           "--vanish-after makes the device vanish after the N-th byte from the host (N >= 1):\n"
           "the pseudo-terminal is closed and its link removed, as a USB adapter pulled out;\n"
           "answers still due are lost.\n";
}

// The options of answerFaultUsage(): 1 when args[i] (with its value) was one of them, 0 when
// it is another option, -1 when its value is wrong.
int parseAnswerFault(const QStringList& args, int& i, lumo::sim::UnitServer::Options& options) {
    using Answer = lumo::sim::UnitFaults::Answer;
    auto& f = options.faults;
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    auto positive = [&](int* target) {
        if (!hasValue)
            return -1;
        bool ok = false;
        const int n = args[++i].toInt(&ok);
        if (!ok || n < 1)
            return -1;
        *target = n;
        return 1;
    };
    if (a == QLatin1String("--fault")) {
        static const QHash<QString, Answer> kinds{{QStringLiteral("silence"), Answer::Silence},
                                                  {QStringLiteral("short"), Answer::Short},
                                                  {QStringLiteral("long"), Answer::Long},
                                                  {QStringLiteral("e"), Answer::E},
                                                  {QStringLiteral("garbage"), Answer::Garbage}};
        if (!hasValue || !kinds.contains(args[i + 1]))
            return -1;
        f.answerFault = kinds.value(args[++i]);
        return 1;
    }
    if (a == QLatin1String("--fault-at"))
        return positive(&f.answerFaultAt);
    if (a == QLatin1String("--fault-always")) {
        f.answerFaultAlways = true;
        return 1;
    }
    if (a == QLatin1String("--vanish-after"))
        return positive(&options.vanishAfterBytes);
    return 0;
}

void usage(FILE* to) {
    std::fprintf(to, "Usage: lumo-sim unit [--pty-link PATH] [--memory FILE] [--baud-pacing]\n"
                     "                     [--unit-delay MS] [--silent] [--status-delta N]\n"
                     "                     [--settings-delta N] [--number-delta N]\n"
                     "                     [--read-error BLOCK[:TIMES]] [--write-error BLOCK]\n"
                     "                     [--settings-no-end] [--garbage HEX [--garbage-always]]\n"
                     "                     [--fault KIND [--fault-at N] [--fault-always]]\n"
                     "                     [--vanish-after N] [--drop-byte N]\n"
                     "       lumo-sim --help | --version\n"
                     "Serves a virtual Vexo unit on a pseudo-terminal and prints its device path.\n"
                     "--read-error answers number reads of BLOCK with \"E\" TIMES times (default: "
                     "always).\n");
    std::fputs(answerFaultUsage(), to);
    std::fputs(
        "--drop-byte loses the N-th memory byte the unit receives in writes (counted from 1\n"
        "over every write: the 127 settings bytes after the marker, then 16 per number\n"
        "memory): it is acknowledged as usual, but its cell keeps what it held.\n",
        to);
    std::fputs(lumo::sim::lineBoxUsage(), to);
}

// Runs the event loop until SIGINT or SIGTERM.
int serveUntilSignal(QCoreApplication& app) {
    if (::pipe(g_signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    return app.exec();
}

int runLineBox(QCoreApplication& app, const QStringList& args) {
    lumo::sim::LineBoxServer::Options options;
    QString error;
    if (!lumo::sim::parseLineBoxArguments(args, &options, &error)) {
        std::fprintf(stderr, "lumo-sim: %s\n", qPrintable(error));
        usage(stderr);
        return 2;
    }
    lumo::sim::LineBoxServer server;
    if (!server.start(options, &error)) {
        std::fprintf(stderr, "lumo-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.devicePath()));
    std::fflush(stdout);
    const int status = serveUntilSignal(app);
    server.stop();
    return status;
}

bool toInt(const QString& text, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--version")) {
        std::printf("lumo-sim %s\n", qPrintable(lumo::programVersionText()));
        return 0;
    }
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        usage(stdout);
        return 0;
    }
    if (args.value(0) == QLatin1String("linebox")) {
        // A test aid, as lumo-cli takes it: the box's line runs this many times fast, so that
        // a program on the same fast clock meets the same timing in a fraction of the time.
        if (const QByteArray scale = qgetenv("LUMO_TIME_SCALE"); !scale.isEmpty()) {
            bool ok = false;
            const int factor = scale.toInt(&ok);
            if (!ok || factor < 1 || factor > 1000) {
                std::fprintf(stderr,
                             "lumo-sim: LUMO_TIME_SCALE must be a whole number from 1 to 1000\n");
                return 2;
            }
            lumo::SystemClock::setTimeScale(factor);
        }
        return runLineBox(app, args.mid(1));
    }
    if (args.value(0) != QLatin1String("unit")) {
        usage(stderr);
        return 2;
    }
    args.removeFirst();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        usage(stdout);
        return 0;
    }

    lumo::sim::UnitServer::Options options;
    auto& f = options.faults;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const QString value = hasValue ? args[i + 1] : QString();
        bool ok = true;
        if (const int fault = parseAnswerFault(args, i, options); fault != 0)
            ok = fault > 0;
        else if (a == QLatin1String("--pty-link") && hasValue)
            options.linkPath = value, ++i;
        else if (a == QLatin1String("--memory") && hasValue)
            options.memoryFile = value, ++i;
        else if (a == QLatin1String("--baud-pacing"))
            options.baudPacing = true;
        else if (a == QLatin1String("--unit-delay") && hasValue)
            ok = toInt(value, &options.unitDelayMs) && options.unitDelayMs >= 0, ++i;
        else if (a == QLatin1String("--silent"))
            f.silent = true;
        else if (a == QLatin1String("--status-delta") && hasValue)
            ok = toInt(value, &f.statusDelta), ++i;
        else if (a == QLatin1String("--settings-delta") && hasValue)
            ok = toInt(value, &f.settingsDelta), ++i;
        else if (a == QLatin1String("--number-delta") && hasValue)
            ok = toInt(value, &f.numberDelta), ++i;
        else if (a == QLatin1String("--read-error") && hasValue) {
            const QStringList parts = value.split(QLatin1Char(':'));
            ok = toInt(parts[0], &f.readErrorBlock);
            f.readErrorTimes = -1;
            if (ok && parts.size() > 1)
                ok = toInt(parts[1], &f.readErrorTimes);
            ++i;
        } else if (a == QLatin1String("--write-error") && hasValue)
            ok = toInt(value, &f.writeErrorBlock), ++i;
        else if (a == QLatin1String("--drop-byte") && hasValue)
            ok = toInt(value, &f.dropWriteByte) && f.dropWriteByte >= 1, ++i;
        else if (a == QLatin1String("--settings-no-end"))
            f.settingsWriteNoEnd = true;
        else if (a == QLatin1String("--garbage") && hasValue) {
            f.garbage = QByteArray::fromHex(value.toLatin1());
            ok = !f.garbage.isEmpty();
            ++i;
        } else if (a == QLatin1String("--garbage-always"))
            f.garbageOnce = false;
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "lumo-sim: bad argument '%s'\n", qPrintable(a));
            usage(stderr);
            return 2;
        }
    }

    lumo::sim::UnitServer server;
    QString error;
    if (!server.start(options, &error)) {
        std::fprintf(stderr, "lumo-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.devicePath()));
    std::fflush(stdout);

    const int status = serveUntilSignal(app);
    server.stop();
    return status;
}
