// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping readings in view without a window: the extent of a pane's data in view, "Fit Y",
// following the data while recording, and the note of a pane whose data lie out of view.
#include "graph/FitY.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kStart = 45000.0;
constexpr double kSecond = 1.0 / 86400.0;

// Two subsets of n points, one second apart, with the values given per point.
ChartData twoSubsets(int n, float (*value)(int s, int p))
{
    ChartData d;
    d.resize(2, n);
    for (int s = 0; s < 2; ++s)
        for (int p = 0; p < n; ++p) {
            d.setX(s, p, kStart + p * kSecond);
            d.setY(s, p, value(s, p));
        }
    return d;
}

const std::array<int, 1> kFirst{0};
const std::array<int, 1> kSecondSubset{1};
const std::array<int, 2> kBoth{0, 1};

} // namespace

TEST(FitY, TheExtentCountsOnlyDrawnValuesOfThePaneInView)
{
    ChartData d = twoSubsets(10, [](int s, int p) { return float(s == 0 ? 20 + p : -p); });
    d.setY(0, 3, ChartNullReading);
    d.setY(0, 9, 9500.0f);                                   // a missing reading
    d.setY(0, 5, std::numeric_limits<float>::quiet_NaN());
    d.setY(0, 0, 3500.0f);                                   // an overload is drawn: it counts
    const double all0 = kStart - 1, all1 = kStart + 1;

    EXPECT_EQ(FitY::dataExtent(d, kFirst, all0, all1), (YExtent{21, 3500}));
    EXPECT_EQ(FitY::dataExtent(d, kSecondSubset, all0, all1), (YExtent{-9, 0}));
    EXPECT_EQ(FitY::dataExtent(d, kBoth, all0, all1), (YExtent{-9, 3500}));
    // Only the points whose time is in view, edges included.
    EXPECT_EQ(FitY::dataExtent(d, kFirst, kStart + 1 * kSecond, kStart + 4 * kSecond),
              (YExtent{21, 24}));
    // Nothing in view, unfilled points, or a subset the chart does not have: no extent.
    EXPECT_FALSE(FitY::dataExtent(d, kFirst, kStart + 100 * kSecond, kStart + 200 * kSecond));
    const std::array<int, 1> missing{7};
    EXPECT_FALSE(FitY::dataExtent(d, missing, all0, all1));
    ChartData empty;
    empty.resize(4, 50);
    EXPECT_FALSE(FitY::dataExtent(empty, kFirst, all0, all1));
}

TEST(FitY, AFitLeavesASmallMarginAndASteadyReadingAtLeastOneDegree)
{
    const YExtent wide = FitY::fitted({20, 120});
    EXPECT_DOUBLE_EQ(wide.lo, 15);
    EXPECT_DOUBLE_EQ(wide.hi, 125);
    const YExtent flat = FitY::fitted({21.5, 21.5});
    EXPECT_NEAR(flat.lo + flat.hi, 43.0, 1e-9);   // centred on the reading
    EXPECT_NEAR(flat.span(), 1.1, 1e-9);
}

// A reading that rises steadily for ten minutes with some noise, then settles: the extent
// always holds the data, and it moves only every so often, never at consecutive samples.
TEST(FitY, FollowingKeepsEveryReadingInViewWithoutJumpingAtEverySample)
{
    std::optional<YExtent> shown;
    std::optional<YExtent> data;
    int changes = 0;
    int lastChange = -10;
    for (int p = 0; p < 900; ++p) {
        const double ramp = p < 600 ? 20.0 + 0.1 * p : 80.0;
        const float v = float(ramp + 0.3 * std::sin(p * 1.7));
        data = data ? YExtent{std::min(data->lo, double(v)), std::max(data->hi, double(v))}
                    : YExtent{v, v};
        if (const auto next = FitY::follow(shown, *data)) {
            shown = next;
            ++changes;
            EXPECT_GE(p - lastChange, 3) << "changed again after a sample or two at " << p;
            lastChange = p;
        }
        ASSERT_TRUE(shown->contains(data->lo) && shown->contains(data->hi)) << p;
    }
    EXPECT_LE(changes, 25);
    EXPECT_LT(lastChange, 600);   // a settled reading leaves the axes alone

    // Noise around a steady value: one fit, then nothing.
    shown.reset();
    changes = 0;
    data = YExtent{21.4, 21.4};
    for (int p = 0; p < 300; ++p) {
        data->lo = std::min(data->lo, 21.4 - (p % 3) * 0.1);
        data->hi = std::max(data->hi, 21.4 + (p % 2) * 0.1);
        if (const auto next = FitY::follow(shown, *data)) {
            shown = next;
            ++changes;
        }
    }
    EXPECT_EQ(changes, 1);

    // An extent far wider than the data (a fit of an earlier recording) is replaced.
    const auto narrowed = FitY::follow(YExtent{-10, 500}, YExtent{20, 22});
    ASSERT_TRUE(narrowed);
    EXPECT_LT(narrowed->span(), 5);
}

TEST(FitY, APaneWhoseDataAllLieOutsideItsExtentSaysWhere)
{
    ChartData d = twoSubsets(6, [](int s, int p) { return float(s == 0 ? 73.5 + p : -12.0 - p); });
    const double t0 = kStart - 1, t1 = kStart + 1;
    const YExtent axis{-10, 50};

    const FitY::OutOfView up = FitY::outOfView(d, kFirst, t0, t1, axis);
    EXPECT_EQ(up.above, 73.5f);   // the nearest to the extent
    EXPECT_FALSE(up.below);
    const FitY::OutOfView down = FitY::outOfView(d, kSecondSubset, t0, t1, axis);
    EXPECT_EQ(down.below, -12.0f);
    EXPECT_FALSE(down.above);
    // Points on both sides and none within: both are named.
    const FitY::OutOfView both = FitY::outOfView(d, kBoth, t0, t1, axis);
    EXPECT_EQ(both, (FitY::OutOfView{73.5f, -12.0f}));

    // One point in view is enough for no note; so is an edge.
    d.setY(0, 4, 50.0f);
    EXPECT_FALSE(FitY::outOfView(d, kFirst, t0, t1, axis).any());
    // ...unless that point is out of the X range in view.
    EXPECT_EQ(FitY::outOfView(d, kFirst, t0, kStart + 3.5 * kSecond, axis).above, 73.5f);
    // No data at all, no note.
    ChartData empty;
    empty.resize(1, 10);
    EXPECT_FALSE(FitY::outOfView(empty, kFirst, t0, t1, axis).any());
}

TEST(FitY, TheNoteNamesTheValueInTheUsersFormatAndTheUnitWhenKnown)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FitY::outOfViewText({73.5f, std::nullopt}, QStringLiteral("°C")),
              QStringLiteral("▲ 73,5 °C"));
    EXPECT_EQ(FitY::outOfViewText({std::nullopt, -12.0f}, QString()), QStringLiteral("▼ -12,0"));
    EXPECT_EQ(FitY::outOfViewText({80.0f, -3.2f}, QStringLiteral("°F")),
              QStringLiteral("▲ 80,0 °F  ▼ -3,2 °F"));
    EXPECT_EQ(FitY::outOfViewText({}, QStringLiteral("°C")), QString());
    QLocale::setDefault(before);
}
