// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/ChartState.h"

#include <algorithm>
#include <stdexcept>

QString ChartSettings::subsetLabel(int s) const
{
    if (s < 0 || static_cast<std::size_t>(s) >= subsetLabels.size())
        return {};
    return subsetLabels[static_cast<std::size_t>(s)];
}

QRgb ChartSettings::subsetColor(int s) const
{
    if (s >= 0 && static_cast<std::size_t>(s) < subsetColors.size())
        return subsetColors[static_cast<std::size_t>(s)];
    static constexpr QRgb fallback[] = {qRgb(0, 0, 255),   qRgb(255, 0, 0),   qRgb(0, 128, 0),
                                        qRgb(255, 0, 255), qRgb(0, 128, 128), qRgb(128, 128, 0)};
    return fallback[static_cast<std::size_t>(std::max(s, 0)) % std::size(fallback)];
}

bool customizePagesOffered(const ChartSettings& s)
{
    return s.allowPage1 || s.allowPage2 || s.allowFontPage || s.allowSubsetsPage || s.allowAxisPage;
}

QString chartUnit(bool celsius)
{
    return celsius ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F");
}

void ChartData::resize(int subsets, int points)
{
    if (subsets < 1 || subsets > ChartLimits::MaxSubsets || points < 0 ||
        points > ChartLimits::MaxPoints ||
        static_cast<std::size_t>(subsets) * static_cast<std::size_t>(points) > ChartLimits::MaxCells)
        throw std::invalid_argument("chart size out of range");
    if (subsets == subsets_ && points == points_)
        return;
    const std::size_t cells = static_cast<std::size_t>(subsets) * static_cast<std::size_t>(points);
    std::vector<double> nx(cells, 0.0);
    std::vector<float> ny(cells, null_);
    const int keepS = std::min(subsets, subsets_);
    const int keepP = std::min(points, points_);
    for (int s = 0; s < keepS; ++s) {
        const std::size_t from = index(s, 0);
        const std::size_t to = static_cast<std::size_t>(s) * static_cast<std::size_t>(points);
        std::copy_n(x_.begin() + static_cast<std::ptrdiff_t>(from), keepP,
                    nx.begin() + static_cast<std::ptrdiff_t>(to));
        std::copy_n(y_.begin() + static_cast<std::ptrdiff_t>(from), keepP,
                    ny.begin() + static_cast<std::ptrdiff_t>(to));
    }
    subsets_ = subsets;
    points_ = points;
    x_ = std::move(nx);
    y_ = std::move(ny);
}

void ChartData::reset()
{
    std::fill(x_.begin(), x_.end(), 0.0);
    std::fill(y_.begin(), y_.end(), null_);
}

void ChartData::setX(int s, int p, double v)
{
    if (valid(s, p))
        x_[index(s, p)] = v;
}

void ChartData::setY(int s, int p, float v)
{
    if (valid(s, p))
        y_[index(s, p)] = v;
}

template <class T, class Set>
void ChartData::setArray(const T* values, std::size_t count, bool subsetByPoint, Set set)
{
    const std::size_t n = std::min(count, x_.size());
    const auto S = static_cast<std::size_t>(subsets_);
    const auto P = static_cast<std::size_t>(points_);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t s = subsetByPoint ? k / P : k % S;
        const std::size_t p = subsetByPoint ? k % P : k / S;
        set(s * P + p, values[k]);
    }
}

void ChartData::setXArray(const double* values, std::size_t count, bool subsetByPoint)
{
    setArray(values, count, subsetByPoint, [this](std::size_t i, double v) { x_[i] = v; });
}

void ChartData::setYArray(const float* values, std::size_t count, bool subsetByPoint)
{
    setArray(values, count, subsetByPoint, [this](std::size_t i, float v) { y_[i] = v; });
}

void ChartData::adopt(int subsets, int points, std::vector<double> xs, std::vector<float> ys)
{
    const std::size_t cells = static_cast<std::size_t>(subsets) * static_cast<std::size_t>(points);
    if (subsets < 1 || subsets > ChartLimits::MaxSubsets || points < 0 ||
        points > ChartLimits::MaxPoints || cells > ChartLimits::MaxCells || xs.size() != cells ||
        ys.size() != cells)
        throw std::invalid_argument("chart data of the wrong size");
    subsets_ = subsets;
    points_ = points;
    x_ = std::move(xs);
    y_ = std::move(ys);
}
