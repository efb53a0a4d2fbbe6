// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/SpanMeasure.h"

#include "base/DateTime.h"
#include "graph/ChartState.h"
#include "graph/GraphStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double kSecondsPerDay = DateTime::SecondsPerDay;
// A stretch without readings breaks the curve when the readings on either side are more than
// three sample periods apart. The limit lies halfway to four periods, so that the jitter of
// real-time sampling times never decides whether two missing readings are bridged.
constexpr double kBreakPeriods = 3.5;
// How often the sliding least-squares sums are summed afresh around a new origin, so that the
// rounding of adding and removing samples cannot pile up over a long span.
constexpr int kRebaseEvery = 256;
// At most this many sample distances go into the estimate of the sampling period.
constexpr std::size_t kPeriodProbes = 4096;
// Slopes computed from 32-bit readings agree to about this share; of windows whose slopes differ
// by less, the earliest is the steepest (a straight ramp is steepest where it begins).
constexpr double kSlopeResolution = 1e-6;

std::size_t sizeOf(const ChannelSeries& s)
{
    return std::min(s.x.size(), s.y.size());
}

// A filled cell: a sample, whether or not its reading is missing.
bool isSample(double x)
{
    return x != 0.0 && std::isfinite(x);
}

bool isReading(double x, float y)
{
    return isSample(x) && std::isfinite(y) && y < kMissingThreshold;
}

bool countsForAverage(float y)
{
    return y > -kOverloadThreshold && y < kOverloadThreshold;
}

struct Reading {
    double x;   // days
    double v;
};

// A reading inside the span as a corner of the curve: t in seconds from the span's start, the
// value, and the number of breaks before it (two corners with the same count are joined by a
// line).
struct Corner {
    double t;
    float v;   // a reading (those on the span's ends are kept in full beside the list)
    int breaks;
};

double lineAt(const Reading& p, const Reading& q, double x)
{
    return p.v + (q.v - p.v) * ((x - p.x) / (q.x - p.x));
}

// The corners in a buffer of fixed room (a vector's growth and zeroing cost more than the
// figures themselves at 100,000 readings).
class CornerList {
public:
    explicit CornerList(std::size_t room) : data_(new Corner[room]) {}
    void push_back(const Corner& c) { data_[size_++] = c; }
    std::size_t size() const { return size_; }
    const Corner& back() const { return data_[size_ - 1]; }
    std::span<const Corner> span(std::size_t from, std::size_t to) const
    {
        return {data_.get() + from, to - from};
    }

private:
    std::unique_ptr<Corner[]> data_;
    std::size_t size_ = 0;
};

enum class BandSide { Unknown, Inside, Outside };

// The figures that follow the curve piece by piece: counted time, threshold, band, base.
class PieceFigures {
public:
    PieceFigures(double from, const MeasureOptions& o, ChannelMeasure& m) : from_(from), o_(o), m_(m) {}

    void piece(const Corner& a, const Corner& b) { piece(a.t, a.v, b.t, b.v); }
    void piece(double ta, double va, double tb, double vb)
    {
        const double dt = tb - ta;
        if (dt <= 0)
            return;
        counted_ += dt;
        if (o_.threshold)
            threshold(*o_.threshold, ta, va, vb, dt);
        if (o_.bandLow && o_.bandHigh)
            band(*o_.bandLow, *o_.bandHigh, va, vb, dt);
        if (o_.base)
            degreeSeconds_ += areaAbove(va - *o_.base, vb - *o_.base, dt);
    }

    // The first reading after a break: where the curve is seen again.
    void afterBreak(double v)
    {
        if (!(o_.bandLow && o_.bandHigh))
            return;
        const bool inside = v >= *o_.bandLow && v <= *o_.bandHigh;
        if (side_ == BandSide::Inside && !inside)
            ++excursions_;
        side_ = inside ? BandSide::Inside : BandSide::Outside;
    }

    double counted() const { return counted_; }

