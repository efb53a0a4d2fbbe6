// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart of a report, drawn with QPainter as vectors on a white background whatever the
// screen's colours: the panes of the split as on screen, the unit on the Y axes, the time on the
// X axis, a legend of the subset labels, the annotations of an unsplit chart and the measuring
// cursors when they are given. No charting library: the command line draws the same chart.
//
// A curve is drawn at the device's resolution: of the readings that fall into one device pixel
// column only the first, the smallest, the largest and the last are drawn, in the order they
// came, so the line drawn is exactly the one all readings would draw, with at most four points a
// column however many readings there are. Lines break at missing readings and where consecutive
// readings lie further apart than the chart's line gap.

#include "graph/ChartState.h"

#include <QColor>
#include <QFont>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QPainter;

// A linear map from data to device coordinates.
struct AxisMap {
    double from = 0.0;    // data value at the device position `to`
    double to = 0.0;
    double scale = 1.0;   // device units per data unit
    double operator()(double v) const { return to + (v - from) * scale; }
};

// The polylines of subset s over its first `points` points, in device coordinates, reduced per
// device pixel column (floor of the mapped X) to the first, smallest, largest and last reading.
std::vector<QPolygonF> decimatedCurve(const ChartData& data, int s, int points, double lineGap,
                                      const AxisMap& x, const AxisMap& y);

struct ReportPlotOptions {
    QFont font;                                          // labels; ticks a little smaller
    QString unit;                                        // on the Y axes; empty: not shown
    int points = -1;                                     // filled points; -1 all
    std::optional<std::pair<double, double>> cursors;    // A and B (days)
    QString emptyText = QStringLiteral("No readings to show");
};

// A subset colour that reads on white paper: colours near white are darkened.
QColor paperColor(QRgb screen);

// Draws the chart into area. True when at least one reading was drawn.
bool drawReportPlot(QPainter& painter, const QRectF& area, const ChartState& chart,
                    const ReportPlotOptions& options);
