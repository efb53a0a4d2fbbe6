// SPDX-License-Identifier: GPL-3.0-or-later
// The chart at full size: 4 subsets × 99,999 points in a 1600 × 900 widget, offscreen.
#include "graph/ChartFixtures.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Points = 99999;
using fixtures::Second;
using fixtures::Start;

std::unique_ptr<Chart> fullChart(int filled)
{
    auto chart = std::make_unique<Chart>();
    chart->resize(1600, 900);
    chart->show();
    fixtures::fillDefault(*chart, Points, filled);
    chart->Redraw();
    return chart;
}

void BM_ChartRedraw(benchmark::State& state)
{
    auto chart = fullChart(Points);
    for (auto _ : state) {
        // A settings change forces the whole picture to be drawn again.
        chart->SetMainTitle(state.iterations() % 2 ? QStringLiteral("a") : QStringLiteral("b"));
        chart->Redraw();
    }
}
BENCHMARK(BM_ChartRedraw)->Unit(benchmark::kMillisecond);

// For comparison: every graph's data rebuilt from the chart state.
void BM_ChartRebuildAll(benchmark::State& state)
{
    auto chart = fullChart(Points);
    for (auto _ : state)
        chart->PEactions(sg::sgReinitAndReset);
}
BENCHMARK(BM_ChartRebuildAll)->Unit(benchmark::kMillisecond);

void BM_ChartAppendRedraw(benchmark::State& state)
{
    const int filled = Points - 20000;
    auto chart = fullChart(filled);
    int p = filled;
    for (auto _ : state) {
        if (p >= Points) {
            state.PauseTiming();
            for (int s = 0; s < 4; ++s)
                for (int q = filled; q < Points; ++q) {
                    chart->SetXDataII(s, q, 0);
                    chart->SetYData(s, q, ChartNullReading);
                }
            chart->PEactions(sg::sgReinitAndReset);
            p = filled;
            state.ResumeTiming();
        }
        for (int s = 0; s < 4; ++s) {
            chart->SetXDataII(s, p, Start + p * Second);
            chart->SetYData(s, p, 25.0f + s);
        }
        chart->Redraw();
        ++p;
    }
}
BENCHMARK(BM_ChartAppendRedraw)->Unit(benchmark::kMillisecond);

void BM_ChartStoreImage(benchmark::State& state)
{
    auto chart = fullChart(Points);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart->StoreChartImage());
}
BENCHMARK(BM_ChartStoreImage)->Unit(benchmark::kMillisecond);

void BM_ChartLoadImage(benchmark::State& state)
{
    auto chart = fullChart(Points);
    const QByteArray image = chart->StoreChartImage();
    for (auto _ : state)
        chart->LoadChartImage(image);
}
BENCHMARK(BM_ChartLoadImage)->Unit(benchmark::kMillisecond);

// "Fit Y" itself: the Y extent of each of the four panes from its 99,999 points in view.
void BM_FitY(benchmark::State& state)
{
    auto chart = fullChart(Points);
    const ChartData& data = chart->state().data;
    const double minX = chart->ManualMinX();
    const double maxX = chart->ManualMaxX();
    for (auto _ : state) {
        for (int s = 0; s < 4; ++s) {
            const int pane[] = {s};
            const auto extent = FitY::dataExtent(data, pane, minX, maxX);
            benchmark::DoNotOptimize(extent ? FitY::fitted(*extent) : YExtent{});
        }
    }
}
BENCHMARK(BM_FitY)->Unit(benchmark::kMillisecond);

// The button as the user sees it: the fit, the notes of panes out of view and the redraw.
void BM_FitYRedraw(benchmark::State& state)
{
    auto chart = fullChart(Points);
    for (auto _ : state) {
        chart->FitY();
        state.PauseTiming();
        chart->UndoZoom();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FitYRedraw)->Unit(benchmark::kMillisecond);

} // namespace
