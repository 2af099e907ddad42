#include "platform/Version.h"
#include <QCoreApplication>
#include <cstdio>

// lumo-sim: serves a virtual unit or line box on a pseudo-terminal until stopped.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--version")) {
        std::printf("lumo-sim %s\n", qPrintable(lumo::programVersionText()));
        return 0;
    }
    std::printf("Usage: lumo-sim unit --pty-link PATH [--memory FILE] [--baud-pacing]\n");
    return args.value(0) == QLatin1String("--help") ? 0 : 2;
}
