// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/ChartPanes.h"

std::vector<ChartPane> chartPanes(const ChartState& state)
{
    const ChartSettings& s = state.settings;
    const int subsets = state.data.subsets();
    std::vector<ChartPane> plan;
    const bool split = s.axes[0].multiAxesProportions != 1.0 && s.axes[0].multiAxesSubsets > 0;
    if (split) {
        int next = 0;
        for (int axis = 0; axis < ChartLimits::MaxAxes && next < subsets; ++axis) {
            const ChartAxis& a = s.axes[static_cast<std::size_t>(axis)];
            if (a.multiAxesSubsets <= 0)
                break;
            ChartPane p;
            p.axis = axis;
            p.share = a.multiAxesProportions;
            for (int k = 0; k < a.multiAxesSubsets && next < subsets; ++k)
                p.subsets.push_back(next++);
            plan.push_back(std::move(p));
        }
        // Subsets that no axis claims join the last pane.
        for (; next < subsets; ++next)
            plan.back().subsets.push_back(next);
        double total = 0;
        for (const ChartPane& p : plan)
            total += p.share;
        for (ChartPane& p : plan)
            p.share = total > 0 ? p.share / total : 1.0 / static_cast<double>(plan.size());
    }
    if (plan.size() <= 1) {
        plan.assign(1, ChartPane{});
        for (int k = 0; k < subsets; ++k)
            plan[0].subsets.push_back(k);
    }
    return plan;
}