    void finish()
    {
        m_.countedSeconds = counted_;
        const bool covered = m_.readings > 0 || counted_ > 0;
        if (!covered)
            return;
        if (o_.threshold) {
            m_.secondsAbove = above_;
            m_.secondsBelow = std::max(0.0, counted_ - above_);
        }
        if (o_.bandLow && o_.bandHigh) {
            m_.secondsInBand = inBand_;
            m_.excursions = excursions_;
        }
        if (o_.base)
            m_.degreeMinutes = degreeSeconds_ / 60.0;
    }

private:
    void threshold(double level, double ta, double va, double vb, double dt)
    {
        const bool s0 = va > level;
        const bool s1 = vb > level;
        if (s0 == s1) {
            if (s0)
                above_ += dt;
            return;
        }
        const double u = (level - va) / (vb - va);
        above_ += s0 ? u * dt : (1.0 - u) * dt;
        const double when = from_ + (ta + u * dt) / kSecondsPerDay;
        if (!m_.firstCrossing)
            m_.firstCrossing = when;
        m_.lastCrossing = when;
        ++m_.crossings;
    }

    void band(double low, double high, double v0, double v1, double dt)
    {
        const bool in0 = v0 >= low && v0 <= high;
        const bool in1 = v1 >= low && v1 <= high;
        double ua = 0.0, ub = 1.0;
        bool any = true;
        if (in0 && in1) {
            // A line between two points inside stays inside.
        } else if ((v0 < low && v1 < low) || (v0 > high && v1 > high)) {
            any = false;
        } else {
            ua = (low - v0) / (v1 - v0);
            ub = (high - v0) / (v1 - v0);
            if (ua > ub)
                std::swap(ua, ub);
            ua = std::max(ua, 0.0);
            ub = std::min(ub, 1.0);
            any = ua <= ub;
        }
        if (any)
            inBand_ += (ub - ua) * dt;
        const bool startsInside = any && ua <= 0.0;
        // Inside before a break, outside after it: the curve left the band meanwhile.
        if (side_ == BandSide::Inside && !startsInside)
            ++excursions_;
        if (any && ub < 1.0)
            ++excursions_;
        side_ = any && ub >= 1.0 ? BandSide::Inside : BandSide::Outside;
    }

    // The area of the line from f0 to f1 (over dt) that lies above zero.
    static double areaAbove(double f0, double f1, double dt)
    {
        if (f0 >= 0 && f1 >= 0)
            return (f0 + f1) / 2.0 * dt;
        if (f0 <= 0 && f1 <= 0)
            return 0.0;
        const double positive = f0 > 0 ? f0 : f1;
        const double u = positive / (std::abs(f0) + std::abs(f1));
        return positive * u * dt / 2.0;
    }

    double from_;
    const MeasureOptions& o_;
    ChannelMeasure& m_;
    double counted_ = 0.0;
    double above_ = 0.0;
    double inBand_ = 0.0;
    int excursions_ = 0;
    BandSide side_ = BandSide::Unknown;
    double degreeSeconds_ = 0.0;
};

