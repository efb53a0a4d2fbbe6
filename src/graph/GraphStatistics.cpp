// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphStatistics.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"

#include <algorithm>
#include <cmath>

std::optional<double> ChannelStatistics::average() const
{
    if (count <= 0)
        return std::nullopt;
    return double(sum) / count;
}

namespace {

bool countsForAverage(float y)
{
    return y > -kOverloadThreshold && y < kOverloadThreshold;
}

// The interval between points 0 and N - 1 of subset 0, in whole seconds, as box indexes.
void rateIndexes(const ChartData& data, ChartStatistics& out)
{
    const int n = data.points();
    const double interval =
        n > 1 ? (data.x(0, n - 1) - data.x(0, 0)) / double(n - 1) : 0.0;
    const double seconds = std::trunc(interval * DateTime::SecondsPerDay + 0.5);
    if (!std::isfinite(seconds) || seconds < 0) {
        out.minutesIndex = out.secondsIndex = -1;
        return;
    }
    const double minutes = std::floor(seconds / 60.0);
    constexpr double kLastMinutesItem = 60; // the box lists "00" to "60"
    out.minutesIndex = minutes <= kLastMinutesItem ? int(minutes) : -1;
    // The remainder is exact at any size; a difference with the rounded minutes is not, and
    // points days beyond any calendar apart (a damaged file) would take it past int.
    out.secondsIndex = int(std::fmod(seconds, 60.0));
}

} // namespace

ChartStatistics computeChartStatistics(const ChartData& data)
{
    ChartStatistics out;
    const int n = data.points();
    out.points = n;
    if (n <= 0)
        return out;
    out.startTime = data.x(0, 0);
    rateIndexes(data, out);

    // The channels are independent, so each is scanned on its own over its contiguous cells;
    // within a channel the points go in order, which keeps the earliest extreme and the
    // single-precision sum exactly as a point-by-point scan would have them.
    const int channels = std::min(data.subsets(), 4);
    for (int j = 0; j < channels; ++j) {
        const std::size_t base = std::size_t(j) * std::size_t(n);
        const double* xs = data.xs().data() + base;
        const float* ys = data.ys().data() + base;
        ChannelStatistics& c = out.channels[std::size_t(j)];
        for (int i = 0; i < n; ++i) {
            const float y = ys[i];
            if (y < kMissingThreshold) {
                if (y > c.maximum) {
                    c.maximum = y;
                    c.timeOfMaximum = xs[i];
                }
                if (y < c.minimum) {
                    c.minimum = y;
                    c.timeOfMinimum = xs[i];
                }
            }
            if (countsForAverage(y)) {
                c.sum = c.sum + y;
                ++c.count;
            }
        }
    }
    return out;
}

ExtremeChange runningUpdate(ChannelStatistics& channel, float a, double t)
{
    ExtremeChange change;
    // A sample without a value (an unplugged probe, a reading over range) is no extreme.
    if (a >= kMissingThreshold)
        return change;
    if (a > channel.maximum) {
        channel.maximum = a;
        channel.timeOfMaximum = t;
        change.maximum = true;
    }
    if (a < channel.minimum) {
        channel.minimum = a;
        channel.timeOfMinimum = t;
        change.minimum = true;
    }
    return change;
}

std::array<std::optional<double>, 4> averagesAtStop(const ChartData& data, int n)
{
    std::array<std::optional<double>, 4> out{};
    const int points = std::clamp(n, 0, data.points());
    const int channels = std::min(data.subsets(), 4);
    for (int j = 0; j < channels; ++j) {
        double sum = 0;
        int count = 0;
        for (int i = 0; i < points; ++i) {
            const float y = data.y(j, i);
            if (countsForAverage(y)) {
                sum += y;
                ++count;
            }
        }
        if (count > 0)
            out[std::size_t(j)] = sum / count;
    }
    return out;
}

namespace StatText {

QString extreme(float value, double time)
{
    if (value > kOverloadThreshold || value < -kOverloadThreshold)
        return kOverload;
    return LocaleText::fixed(value, 1) + QLatin1Char('@') + LocaleText::dateTimeText(time);
}

QString average(const std::optional<double>& value, int decimals)
{
    return value ? LocaleText::fixed(*value, decimals) : kNoAverage;
}

} // namespace StatText

void showChartStatistics(const ChartStatistics& stats, IStatisticsBoxes& boxes)
{
    boxes.SetStartTimeText(stats.startTime ? LocaleText::dateTimeText(*stats.startTime) : QString());
    boxes.SetRateIndexes(stats.minutesIndex, stats.secondsIndex);
    boxes.SetDataNoText(QString::number(stats.points));
    for (int j = 0; j < 4; ++j) {
        const ChannelStatistics& c = stats.channels[std::size_t(j)];
        boxes.SetMaxText(j, StatText::extreme(c.maximum, c.timeOfMaximum));
        boxes.SetMinText(j, StatText::extreme(c.minimum, c.timeOfMinimum));
        boxes.SetAvgText(j, StatText::average(c.average(), 1));
    }
}

void showRunningUpdate(std::array<ChannelStatistics, 4>& running, const std::array<float, 4>& values,
                       double t, IStatisticsBoxes& boxes)
{
    for (int j = 0; j < 4; ++j) {
        ChannelStatistics& c = running[std::size_t(j)];
        const ExtremeChange change = runningUpdate(c, values[std::size_t(j)], t);
        if (change.maximum)
            boxes.SetMaxText(j, StatText::extreme(c.maximum, c.timeOfMaximum));
        if (change.minimum)
            boxes.SetMinText(j, StatText::extreme(c.minimum, c.timeOfMinimum));
    }
}

void showAveragesAtStop(const ChartData& data, int n, IStatisticsBoxes& boxes)
{
    const auto averages = averagesAtStop(data, n);
    for (int j = 0; j < 4; ++j)
        boxes.SetAvgText(j, StatText::average(averages[std::size_t(j)], 3));
}

void clearStatisticBoxes(IStatisticsBoxes& boxes)
{
    for (int j = 0; j < 4; ++j) {
        boxes.SetMinText(j, QString());
        boxes.SetMaxText(j, QString());
    }
    for (int j = 0; j < 4; ++j)
        boxes.SetAvgText(j, QString());
}
