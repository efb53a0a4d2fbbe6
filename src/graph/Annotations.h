// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The annotations the user puts on a chart: free text, crosses, the marker on a clicked data
// point and the maxima and minima written onto the graph. The rules here work on a chart's
// annotation list (changing it needs no rebuild of the chart's data) and the shared
// AnnotationState; the graph window turns mouse positions into data coordinates and redraws.

#include "graph/ChartState.h"
#include "graph/GraphSharedState.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <array>
#include <vector>
#include <optional>

namespace Annotations {

using List = std::vector<GraphAnnotation>;

// The index of the data point marker.
inline constexpr int kDataPointMarker = 2;

// Annotations can be drawn only on an unsplit chart: one axis with the whole height.
bool allowed(const ChartSettings& settings);

// Where a click in the given mode places an annotation, in the chart's pixels: the mouse point
// moved by 1 right and 7 down for text, 15 right and 15 down (the centre of the cross cursor)
// for a cross. nullopt in normal mode or when that point lies outside the plotting area
// (its edges count as inside).
std::optional<QPoint> clickPoint(AnnotationTool mode, QPoint lastMouse, const QRect& graphArea);

// The index a new annotation takes: past AnnotationCounter and past every annotation the chart
// shows, so that a chart opened from a file or placed in another run keeps what it holds. Hidden
// annotations (no text, no cross) and those a real-time clear moved to X 0, Y 0 may be reused.
int nextIndex(const List& list, const AnnotationState& shared);

// Places a new annotation at nextIndex() in the current colour, makes it the shared
// AnnotationCounter and returns it. An index past the chart's capacity is counted but not stored.
int add(List& list, AnnotationState& shared, int type, QPointF at, const QString& text);

// Hides annotation index (text only, empty text); its index stays used.
void hide(List& list, int index);

// Moves the data point marker onto point p of subset s: a black cross with the point's time of
// day and value. Nothing happens for a cell the chart does not have.
void markDataPoint(List& list, const ChartData& data, int s, int p);
// The marker's text: the time in the long time format, a carriage return, the value.
QString dataPointText(double x, float y);

// Gives annotations 0 to counter the colour.
void setColor(List& list, int counter, QRgb color);

// "T1 MAX:" + max + "MIN:" + min + "AVG:" + avg, the box texts as they stand.
QString maxMinText(int channel, const QString& max, const QString& min, const QString& avg);
// The pixel positions of the four lines of "Show MAX/MIN on Graph": 80 right of the plotting
// area's left edge and from 20 below its top, 20 apart.
std::array<QPoint, 4> maxMinPositions(const QRect& graphArea);

// The real-time clear: annotations 3 to AnnotationCounter move to X 0, Y 0 (outside any
// plotted time range) and the counter goes back to 3.
void clearRealTime(List& list, AnnotationState& shared);

} // namespace Annotations
