// SPDX-License-Identifier: GPL-3.0-or-later
// The measuring figures on synthetic curves whose answers are known in closed form: a ramp, a
// sine, steps through a band, gaps of missing readings, and the edges of the span.
#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/ChartState.h"
#include "graph/MeasureTable.h"
#include "graph/SpanMeasure.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace {

constexpr double kStart = 45365.0 + 10.0 / 24.0; // 2024-03-14 10:00:00
constexpr double kSecond = DateTime::OneSecond;

double at(double seconds)
{
    return kStart + seconds * kSecond;
}

// One channel sampled every `step` seconds from 0 to `last` seconds.
struct Curve {
    std::vector<double> x;
    std::vector<float> y;
    Curve(double last, double step, const std::function<double(double)>& f)
    {
        for (double t = 0; t <= last + 1e-9; t += step) {
            x.push_back(at(t));
            y.push_back(float(f(t)));
        }
    }
    ChannelSeries series() const { return {x, y}; }
    // The readings from `from` to `to` seconds (inclusive) go missing.
    void miss(double from, double to)
    {
        for (std::size_t i = 0; i < x.size(); ++i)
            if (x[i] >= at(from) - 1e-9 && x[i] <= at(to) + 1e-9)
                y[i] = NullReading;
    }
};

ChannelMeasure measureOne(const Curve& c, double fromSeconds, double toSeconds,
                          const MeasureOptions& o = {})
{
    const ChannelSeries s = c.series();
    const SpanMeasure m = measureSpan({&s, 1}, at(fromSeconds), at(toSeconds), o);
    return m.channels.at(0);
}

double seconds(double days)
{
    return (days - kStart) / kSecond;
}

// 20 degrees at 0 s, rising half a degree a second: exact in single precision.
double ramp(double t)
{
    return 20.0 + 0.5 * t;
}

} // namespace

TEST(SpanMeasure, RampGivesItsSlopeAndEveryFigureInClosedForm)
{
    const Curve c(1000, 1, ramp);
    MeasureOptions o;
    o.threshold = 220;
    o.bandLow = 145;
    o.bandHigh = 295;
    o.base = 70;
    const ChannelMeasure m = measureOne(c, 100, 700, o);

    EXPECT_DOUBLE_EQ(*m.atA, 70);
    EXPECT_DOUBLE_EQ(*m.atB, 370);
    EXPECT_DOUBLE_EQ(*m.delta, 300);
    EXPECT_NEAR(*m.meanSlope, 30.0, 1e-6);
    // Every least-squares window of a straight line has the line's slope (to the microsecond
    // that times kept in days are rounded to).
    EXPECT_NEAR(m.steepestRise->value, 30.0, 1e-5);
    EXPECT_NEAR(m.steepestFall->value, 30.0, 1e-5);
    // Of equal slopes the earliest window counts: the first one, 100 s to 160 s.
    EXPECT_NEAR(seconds(m.steepestRise->time), 130, 1e-3);
    EXPECT_NEAR(seconds(m.steepestFall->time), 130, 1e-3);
    EXPECT_DOUBLE_EQ(m.maximum->value, 370);
    EXPECT_NEAR(seconds(m.maximum->time), 700, 1e-3);
    EXPECT_DOUBLE_EQ(m.minimum->value, 70);
    EXPECT_NEAR(seconds(m.minimum->time), 100, 1e-3);
    EXPECT_DOUBLE_EQ(*m.average, 220);
    EXPECT_EQ(m.readings, 601);
    // 220 is passed at 400 s: half the span above, half below.
    EXPECT_NEAR(*m.secondsAbove, 300, 1e-4);
    EXPECT_NEAR(*m.secondsBelow, 300, 1e-4);
    EXPECT_EQ(m.crossings, 1);
    EXPECT_NEAR(seconds(*m.firstCrossing), 400, 1e-3);
    EXPECT_NEAR(seconds(*m.lastCrossing), 400, 1e-3);
    // Inside 145..295 from 250 s to 550 s, then out of it for good.
    EXPECT_NEAR(*m.secondsInBand, 300, 1e-4);
    EXPECT_EQ(*m.excursions, 1);
    // A triangle 300 degrees high over 600 s above the base of 70.
    EXPECT_NEAR(*m.degreeMinutes, 0.5 * 300 * 600 / 60.0, 1e-4);
    EXPECT_NEAR(m.countedSeconds, 600, 1e-4);
    EXPECT_NEAR(m.missingSeconds, 0, 1e-4);
}

