// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/SpanMeasure.h"

#include "base/DateTime.h"
#include "graph/ChartState.h"
#include "graph/GraphStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

bool steeper(double slope, double than)
{
    return slope - than > kSlopeResolution * std::max(1.0, std::abs(than));
}

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

// A reading between the span's ends for the sliding windows: t in seconds from the span's
// start, and whether the curve is broken just before it.
struct WindowPoint {
    double t;
    double v;
    bool breakBefore;
};

enum class BandSide { Unknown, Inside, Outside };

// Walks one channel's curve through the span and collects its figures.
class ChannelWalk {
public:
    ChannelWalk(double from, double to, double breakSeconds, const MeasureOptions& o)
        : from_(from), to_(to), breakSeconds_(breakSeconds), o_(o)
    {
    }

    void reading(const Reading& cur)
    {
        const bool inSpan = cur.x >= from_ && cur.x <= to_;
        if (prev_ && cur.x > prev_->x)
            piece(*prev_, cur);
        if (inSpan) {
            const bool breakBefore =
                !points_.empty() && (cur.x - prev_->x) * kSecondsPerDay > breakSeconds_;
            points_.push_back({(cur.x - from_) * kSecondsPerDay, cur.v, breakBefore});
            if (cur.x == from_ && !m_.atA)
                m_.atA = cur.v;
            if (cur.x == to_)
                m_.atB = cur.v;
        }
        prev_ = cur;
    }
    bool past() const { return prev_ && prev_->x > to_; }

    const std::vector<WindowPoint>& points() const { return points_; }
    ChannelMeasure& result() { return m_; }

    void finish(double spanSeconds)
    {
        m_.missingSeconds = std::max(0.0, spanSeconds - m_.countedSeconds);
        if (m_.atA && m_.atB) {
            m_.delta = *m_.atB - *m_.atA;
            if (spanSeconds > 0)
                m_.meanSlope = *m_.delta / (spanSeconds / 60.0);
        }
        const bool covered = m_.readings > 0 || m_.countedSeconds > 0;
        if (!covered)
            return;
        if (o_.threshold) {
            m_.secondsAbove = above_;
            m_.secondsBelow = std::max(0.0, m_.countedSeconds - above_);
        }
        if (o_.bandLow && o_.bandHigh) {
            m_.secondsInBand = inBand_;
            m_.excursions = excursions_;
        }
        if (o_.base)
            m_.degreeMinutes = degreeSeconds_ / 60.0;
    }

private:
    // The straight line between two consecutive readings, clipped to the span.
    void piece(const Reading& p, const Reading& q)
    {
        const double lo = std::max(p.x, from_);
        const double hi = std::min(q.x, to_);
        if (hi < lo)
            return;
        if ((q.x - p.x) * kSecondsPerDay > breakSeconds_)
            return;
        const auto at = [&](double t) { return p.v + (q.v - p.v) * ((t - p.x) / (q.x - p.x)); };
        if (from_ > p.x && from_ < q.x)
            m_.atA = at(from_);
        if (to_ > p.x && to_ < q.x)
            m_.atB = at(to_);
        if (hi == lo)
            return;
        const double v0 = at(lo);
        const double v1 = at(hi);
        const double dt = (hi - lo) * kSecondsPerDay;
        m_.countedSeconds += dt;
        if (o_.threshold)
            threshold(*o_.threshold, lo, hi, v0, v1, dt);
        if (o_.bandLow && o_.bandHigh)
            band(*o_.bandLow, *o_.bandHigh, v0, v1, dt);
        if (o_.base)
            degreeSeconds_ += areaAbove(v0 - *o_.base, v1 - *o_.base, dt);
    }

    void threshold(double level, double lo, double hi, double v0, double v1, double dt)
    {
        const bool s0 = v0 > level;
        const bool s1 = v1 > level;
        if (s0 == s1) {
            if (s0)
                above_ += dt;
            return;
        }
        const double u = (level - v0) / (v1 - v0);
        above_ += s0 ? u * dt : (1.0 - u) * dt;
        const double when = lo + u * (hi - lo);
        if (!m_.firstCrossing)
            m_.firstCrossing = when;
        m_.lastCrossing = when;
        ++m_.crossings;
    }

