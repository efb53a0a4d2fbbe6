// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Realistic chart content for the graph tests and the screenshot tool: four thermocouple
// channels sampled every second over an hour.

#include "graph/Chart.h"
#include "graph/GraphTemplate.h"

#include <cmath>

namespace fixtures {

// 2024-03-14 10:00:00 as days since 1899-12-30.
constexpr double Start = 45365.0 + 10.0 / 24.0;
constexpr double Second = 1.0 / 86400.0;

inline float channelValue(int s, int p)
{
    const double t = p / 3600.0;
    switch (s) {
    case 0: return static_cast<float>(21.0 + 2.0 * std::sin(t * 6.283) + 0.1 * std::sin(p * 0.7));
    case 1: return static_cast<float>(35.0 + 40.0 * (1 - std::exp(-t * 3)));
    case 2: return static_cast<float>(-5.0 + 3.0 * std::cos(t * 12.0));
    default: return static_cast<float>(60.0 - 20.0 * t + 2.0 * std::sin(p * 0.05));
    }
}

// The look PrepareChart gives a chart without a template, with points filled samples.
inline void fillDefault(Chart& chart, int points, int filled, float maxY = 100, float minY = -20)
{
    ChartState& st = chart.mutableState();
    st.data.setNullValue(ChartNullReading);
    st.data.resize(4, points);
    st.data.reset();
    applyChartDefaults(st.settings, 4, maxY, minY);
    st.settings.subsetByPoint = false;
    st.settings.manualScaleControlX = sg::sgManualMinAndMax;
    st.settings.manualMinX = Start;
    st.settings.manualMaxX = Start + points * Second;
    for (int p = 0; p < filled; ++p)
        for (int s = 0; s < 4; ++s) {
            st.data.setX(s, p, Start + p * Second);
            st.data.setY(s, p, channelValue(s, p));
        }
}

} // namespace fixtures
