// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics of a graph: per channel the maximum and minimum with the time each was first
// reached and the average, and for the chart its start time, sampling interval and number of
// points. Three ways to compute them: over a whole chart (a graph that has been filled), one
// sample at a time while the real-time graph records, and the averages when it stops. Their
// texts follow the user's regional formats. Nothing here needs a window: the results are
// written through IStatisticsBoxes, which the graph window implements.

#include "graph/ChartState.h"

#include <QString>

#include <array>
#include <optional>

// Y values at and above this are missing data (NullReading among them).
inline constexpr float kMissingThreshold = 9000.0f;
// Values beyond ±this are overload readings: never averaged, shown as "OL".
inline constexpr float kOverloadThreshold = 3000.0f;

struct ChannelStatistics {
    float maximum = -9999.0f;
    double timeOfMaximum = 0.0;
    float minimum = 9999.0f;
    double timeOfMinimum = 0.0;
    float sum = 0.0f;   // single precision, as the values
    int count = 0;

    // sum ÷ count; nullopt when nothing was counted.
    std::optional<double> average() const;
};

// The figures of a whole chart.
struct ChartStatistics {
    int points = 0;
    // X of subset 0, point 0; nullopt for a chart without points.
    std::optional<double> startTime;
    // The sampling interval rounded to whole seconds, as item indexes of the minutes box and
    // the seconds box; -1 leaves a box without a selection (61 minutes or more, an interval
    // that runs backwards, no points).
    int minutesIndex = -1;
    int secondsIndex = -1;
    // Channels T1 to T4; a channel the chart does not have keeps its initial values.
    std::array<ChannelStatistics, 4> channels{};
};

// Over every point of the chart, in point order: values below 9000 take part in maximum and
// minimum (strict comparisons, so the earliest of equal extremes keeps its time), values
// strictly between -3000 and 3000 in the average.
ChartStatistics computeChartStatistics(const ChartData& data);

// The running update of one channel with the value a at time t. Returns which extremes moved.
struct ExtremeChange {
    bool maximum = false;
    bool minimum = false;
};
ExtremeChange runningUpdate(ChannelStatistics& channel, float a, double t);

// The averages at a real-time stop: for each of the chart's subsets (at most 4) the values of
// points 0 to n - 1 strictly between -3000 and 3000, summed in double precision.
std::array<std::optional<double>, 4> averagesAtStop(const ChartData& data, int n);

// Texts of the statistic boxes.
namespace StatText {
inline const QString kOverload = QStringLiteral("OL");
inline const QString kNoAverage = QStringLiteral("****");
inline const QString kInitialAverage = QStringLiteral("***.* ");
// "OL" beyond ±3000, else the value with one decimal, "@", and the date and time.
QString extreme(float value, double time);
// The average with the given decimals, or "****".
QString average(const std::optional<double>& value, int decimals);
} // namespace StatText

// The boxes the statistics are shown in; channel is 0 for T1 to 3 for T4.
class IStatisticsBoxes {
public:
    virtual ~IStatisticsBoxes() = default;
    virtual void SetMaxText(int channel, const QString& text) = 0;     // txtT1Max ..
    virtual void SetMinText(int channel, const QString& text) = 0;     // txtT1Min ..
    virtual void SetAvgText(int channel, const QString& text) = 0;     // txtT1Avg ..
    virtual void SetStartTimeText(const QString& text) = 0;            // txtStartTime
    virtual void SetDataNoText(const QString& text) = 0;               // txtDataNo
    // The sampling-rate boxes' item indexes (minutes, seconds); -1 is no selection.
    virtual void SetRateIndexes(int minutesIndex, int secondsIndex) = 0;
};

// Shows a whole chart's statistics: the twelve boxes, the start time, the rate boxes and the
// number of points. A chart without points shows "OL" and "****", an empty start time and 0.
void showChartStatistics(const ChartStatistics& stats, IStatisticsBoxes& boxes);

// One real-time sample (channel T1 first): the MAX or MIN box of a channel is rewritten when its
// extreme moves. A missing value (9000 and above) moves nothing; no average.
void showRunningUpdate(std::array<ChannelStatistics, 4>& running, const std::array<float, 4>& values,
                       double t, IStatisticsBoxes& boxes);

// The four AVG boxes at a real-time stop, three decimals, "****" for a channel without values.
void showAveragesAtStop(const ChartData& data, int n, IStatisticsBoxes& boxes);

// Empties the twelve boxes (for T1 to T4 its MIN and MAX box, then the four AVG boxes).
void clearStatisticBoxes(IStatisticsBoxes& boxes);