    void band(double low, double high, double v0, double v1, double dt)
    {
        if (low > high)
            std::swap(low, high);
        double ua = 0.0, ub = 1.0;
        bool any = true;
        if (v0 == v1) {
            any = v0 >= low && v0 <= high;
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

    double from_, to_, breakSeconds_;
    const MeasureOptions& o_;
    ChannelMeasure m_;
    std::optional<Reading> prev_;
    std::vector<WindowPoint> points_;
    double above_ = 0.0;
    double inBand_ = 0.0;
    int excursions_ = 0;
    BandSide side_ = BandSide::Unknown;
    double degreeSeconds_ = 0.0;
};

// The steepest rise and fall: least-squares slopes over every window of `width` seconds that
// starts at a reading, lies within the span and holds no break.
void steepest(const std::vector<WindowPoint>& pts, double width, double spanSeconds,
              double tolerance, double from, ChannelMeasure& m)
{
    const std::size_t n = pts.size();
    if (n < 2 || width <= 0)
        return;
    std::vector<int> breaks(n, 0); // breaks among points 1..k
    for (std::size_t k = 1; k < n; ++k)
        breaks[k] = breaks[k - 1] + (pts[k].breakBefore ? 1 : 0);

    struct Sums {
        double n = 0, t = 0, v = 0, tt = 0, tv = 0;
    } s;
    double origin = pts[0].t;
    const auto add = [&](const WindowPoint& p, double sign) {
        const double t = p.t - origin;
        s.n += sign;
        s.t += sign * t;
        s.v += sign * p.v;
        s.tt += sign * t * t;
        s.tv += sign * t * p.v;
    };
    std::size_t end = 0; // the window is [i, end)
    int removed = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (pts[i].t + width > spanSeconds + tolerance)
            break;
        if (++removed % kRebaseEvery == 0 && end > i) {
            origin = pts[i].t;
            s = {};
            for (std::size_t k = i; k < end; ++k)
                add(pts[k], 1.0);
        }
        while (end < n && pts[end].t <= pts[i].t + width + tolerance)
            add(pts[end++], 1.0);
        const std::size_t last = end - 1;
        if (last > i && breaks[last] == breaks[i]) {
            const double den = s.n * s.tt - s.t * s.t;
            if (den > 0) {
                const double perMinute = (s.n * s.tv - s.t * s.v) / den * 60.0;
                const double middle = from + (pts[i].t + pts[last].t) / 2.0 / kSecondsPerDay;
                if (!m.steepestRise || steeper(perMinute, m.steepestRise->value))
                    m.steepestRise = TimedValue{perMinute, middle};
                if (!m.steepestFall || steeper(-perMinute, -m.steepestFall->value))
                    m.steepestFall = TimedValue{perMinute, middle};
            }
        }
        add(pts[i], -1.0);
    }
}

ChannelMeasure measureChannel(const ChannelSeries& series, double from, double to,
                              double spanSeconds, double breakSeconds, double width,
                              double tolerance, const MeasureOptions& o)
{
    ChannelWalk walk(from, to, breakSeconds, o);
    float maximum = 0, minimum = 0;
    double sum = 0;
    int counted = 0;
    ChannelMeasure& r = walk.result();
    const std::size_t n = sizeOf(series);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = series.x[i];
        const float y = series.y[i];
        if (!isReading(x, y))
            continue;
        walk.reading({x, double(y)});
        if (x >= from && x <= to) {
            if (r.readings == 0 || y > maximum) {
                maximum = y;
                r.maximum = TimedValue{y, x};
            }
            if (r.readings == 0 || y < minimum) {
                minimum = y;
                r.minimum = TimedValue{y, x};
            }
            if (countsForAverage(y)) {
                sum += y;
                ++counted;
            }
            ++r.readings;
        }
        if (walk.past())
            break;
    }
    if (counted > 0)
        r.average = sum / counted;
    walk.finish(spanSeconds);
    steepest(walk.points(), width, spanSeconds, tolerance, from, r);
    return r;
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