TEST(SpanMeasure, CursorsInEitherOrderAndBetweenSamples)
{
    const Curve c(1000, 2, ramp);
    const ChannelSeries s = c.series();
    const SpanMeasure forward = measureSpan({&s, 1}, at(101), at(701));
    const SpanMeasure backward = measureSpan({&s, 1}, at(701), at(101));
    EXPECT_DOUBLE_EQ(backward.from, forward.from);
    EXPECT_DOUBLE_EQ(backward.to, forward.to);
    EXPECT_NEAR(backward.seconds, 600, 1e-4);
    // 101 s and 701 s lie between samples two seconds apart: the line between them is read.
    const ChannelMeasure& m = backward.channels[0];
    EXPECT_NEAR(*m.atA, ramp(101), 1e-6);
    EXPECT_NEAR(*m.atB, ramp(701), 1e-6);
    EXPECT_NEAR(*m.delta, *forward.channels[0].delta, 1e-9);
    // Extremes come from the readings themselves.
    EXPECT_DOUBLE_EQ(m.minimum->value, ramp(102));
    EXPECT_DOUBLE_EQ(m.maximum->value, ramp(700));
}

TEST(SpanMeasure, SineAboveAThresholdAndItsSteepestSlopes)
{
    constexpr double kPeriod = 600, kAmplitude = 10;
    const double w = 2 * std::numbers::pi / kPeriod;
    const Curve c(10 * kPeriod, 1, [&](double t) { return kAmplitude * std::sin(w * t); });
    MeasureOptions o;
    o.threshold = 5;   // sin above 1/2 for a third of every period
    o.base = 0;
    const ChannelMeasure m = measureOne(c, 0, 10 * kPeriod, o);

    EXPECT_NEAR(*m.secondsAbove, 10 * kPeriod / 3, 0.5);
    EXPECT_NEAR(*m.secondsBelow, 10 * kPeriod * 2 / 3, 0.5);
    EXPECT_EQ(m.crossings, 20);
    EXPECT_NEAR(seconds(*m.firstCrossing), kPeriod / 12, 0.05);
    EXPECT_NEAR(seconds(*m.lastCrossing), 10 * kPeriod - kPeriod * 7 / 12, 0.05);
    // Each positive half wave encloses amplitude * period / pi degree-seconds.
    EXPECT_NEAR(*m.degreeMinutes, 10 * kAmplitude * kPeriod / std::numbers::pi / 60, 0.01);
    // The least-squares line through the 61 samples of a window of 60 s centred on a zero
    // crossing has the slope A sum(k sin(w k)) / sum(k^2), k = -30..30.
    double num = 0, den = 0;
    for (int k = -30; k <= 30; ++k) {
        num += k * std::sin(w * k);
        den += k * k;
    }
    const double slope = kAmplitude * num / den * 60;
    EXPECT_NEAR(m.steepestRise->value, slope, 1e-5);
    EXPECT_NEAR(m.steepestFall->value, -slope, 1e-5);
    EXPECT_NEAR(std::remainder(seconds(m.steepestRise->time), kPeriod), 0, 0.6);
    EXPECT_NEAR(std::remainder(seconds(m.steepestFall->time) - kPeriod / 2, kPeriod), 0, 0.6);
}

TEST(SpanMeasure, StepsThroughABandCountOneExcursion)
{
    MeasureOptions o;
    o.bandLow = 2;
    o.bandHigh = 8;
    // Inside at 5, then a step out to 12 between 99 s and 100 s: the line leaves the band at
    // 8, three sevenths of the way.
    const Curve out(200, 1, [](double t) { return t < 100 ? 5 : 12; });
    const ChannelMeasure a = measureOne(out, 0, 200, o);
    EXPECT_EQ(*a.excursions, 1);
    EXPECT_NEAR(*a.secondsInBand, 99 + 3.0 / 7, 1e-6);

    // From below the band to above it: passing through is no stay, leaving it is one excursion.
    const Curve through(200, 1, [](double t) { return t < 100 ? 0 : 10; });
    const ChannelMeasure b = measureOne(through, 0, 200, o);
    EXPECT_EQ(*b.excursions, 1);
    EXPECT_NEAR(*b.secondsInBand, 0.6, 1e-6);

    // Out and back in twice.
    const Curve twice(300, 1, [](double t) { return (t > 50 && t < 100) || t > 200 ? 12 : 5; });
    EXPECT_EQ(*measureOne(twice, 0, 300, o).excursions, 2);
}

