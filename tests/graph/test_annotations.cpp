// SPDX-License-Identifier: GPL-3.0-or-later
// The annotation rules without a window: where a click places one, the shared counter, hiding,
// the colour, the data point marker, the maxima and minima lines and the real-time clear; and
// the graph window's rules for its role, its read-out and "Graph Option".
#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/Annotations.h"
#include "graph/GraphWindowRules.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

const QRect kArea(100, 50, 400, 300); // left 100, top 50, right 499, bottom 349

double at(int h, int m, int s)
{
    return DateTime::fromQDateTime(QDateTime(QDate(2026, 9, 12), QTime(h, m, s)));
}

} // namespace

TEST(AnnotationClick, OffsetsByToolAndThePlottingAreaRule)
{
    using Annotations::clickPoint;
    EXPECT_EQ(clickPoint(AnnotationTool::Normal, {200, 200}, kArea), std::nullopt);
    EXPECT_EQ(clickPoint(AnnotationTool::Text, {200, 200}, kArea), QPoint(201, 207));
    // The cross cursor's hot spot is its top-left corner; the mark goes to its centre.
    EXPECT_EQ(clickPoint(AnnotationTool::Cross, {200, 200}, kArea), QPoint(215, 215));

    // Judged after the offset: a click just left of the area places a cross inside it, a
    // click in the bottom margin places nothing, and the edges count as inside.
    EXPECT_EQ(clickPoint(AnnotationTool::Cross, {90, 100}, kArea), QPoint(105, 115));
    EXPECT_EQ(clickPoint(AnnotationTool::Cross, {300, 340}, kArea), std::nullopt);
    EXPECT_EQ(clickPoint(AnnotationTool::Text, {99, 43}, kArea), QPoint(100, 50));
    EXPECT_EQ(clickPoint(AnnotationTool::Text, {498, 342}, kArea), QPoint(499, 349));
    EXPECT_EQ(clickPoint(AnnotationTool::Text, {499, 342}, kArea), std::nullopt);
    EXPECT_EQ(clickPoint(AnnotationTool::Text, {20, 20}, kArea), std::nullopt);
}

TEST(AnnotationCounter, SharedIndexesOnlyGrowAndHiddenOnesStayUsed)
{
    AnnotationState shared;
    shared.AnnoColor = qRgb(255, 0, 0);
    Annotations::List a, b; // two windows' charts
    EXPECT_EQ(Annotations::add(a, shared, sg::sgAnnotText, {1.5, 20}, QString()), 4);
    EXPECT_EQ(a[4].text, "");            // an empty text still uses up its index
    EXPECT_EQ(a[4].color, qRgb(255, 0, 0));
    EXPECT_EQ(Annotations::add(b, shared, sg::sgAnnotCross, {2.5, 30}, QStringLiteral("x")), 5);
    EXPECT_EQ(b[5].type, sg::sgAnnotCross);
    EXPECT_EQ(b[5].x, 2.5);
    EXPECT_EQ(b[5].y, 30);
    EXPECT_EQ(b.size(), 6u);

    Annotations::hide(b, 5);
    EXPECT_EQ(b[5].type, sg::sgAnnotText);
    EXPECT_EQ(b[5].text, "");
    EXPECT_EQ(shared.AnnotationCounter, 5);
    EXPECT_EQ(Annotations::add(b, shared, sg::sgAnnotText, {3, 3}, QStringLiteral("next")), 6);
    Annotations::hide(b, 99); // nothing there: nothing happens
    EXPECT_EQ(b.size(), 7u);

    // The colour for the whole chart reaches up to the counter and no further.
    Annotations::List c(10);
    shared.AnnotationCounter = 7;
    Annotations::setColor(c, shared.AnnotationCounter, qRgb(0, 0, 255));
    EXPECT_EQ(c[0].color, qRgb(0, 0, 255));
    EXPECT_EQ(c[7].color, qRgb(0, 0, 255));
    EXPECT_EQ(c[8].color, qRgb(0, 0, 0));
}

