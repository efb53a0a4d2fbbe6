// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readings of a chart as machine CSV samples: T1..T4 are its subsets 0..3, one sample per
// point up to the first point that was never filled (the rest of a real-time graph). A channel
// the chart does not have is missing in every sample. The export of a graph and the report's
// fingerprint both take a chart's readings from here, so they are the same bytes.

#include "files/MachineCsv.h"

#include <vector>

struct ChartState;
class ChartData;

// The number of points before the first one that was never filled (X 0 in subset 0).
int filledPoints(const ChartData& data);

std::vector<MachineSample> chartSamples(const ChartState& chart);
