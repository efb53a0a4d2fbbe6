// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The complete state of one chart as plain data: the data cells, every setting and the
// annotations. The chart widget renders it, the chart image stores it, PrepareChart and the
// Y axis dialog work on it without a window.

#include "base/NullReading.h"

#include <QString>
#include <QtGui/qrgb.h>

#include <cstddef>
#include <utility>
#include <vector>

// Values of the chart's enumerated settings, named as the chart's users know them.
namespace sg {
// ManualScaleControlX / ManualScaleControlY
constexpr int sgNone = 0;
constexpr int sgManualMin = 1;
constexpr int sgManualMax = 2;
constexpr int sgManualMinAndMax = 3;

// The extent an axis shows: the data's lo and hi, with the ends its manual scale control fixes
// taken from manualMin and manualMax.
inline std::pair<double, double> manualExtent(int control, double manualMin, double manualMax,
                                              double lo, double hi)
{
    if (control == sgManualMin || control == sgManualMinAndMax)
        lo = manualMin;
    if (control == sgManualMax || control == sgManualMinAndMax)
        hi = manualMax;
    return {lo, hi};
}
// DateTimeMode
constexpr int sgNoDateTime = 0;
constexpr int sgVBDateTime = 1;
// GridStyle
constexpr int sgThin = 0;
constexpr int sgThick = 1;
constexpr int sgDot = 2;
constexpr int sgDash = 3;
// GridLineControl
constexpr int sgGridBoth = 0;
constexpr int sgGridY = 1;
constexpr int sgGridX = 2;
constexpr int sgGridNone = 3;
// AllowZooming
constexpr int sgNoZooming = 0;
constexpr int sgHorzZooming = 1;
constexpr int sgVertZooming = 2;
constexpr int sgHorzPlusVertZooming = 3;
// AllowDataLabels
constexpr int sgNoDataLabels = 0;
constexpr int sgDataLabels = 1;
// MultiAxesSeparators
constexpr int sgThinLine = 0;
constexpr int sgMediumLine = 1;
constexpr int sgThickLine = 2;
constexpr int sgNoSeparators = 3;
// ArrowCursor
constexpr int sgArrowCursor = 1;
constexpr int sgTextCursor = 2;
constexpr int sgCustomCursor = 3;
// GraphAnnotationType
constexpr int sgAnnotText = 0;
constexpr int sgAnnotCross = 2;
// PEactions
enum Action {
    sgResetImage = 0,
    sgInvalidateImage = 1,
    sgReinitAndReset = 2,
    sgUndoZoom = 3,
    sgCustomize = 4,
    sgPrintDialog = 5,
};
} // namespace sg

// Limits of one chart. They keep every size that a stored image can ask for bounded.
namespace ChartLimits {
constexpr int MaxSubsets = 64;
constexpr int MaxPoints = 4'000'000;
constexpr std::size_t MaxCells = 16'000'000;   // subsets × points
constexpr int MaxAxes = 16;
constexpr int MaxAnnotations = 100'000;
constexpr int MaxVertLines = 1'000;
} // namespace ChartLimits

constexpr float ChartNullReading = NullReading;

// Settings of one Y axis, addressed through WorkingAxis.
struct ChartAxis {
    int manualScaleControlY = sg::sgNone;
    double manualMinY = 0.0;
    double manualMaxY = 100.0;
    QString yAxisLabel;
    int multiAxesSubsets = 0;        // how many subsets this axis shows in a split chart
    double multiAxesProportions = 0; // its share of the height
    bool operator==(const ChartAxis&) const = default;
};

struct GraphAnnotation {
    int type = sg::sgAnnotText;
    double x = 0.0;
    double y = 0.0;
    QString text;
    QRgb color = qRgb(0, 0, 0);
    bool operator==(const GraphAnnotation&) const = default;
};

struct VertLineAnnotation {
    double x = 0.0;
    QString text;
    QRgb color = qRgb(0, 0, 0);
    bool operator==(const VertLineAnnotation&) const = default;
};

