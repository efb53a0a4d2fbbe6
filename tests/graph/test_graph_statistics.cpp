// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics of graphs over prepared charts: the whole-chart figures with their thresholds and
// texts, the sampling interval in the rate boxes, the running update of a recording and the
// averages at its stop, all without a window.
#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/GraphStatistics.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include <array>
#include <vector>

namespace {

constexpr double kSecond = DateTime::OneSecond;

double at(int h, int m, int s)
{
    return DateTime::fromQDateTime(QDateTime(QDate(2026, 9, 12), QTime(h, m, s)));
}

// A chart of `subsets` channels whose point p lies at start + p * step seconds, every value
// `fill`.
ChartData chart(int subsets, int points, double start, double stepSeconds, float fill = 20.0f)
{
    ChartData d;
    d.resize(subsets, points);
    for (int s = 0; s < subsets; ++s)
        for (int p = 0; p < points; ++p) {
            d.setX(s, p, start + p * stepSeconds * kSecond);
            d.setY(s, p, fill);
        }
    return d;
}

// What the window's boxes were given, and how often.
struct RecordedBoxes : IStatisticsBoxes {
    std::array<QString, 4> max, min, avg;
    std::array<int, 4> maxWrites{}, minWrites{};
    QString startTime = QStringLiteral("untouched"), dataNo = QStringLiteral("untouched");
    int minutes = -2, seconds = -2;
    QStringList order;
    void SetMaxText(int c, const QString& t) override
    {
        max[std::size_t(c)] = t;
        ++maxWrites[std::size_t(c)];
        order << QStringLiteral("max%1").arg(c);
    }
    void SetMinText(int c, const QString& t) override
    {
        min[std::size_t(c)] = t;
        ++minWrites[std::size_t(c)];
        order << QStringLiteral("min%1").arg(c);
    }
    void SetAvgText(int c, const QString& t) override
    {
        avg[std::size_t(c)] = t;
        order << QStringLiteral("avg%1").arg(c);
    }
    void SetStartTimeText(const QString& t) override { startTime = t; }
    void SetDataNoText(const QString& t) override { dataNo = t; }
    void SetRateIndexes(int m, int s) override
    {
        minutes = m;
        seconds = s;
    }
};

RecordedBoxes shown(const ChartData& d)
{
    RecordedBoxes boxes;
    showChartStatistics(computeChartStatistics(d), boxes);
    return boxes;
}

QString extremeAt(const char* value, double time)
{
    return QString::fromLatin1(value) + QLatin1Char('@') + LocaleText::dateTimeText(time);
}

} // namespace

TEST(ChartStatistics, MissingAndOverloadReadings)
{
    const double t0 = at(10, 0, 0);
    ChartData d = chart(4, 10, t0, 60);
    for (int p = 0; p < 10; ++p) {
        d.setY(1, p, NullReading);   // T2: nothing but missing readings
        d.setY(0, p, 20.0f + p);     // T1: 20 .. 29
    }
    d.setY(0, 4, 5000.0f);           // an overload reading becomes the maximum
    d.setY(2, 3, 3000.0f);           // exactly 3000 and -3000 are extremes, not averaged
    d.setY(2, 6, -3000.0f);
    d.setY(3, 2, 9000.0f);           // 9000 and more is missing data

    const RecordedBoxes b = shown(d);
    EXPECT_EQ(b.max[1], "OL");
    EXPECT_EQ(b.min[1], "OL");
    EXPECT_EQ(b.avg[1], "****");

    EXPECT_EQ(b.max[0], "OL");
    EXPECT_EQ(b.min[0], extremeAt("20.0", t0));
    // (20 + 21 + 22 + 23 + 25 + 26 + 27 + 28 + 29) / 9, 5000 left out
    EXPECT_EQ(b.avg[0], "24.6");

    EXPECT_EQ(b.max[2], extremeAt("3000.0", t0 + 3 * 60 * kSecond));
    EXPECT_EQ(b.min[2], extremeAt("-3000.0", t0 + 6 * 60 * kSecond));
    EXPECT_EQ(b.avg[2], "20.0");

    EXPECT_EQ(b.max[3], extremeAt("20.0", t0));
    EXPECT_EQ(b.avg[3], "20.0");
}

