// SPDX-License-Identifier: GPL-3.0-or-later
// The report's curve drawn per device pixel column: the shape of every reading kept, no more
// than four points a column, and lines broken where readings are missing.
#include "report/ReportPlot.h"

#include "base/NullReading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

namespace {

struct ColumnShape {
    double first = 0, last = 0, min = 1e30, max = -1e30;
    int count = 0;
};

// First, last, smallest and largest Y of each pixel column of the polylines (device units).
std::map<long long, ColumnShape> shapeOf(const std::vector<std::pair<double, double>>& points)
{
    std::map<long long, ColumnShape> columns;
    for (const auto& [x, y] : points) {
        ColumnShape& c = columns[static_cast<long long>(std::floor(x))];
        if (c.count++ == 0)
            c.first = y;
        c.last = y;
        c.min = std::min(c.min, y);
        c.max = std::max(c.max, y);
    }
    return columns;
}

} // namespace

TEST(ReportCurve, KeepsEveryColumnsShapeWithFourPointsAtMostAndBreaksAtMissingReadings)
{
    // A noisy random walk of 60,000 readings over 450 device columns, one reading missing in the
    // middle and a gap in time near the end.
    const int n = 60000;
    ChartData d;
    d.resize(1, n);
    std::mt19937 random(7);
    std::normal_distribution<float> step(0.0f, 0.8f);
    float v = 20.0f;
    double t = 45000.0;
    const double second = 1.0 / 86400.0;
    for (int p = 0; p < n; ++p) {
        t += p == 50000 ? 600 * second : second;
        v += step(random);
        d.setX(0, p, t);
        d.setY(0, p, p == 30000 ? NullReading : v);
    }
    const double gap = 60 * second;
    const double span = d.x(0, n - 1) - d.x(0, 0);
    const AxisMap xm{d.x(0, 0), 100.0, 450.0 / span};
    const AxisMap ym{0.0, 500.0, -2.0};
    const std::vector<QPolygonF> pieces = decimatedCurve(d, 0, n, gap, xm, ym);

    // Three pieces: before the missing reading, up to the gap, after it.
    ASSERT_EQ(pieces.size(), 3u);
    const int bounds[4] = {0, 30000, 50000, n};
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        std::vector<std::pair<double, double>> all, drawn;
        for (int p = bounds[k] + (k == 1 ? 1 : 0); p < bounds[k + 1]; ++p)
            all.emplace_back(xm(d.x(0, p)), ym(d.y(0, p)));
        for (const QPointF& q : pieces[k])
            drawn.emplace_back(q.x(), q.y());
        // The piece runs from the first reading to the last, in order.
        EXPECT_EQ(drawn.front(), all.front());
        EXPECT_EQ(drawn.back(), all.back());
        for (std::size_t i = 1; i < drawn.size(); ++i)
            EXPECT_LE(drawn[i - 1].first, drawn[i].first);
        const auto full = shapeOf(all);
        const auto kept = shapeOf(drawn);
        ASSERT_EQ(kept.size(), full.size()) << "piece " << k;
        for (const auto& [column, shape] : full) {
            const ColumnShape& c = kept.at(column);
            EXPECT_EQ(c.first, shape.first);
            EXPECT_EQ(c.last, shape.last);
            EXPECT_EQ(c.min, shape.min);
            EXPECT_EQ(c.max, shape.max);
            EXPECT_LE(c.count, 4);
        }
    }
}

TEST(ReportCurve, PaperColoursStayReadableOnWhite)
{
    // A curve drawn white or yellow on a dark screen would vanish on paper.
    for (QRgb light : {qRgb(255, 255, 255), qRgb(255, 255, 0), qRgb(200, 255, 200)}) {
        const QColor c = paperColor(light);
        EXPECT_LT(0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(), 0.6);
    }
    EXPECT_EQ(paperColor(qRgb(0, 0, 255)), QColor(0, 0, 255));
}
