// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeping readings in view: the Y extent that fits a pane's data ("Fit Y"), the extent that
// follows the data while a recording runs (changed only now and then, so that the axes do not
// jump at every sample), and the data a pane cannot show because every one of its points lies
// above or below its Y extent. All of it works on the chart's data alone; the chart says which
// subsets a pane draws and which X range is in view.

#include "graph/ChartState.h"

#include <QString>

#include <optional>
#include <span>

struct YExtent {
    double lo = 0.0;
    double hi = 0.0;
    double span() const { return hi - lo; }
    bool contains(double v) const { return v >= lo && v <= hi; }
    bool operator==(const YExtent&) const = default;
};

namespace FitY {

// The smallest extent a fit gives: a steady reading is not blown up into a pane of noise.
inline constexpr double kMinSpan = 1.0;
// Room above and below the data after "Fit Y", as a share of their span.
inline constexpr double kFitMargin = 0.05;
// Room above and below the data when following them: more, and at least half a degree, so
// that a reading that keeps rising or falling moves the axes only every so often.
inline constexpr double kFollowMargin = 0.25;
inline constexpr double kFollowMinRoom = 0.5;
// While following, the extent stays as it is as long as it holds all the data and they fill at
// least this share of it.
inline constexpr double kFollowFill = 0.25;

// A value the chart draws and a fit takes into account: finite, not the chart's null value and
// not a missing reading (9000 and above).
bool counted(float y, float nullValue);

// The lowest and the highest value that the subsets draw at points whose X lies in
// [minX, maxX]; nullopt when there is none.
std::optional<YExtent> dataExtent(const ChartData& data, std::span<const int> subsets, double minX,
                                  double maxX);

// The data with `margin` × their span (at least minRoom) added above and below, centred on
// them; at least kMinSpan high before the room is added.
YExtent padded(YExtent data, double margin, double minRoom = 0.0);
// What "Fit Y" gives a pane.
inline YExtent fitted(YExtent data)
{
    return padded(data, kFitMargin);
}
// The next extent while following: nullopt keeps `shown` (none yet is never kept).
std::optional<YExtent> follow(const std::optional<YExtent>& shown, YExtent data);

// What a pane cannot show: filled only when none of its points in view lies within the extent.
struct OutOfView {
    std::optional<float> above;   // the lowest of the values above the extent
    std::optional<float> below;   // the highest of the values below it
    bool any() const { return above || below; }
    bool operator==(const OutOfView&) const = default;
};
OutOfView outOfView(const ChartData& data, std::span<const int> subsets, double minX,
                    double maxX, YExtent shown);
// The pane's note: "▲ 73.5 °C" (all above), "▼ -12.0" (all below, unit unknown), both parts
// when the points lie on either side; empty when nothing is out of view.
QString outOfViewText(const OutOfView& out, const QString& unit);

} // namespace FitY