TEST(ChartStatistics, EqualExtremesKeepTheEarliestTime)
{
    const double t0 = at(10, 0, 0);
    ChartData d = chart(4, 11, t0, 60);
    d.setY(0, 0, 30.0f);   // 10:00:00
    d.setY(0, 5, 30.0f);   // 10:05:00
    d.setY(0, 2, 10.0f);   // 10:02:00
    d.setY(0, 9, 10.0f);   // 10:09:00
    const RecordedBoxes b = shown(d);
    EXPECT_EQ(b.max[0], extremeAt("30.0", at(10, 0, 0)));
    EXPECT_EQ(b.min[0], extremeAt("10.0", at(10, 2, 0)));
}

TEST(ChartStatistics, StartTimeIntervalAndPointCount)
{
    {
        // 101 points from 10:00:00 to 10:50:00: one every 30 seconds.
        const RecordedBoxes b = shown(chart(4, 101, at(10, 0, 0), 30));
        EXPECT_EQ(b.minutes, 0);
        EXPECT_EQ(b.seconds, 30);
        EXPECT_EQ(b.startTime, LocaleText::dateTimeText(at(10, 0, 0)));
        EXPECT_EQ(b.dataNo, "101");
    }
    {
        // 29.6 s rounds up to 30, 89.4 s down to 1:29.
        EXPECT_EQ(computeChartStatistics(chart(4, 3, at(9, 0, 0), 29.6)).secondsIndex, 30);
        const ChartStatistics s = computeChartStatistics(chart(4, 3, at(9, 0, 0), 89.4));
        EXPECT_EQ(s.minutesIndex, 1);
        EXPECT_EQ(s.secondsIndex, 29);
    }
    {
        // 61 minutes: the minutes box has no such item.
        const ChartStatistics s = computeChartStatistics(chart(4, 3, at(9, 0, 0), 61 * 60 + 5));
        EXPECT_EQ(s.minutesIndex, -1);
        EXPECT_EQ(s.secondsIndex, 5);
        EXPECT_EQ(computeChartStatistics(chart(4, 3, at(9, 0, 0), 60 * 60)).minutesIndex, 60);
    }
    {
        // One point: no interval.
        const ChartStatistics s = computeChartStatistics(chart(4, 1, at(9, 0, 0), 1));
        EXPECT_EQ(s.minutesIndex, 0);
        EXPECT_EQ(s.secondsIndex, 0);
    }
    {
        // Points days beyond any calendar apart (a damaged or crafted graph file): the seconds
        // box still gets an item it has.
        ChartData d = chart(4, 2, 0.0, 1);
        d.setX(0, 1, 1e300);
        const ChartStatistics s = computeChartStatistics(d);
        EXPECT_EQ(s.minutesIndex, -1);
        EXPECT_GE(s.secondsIndex, 0);
        EXPECT_LE(s.secondsIndex, 59);
    }
    {
        // Times that run backwards (a damaged file) leave both boxes without a selection.
        const ChartStatistics s = computeChartStatistics(chart(4, 5, at(9, 0, 0), -10));
        EXPECT_EQ(s.minutesIndex, -1);
        EXPECT_EQ(s.secondsIndex, -1);
    }
}

TEST(ChartStatistics, ChartsWithFewerSubsetsOrNoPointsShowWhatIsMissing)
{
    const RecordedBoxes two = shown(chart(2, 5, at(8, 0, 0), 1, 12.5f));
    EXPECT_EQ(two.max[1], extremeAt("12.5", at(8, 0, 0)));
    EXPECT_EQ(two.avg[1], "12.5");
    for (int j : {2, 3}) {
        EXPECT_EQ(two.max[std::size_t(j)], "OL");
        EXPECT_EQ(two.min[std::size_t(j)], "OL");
        EXPECT_EQ(two.avg[std::size_t(j)], "****");
    }

    const RecordedBoxes none = shown(chart(4, 0, 0, 1));
    EXPECT_EQ(none.startTime, "");
    EXPECT_EQ(none.dataNo, "0");
    EXPECT_EQ(none.minutes, -1);
    EXPECT_EQ(none.seconds, -1);
    for (std::size_t j = 0; j < 4; ++j) {
        EXPECT_EQ(none.max[j], "OL");
        EXPECT_EQ(none.avg[j], "****");
    }
}

