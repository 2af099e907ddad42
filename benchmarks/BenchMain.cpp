#include <QCoreApplication>

#include <benchmark/benchmark.h>

// The engines schedule their continuations on Qt timers, so every benchmark runs inside a
// Qt application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
