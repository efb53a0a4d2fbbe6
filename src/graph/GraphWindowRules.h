// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rules of the graph window that need no window: its role by caption, the mouse read-out text
// and what "Graph Option" does to the scales after the chart's settings dialog.

#include "graph/ChartState.h"

#include <QString>

// Real-time ("Real-Time Graph"), logger ("DataLogger") or plain (any other caption: a file
// name, a table's caption).
enum class GraphRole { RealTime, Logger, Plain };

inline const QString kRealTimeCaption = QStringLiteral("Real-Time Graph");
inline const QString kLoggerCaption = QStringLiteral("DataLogger");

GraphRole graphRoleOf(const QString& caption);

// The read-out under the mouse: the value with one decimal, "@", the time of day in the long
// time format (23.4@10:15:30).
QString readOutText(double x, double y);

// After the chart's settings dialog: the X extent fixed at minX..maxX (the ends it had before
// the dialog) and every axis 0 .. subsets - 1 fixed at the Y extent of the working axis, read
// as 32-bit floats. The working axis is 0 afterwards.
void shareWorkingAxisExtent(ChartSettings& settings, int subsets, double minX, double maxX);
