// SPDX-License-Identifier: GPL-3.0-or-later
// The measuring figures at full size: all of them (a threshold, a band and a base set) for 4
// channels of 99,999 points, one sample a second, with the cursors at the first and the last.
#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/SpanMeasure.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int Points = 99999;
constexpr double Start = 45365.0 + 10.0 / 24.0;

struct Channels {
    std::vector<double> x;
    std::vector<std::vector<float>> y;
    std::vector<ChannelSeries> series;
    Channels()
    {
        for (int p = 0; p < Points; ++p)
            x.push_back(Start + p * DateTime::OneSecond);
        y.resize(4);
        for (int s = 0; s < 4; ++s)
            for (int p = 0; p < Points; ++p) {
                const double t = p / 3600.0;
                float v = float(40 + 30 * std::sin(t * (s + 1)) + 0.2 * std::sin(p * 0.7));
                if (s == 3 && p % 5000 < 40) // stretches of missing readings
                    v = NullReading;
                y[std::size_t(s)].push_back(v);
            }
        for (const auto& values : y)
            series.push_back({x, values});
    }
};

void BM_MeasureSpan(benchmark::State& state)
{
    const Channels c;
    MeasureOptions o;
    o.threshold = 50;
    o.bandLow = 20;
    o.bandHigh = 60;
    o.base = 30;
    for (auto _ : state)
        benchmark::DoNotOptimize(measureSpan(c.series, c.x.front(), c.x.back(), o));
}
BENCHMARK(BM_MeasureSpan)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
