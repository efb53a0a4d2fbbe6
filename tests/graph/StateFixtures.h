// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Chart states with every field away from its default, for round trips.

#include "graph/ChartState.h"

#include <cmath>

inline ChartState richState()
{
    ChartState st;
    st.data.setNullValue(ChartNullReading);
    st.data.resize(4, 257);
    for (int s = 0; s < 4; ++s)
        for (int p = 0; p < 257; ++p) {
            st.data.setX(s, p, 45365.5 + p / 86400.0 + s * 1e-9);
            // Nulls, negative zero, tiny and awkward values must survive bit for bit.
            const float v = (p % 17 == 0) ? ChartNullReading
                            : (p == 5)    ? -0.0f
                            : (p == 6)    ? 1.17549435e-38f
                                          : static_cast<float>(std::sin(p * 0.1 + s) * 123.4567);
            st.data.setY(s, p, v);
        }
    ChartSettings& c = st.settings;
    c.mainTitle = QStringLiteral("Kiln \u00b0C run");
    c.subTitle = QStringLiteral(" ");
    c.xAxisLabel = QStringLiteral("Time");
    c.subsetLabels = {QStringLiteral("T1"), QStringLiteral("T2"), QString(), QStringLiteral("T4")};
    c.subsetColors = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    c.mainTitleFont = QStringLiteral("Sans Serif,14,-1,5,700,0,0,0,0,0");
    c.labelFont = QStringLiteral("Monospace,9,-1,5,400,0,0,0,0,0");
    c.gridStyle = sg::sgDash;
    c.gridLineControl = sg::sgGridY;
    c.graphForeColor = qRgb(0, 128, 0);
    c.graphBackColor = qRgb(0, 0, 0);
    c.deskColor = qRgb(192, 192, 192);
    c.textColor = qRgb(10, 20, 30);
    c.lineWidth = 3;
    c.dateTimeMode = sg::sgVBDateTime;
    c.usingXDataII = true;
    c.manualScaleControlX = sg::sgManualMinAndMax;
    c.manualMinX = 45365.5;
    c.manualMaxX = 45365.75;
    c.workingAxis = 2;
    for (int i = 0; i < 4; ++i) {
        ChartAxis& a = c.axes[static_cast<std::size_t>(i)];
        a.manualScaleControlY = sg::sgManualMinAndMax;
        a.manualMinY = -10.5 - i;
        a.manualMaxY = 50.25 + i;
        a.yAxisLabel = QStringLiteral("Axis %1").arg(i);
        a.multiAxesSubsets = 1;
        a.multiAxesProportions = 0.25;
    }
    c.multiAxesSeparators = sg::sgMediumLine;
    c.allowZooming = sg::sgHorzPlusVertZooming;
    c.scrollingHorzZoom = true;
    c.scrollingVertZoom = true;
    c.graphAnnotationTextSize = 120;
    c.allowGraphAnnotHotSpots = true;
    c.showVertLineAnnotations = true;
    c.allowVertLineAnnotHotSpots = true;
    c.lineAnnotationTextSize = 80;
    c.lineGapThreshold = 0.5;
    c.allowDataHotSpots = true;
    c.subsetByPoint = false;
    c.prepareImages = true;
    c.noHelp = true;
    c.allowPopup = false;
    c.noRandomPointsToExport = true;
    c.focalRect = false;
    c.allowBar = false;
    c.arrowCursor = sg::sgTextCursor;
    c.allowAxisPage = false;
    c.allowFontPage = false;
    c.allowPage2 = false;
    st.graphAnnotations.resize(6);
    st.graphAnnotations[2] = {sg::sgAnnotCross, 45365.6, 22.5, QStringLiteral("10:05:00\r22.5"), qRgb(0, 0, 0)};
    st.graphAnnotations[4] = {sg::sgAnnotText, 45365.61, -3.25, QStringLiteral("door opened"), qRgb(255, 0, 0)};
    st.graphAnnotations[5] = {sg::sgAnnotCross, 45365.62, 80, QString(), qRgb(0, 255, 0)};
    st.vertLineAnnotations = {{45365.55, QStringLiteral("A"), qRgb(0, 0, 255)},
                              {45365.65, QString(), qRgb(255, 0, 0)}};
    return st;
}