TEST(AnnotationClear, RealTimeClearMovesThePlacedOnesAwayAndRestartsTheCounter)
{
    AnnotationState shared;
    Annotations::List list;
    ChartData data;
    data.resize(4, 3);
    data.setX(1, 2, at(10, 15, 30));
    data.setY(1, 2, 23.44f);
    Annotations::markDataPoint(list, data, 1, 2);
    for (int i = 0; i < 3; ++i)
        Annotations::add(list, shared, sg::sgAnnotText, {at(10, 0, i), 40.0 + i}, QStringLiteral("n"));
    ASSERT_EQ(shared.AnnotationCounter, 6);

    Annotations::clearRealTime(list, shared);
    EXPECT_EQ(shared.AnnotationCounter, 3);
    for (int i = 4; i <= 6; ++i) {
        EXPECT_EQ(list[std::size_t(i)].x, 0.0);
        EXPECT_EQ(list[std::size_t(i)].y, 0.0);
        EXPECT_EQ(list[std::size_t(i)].text, "n");
    }
    // The data point marker is not one of them.
    EXPECT_EQ(list[2].x, at(10, 15, 30));
    // After the clear the next annotation takes index 4 again.
    EXPECT_EQ(Annotations::add(list, shared, sg::sgAnnotCross, {1, 1}, QString()), 4);
}

TEST(AnnotationMarker, DataPointMarkerIsOneBlackCrossThatMoves)
{
    ChartData data;
    data.resize(4, 3);
    data.setX(1, 2, at(10, 15, 30));
    data.setY(1, 2, 23.44f);
    data.setX(3, 0, at(11, 0, 0));
    data.setY(3, 0, -5.0f);
    Annotations::List list;
    Annotations::markDataPoint(list, data, 1, 2);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].type, sg::sgAnnotCross);
    EXPECT_EQ(list[2].color, qRgb(0, 0, 0));
    EXPECT_EQ(list[2].x, at(10, 15, 30));
    EXPECT_FLOAT_EQ(float(list[2].y), 23.44f);
    EXPECT_EQ(list[2].text, LocaleText::timeText(at(10, 15, 30)) + QStringLiteral("\r23.4"));

    Annotations::markDataPoint(list, data, 3, 0);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].x, at(11, 0, 0));
    EXPECT_EQ(list[2].text, LocaleText::timeText(at(11, 0, 0)) + QStringLiteral("\r-5.0"));
    Annotations::markDataPoint(list, data, 4, 0); // not a cell of the chart
    EXPECT_EQ(list[2].x, at(11, 0, 0));
}

TEST(AnnotationMaxMin, LinesTwentyPixelsApartWithTheBoxTextsAsTheyStand)
{
    const auto p = Annotations::maxMinPositions(kArea);
    EXPECT_EQ(p[0], QPoint(180, 70));
    EXPECT_EQ(p[1], QPoint(180, 90));
    EXPECT_EQ(p[3], QPoint(180, 130));
    EXPECT_EQ(Annotations::maxMinText(1, QStringLiteral("OL"), QStringLiteral("12.0@x"),
                                      QStringLiteral("****")),
              "T2 MAX:OLMIN:12.0@xAVG:****");
}

TEST(GraphWindowRules, RoleReadOutAndTheExtentsAfterGraphOption)
{
    EXPECT_EQ(graphRoleOf(QStringLiteral("Real-Time Graph")), GraphRole::RealTime);
    EXPECT_EQ(graphRoleOf(QStringLiteral("DataLogger")), GraphRole::Logger);
    EXPECT_EQ(graphRoleOf(QStringLiteral("datalogger")), GraphRole::Plain);
    EXPECT_EQ(graphRoleOf(QStringLiteral("/home/u/run.ghf")), GraphRole::Plain);

    EXPECT_EQ(readOutText(at(10, 15, 30), 23.44),
              QStringLiteral("23.4@") + LocaleText::timeText(at(10, 15, 30)));
    EXPECT_EQ(readOutText(at(0, 0, 0), -0.04), QStringLiteral("0.0@") + LocaleText::timeText(0));

    ChartSettings s;
    s.workingAxis = 0;
    s.axes[0].manualMinY = -12.3;
    s.axes[0].manualMaxY = 55.55;
    s.axes[2].manualScaleControlY = sg::sgNone;
    s.axes[5].manualMinY = 7; // beyond the subsets: left alone
    shareWorkingAxisExtent(s, 4, 45000.5, 45000.75);
    EXPECT_EQ(s.manualScaleControlX, sg::sgManualMinAndMax);
    EXPECT_EQ(s.manualMinX, 45000.5);
    EXPECT_EQ(s.manualMaxX, 45000.75);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.axes[std::size_t(i)].manualScaleControlY, sg::sgManualMinAndMax);
        EXPECT_EQ(s.axes[std::size_t(i)].manualMinY, double(float(-12.3)));
        EXPECT_EQ(s.axes[std::size_t(i)].manualMaxY, double(float(55.55)));
    }
    EXPECT_EQ(s.axes[5].manualMinY, 7);
    EXPECT_EQ(s.workingAxis, 0);
}