// Everything but the data: what the settings dialog edits.
struct ChartSettings {
    // Titles and labels.
    QString mainTitle;
    QString subTitle;
    QString xAxisLabel;
    std::vector<QString> subsetLabels;
    std::vector<QRgb> subsetColors;
    // Fonts as QFont::toString() descriptions; empty is the platform's default.
    QString mainTitleFont;
    QString subTitleFont;
    QString labelFont;
    // Look.
    int gridStyle = sg::sgThin;
    int gridLineControl = sg::sgGridBoth;
    QRgb graphForeColor = qRgb(128, 128, 128);
    QRgb graphBackColor = qRgb(255, 255, 255);
    QRgb deskColor = qRgb(240, 240, 240);
    QRgb textColor = qRgb(0, 0, 0);
    int lineWidth = 1;
    // X axis.
    int dateTimeMode = sg::sgNoDateTime;
    bool usingXDataII = false;
    int manualScaleControlX = sg::sgNone;
    double manualMinX = 0.0;
    double manualMaxX = 1.0;
    // Y axes and the split.
    int workingAxis = 0;
    std::vector<ChartAxis> axes = std::vector<ChartAxis>(ChartLimits::MaxAxes);
    int multiAxesSeparators = sg::sgThinLine;
    // Zoom.
    int allowZooming = sg::sgNoZooming;
    bool scrollingHorzZoom = false;
    bool scrollingVertZoom = false;
    // Annotations.
    bool showGraphAnnotations = true;
    int graphAnnotationTextSize = 100;
    bool allowGraphAnnotHotSpots = false;
    bool showVertLineAnnotations = false;
    bool allowVertLineAnnotHotSpots = false;
    int lineAnnotationTextSize = 100;
    // Behaviour.
    double lineGapThreshold = 1e20;   // consecutive points further apart in X are not joined
    int allowDataLabels = sg::sgNoDataLabels;
    bool allowDataHotSpots = false;
    bool subsetByPoint = true;
    bool prepareImages = false;
    bool noHelp = false;
    bool allowPopup = true;
    bool noRandomPointsToExport = false;
    bool focalRect = true;
    bool allowBar = true;
    int arrowCursor = sg::sgArrowCursor;
    // Pages of the settings dialog.
    bool allowAxisPage = true;
    bool allowFontPage = true;
    bool allowPage1 = true;
    bool allowPage2 = true;
    bool allowSubsetsPage = true;

    bool operator==(const ChartSettings&) const = default;

    ChartAxis& axis() { return axes[static_cast<std::size_t>(workingAxis)]; }
    const ChartAxis& axis() const { return axes[static_cast<std::size_t>(workingAxis)]; }
    QString subsetLabel(int s) const;    // "" when never set
    QRgb subsetColor(int s) const;       // a default colour when never set
};

// The data: Subsets × Points cells, subset-major (cell of subset s, point p at s × Points + p).
class ChartData {
public:
    int subsets() const { return subsets_; }
    int points() const { return points_; }
    float nullValue() const { return null_; }
    void setNullValue(float v) { null_ = v; }

    // Resizing keeps the cells that exist in both shapes; new cells hold X 0 and the null Y.
    // Throws std::invalid_argument past ChartLimits.
    void resize(int subsets, int points);
    // X 0 and the null Y in every cell.
    void reset();

    bool valid(int s, int p) const { return s >= 0 && s < subsets_ && p >= 0 && p < points_; }
    double x(int s, int p) const { return valid(s, p) ? x_[index(s, p)] : 0.0; }
    float y(int s, int p) const { return valid(s, p) ? y_[index(s, p)] : null_; }
    // Out-of-range writes are ignored.
    void setX(int s, int p, double v);
    void setY(int s, int p, float v);

    // Whole arrays: element k is subset k mod Subsets, point k div Subsets when subsetByPoint is
    // false; subset k div Points, point k mod Points when true. Extra elements are ignored.
    void setXArray(const double* values, std::size_t count, bool subsetByPoint);
    void setYArray(const float* values, std::size_t count, bool subsetByPoint);

    // Raw subset-major storage, for the chart image and the renderer.
    const std::vector<double>& xs() const { return x_; }
    const std::vector<float>& ys() const { return y_; }
    // Takes over storage of the right size (used by the image decoder).
    void adopt(int subsets, int points, std::vector<double> xs, std::vector<float> ys);

    bool operator==(const ChartData&) const = default;

private:
    std::size_t index(int s, int p) const
    {
        return static_cast<std::size_t>(s) * static_cast<std::size_t>(points_) +
               static_cast<std::size_t>(p);
    }
    template <class T, class Set>
    void setArray(const T* values, std::size_t count, bool subsetByPoint, Set set);

    int subsets_ = 1;
    int points_ = 0;
    float null_ = ChartNullReading;
    std::vector<double> x_;
    std::vector<float> y_;
};

struct ChartState {
    ChartData data;
    ChartSettings settings;
    std::vector<GraphAnnotation> graphAnnotations;
    std::vector<VertLineAnnotation> vertLineAnnotations;
    // The unit of the data as the meter or the data set gave it ("°C" or "°F"); empty where the
    // data do not say (a table turned into a graph, a graph file of the first format).
    QString unit;

    bool operator==(const ChartState&) const = default;
};

// Whether the chart's settings dialog has a page to show.
bool customizePagesOffered(const ChartSettings& s);

// The texts of ChartState::unit for the meter's two units.
QString chartUnit(bool celsius);

// Slot i of an indexed list, growing the list up to limit; nullptr past the limit or below 0.
template <class T>
T* growTo(std::vector<T>& list, int i, int limit)
{
    if (i < 0 || i >= limit)
        return nullptr;
    if (static_cast<std::size_t>(i) >= list.size())
        list.resize(static_cast<std::size_t>(i) + 1);
    return &list[static_cast<std::size_t>(i)];
}