TEST(SpanMeasure, GapsOfMissingReadingsAreNotCounted)
{
    MeasureOptions o;
    o.threshold = 0;   // the ramp is above it everywhere
    Curve c(1000, 1, ramp);
    c.miss(200, 299);  // readings at 199 s and 300 s, 101 s apart: a break
    c.miss(500, 501);  // two missing readings: bridged
    const ChannelMeasure m = measureOne(c, 100, 700, o);
    EXPECT_NEAR(m.missingSeconds, 101, 1e-4);
    EXPECT_NEAR(m.countedSeconds, 499, 1e-4);
    EXPECT_NEAR(*m.secondsAbove, 499, 1e-4);
    EXPECT_EQ(m.readings, 601 - 100 - 2);
    // The slope is still the ramp's: no window straddles the break.
    EXPECT_NEAR(m.steepestRise->value, 30, 1e-5);
    EXPECT_NEAR(m.steepestFall->value, 30, 1e-5);

    // A cursor inside the break reads no value there.
    const ChannelMeasure inGap = measureOne(c, 250, 700, o);
    EXPECT_FALSE(inGap.atA);
    EXPECT_FALSE(inGap.delta);
    EXPECT_NEAR(inGap.missingSeconds, 50, 1e-4);

    // Before the first reading and after the last there is nothing to count either.
    const ChannelMeasure beyond = measureOne(c, 900, 1100, o);
    EXPECT_NEAR(beyond.missingSeconds, 100, 1e-4);
    EXPECT_FALSE(beyond.atB);
}

TEST(SpanMeasure, EdgesOfTheSpan)
{
    const Curve c(1000, 1, ramp);
    MeasureOptions o;
    o.threshold = 100;

    // A and B on the same sample.
    const ChannelMeasure same = measureOne(c, 300, 300, o);
    EXPECT_DOUBLE_EQ(*same.atA, ramp(300));
    EXPECT_DOUBLE_EQ(*same.delta, 0);
    EXPECT_FALSE(same.meanSlope);
    EXPECT_FALSE(same.steepestRise);
    EXPECT_EQ(*same.secondsAbove, 0);
    EXPECT_EQ(same.readings, 1);

    // A window longer than the span shrinks to the span.
    const ChannelSeries s = c.series();
    o.windowSeconds = 600;
    const SpanMeasure shortSpan = measureSpan({&s, 1}, at(100), at(130), o);
    EXPECT_NEAR(shortSpan.windowSeconds, 30, 1e-6);
    EXPECT_NEAR(shortSpan.channels[0].steepestRise->value, 30, 1e-5);

    // A channel without a reading between the cursors, beside one with readings.
    const Curve empty(1000, 1, [](double) { return NullReading; });
    const ChannelSeries both[] = {s, empty.series()};
    const SpanMeasure two = measureSpan(both, at(100), at(200), o);
    const ChannelMeasure& none = two.channels[1];
    EXPECT_EQ(none.readings, 0);
    EXPECT_FALSE(none.atA || none.maximum || none.average || none.steepestRise || none.secondsAbove);
    EXPECT_NEAR(none.missingSeconds, 100, 1e-4);
    EXPECT_TRUE(two.channels[0].maximum);
}

TEST(SpanMeasure, SparseSamplesWidenTheWindow)
{
    // Ten-minute samples and the default window of 60 s: slopes between neighbours.
    const Curve c(6 * 3600, 600, [](double t) { return t < 7200 ? 20 : 20 + (t - 7200) / 60; });
    const ChannelSeries s = c.series();
    const SpanMeasure m = measureSpan({&s, 1}, at(0), at(6 * 3600));
    EXPECT_NEAR(m.samplePeriodSeconds, 600, 1e-6);
    EXPECT_NEAR(m.windowSeconds, 600, 1e-6);
    EXPECT_NEAR(m.channels[0].steepestRise->value, 1.0, 1e-6);
    EXPECT_NEAR(m.channels[0].steepestFall->value, 0.0, 1e-6);
    EXPECT_NEAR(m.channels[0].missingSeconds, 0, 1e-4);
}

