#include "cli/CommandTable.h"
#include "platform/SystemClock.h"
#include "platform/Version.h"
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace lumo::cli {

static void printUsage() {
    printOut(QStringLiteral("Usage: lumo-cli COMMAND [ARGUMENTS]\n"
                            "       lumo-cli --help | --version\n\nCommands:"));
    std::vector<Command> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : sorted)
        printOut(QStringLiteral("  lumo-cli ") + c.synopsis);
    printOut(QStringLiteral("\nlumo-cli COMMAND --help shows the full help of a command."));
    printOut(QStringLiteral("Every command takes --lang PACK.lng: its messages (standard error) "
                            "then come from that language pack instead of the built-in Czech "
                            "texts."));
    printOut(QStringLiteral("\nExit status: 0 success, 1 failure (message on standard error), "
                            "2 wrong usage."));
}

} // namespace lumo::cli

int main(int argc, char** argv) {
    using namespace lumo::cli;
    // Commands that draw need fonts, so a GUI application object, on the headless platform
    // unless the caller chose one.
    bool gui = false;
    if (argc > 1)
        for (const Command& c : commands())
            gui = gui || (c.needsGui && c.name == QString::fromLocal8Bit(argv[1]));
    std::unique_ptr<QCoreApplication> app;
    if (gui) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // A test aid: the clocks of the link run this many times fast, so that a test of a minute
    // of time-outs takes seconds. Not for use with a real unit.
    if (const QByteArray scale = qgetenv("LUMO_TIME_SCALE"); !scale.isEmpty()) {
        bool ok = false;
        const int factor = scale.toInt(&ok);
        if (!ok || factor < 1 || factor > 1000) {
            printErr(QStringLiteral("lumo-cli: LUMO_TIME_SCALE must be a whole number from 1 "
                                    "to 1000"));
            return Usage;
        }
        lumo::SystemClock::setTimeScale(factor);
    }
    QStringList args = app->arguments().mid(1);
    if (args.isEmpty()) {
        printUsage();
        return Usage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        printUsage();
        return Success;
    }
    if (name == QLatin1String("--version")) {
        printOut(QStringLiteral("lumo-cli ") + lumo::programVersionText());
        return Success;
    }
    for (const Command& c : commands()) {
        if (c.name != name)
            continue;
        // Asked for help anywhere on the line: no argument is taken as a file name then.
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            printOut(QStringLiteral("Usage: lumo-cli ") + c.synopsis);
            const QString help = commandHelp(c.name);
            if (!help.isEmpty())
                printOut(QLatin1Char('\n') + help);
            return Success;
        }
        // --lang PACK anywhere on the line chooses the language of every message of the run.
        if (const qsizetype at = args.indexOf(QLatin1String("--lang")); at >= 0) {
            if (at + 1 >= args.size() || args.indexOf(QLatin1String("--lang"), at + 2) >= 0)
                return usage(c.synopsis);
            if (useLanguagePack(args[at + 1]) != Success)
                return c.failureStatus;
            args.remove(at, 2);
        }
        return c.run(args);
    }
    printErr(QStringLiteral("lumo-cli: unknown command '%1' (see lumo-cli --help)").arg(name));
    return Usage;
}
