// SPDX-License-Identifier: GPL-3.0-or-later
// The graph window at full size: statistics over 4 x 99,999 points, and a window created,
// filled, given its statistics and shown, offscreen at 1600 x 900.
#include "graph/ChartFixtures.h"
#include "graph/FakeGraphHost.h"
#include "graph/TempFolder.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>
#include <vector>

namespace {

constexpr int Points = 99999;
using fixtures::Second;
using fixtures::Start;

// The data as SetDataArray takes them: element k is subset k mod 4, point k div 4.
struct Arrays {
    std::vector<double> x;
    std::vector<float> y;
    Arrays()
    {
        for (int p = 0; p < Points; ++p)
            for (int s = 0; s < 4; ++s) {
                x.push_back(Start + p * Second);
                y.push_back(fixtures::channelValue(s, p));
            }
    }
};

void BM_RefreshStatistics(benchmark::State& state)
{
    TempDataFolder data;
    FakeGraphHost host;
    TfrmGraph w(host, QStringLiteral("bench.ghf"));
    w.resize(1600, 900);
    fixtures::fillDefault(*w.Chart1, Points, Points);
    w.Chart1->Redraw();
    w.show();
    QApplication::processEvents();
    for (auto _ : state)
        w.RefreshStatistics();
}
BENCHMARK(BM_RefreshStatistics)->Unit(benchmark::kMillisecond);

void BM_GraphWindowShow(benchmark::State& state)
{
    TempDataFolder data;
    FakeGraphHost host;
    const Arrays arrays;
    for (auto _ : state) {
        auto w = std::make_unique<TfrmGraph>(host, QStringLiteral("bench.ghf"));
        w->resize(1600, 900);
        Chart& c = *w->Chart1;
        PrepareChart(c, 4, 100, -20, Start + Points * Second, Start, Points, host.prompts.message);
        c.SetXDataArray(arrays.x.data(), arrays.x.size());
        c.SetYDataArray(arrays.y.data(), arrays.y.size());
        c.Redraw();
        w->ApplySplitRule();
        w->RefreshStatistics();
        w->show();
        QApplication::processEvents(); // laid out and painted
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GraphWindowShow)->Unit(benchmark::kMillisecond);

} // namespace