// The steepest rise and fall: least-squares slopes over every window of `width` seconds that
// starts at a reading, lies within the span and holds no break. pts are the readings.
void steepest(std::span<const Corner> pts, double width, double spanSeconds, double tolerance,
              double from, ChannelMeasure& m)
{
    const std::size_t n = pts.size();
    if (n < 2 || width <= 0)
        return;
    // Sums over the window of t (from an origin near it), v, t * t and t * v.
    double sn = 0, st = 0, sv = 0, stt = 0, stv = 0;
    double origin = pts[0].t;
    // The best slopes so far (per second) and the bars a window has to pass to replace them:
    // slope = num / den, compared by multiplying, so that only a new best pays a division.
    double riseBar = -std::numeric_limits<double>::infinity();
    double fallBar = std::numeric_limits<double>::infinity();
    std::size_t riseAt = n, fallAt = n, riseEnd = 0, fallEnd = 0;
    double riseSlope = 0, fallSlope = 0;
    std::size_t end = 0; // the window is [i, end)
    for (std::size_t i = 0; i < n; ++i) {
        const double ti = pts[i].t;
        if (ti + width > spanSeconds + tolerance)
            break;
        if ((i + 1) % kRebaseEvery == 0 && end > i) {
            origin = ti;
            sn = st = sv = stt = stv = 0;
            for (std::size_t k = i; k < end; ++k) {
                const double t = pts[k].t - origin, v = pts[k].v;
                sn += 1;
                st += t;
                sv += v;
                stt += t * t;
                stv += t * v;
            }
        }
        const double reach = ti + width + tolerance;
        for (; end < n && pts[end].t <= reach; ++end) {
            const double t = pts[end].t - origin, v = pts[end].v;
            sn += 1;
            st += t;
            sv += v;
            stt += t * t;
            stv += t * v;
        }
        const std::size_t last = end - 1;
        if (last > i && pts[last].breaks == pts[i].breaks) {
            const double den = sn * stt - st * st;
            const double num = sn * stv - st * sv;
            if (den > 0) {
                if (num > riseBar * den) {
                    riseSlope = num / den;
                    riseBar = riseSlope + kSlopeResolution * std::max(1.0, std::abs(riseSlope));
                    riseAt = i;
                    riseEnd = last;
                }
                if (num < fallBar * den) {
                    fallSlope = num / den;
                    fallBar = fallSlope - kSlopeResolution * std::max(1.0, std::abs(fallSlope));
                    fallAt = i;
                    fallEnd = last;
                }
            }
        }
        const double t = ti - origin, v = pts[i].v;
        sn -= 1;
        st -= t;
        sv -= v;
        stt -= t * t;
        stv -= t * v;
    }
    const auto middle = [&](std::size_t a, std::size_t b) {
        return from + (pts[a].t + pts[b].t) / 2.0 / kSecondsPerDay;
    };
    if (riseAt < n)
        m.steepestRise = TimedValue{riseSlope * 60.0, middle(riseAt, riseEnd)};
    if (fallAt < n)
        m.steepestFall = TimedValue{fallSlope * 60.0, middle(fallAt, fallEnd)};
}

ChannelMeasure measureChannel(const ChannelSeries& series, double from, double to,
                              double spanSeconds, double breakSeconds, double width,
                              double tolerance, const MeasureOptions& o)
{
    ChannelMeasure m;
    const std::size_t n = sizeOf(series);
    const double breakDays = breakSeconds / kSecondsPerDay;
    PieceFigures pieces(from, o, m);

    // The readings within the span as corners of the curve, each piece between two corners
    // taken in as it comes. Room for every reading, not initialised: only what is written is
    // read.
    CornerList curve(n);
    std::optional<Reading> before, after;
    // Running figures in locals, so that they stay in registers.
    Corner previous{0, 0, 0};
    double lastX = 0;
    int readings = 0;
    float maximum = 0, minimum = 0;
    double timeOfMaximum = 0, timeOfMinimum = 0;
    double sum = 0;
    int averaged = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = series.x[i];
        const float y = series.y[i];
        if (!isReading(x, y))
            continue;
        if (x < from) {
            before = Reading{x, y};
            continue;
        }
        if (x > to) {
            after = Reading{x, y};
            break;
        }
        const double t = (x - from) * kSecondsPerDay;
        Corner corner{t, y, previous.breaks};
        if (readings == 0) {
            if (x == from) {
                m.atA = y;
            } else if (before && x - before->x <= breakDays) {
                // The line from the reading before, from the span's start on.
                m.atA = lineAt(*before, {x, y}, from);
                pieces.piece(0.0, *m.atA, t, y);
            }
            maximum = minimum = y;
            timeOfMaximum = timeOfMinimum = x;
        } else {
            if (x - lastX <= breakDays) {
                pieces.piece(previous.t, previous.v, t, y);
            } else {
                ++corner.breaks;
                pieces.afterBreak(y);
            }
            if (y > maximum) {
                maximum = y;
                timeOfMaximum = x;
            }
            if (y < minimum) {
                minimum = y;
                timeOfMinimum = x;
            }
        }
        curve.push_back(corner);
        previous = corner;
        if (countsForAverage(y)) {
            sum += y;
            ++averaged;
        }
        ++readings;
        lastX = x;
    }
    m.readings = readings;
    if (readings > 0) {
        m.maximum = TimedValue{maximum, timeOfMaximum};
        m.minimum = TimedValue{minimum, timeOfMinimum};
    }
    const Reading last{lastX, previous.v};
    if (m.readings == 0) {
        // No reading inside: the line from the one before to the one after may still cross it.
        if (before && after && after->x - before->x <= breakDays) {
            m.atA = lineAt(*before, *after, from);
            m.atB = lineAt(*before, *after, to);
            pieces.piece(0.0, *m.atA, spanSeconds, *m.atB);
        }
    } else if (last.x == to) {
        m.atB = last.v;
    } else if (after && after->x - last.x <= breakDays) {
        m.atB = lineAt(last, *after, to);
        pieces.piece(curve.back().t, curve.back().v, spanSeconds, *m.atB);
    }
    if (averaged > 0)
        m.average = sum / averaged;
    if (m.atA && m.atB) {
        m.delta = *m.atB - *m.atA;
        if (spanSeconds > 0)
            m.meanSlope = *m.delta / (spanSeconds / 60.0);
    }
    m.missingSeconds = std::max(0.0, spanSeconds - pieces.counted());
    pieces.finish();
    steepest(curve.span(0, curve.size()), width, spanSeconds, tolerance, from, m);
    return m;
}

} // namespace