TEST(ChartStatistics, TheAverageIsSummedInSinglePrecision)
{
    // 100,000 readings of 2999.9: a float sum loses most of the last additions' digits (its
    // step at 3e8 is 32), so the average is visibly not 2999.9.
    const int n = 100000;
    const ChartData d = chart(4, n, at(0, 0, 0), 1, 2999.9f);
    const ChannelStatistics c = computeChartStatistics(d).channels[0];
    float sum = 0;
    for (int i = 0; i < n; ++i)
        sum = sum + 2999.9f;
    EXPECT_EQ(c.count, n);
    EXPECT_EQ(c.sum, sum);
    ASSERT_TRUE(c.average());
    EXPECT_NE(LocaleText::fixed(*c.average(), 1), "2999.9");
    // The averages at a real-time stop are summed in double precision.
    EXPECT_EQ(LocaleText::fixed(*averagesAtStop(d, n)[0], 1), "2999.9");
}

TEST(ChartStatistics, TextsFollowTheUsersDecimalSeparator)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ChartData d = chart(4, 2, at(10, 15, 30), 1, 23.4f);
    const RecordedBoxes b = shown(d);
    EXPECT_TRUE(b.max[0].startsWith("23,4@")) << b.max[0].toStdString();
    EXPECT_EQ(b.max[0], QStringLiteral("23,4@") + LocaleText::dateTimeText(at(10, 15, 30)));
    EXPECT_EQ(b.avg[0], "23,4");
    QLocale::setDefault(before);
}

TEST(RunningStatistics, SamplesWriteTheBoxesOnlyWhenAnExtremeMoves)
{
    std::array<ChannelStatistics, 4> running{};
    RecordedBoxes boxes;
    const double t1 = at(10, 0, 0), t2 = at(10, 0, 2), t3 = at(10, 0, 4);
    showRunningUpdate(running, {21.5f, 5, 5, 5}, t1, boxes);
    showRunningUpdate(running, {22.0f, 5, 5, 5}, t2, boxes);
    showRunningUpdate(running, {21.5f, 5, 5, 5}, t3, boxes);

    EXPECT_EQ(boxes.maxWrites[0], 2);
    EXPECT_EQ(boxes.max[0], extremeAt("22.0", t2));
    EXPECT_EQ(boxes.minWrites[0], 1);
    EXPECT_EQ(boxes.min[0], extremeAt("21.5", t1)); // the equal third sample does not replace it
    EXPECT_EQ(boxes.maxWrites[1], 1);
    EXPECT_EQ(boxes.avg[0], ""); // no average while recording
    // T1 first, then T2, T3, T4.
    EXPECT_EQ(boxes.order.mid(0, 4), (QStringList{"max0", "min0", "max1", "min1"}));

    // A missing reading (an unplugged probe) is no extreme: the boxes keep what they show.
    showRunningUpdate(running, {NullReading, 5, 5, 5}, at(10, 0, 6), boxes);
    EXPECT_EQ(running[0].maximum, 22.0f);
    EXPECT_EQ(boxes.max[0], extremeAt("22.0", t2));
    EXPECT_EQ(boxes.maxWrites[0], 2);
    EXPECT_EQ(running[0].count, 0);
}

TEST(RunningStatistics, AveragesAtStopOverTheRecordedSamples)
{
    ChartData d = chart(4, 6, at(10, 0, 0), 2, NullReading);
    const float t1[] = {20.0f, 21.0f, 21.5f, 3500.0f, 40.0f, 40.0f};
    for (int p = 0; p < 6; ++p) {
        d.setY(0, p, t1[p]);
        d.setY(1, p, p < 3 ? 10.125f : 99.0f);
    }
    RecordedBoxes boxes;
    showAveragesAtStop(d, 4, boxes);   // points 0 to 3 only
    EXPECT_EQ(boxes.avg[0], "20.833");  // 3500 is an overload, left out
    EXPECT_EQ(boxes.avg[1], "32.344");  // (3 * 10.125 + 99) / 4
    EXPECT_EQ(boxes.avg[2], "****");    // missing readings only
    EXPECT_EQ(boxes.avg[3], "****");

    // Stopped before the first sample, or asked for more samples than the chart holds.
    RecordedBoxes empty;
    showAveragesAtStop(d, 0, empty);
    EXPECT_EQ(empty.avg[0], "****");
    RecordedBoxes all;
    showAveragesAtStop(d, 1000, all);
    EXPECT_EQ(all.avg[0], "28.500");

    RecordedBoxes cleared;
    clearStatisticBoxes(cleared);
    EXPECT_EQ(cleared.order, (QStringList{"min0", "max0", "min1", "max1", "min2", "max2", "min3",
                                          "max3", "avg0", "avg1", "avg2", "avg3"}));
    EXPECT_EQ(cleared.max[3], "");
}
