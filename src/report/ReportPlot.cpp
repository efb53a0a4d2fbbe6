// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportPlot.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/ChartPanes.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kSecondsPerDay = 86400.0;

bool unfilled(double x, float y, float null)
{
    return x == 0.0 && y == null;
}

// The readings of one device pixel column that are drawn.
struct Column {
    long long index = 0;
    struct Pick {
        int point;
        double x;
        double y;
    };
    Pick first{}, min{}, max{}, last{};
    bool open = false;

    void start(long long col, const Pick& p)
    {
        index = col;
        first = min = max = last = p;
        open = true;
    }
    void add(const Pick& p)
    {
        if (p.y < min.y)
            min = p;
        if (p.y > max.y)
            max = p;
        last = p;
    }
    // The picks in the order they came, each once.
    void flushTo(QPolygonF& out, const AxisMap& ym)
    {
        if (!open)
            return;
        std::array<Pick, 4> picks{first, min, max, last};
        std::sort(picks.begin(), picks.end(),
                  [](const Pick& a, const Pick& b) { return a.point < b.point; });
        int previous = -1;
        for (const Pick& p : picks) {
            if (p.point == previous)
                continue;
            out << QPointF(p.x, ym(p.y));
            previous = p.point;
        }
        open = false;
    }
};

double niceStep(double range, int ticks)
{
    if (!(range > 0))
        return 1.0;
    const double raw = range / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * magnitude)
            return m * magnitude;
    return 10.0 * magnitude;
}

// Seconds between time ticks: the smallest step that gives at most `ticks` ticks.
double timeStep(double seconds, int ticks)
{
    static const double steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200,
                                   10800, 21600, 43200, 86400, 172800, 604800, 1209600, 2419200};
    for (double s : steps)
        if (seconds / s <= ticks)
            return s;
    return niceStep(seconds / kSecondsPerDay, ticks) * kSecondsPerDay;
}

int decimalsFor(double step)
{
    if (step >= 1.0)
        return 0;
    return std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
}

std::pair<double, double> widened(double lo, double hi, double minimum)
{
    if (hi - lo < minimum) {
        const double mid = (lo + hi) / 2;
        lo = mid - minimum / 2;
        hi = mid + minimum / 2;
    }
    return {lo, hi};
}

struct Extent {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    bool found() const { return lo <= hi; }
    void add(double v)
    {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
};

QString subsetName(const ChartSettings& s, int subset)
{
    const QString label = s.subsetLabel(subset).trimmed();
    return label.isEmpty() ? QStringLiteral("T%1").arg(subset + 1) : label;
}

double points(const QPainter& p, double pt)
{
    return pt * p.device()->logicalDpiY() / 72.0;
}

} // namespace

std::vector<QPolygonF> decimatedCurve(const ChartData& data, int s, int count, double lineGap,
                                      const AxisMap& xm, const AxisMap& ym)
{
    std::vector<QPolygonF> out;
    if (s < 0 || s >= data.subsets())
        return out;
    const int n = std::clamp(count, 0, data.points());
    const std::size_t base = std::size_t(s) * std::size_t(data.points());
    const double* xs = data.xs().data() + base;
    const float* ys = data.ys().data() + base;
    const float null = data.nullValue();

    QPolygonF piece;
    Column column;
    auto endPiece = [&] {
        column.flushTo(piece, ym);
        if (!piece.isEmpty())
            out.push_back(std::move(piece));
        piece = QPolygonF();
    };
    bool havePrevious = false;
    double previousX = 0.0;
    for (int p = 0; p < n; ++p) {
        const double x = xs[p];
        const float y = ys[p];
        if (unfilled(x, y, null) || !std::isfinite(x))
            continue;
        if (havePrevious && x - previousX > lineGap)
            endPiece();
        previousX = x;
        havePrevious = true;
        if (y == null || !std::isfinite(y)) {
            endPiece();
            continue;
        }
        const double px = xm(x);
        const Column::Pick pick{p, px, double(y)};
        const auto col = static_cast<long long>(std::floor(px));
        if (column.open && col != column.index)
            column.flushTo(piece, ym);
        if (column.open)
            column.add(pick);
        else
            column.start(col, pick);
    }
    endPiece();
    return out;
}

