// SPDX-License-Identifier: GPL-3.0-or-later
// The report at full size: a graph of 4 x 99,999 readings (a noisy kiln run with missing readings
// and overloads) made into its PDF, as "Report..." and kolva-cli report make it. Counters: the
// PDF's bytes and pages.
#include "files/FileFixtures.h"
#include "report/ReportDocument.h"

#include <benchmark/benchmark.h>

#include <QLocale>

namespace {

void BM_ReportPdf(benchmark::State& state)
{
    const int n = int(state.range(0));
    ChartState chart = filefixtures::recordedChart(n, n);
    chart.unit = QStringLiteral("°C");
    chart.settings.axes[0].multiAxesProportions = 1.0;
    ReportSource source;
    source.title = QStringLiteral("Kiln firing 12");
    source.operatorName = QStringLiteral("A. Tester");
    source.chart = &chart;
    source.measured = {{QStringLiteral("Origin"), QStringLiteral("File kiln.ghf")}};
    QByteArray pdf;
    for (auto _ : state) {
        pdf = reportPdf(source, QLocale::c());
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["bytes"] = double(pdf.size());
}
BENCHMARK(BM_ReportPdf)->Arg(99999)->Unit(benchmark::kMillisecond);

} // namespace
