// Writes the nine signalling-tone WAVE files of the tone samples dialog into a folder:
//   lumo-tonegen OUTPUT-FOLDER      (or --list to print the tones and their cadences)
#include "tonegen/SignalTones.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    using lumo::tones::signalTones;
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumo-tonegen OUTPUT-FOLDER | --list\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    if (target == QLatin1String("--list")) {
        for (const auto& tone : signalTones())
            std::printf("%-16s %5d ms  %s\n", qPrintable(tone.fileName),
                        lumo::wave::durationMs(tone.segments), qPrintable(tone.description));
        return 0;
    }
    if (!QDir().mkpath(target)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const auto& tone : signalTones()) {
        QFile file(QDir(target).filePath(tone.fileName));
        const QByteArray bytes = lumo::wave::synthesise(tone.segments);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
