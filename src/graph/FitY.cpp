// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/FitY.h"

#include "base/LocaleText.h"
#include "graph/GraphStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace FitY {

namespace {

// Calls f(y) for every counted value of the subsets at points in [minX, maxX]; f returns false
// to stop.
template <class F>
void forEachInView(const ChartData& data, std::span<const int> subsets, double minX, double maxX,
                   F&& f)
{
    const float null = data.nullValue();
    const std::size_t points = static_cast<std::size_t>(data.points());
    for (const int s : subsets) {
        if (s < 0 || s >= data.subsets())
            continue;
        const std::size_t base = static_cast<std::size_t>(s) * points;
        const double* xs = data.xs().data() + base;
        const float* ys = data.ys().data() + base;
        for (std::size_t p = 0; p < points; ++p) {
            const float y = ys[p];
            if (!counted(y, null) || !(xs[p] >= minX && xs[p] <= maxX))
                continue;
            if (!f(y))
                return;
        }
    }
}

} // namespace

bool counted(float y, float nullValue)
{
    return std::isfinite(y) && y != nullValue && y < kMissingThreshold;
}

std::optional<YExtent> dataExtent(const ChartData& data, std::span<const int> subsets, double minX,
                                  double maxX)
{
    // One pass without branches, so that the compiler can do several points at a time: this
    // runs for every sample of a recording that keeps its readings in view.
    constexpr float kLowest = -std::numeric_limits<float>::max();   // -inf is not counted
    const float null = data.nullValue();
    const std::size_t points = static_cast<std::size_t>(data.points());
    float lo = std::numeric_limits<float>::infinity();
    float hi = -std::numeric_limits<float>::infinity();
    for (const int s : subsets) {
        if (s < 0 || s >= data.subsets())
            continue;
        const std::size_t base = static_cast<std::size_t>(s) * points;
        const double* xs = data.xs().data() + base;
        const float* ys = data.ys().data() + base;
        for (std::size_t p = 0; p < points; ++p) {
            const float y = ys[p];
            const double x = xs[p];
            // NaN fails every comparison.
            const bool take = (y < kMissingThreshold) & (y >= kLowest) & (y != null) &
                              (x >= minX) & (x <= maxX);
            lo = take && y < lo ? y : lo;
            hi = take && y > hi ? y : hi;
        }
    }
    if (lo > hi)
        return std::nullopt;
    return YExtent{lo, hi};
}

YExtent padded(YExtent data, double margin, double minRoom)
{
    const double mid = (data.lo + data.hi) / 2;
    const double span = std::max(data.span(), kMinSpan);
    const double half = span / 2 + std::max(span * margin, minRoom);
    return {mid - half, mid + half};
}

std::optional<YExtent> follow(const std::optional<YExtent>& shown, YExtent data)
{
    if (shown && shown->contains(data.lo) && shown->contains(data.hi) &&
        std::max(data.span(), kMinSpan) >= kFollowFill * shown->span())
        return std::nullopt;
    return padded(data, kFollowMargin, kFollowMinRoom);
}

OutOfView outOfView(const ChartData& data, std::span<const int> subsets, double minX, double maxX,
                    YExtent shown)
{
    OutOfView out;
    bool inView = false;
    forEachInView(data, subsets, minX, maxX, [&](float y) {
        if (shown.contains(y)) {
            inView = true;
            return false;
        }
        if (y > shown.hi)
            out.above = out.above ? std::min(*out.above, y) : y;
        else
            out.below = out.below ? std::max(*out.below, y) : y;
        return true;
    });
    return inView ? OutOfView{} : out;
}

QString outOfViewText(const OutOfView& out, const QString& unit)
{
    const QString suffix = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    QStringList parts;
    if (out.above)
        parts << QStringLiteral("\u25B2 ") + LocaleText::fixed(*out.above, 1) + suffix;
    if (out.below)
        parts << QStringLiteral("\u25BC ") + LocaleText::fixed(*out.below, 1) + suffix;
    return parts.join(QStringLiteral("  "));
}

} // namespace FitY