TEST(SpanMeasure, ChartCellsNeverFilledAreNoSamples)
{
    // A real-time chart part way through: 300 of 1000 points filled.
    ChartData d;
    d.resize(2, 1000);
    d.reset();
    for (int p = 0; p < 300; ++p)
        for (int s = 0; s < 2; ++s) {
            d.setX(s, p, at(p));
            d.setY(s, p, float(ramp(p) + s));
        }
    const auto series = chartSeries(d);
    ASSERT_EQ(series.size(), 2u);
    MeasureOptions o;
    o.threshold = 0;
    const SpanMeasure m = measureSpan(series, at(100), at(400), o);
    EXPECT_NEAR(m.samplePeriodSeconds, 1, 1e-6);
    EXPECT_NEAR(m.channels[1].countedSeconds, 199, 1e-4);
    EXPECT_NEAR(m.channels[1].missingSeconds, 101, 1e-4);
    EXPECT_DOUBLE_EQ(m.channels[1].maximum->value, ramp(299) + 1);

    // Cursors snap to the samples, and past the last one to where the next samples will be.
    EXPECT_NEAR(seconds(*nearestSampleTime(series[0], at(10.4), 1)), 10, 1e-6);
    EXPECT_NEAR(seconds(*nearestSampleTime(series[0], at(350.3), 1)), 350, 1e-6);
    EXPECT_NEAR(seconds(*stepSampleTime(series[0], at(298), 3, 1)), 301, 1e-6);
    EXPECT_NEAR(seconds(*stepSampleTime(series[0], at(301), -4, 1)), 297, 1e-6);
    EXPECT_NEAR(seconds(*stepSampleTime(series[0], at(0), -1, 0)), 0, 1e-6);
}

TEST(MeasureTable, TextsForPeopleAndForPrograms)
{
    const Curve c(7200, 1, ramp);
    const ChannelSeries s = c.series();
    MeasureOptions o;
    o.threshold = 1000;
    const SpanMeasure m = measureSpan({&s, 1}, at(0), at(5000), o);
    const QLocale german(QLocale::German, QLocale::Germany);
    MeasureTextStyle people{true, german, {}};
    const MeasureTable table = measureTable(m, o, {QStringLiteral("Oven")}, QStringLiteral("°C"), people);
    ASSERT_EQ(table.rows.size(), 1u);
    const QStringList& row = table.rows[0];
    ASSERT_EQ(row.size(), table.header.size());
    const auto cell = [&](const QString& title) { return row.at(table.header.indexOf(title)); };
    EXPECT_EQ(cell(QStringLiteral("Channel")), QStringLiteral("Oven"));
    EXPECT_EQ(cell(QStringLiteral("Average (°C)")), QStringLiteral("1270,0"));
    EXPECT_EQ(cell(QStringLiteral("Δt")), QStringLiteral("1:23:20"));
    EXPECT_EQ(cell(QStringLiteral("Above\n1000,0 °C")), QStringLiteral("0:50:40"));
    // No band and no base: their columns are left out.
    EXPECT_FALSE(table.header.join(QLatin1Char(' ')).contains(QStringLiteral("band")));

    MeasureTextStyle programs{false, QLocale::c(), [](double d) { return QString::number(d, 'f', 3); }};
    const QString tsv = tabSeparated(measureTable(m, o, {}, {}, programs));
    const QStringList lines = tsv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QStringList keys = lines[0].split(QLatin1Char('\t'));
    const QStringList values = lines[1].split(QLatin1Char('\t'));
    ASSERT_EQ(keys.size(), values.size());
    EXPECT_EQ(values[keys.indexOf(QStringLiteral("channel"))], QStringLiteral("T1"));
    EXPECT_EQ(values[keys.indexOf(QStringLiteral("span_s"))], QStringLiteral("5000"));
    EXPECT_EQ(values[keys.indexOf(QStringLiteral("above_s"))], QStringLiteral("3040"));
}
