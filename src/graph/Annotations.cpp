// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/Annotations.h"

#include "base/LocaleText.h"

#include <algorithm>

namespace Annotations {

bool allowed(const ChartSettings& settings)
{
    return settings.axes[0].multiAxesProportions == 1.0;
}

std::optional<QPoint> clickPoint(AnnotationTool mode, QPoint lastMouse, const QRect& graphArea)
{
    QPoint p = lastMouse;
    switch (mode) {
    case AnnotationTool::Normal:
        return std::nullopt;
    case AnnotationTool::Text:
        p += QPoint(1, 7);
        break;
    case AnnotationTool::Cross:
        p += QPoint(15, 15);
        break;
    }
    if (!graphArea.contains(p))
        return std::nullopt;
    return p;
}

namespace {

bool shows(const GraphAnnotation& a)
{
    const bool outOfSight = a.x == 0.0 && a.y == 0.0;
    return !outOfSight && (a.type == sg::sgAnnotCross || !a.text.isEmpty());
}

} // namespace

int nextIndex(const List& list, const AnnotationState& shared)
{
    int last = shared.AnnotationCounter;
    for (int i = static_cast<int>(list.size()) - 1; i > last; --i)
        if (shows(list[std::size_t(i)])) {
            last = i;
            break;
        }
    return last + 1;
}

int add(List& list, AnnotationState& shared, int type, QPointF at, const QString& text)
{
    const int index = nextIndex(list, shared);
    shared.AnnotationCounter = index;
    if (GraphAnnotation* a = growTo(list, index, ChartLimits::MaxAnnotations)) {
        a->type = type == sg::sgAnnotCross ? sg::sgAnnotCross : sg::sgAnnotText;
        a->x = at.x();
        a->y = at.y();
        a->text = text;
        a->color = shared.AnnoColor;
    }
    return index;
}

void hide(List& list, int index)
{
    if (index < 0 || std::size_t(index) >= list.size())
        return;
    GraphAnnotation& a = list[std::size_t(index)];
    a.type = sg::sgAnnotText;
    a.text.clear();
}

QString dataPointText(double x, float y)
{
    return LocaleText::timeText(x) + QLatin1Char('\r') + LocaleText::fixed(y, 1);
}

void markDataPoint(List& list, const ChartData& data, int s, int p)
{
    if (!data.valid(s, p))
        return;
    GraphAnnotation* a = growTo(list, kDataPointMarker, ChartLimits::MaxAnnotations);
    a->type = sg::sgAnnotCross;
    a->color = qRgb(0, 0, 0);
    a->x = data.x(s, p);
    a->y = data.y(s, p);
    a->text = dataPointText(a->x, data.y(s, p));
}

// Entries 0 .. last index of the list, at most.
static std::size_t endOf(const List& list, int last)
{
    return std::min(list.size(), std::size_t(std::max(last + 1, 0)));
}

void setColor(List& list, int counter, QRgb color)
{
    for (std::size_t i = 0, end = endOf(list, counter); i < end; ++i)
        list[i].color = color;
}

QString maxMinText(int channel, const QString& max, const QString& min, const QString& avg)
{
    return QStringLiteral("T%1 MAX:").arg(channel + 1) + max + QStringLiteral("MIN:") + min +
           QStringLiteral("AVG:") + avg;
}

std::array<QPoint, 4> maxMinPositions(const QRect& graphArea)
{
    std::array<QPoint, 4> out;
    QPoint p(graphArea.left() + 80, graphArea.top() + 20);
    for (QPoint& q : out) {
        q = p;
        p.ry() += 20;
    }
    return out;
}

void clearRealTime(List& list, AnnotationState& shared)
{
    for (std::size_t i = AnnotationState::kFirstCounter, end = endOf(list, shared.AnnotationCounter);
         i < end; ++i) {
        list[i].x = 0;
        list[i].y = 0;
    }
    shared.AnnotationCounter = AnnotationState::kFirstCounter;
}

} // namespace Annotations
