// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measuring between two times: per channel the figures people otherwise work out by hand from an
// export (values at both ends, rise and mean slope, extremes and average, steepest rise and fall,
// time above and below a threshold with its crossings, time inside a band with the excursions out
// of it, degree-minutes above a base, and the time no reading covers). The measuring pane of the
// graph windows and `kolva-cli stats` both use it; nothing here needs a window.
//
// The curve of a channel joins its readings with straight lines. Values of 9000 and more are
// missing readings (NullReading among them), as in the graph statistics. A stretch of missing
// readings longer than three sample periods breaks the curve: no time is counted across it, no
// value is read in it, and its time is reported as missing. Shorter stretches are bridged by the
// line between the readings on either side. Cells with X 0 were never filled (the rest of a
// real-time chart, a table row that did not convert) and are not samples at all.
//
// Times are in days since 30 December 1899, as everywhere in the program; durations in seconds;
// slopes in degrees per minute; areas in degree-minutes.

#include <optional>
#include <span>
#include <utility>
#include <vector>

class ChartData;

// One channel's samples, in time order: X (days) and Y. Channels of one chart share their times.
struct ChannelSeries {
    std::span<const double> x;
    std::span<const float> y;
};

// The subsets of a chart as series (no copy: they point into the chart's cells).
std::vector<ChannelSeries> chartSeries(const ChartData& data);

struct MeasureOptions {
    // The least-squares window of the steepest rise and fall. It is widened to one sample period
    // when the samples are further apart, and narrowed to the span when the span is shorter.
    double windowSeconds = 60.0;
    std::optional<double> threshold;                // time above / below, crossings
    std::optional<double> bandLow, bandHigh;        // time inside, excursions (both or neither)
    std::optional<double> base;                     // degree-minutes above it
    // The sampling period that decides what counts as a break; 0 estimates it from the samples.
    double samplePeriodSeconds = 0.0;
};

struct TimedValue {
    double value = 0.0;
    double time = 0.0;   // days
};

struct ChannelMeasure {
    int readings = 0;                       // readings (below 9000) between the two times
    std::optional<double> atA, atB;         // the curve's value at the span's start and end
    std::optional<double> delta;            // atB - atA
    std::optional<double> meanSlope;        // delta per minute of the span
    // Extremes of the readings between the two times (the earliest of equal ones) and the average
    // of those strictly between -3000 and 3000, as the graph statistics count them.
    std::optional<TimedValue> maximum, minimum;
    std::optional<double> average;
    // Least-squares slopes per minute over the window; the time is the window's middle.
    std::optional<TimedValue> steepestRise, steepestFall;
    // Threshold: time with the curve above it and below (or on) it; the first and last time the
    // curve passes it, and how often.
    std::optional<double> secondsAbove, secondsBelow;
    std::optional<double> firstCrossing, lastCrossing;
    int crossings = 0;
    // Band: time inside [low, high] (edges included) and how often the curve left it after
    // having been inside (also when it comes back outside after a break).
    std::optional<double> secondsInBand;
    std::optional<int> excursions;
    // Area between the curve and the base where the curve lies above it.
    std::optional<double> degreeMinutes;
    // The span's time that the curve covers, and the rest (breaks, no readings at the ends).
    double countedSeconds = 0.0;
    double missingSeconds = 0.0;
};

struct SpanMeasure {
    double from = 0.0;                 // the earlier of the two times
    double to = 0.0;                   // the later one
    double seconds = 0.0;              // to - from
    double samplePeriodSeconds = 0.0;  // the one used (given or estimated; 0 when unknown)
    double windowSeconds = 0.0;        // the steepest-slope window as used
    std::vector<ChannelMeasure> channels;
};

// All figures between times a and b (in either order) for every channel.
SpanMeasure measureSpan(std::span<const ChannelSeries> channels, double a, double b,
                        const MeasureOptions& options = {});

// The typical distance of consecutive samples (the median), in seconds; 0 with fewer than two.
double estimateSamplePeriodSeconds(const ChannelSeries& series);

// The least-squares slope per minute of the readings from `from` to `to` (days, inclusive);
// nullopt with fewer than two readings at different times.
std::optional<double> slopePerMinute(const ChannelSeries& series, double from, double to);

// The sample time nearest to t. Beyond the first or the last sample, the nearest time on the
// sampling grid continued past it (where a recording's next samples will be); nullopt without
// samples.
std::optional<double> nearestSampleTime(const ChannelSeries& series, double t, double periodSeconds);
// The sample time `steps` samples after (or, negative, before) the sample nearest to t, on the
// same grid.
std::optional<double> stepSampleTime(const ChannelSeries& series, double t, int steps,
                                     double periodSeconds);
// The first and the last sample time; nullopt without samples.
std::optional<std::pair<double, double>> sampleTimeRange(const ChannelSeries& series);
