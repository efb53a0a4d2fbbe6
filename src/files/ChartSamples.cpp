// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ChartSamples.h"

#include "base/NullReading.h"
#include "base/TemperatureUnit.h"
#include "graph/ChartState.h"

namespace {
constexpr int kChannels = 4;
}

int filledPoints(const ChartData& data)
{
    for (int p = 0; p < data.points(); ++p)
        if (data.x(0, p) == 0.0)
            return p;
    return data.points();
}

std::vector<MachineSample> chartSamples(const ChartState& chart)
{
    const ChartData& d = chart.data;
    const int n = filledPoints(d);
    std::vector<MachineSample> samples;
    samples.reserve(std::size_t(n));
    const TemperatureUnit unit = unitFromText(chart.unit);
    for (int p = 0; p < n; ++p) {
        MachineSample s;
        s.time = d.x(0, p);
        s.unit = unit;
        for (int c = 0; c < kChannels; ++c) {
            const float y = d.y(c, p);
            s.values[std::size_t(c)] = c < d.subsets() && y != d.nullValue() ? y : NullReading;
        }
        samples.push_back(s);
    }
    return samples;
}