std::vector<ChannelSeries> chartSeries(const ChartData& data)
{
    std::vector<ChannelSeries> out;
    const auto points = std::size_t(std::max(data.points(), 0));
    for (int s = 0; s < data.subsets(); ++s) {
        const std::size_t base = std::size_t(s) * points;
        out.push_back({std::span<const double>(data.xs()).subspan(base, points),
                       std::span<const float>(data.ys()).subspan(base, points)});
    }
    return out;
}

double estimateSamplePeriodSeconds(const ChannelSeries& series)
{
    const std::size_t n = sizeOf(series);
    const std::size_t step = std::max<std::size_t>(1, n / kPeriodProbes);
    std::vector<double> gaps;
    gaps.reserve(std::min(n, kPeriodProbes + 1));
    for (std::size_t i = 1; i < n; i += step) {
        const double a = series.x[i - 1];
        const double b = series.x[i];
        if (isSample(a) && isSample(b) && b > a)
            gaps.push_back((b - a) * kSecondsPerDay);
    }
    if (gaps.empty())
        return 0.0;
    const auto middle = gaps.begin() + std::ptrdiff_t(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    return *middle;
}

SpanMeasure measureSpan(std::span<const ChannelSeries> channels, double a, double b,
                        const MeasureOptions& options)
{
    SpanMeasure out;
    out.from = std::min(a, b);
    out.to = std::max(a, b);
    const bool usable = std::isfinite(out.from) && std::isfinite(out.to);
    out.seconds = usable ? (out.to - out.from) * kSecondsPerDay : 0.0;

    double period = options.samplePeriodSeconds;
    if (!(period > 0) || !std::isfinite(period)) {
        period = 0.0;
        for (const ChannelSeries& c : channels)
            if ((period = estimateSamplePeriodSeconds(c)) > 0)
                break;
    }
    out.samplePeriodSeconds = period;
    const double breakSeconds =
        period > 0 ? kBreakPeriods * period : std::numeric_limits<double>::infinity();
    double width = options.windowSeconds > 0 && std::isfinite(options.windowSeconds)
                       ? options.windowSeconds
                       : MeasureOptions{}.windowSeconds;
    width = std::min(std::max(width, period), out.seconds);
    out.windowSeconds = width;
    const double tolerance = period > 0 ? period / 4.0 : 1e-6;

    out.channels.reserve(channels.size());
    for (const ChannelSeries& c : channels) {
        if (!usable) {
            out.channels.emplace_back();
            continue;
        }
        out.channels.push_back(measureChannel(c, out.from, out.to, out.seconds, breakSeconds,
                                              width, tolerance, options));
    }
    return out;
}

std::optional<double> slopePerMinute(const ChannelSeries& series, double from, double to)
{
    const std::size_t n = sizeOf(series);
    double sn = 0, st = 0, sv = 0, stt = 0, stv = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = series.x[i];
        const float y = series.y[i];
        if (!isReading(x, y) || x < from || x > to)
            continue;
        const double t = (x - from) * kSecondsPerDay;
        sn += 1;
        st += t;
        sv += y;
        stt += t * t;
        stv += t * y;
    }
    const double den = sn * stt - st * st;
    if (sn < 2 || !(den > 0))
        return std::nullopt;
    return (sn * stv - st * sv) / den * 60.0;
}

