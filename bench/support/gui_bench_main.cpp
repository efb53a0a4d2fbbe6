// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark main for code that needs a QApplication: the offscreen platform unless a display
// is chosen.
#include "AppLifetime.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchsupport::endKeptWindows();
    return 0;
}