QColor paperColor(QRgb screen)
{
    QColor c = QColor::fromRgb(screen);
    // Light colours (white, yellow, bright green, light grey) fade on paper; keep the hue, darken
    // them.
    const double luminance = 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
    if (luminance > 0.6)
        c = c.darker(int(100 + (luminance - 0.5) * 200));
    return c;
}

bool drawReportPlot(QPainter& p, const QRectF& area, const ChartState& chart,
                    const ReportPlotOptions& o)
{
    const ChartData& d = chart.data;
    const ChartSettings& s = chart.settings;
    const int n = o.points < 0 ? d.points() : std::min(o.points, d.points());
    const std::vector<ChartPane> panes = chartPanes(chart);

    p.save();
    p.fillRect(area, Qt::white);
    QFont label = o.font;
    QFont tick = o.font;
    tick.setPointSizeF(o.font.pointSizeF() * 0.85);
    const QFontMetricsF fmLabel(label, p.device());
    const QFontMetricsF fmTick(tick, p.device());
    const double lh = fmLabel.height();
    const double th = fmTick.height();
    const double hair = points(p, 0.4);

    // The extents of the readings: X over every subset, Y per pane.
    Extent xExtent;
    std::vector<Extent> yExtent(panes.size());
    for (std::size_t k = 0; k < panes.size(); ++k) {
        for (int sub : panes[k].subsets) {
            for (int i = 0; i < n; ++i) {
                const double x = d.x(sub, i);
                const float y = d.y(sub, i);
                if (unfilled(x, y, d.nullValue()) || !std::isfinite(x) || y == d.nullValue()
                    || !std::isfinite(y))
                    continue;
                xExtent.add(x);
                yExtent[k].add(y);
            }
        }
    }
    const bool any = xExtent.found();

    auto [minX, maxX] = sg::manualExtent(s.manualScaleControlX, s.manualMinX, s.manualMaxX,
                                         any ? xExtent.lo : s.manualMinX,
                                         any ? xExtent.hi : s.manualMaxX);
    std::tie(minX, maxX) = widened(std::min(minX, maxX), std::max(minX, maxX), 2.0 / kSecondsPerDay);

    struct PaneView {
        double lo, hi, step;
        QRectF rect;
    };
    std::vector<PaneView> views;
    double tickWidth = 0;
    for (std::size_t k = 0; k < panes.size(); ++k) {
        const ChartAxis& a = s.axes[std::size_t(panes[k].axis)];
        const bool manual = a.manualScaleControlY == sg::sgManualMinAndMax;
        auto [lo, hi] = sg::manualExtent(a.manualScaleControlY, a.manualMinY, a.manualMaxY,
                                         yExtent[k].found() ? yExtent[k].lo : a.manualMinY,
                                         yExtent[k].found() ? yExtent[k].hi : a.manualMaxY);
        if (lo > hi)
            std::swap(lo, hi);
        std::tie(lo, hi) = widened(lo, hi, 1e-6);
        if (!manual) { // a little room above and below the curves
            const double pad = (hi - lo) * 0.04;
            lo -= pad;
            hi += pad;
        }
        const double step = niceStep(hi - lo, panes.size() > 2 ? 3 : 5);
        views.push_back({lo, hi, step, {}});
        const int decimals = decimalsFor(step);
        for (double v = std::ceil(lo / step) * step; v <= hi + step * 1e-9; v += step)
            tickWidth = std::max(tickWidth, fmTick.horizontalAdvance(LocaleText::fixed(v, decimals)));
    }

    // Legend: a short line in each subset's colour and its label, centred, in rows.
    struct LegendItem {
        QString text;
        QColor color;
        double width;
    };
    std::vector<LegendItem> legend;
    const double swatch = lh * 1.6;
    for (int sub = 0; sub < d.subsets(); ++sub) {
        const QString t = subsetName(s, sub);
        legend.push_back({t, paperColor(s.subsetColor(sub)),
                          swatch + lh * 0.4 + fmLabel.horizontalAdvance(t) + lh * 1.2});
    }
    std::vector<std::vector<const LegendItem*>> legendRows(1);
    double rowWidth = 0;
    for (const LegendItem& item : legend) {
        if (rowWidth + item.width > area.width() && !legendRows.back().empty()) {
            legendRows.emplace_back();
            rowWidth = 0;
        }
        legendRows.back().push_back(&item);
        rowWidth += item.width;
    }
    const double legendHeight = double(legendRows.size()) * lh * 1.3 + lh * 0.3;
    p.setFont(label);
    for (std::size_t r = 0; r < legendRows.size(); ++r) {
        double w = 0;
        for (const LegendItem* item : legendRows[r])
            w += item->width;
        double x = area.left() + (area.width() - w) / 2;
        const double y = area.top() + double(r) * lh * 1.3 + lh * 0.65;
        for (const LegendItem* item : legendRows[r]) {
            p.setPen(QPen(item->color, points(p, 1.5)));
            p.drawLine(QPointF(x, y), QPointF(x + swatch, y));
            p.setPen(Qt::black);
            p.drawText(QRectF(x + swatch + lh * 0.4, y - lh / 2, item->width, lh),
                       Qt::AlignLeft | Qt::AlignVCenter, item->text);
            x += item->width;
        }
    }

    // The panes between the legend and the time axis.
    const double yLabelWidth = lh * 1.4;
    const double left = area.left() + yLabelWidth + tickWidth + th * 0.6;
    const double right = area.right() - fmTick.horizontalAdvance(QStringLiteral("00:00:00")) / 2;
    const double top = area.top() + legendHeight;
    const QString xLabel = s.xAxisLabel.trimmed().isEmpty() ? QStringLiteral("Time") : s.xAxisLabel;
    const double bottom = area.bottom() - (th * 2.6 + lh * 1.2);
    const double gap = panes.size() > 1 ? th * 1.2 : 0.0;
    const double inner = std::max(bottom - top - gap * double(panes.size() - 1), lh);
    double y = top;
    for (std::size_t k = 0; k < panes.size(); ++k) {
        const double h = inner * panes[k].share;
        views[k].rect = QRectF(QPointF(left, y), QPointF(right, y + h));
        y += h + gap;
    }
    const AxisMap xm{minX, left, (right - left) / (maxX - minX)};

    // Time ticks, shared by the panes; labels under the lowest one.
    const double stepSeconds = timeStep((maxX - minX) * kSecondsPerDay, 7);
    const double stepDays = stepSeconds / kSecondsPerDay;
    std::vector<double> timeTicks;
    for (double t = std::ceil(minX / stepDays - 1e-9) * stepDays; t <= maxX + stepDays * 1e-9;
         t += stepDays)
        timeTicks.push_back(std::round(t * kSecondsPerDay * 1000.0) / (kSecondsPerDay * 1000.0));

    const QPen gridPen(QColor(205, 205, 205), hair);
    const QPen framePen(QColor(60, 60, 60), hair * 1.5);
    for (std::size_t k = 0; k < panes.size(); ++k) {
        const PaneView& v = views[k];
        const QRectF r = v.rect;
        const AxisMap ym{v.lo, r.bottom(), -r.height() / (v.hi - v.lo)};
        // Grid and Y ticks.
        p.setFont(tick);
        const int decimals = decimalsFor(v.step);
        for (double t = std::ceil(v.lo / v.step) * v.step; t <= v.hi + v.step * 1e-9; t += v.step) {
            const double py = ym(t);
            p.setPen(gridPen);
            p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
            p.setPen(Qt::black);
            p.drawText(QRectF(r.left() - tickWidth - th * 0.5, py - th / 2, tickWidth, th),
                       Qt::AlignRight | Qt::AlignVCenter, LocaleText::fixed(t, decimals));
        }
        for (double t : timeTicks) {
            p.setPen(gridPen);
            p.drawLine(QPointF(xm(t), r.top()), QPointF(xm(t), r.bottom()));
        }
        // The Y axis' label and the unit, turned to read upwards.
        const ChartAxis& a = s.axes[std::size_t(panes[k].axis)];
        QString yText = a.yAxisLabel.trimmed();
        if (!o.unit.isEmpty())
            yText = yText.isEmpty() ? o.unit : QStringLiteral("%1 (%2)").arg(yText, o.unit);
        if (!yText.isEmpty()) {
            p.save();
            p.setFont(label);
            p.setPen(Qt::black);
            p.translate(area.left(), r.center().y());
            p.rotate(-90);
            p.drawText(QRectF(-r.height() / 2, 0, r.height(), yLabelWidth),
                       Qt::AlignCenter | Qt::TextSingleLine,
                       fmLabel.elidedText(yText, Qt::ElideRight, r.height()));
            p.restore();
        }
        // The curves.
        p.save();
        p.setClipRect(r.adjusted(-hair, -hair, hair, hair));
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int sub : panes[k].subsets) {
            QPen pen(paperColor(s.subsetColor(sub)), points(p, 0.6) * std::max(1, s.lineWidth));
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(Qt::RoundCap);
            p.setPen(pen);
            for (const QPolygonF& piece : decimatedCurve(d, sub, n, s.lineGapThreshold, xm, ym)) {
                if (piece.size() == 1)
                    p.drawPoint(piece.front());
                else
                    p.drawPolyline(piece);
            }
        }
        // Annotations are placed on an unsplit chart only.
        if (panes.size() == 1 && s.showGraphAnnotations) {
            p.setFont(tick);
            for (const GraphAnnotation& an : chart.graphAnnotations) {
                const bool cross = an.type == sg::sgAnnotCross;
                if (!cross && an.text.trimmed().isEmpty())
                    continue;
                if (an.x < minX || an.x > maxX || an.y < v.lo || an.y > v.hi)
                    continue;
                const QPointF at(xm(an.x), ym(an.y));
                p.setPen(QPen(paperColor(an.color), points(p, 0.8)));
                if (cross) {
                    const double c = th * 0.35;
                    p.drawLine(at + QPointF(-c, -c), at + QPointF(c, c));
                    p.drawLine(at + QPointF(-c, c), at + QPointF(c, -c));
                } else {
                    QString text = an.text;
                    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
                    p.drawText(QRectF(at.x(), at.y(), r.right() - at.x(), r.bottom() - at.y()),
                               Qt::AlignLeft | Qt::AlignTop, text);
                }
            }
        }
        // The measuring cursors.
        if (o.cursors) {
            QPen pen(QColor(40, 40, 40), hair * 2, Qt::DashLine);
            p.setPen(pen);
            p.setFont(tick);
            const std::array<std::pair<double, QString>, 2> marks{
                std::pair{o.cursors->first, QStringLiteral("A")},
                std::pair{o.cursors->second, QStringLiteral("B")}};
            for (const auto& [t, name] : marks) {
                if (t < minX || t > maxX)
                    continue;
                p.setPen(pen);
                p.drawLine(QPointF(xm(t), r.top()), QPointF(xm(t), r.bottom()));
                if (k == 0) {
                    p.setPen(Qt::black);
                    p.drawText(QRectF(xm(t) + th * 0.2, r.top(), th * 2, th),
                               Qt::AlignLeft | Qt::AlignTop, name);
                }
            }
        }
        p.restore();
        p.setPen(framePen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }

    // Time labels under the lowest pane: the time of each tick, and the date where it changes.
    const QRectF lowest = views.back().rect;
    p.setFont(tick);
    p.setPen(Qt::black);
    QString lastDate;
    for (double t : timeTicks) {
        const double px = xm(t);
        p.drawLine(QPointF(px, lowest.bottom()), QPointF(px, lowest.bottom() + th * 0.3));
        const QString time = LocaleText::timeText(t);
        const double w = fmTick.horizontalAdvance(time) + th;
        p.drawText(QRectF(px - w / 2, lowest.bottom() + th * 0.35, w, th), Qt::AlignCenter, time);
        const QString date = LocaleText::dateText(t);
        if (date != lastDate) {
            const double dw = fmTick.horizontalAdvance(date) + th;
            p.drawText(QRectF(px - dw / 2, lowest.bottom() + th * 1.35, dw, th), Qt::AlignCenter,
                       date);
            lastDate = date;
        }
    }
    p.setFont(label);
    p.drawText(QRectF(left, lowest.bottom() + th * 2.5, right - left, lh * 1.2), Qt::AlignCenter,
               xLabel);

    if (!any) {
        p.setFont(label);
        const QRectF all(QPointF(left, top), QPointF(right, bottom));
        p.fillRect(all.adjusted(hair * 2, hair * 2, -hair * 2, -hair * 2), Qt::white);
        p.drawText(all, Qt::AlignCenter, o.emptyText);
    }
    p.restore();
    return any;
}
