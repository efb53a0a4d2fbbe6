// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/GraphWindowRules.h"

#include "base/LocaleText.h"

#include <algorithm>

GraphRole graphRoleOf(const QString& caption)
{
    if (caption == kRealTimeCaption)
        return GraphRole::RealTime;
    if (caption == kLoggerCaption)
        return GraphRole::Logger;
    return GraphRole::Plain;
}

QString readOutText(double x, double y)
{
    return LocaleText::fixed(y, 1) + QLatin1Char('@') + LocaleText::timeText(x);
}

void shareWorkingAxisExtent(ChartSettings& settings, int subsets, double minX, double maxX)
{
    settings.manualScaleControlX = sg::sgManualMinAndMax;
    settings.manualMinX = minX;
    settings.manualMaxX = maxX;
    const float minY = float(settings.axis().manualMinY);
    const float maxY = float(settings.axis().manualMaxY);
    const int axes = std::min(subsets, ChartLimits::MaxAxes);
    for (int i = 0; i < axes; ++i) {
        settings.workingAxis = i;
        settings.axis().manualScaleControlY = sg::sgManualMinAndMax;
        settings.axis().manualMinY = minY;
        settings.axis().manualMaxY = maxY;
    }
    settings.workingAxis = 0;
}
