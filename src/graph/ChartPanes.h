// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a chart is split into stacked panes: one pane per Y axis of the split, each showing the
// next MultiAxesSubsets subsets, with its share of the height. An unsplit chart is one pane with
// every subset. The chart widget and the report draw the same panes from this.

#include "graph/ChartState.h"

#include <vector>

struct ChartPane {
    int axis = 0;               // the Y axis whose settings the pane takes
    std::vector<int> subsets;   // the subsets drawn in it
    double share = 1.0;         // its part of the height; the shares add up to 1
};

std::vector<ChartPane> chartPanes(const ChartState& state);