namespace {

// The index of the sample nearest to t; n when there is none.
std::size_t nearestIndex(const ChannelSeries& series, double t)
{
    const std::size_t n = sizeOf(series);
    std::size_t best = n;
    double distance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        const double x = series.x[i];
        if (!isSample(x))
            continue;
        const double d = std::abs(x - t);
        if (d < distance) {
            distance = d;
            best = i;
        }
    }
    return best;
}

// One sample on from `at`: the next (or previous) filled cell, else the grid beyond the ends.
double stepOnce(const ChannelSeries& series, double at, int direction, double first, double last,
                double periodDays)
{
    if (at > last || at < first || (direction > 0 && at == last) || (direction < 0 && at == first)) {
        if (!(periodDays > 0))
            return std::clamp(at, first, last);
        const double next = at + direction * periodDays;
        // From the grid before the first sample (or after the last) back onto the samples.
        if ((at < first && next > first - periodDays / 2) || (at > last && next < last + periodDays / 2))
            return direction > 0 ? first : last;
        return next;
    }
    const std::size_t n = sizeOf(series);
    std::size_t i = nearestIndex(series, at);
    if (direction > 0) {
        for (std::size_t k = i + 1; k < n; ++k)
            if (isSample(series.x[k]))
                return series.x[k];
    } else {
        for (std::size_t k = i; k-- > 0;)
            if (isSample(series.x[k]))
                return series.x[k];
    }
    return at;
}

} // namespace

std::optional<std::pair<double, double>> sampleTimeRange(const ChannelSeries& series)
{
    const std::size_t n = sizeOf(series);
    std::optional<std::pair<double, double>> range;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = series.x[i];
        if (!isSample(x))
            continue;
        if (!range)
            range = std::make_pair(x, x);
        range->first = std::min(range->first, x);
        range->second = std::max(range->second, x);
    }
    return range;
}

std::optional<double> nearestSampleTime(const ChannelSeries& series, double t, double periodSeconds)
{
    const auto range = sampleTimeRange(series);
    if (!range || !std::isfinite(t))
        return std::nullopt;
    const auto [first, last] = *range;
    const double p = periodSeconds > 0 && std::isfinite(periodSeconds)
                         ? periodSeconds / kSecondsPerDay
                         : 0.0;
    if (t <= first)
        return p > 0 ? first - std::round((first - t) / p) * p : first;
    if (t >= last)
        return p > 0 ? last + std::round((t - last) / p) * p : last;
    return series.x[nearestIndex(series, t)];
}

std::optional<double> stepSampleTime(const ChannelSeries& series, double t, int steps,
                                     double periodSeconds)
{
    std::optional<double> at = nearestSampleTime(series, t, periodSeconds);
    if (!at)
        return std::nullopt;
    const auto [first, last] = *sampleTimeRange(series);
    const double p = periodSeconds > 0 && std::isfinite(periodSeconds)
                         ? periodSeconds / kSecondsPerDay
                         : 0.0;
    const int direction = steps < 0 ? -1 : 1;
    for (int k = 0; k < std::abs(steps); ++k)
        *at = stepOnce(series, *at, direction, first, last, p);
    return at;
}
