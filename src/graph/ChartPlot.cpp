// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/ChartPlot.h"

#include "graph/ChartPanes.h"
#include "graph/FitY.h"

#include <qcustomplot.h>

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double UnixEpochInDays = 25569.0;   // 1970-01-01 counted from 1899-12-30
constexpr double SecondsPerDay = 86400.0;
constexpr int HotSpotPixels = 6;
constexpr int CursorGrabPixels = 5;
const QString CursorLayer = QStringLiteral("cursors");
const QColor CursorColor(196, 0, 110);

// Date-time tick labels: the time of day over the date on short spans, the date alone (with
// hours and minutes when the ticks fall within days) on longer ones. Keys are the wall-clock
// time as seconds since 1970 read as UTC, so no time zone shifts the labels.
class DateTicker : public QCPAxisTickerDateTime {
public:
    DateTicker() { setDateTimeSpec(Qt::UTC); }

protected:
    double getTickStep(const QCPRange& range) override
    {
        step_ = QCPAxisTickerDateTime::getTickStep(range);
        span_ = range.size();
        return step_;
    }
    QString getTickLabel(double tick, const QLocale& locale, QChar, int) override
    {
        const QDateTime t =
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(tick * 1000.0)),
                                           Qt::UTC);
        const QString date = t.toString(locale.dateFormat(QLocale::ShortFormat));
        const QString time = t.toString(step_ < 60.0 ? QStringLiteral("HH:mm:ss")
                                                     : QStringLiteral("HH:mm"));
        if (span_ <= 3 * SecondsPerDay)
            return time + QLatin1Char('\n') + date;
        if (step_ < SecondsPerDay)
            return date + QLatin1Char('\n') + time;
        return date;
    }

private:
    double step_ = 1;
    double span_ = 1;
};

QStringList annotationLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

// Where an annotation's text goes: starting at its point (right of the cross for crosses), the
// first line centred on the point's height.
QRect annotationTextRect(QPointF at, const GraphAnnotation& a, const QFont& font)
{
    if (a.text.isEmpty())
        return {};
    const QFontMetrics fm(font);
    const QStringList lines = annotationLines(a.text);
    int width = 0;
    for (const QString& l : lines)
        width = std::max(width, fm.horizontalAdvance(l));
    const int left = static_cast<int>(at.x()) + (a.type == sg::sgAnnotCross ? 8 : 0);
    const int top = static_cast<int>(at.y()) - fm.height() / 2;
    return {left, top, width, fm.height() * static_cast<int>(lines.size())};
}

QFont scaledFont(const QFont& base, int percent)
{
    QFont f = base;
    f.setPointSizeF(std::max(1.0, base.pointSizeF() * percent / 100.0));
    return f;
}

QFont fontFrom(const QString& description, const QFont& fallback)
{
    QFont f = fallback;
    if (!description.isEmpty())
        f.fromString(description);
    return f;
}

class AnnotationItem : public QCPAbstractItem {
public:
    AnnotationItem(QCustomPlot* plot, QCPAxisRect* rect, GraphAnnotation a, QFont font)
        : QCPAbstractItem(plot), position(createPosition(QStringLiteral("position"))),
          a_(std::move(a)), font_(std::move(font))
    {
        position->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        position->setCoords(ChartPlot::toKey(a_.x), a_.y);
        setClipAxisRect(rect);
        setClipToAxisRect(true);
    }
    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }

    QCPItemPosition* const position;

protected:
    // Marks and texts are outlined in a contrasting colour, so that they show on any
    // background (black annotations on the default black graph included).
    void draw(QCPPainter* painter) override
    {
        const QPointF at = position->pixelPosition();
        const QColor color = QColor::fromRgb(a_.color);
        const QColor halo = qGray(a_.color) < 128 ? QColor(Qt::white) : QColor(Qt::black);
        if (a_.type == sg::sgAnnotCross) {
            for (const QPen& pen : {QPen(halo, 4), QPen(color, 2)}) {
                painter->setPen(pen);
                painter->drawLine(at + QPointF(-5, -5), at + QPointF(5, 5));
                painter->drawLine(at + QPointF(-5, 5), at + QPointF(5, -5));
            }
        }
        if (a_.text.isEmpty())
            return;
        painter->setFont(font_);
        const QRect r = annotationTextRect(at, a_, font_);
        const QFontMetrics fm(font_);
        const QStringList lines = annotationLines(a_.text);
        static constexpr QPointF kAround[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                              {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
        for (const bool outline : {true, false}) {
            painter->setPen(outline ? halo : color);
            int y = r.top() + fm.ascent();
            for (const QString& line : lines) {
                const QPointF base(r.left(), y);
                if (outline)
                    for (const QPointF& d : kAround)
                        painter->drawText(base + d, line);
                else
                    painter->drawText(base, line);
                y += fm.height();
            }
        }
    }

private:
    GraphAnnotation a_;
    QFont font_;
};

// The Y axis label with the unit of the data: the unit alone under an empty label, after the
// label in brackets unless the label names it already.
QString axisLabel(const QString& label, const QString& unit)
{
    if (unit.isEmpty() || label.contains(unit))
        return label;
    if (label.trimmed().isEmpty())
        return unit;
    return label + QStringLiteral(" (") + unit + QLatin1Char(')');
}

bool unfilled(double x, float y, float null)
{
    return x == 0.0 && y == null;
}

} // namespace

void ChartDirty::mark(int s, int p)
{
    if (all)
        return;
    const auto i = static_cast<std::size_t>(s);
    if (i >= lo.size()) {
        all = true;
        return;
    }
    lo[i] = lo[i] < 0 ? p : std::min(lo[i], p);
    hi[i] = std::max(hi[i], p);
}

bool ChartDirty::any() const
{
    if (all)
        return true;
    return std::any_of(lo.begin(), lo.end(), [](int p) { return p >= 0; });
}

void ChartDirty::clear(int subsets)
{
    all = false;
    lo.assign(static_cast<std::size_t>(subsets), -1);
    hi.assign(static_cast<std::size_t>(subsets), -1);
}

double ChartPlot::toKey(double days)
{
    return (days - UnixEpochInDays) * SecondsPerDay;
}

double ChartPlot::toDays(double key)
{
    return key / SecondsPerDay + UnixEpochInDays;
}

ChartPlot::ChartPlot(QCustomPlot* plot) : plot_(plot)
{
    margins_ = new QCPMarginGroup(plot_);
    plot_->setAutoAddPlottableToLegend(false);
    plot_->setNoAntialiasingOnDrag(true);
    plot_->setPlottingHint(QCP::phCacheLabels, true);
    plot_->addLayer(CursorLayer, plot_->layer(QStringLiteral("overlay")), QCustomPlot::limAbove);
    plot_->layer(CursorLayer)->setMode(QCPLayer::lmBuffered);
    QObject::connect(plot_, &QCustomPlot::beforeReplot, plot_, [this] { balancePanes(); });
}

void ChartPlot::balancePanes()
{
    if (panes_.size() < 2)
        return;
    QCPLayoutGrid* root = plot_->plotLayout();
    root->update(QCPLayoutElement::upPreparation);
    root->update(QCPLayoutElement::upMargins);
    root->update(QCPLayoutElement::upLayout);
    const int n = static_cast<int>(panes_.size());
    double margins = 0;
    for (const Pane& p : panes_)
        margins += p.rect->margins().top() + p.rect->margins().bottom();
    const double height = paneGrid_->rect().height() - paneGrid_->rowSpacing() * (n - 1);
    const double inner = std::max(height - margins, 1.0);
    for (int i = 0; i < n; ++i) {
        const Pane& p = panes_[static_cast<std::size_t>(i)];
        const double m = p.rect->margins().top() + p.rect->margins().bottom();
        paneGrid_->setRowStretchFactor(i, std::max(p.share * inner + m, 1.0));
    }
}

ChartPlot::~ChartPlot() = default;

void ChartPlot::toPainter(QCPPainter& painter, int width, int height)
{
    const QRect screen = plot_->viewport();
    plot_->setViewport(QRect(0, 0, width, height));
    balancePanes();
    plot_->setViewport(screen);
    // The measuring cursors are a tool of the screen, not part of the graph.
    plot_->layer(CursorLayer)->setVisible(false);
    plot_->toPainter(&painter, width, height);
    plot_->layer(CursorLayer)->setVisible(true);
    balancePanes();
}

std::vector<ChartPlot::Pane> ChartPlot::planPanes(const ChartState& state) const
{
    std::vector<Pane> plan;
    for (ChartPane& p : chartPanes(state)) {
        Pane pane;
        pane.axis = p.axis;
        pane.subsets = std::move(p.subsets);
        pane.share = p.share;
        plan.push_back(std::move(pane));
    }
    return plan;
}

void ChartPlot::sync(const ChartState& state, ChartDirty& dirty, bool reinit)
{
    std::vector<Pane> plan = planPanes(state);
    std::vector<double> key{static_cast<double>(state.data.subsets()),
                            state.settings.mainTitle.trimmed().isEmpty() ? 0.0 : 1.0,
                            state.settings.subTitle.trimmed().isEmpty() ? 0.0 : 1.0,
                            static_cast<double>(state.settings.multiAxesSeparators)};
    for (const Pane& p : plan) {
        key.push_back(p.axis);
        key.push_back(static_cast<double>(p.subsets.size()));
        key.push_back(p.share);
    }
    if (reinit || key != layoutKey_ || panes_.empty()) {
        buildLayout(state, std::move(plan));
        layoutKey_ = std::move(key);
        dirty.all = true;
    }
    applySettings(state);
    syncData(state, dirty);
    buildItems(state);
    dirty.clear(state.data.subsets());
}

void ChartPlot::buildLayout(const ChartState& state, std::vector<Pane> plan)
{
    plot_->clearItems();
    for (auto& items : cursorItems_)
        items.clear();
    plot_->clearPlottables();
    plot_->plotLayout()->clear();
    graphs_.clear();
    title_ = subTitle_ = nullptr;
    QCPLayoutGrid* layout = plot_->plotLayout();
    layout->setRowSpacing(2);
    int row = 0;
    if (!state.settings.mainTitle.trimmed().isEmpty()) {
        title_ = new QCPTextElement(plot_);
        layout->addElement(row, 0, title_);
        layout->setRowStretchFactor(row++, 0.001);
    }
    if (!state.settings.subTitle.trimmed().isEmpty()) {
        subTitle_ = new QCPTextElement(plot_);
        layout->addElement(row, 0, subTitle_);
        layout->setRowStretchFactor(row++, 0.001);
    }
    // The legend keeps its natural width, centred between two stretching spacers.
    auto* legendRow = new QCPLayoutGrid;
    layout->addElement(row, 0, legendRow);
    layout->setRowStretchFactor(row++, 0.001);
    legend_ = new QCPLegend;
    legendRow->addElement(0, 0, new QCPLayoutElement(plot_));
    legendRow->addElement(0, 1, legend_);
    legendRow->addElement(0, 2, new QCPLayoutElement(plot_));
    legendRow->setColumnStretchFactor(0, 1);
    legendRow->setColumnStretchFactor(1, 0.001);
    legendRow->setColumnStretchFactor(2, 1);
    legend_->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend_->setBorderPen(Qt::NoPen);
    legend_->setBrush(Qt::NoBrush);
    legend_->setMargins(QMargins(4, 6, 4, 2));
    legend_->setIconSize(24, 10);
    legend_->setColumnSpacing(16);
    legend_->setLayer(QStringLiteral("legend"));

    paneGrid_ = new QCPLayoutGrid;
    layout->addElement(row, 0, paneGrid_);
    layout->setRowStretchFactor(row, 1);
    static constexpr int spacing[] = {14, 18, 24, 10};   // room for the edge labels of neighbouring panes
    paneGrid_->setRowSpacing(spacing[std::clamp(state.settings.multiAxesSeparators, 0, 3)]);

    graphs_.assign(static_cast<std::size_t>(state.data.subsets()), nullptr);
    panes_ = std::move(plan);
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        Pane& p = panes_[i];
        p.rect = new QCPAxisRect(plot_, true);
        p.rect->setLayer(QStringLiteral("background"));   // its background lies under the grid
        paneGrid_->addElement(static_cast<int>(i), 0, p.rect);
        paneGrid_->setRowStretchFactor(static_cast<int>(i), std::max(p.share, 0.01));
        p.rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins_);
        // Panes sit close together; only the lowest keeps room for the time labels.
        const bool last = i + 1 == panes_.size();
        p.rect->setAutoMargins(last ? QCP::msLeft | QCP::msRight | QCP::msBottom
                                    : QCP::msLeft | QCP::msRight);
        p.rect->setMargins(QMargins(0, i == 0 ? 8 : 2, 0, last ? 0 : 2));
        for (QCPAxis* a : p.rect->axes())
            a->setLayer(QStringLiteral("axes"));
        p.rect->axis(QCPAxis::atBottom)->grid()->setLayer(QStringLiteral("grid"));
        p.rect->axis(QCPAxis::atLeft)->grid()->setLayer(QStringLiteral("grid"));
        for (int s : p.subsets) {
            auto* g = new QCPGraph(p.rect->axis(QCPAxis::atBottom), p.rect->axis(QCPAxis::atLeft));
            g->setAdaptiveSampling(true);
            g->addToLegend(legend_);
            graphs_[static_cast<std::size_t>(s)] = g;
        }
    }
}

void ChartPlot::applySettings(const ChartState& state)
{
    const ChartSettings& s = state.settings;
    const QColor text = QColor::fromRgb(s.textColor);
    const QColor fore = QColor::fromRgb(s.graphForeColor);
    const QFont base = plot_->font();
    const QFont labelFont = fontFrom(s.labelFont, base);
    QFont titleDefault = base;
    titleDefault.setPointSizeF(base.pointSizeF() * 1.4);
    titleDefault.setBold(true);
    QFont subDefault = base;
    subDefault.setPointSizeF(base.pointSizeF() * 1.1);

    plot_->setBackground(QBrush(QColor::fromRgb(s.deskColor)));
    if (title_) {
        title_->setText(s.mainTitle);
        title_->setFont(fontFrom(s.mainTitleFont, titleDefault));
        title_->setTextColor(text);
    }
    if (subTitle_) {
        subTitle_->setText(s.subTitle);
        subTitle_->setFont(fontFrom(s.subTitleFont, subDefault));
        subTitle_->setTextColor(text);
    }
    legend_->setFont(labelFont);
    legend_->setTextColor(text);

    QPen grid(fore, s.gridStyle == sg::sgThick ? 2 : 0);
    if (s.gridStyle == sg::sgDot)
        grid.setStyle(Qt::DotLine);
    else if (s.gridStyle == sg::sgDash)
        grid.setStyle(Qt::DashLine);
    const bool xGrid = s.gridLineControl == sg::sgGridBoth || s.gridLineControl == sg::sgGridX;
    const bool yGrid = s.gridLineControl == sg::sgGridBoth || s.gridLineControl == sg::sgGridY;

    QSharedPointer<QCPAxisTicker> ticker;
    if (s.dateTimeMode != sg::sgNoDateTime)
        ticker = QSharedPointer<DateTicker>::create();
    else
        ticker = QSharedPointer<QCPAxisTicker>::create();

    for (std::size_t i = 0; i < panes_.size(); ++i) {
        const Pane& p = panes_[i];
        const bool last = i + 1 == panes_.size();
        p.rect->setBackground(QBrush(QColor::fromRgb(s.graphBackColor)));
        for (QCPAxis* a : p.rect->axes()) {
            a->setBasePen(QPen(text));
            a->setTickPen(QPen(text));
            a->setSubTickPen(QPen(text));
            a->setTickLabelColor(text);
            a->setLabelColor(text);
            a->setTickLabelFont(labelFont);
            a->setLabelFont(labelFont);
            a->grid()->setPen(grid);
            a->grid()->setZeroLinePen(grid);
            a->grid()->setSubGridVisible(false);
        }
        QCPAxis* x = p.rect->axis(QCPAxis::atBottom);
        QCPAxis* y = p.rect->axis(QCPAxis::atLeft);
        for (QCPAxis* frame : {p.rect->axis(QCPAxis::atTop), p.rect->axis(QCPAxis::atRight)}) {
            frame->setVisible(true);
            frame->setTicks(false);
            frame->setTickLabels(false);
            frame->grid()->setVisible(false);
        }
        x->setTicker(ticker);
        x->setTickLabels(last);
        x->setLabel(last ? s.xAxisLabel : QString());
        x->grid()->setVisible(xGrid);
        y->grid()->setVisible(yGrid);
        y->setLabel(axisLabel(s.axes[static_cast<std::size_t>(p.axis)].yAxisLabel, state.unit));
        y->setNumberFormat(QStringLiteral("gb"));
        for (int sub : p.subsets) {
            QCPGraph* g = graphs_[static_cast<std::size_t>(sub)];
            g->setPen(QPen(QColor::fromRgb(s.subsetColor(sub)), std::max(s.lineWidth, 1)));
            QString name = s.subsetLabel(sub);
            g->setName(name.isEmpty() ? QStringLiteral("Subset %1").arg(sub + 1) : name);
        }
    }
}

void ChartPlot::syncData(const ChartState& state, ChartDirty& dirty)
{
    const int subsets = state.data.subsets();
    if (dirty.all || static_cast<int>(filledEnd_.size()) != subsets) {
        filledEnd_.assign(static_cast<std::size_t>(subsets), 0);
        lastX_.assign(static_cast<std::size_t>(subsets), 0.0);
        for (int s = 0; s < subsets; ++s)
            rebuildSubset(state, s);
        return;
    }
    for (int s = 0; s < subsets; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (dirty.lo[i] < 0)
            continue;
        if (dirty.lo[i] >= filledEnd_[i])
            appendSubset(state, s, dirty.lo[i], dirty.hi[i] + 1);
        else
            rebuildSubset(state, s);
    }
}

void ChartPlot::rebuildSubset(const ChartState& state, int s)
{
    QCPGraph* g = graphs_[static_cast<std::size_t>(s)];
    g->data()->clear();
    filledEnd_[static_cast<std::size_t>(s)] = 0;
    appendSubset(state, s, 0, state.data.points());
}

void ChartPlot::appendSubset(const ChartState& state, int s, int from, int to)
{
    const auto i = static_cast<std::size_t>(s);
    const ChartData& d = state.data;
    const double gap = state.settings.lineGapThreshold;
    const float null = d.nullValue();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::size_t base = i * static_cast<std::size_t>(d.points());
    const double* xs = d.xs().data() + base;
    const float* ys = d.ys().data() + base;

    QVector<QCPGraphData> add;
    add.reserve(std::max(to - from, 0) + 8);
    bool havePrev = filledEnd_[i] > 0;
    double prevX = lastX_[i];
    double lastKey = havePrev ? toKey(prevX) : -std::numeric_limits<double>::infinity();
    bool sorted = true;
    for (int p = from; p < to; ++p) {
        const double x = xs[p];
        const float y = ys[p];
        if (unfilled(x, y, null) || !std::isfinite(x))
            continue;
        const double key = toKey(x);
        if (havePrev && x - prevX > gap)
            add.append(QCPGraphData((toKey(prevX) + key) / 2, nan));
        const double v = (y == null || !std::isfinite(y)) ? nan : static_cast<double>(y);
        if (key < lastKey)
            sorted = false;
        add.append(QCPGraphData(key, v));
        lastKey = key;
        prevX = x;
        havePrev = true;
        filledEnd_[i] = p + 1;
    }
    lastX_[i] = prevX;
    if (!add.isEmpty())
        graphs_[i]->data()->add(add, sorted);
}

void ChartPlot::buildItems(const ChartState& state)
{
    plot_->clearItems();
    for (auto& items : cursorItems_)
        items.clear();
    outOfView_.clear();
    const ChartSettings& s = state.settings;
    const QFont base = fontFrom(s.labelFont, plot_->font());
    if (s.showGraphAnnotations) {
        QCPAxisRect* rect = panes_[static_cast<std::size_t>(paneOfAxis(0))].rect;
        const QFont font = scaledFont(base, s.graphAnnotationTextSize);
        for (const GraphAnnotation& a : state.graphAnnotations) {
            if (a.type != sg::sgAnnotCross && a.text.isEmpty())
                continue;
            auto* item = new AnnotationItem(plot_, rect, a, font);
            item->setLayer(QStringLiteral("overlay"));
        }
    }
    if (s.showVertLineAnnotations) {
        const QFont font = scaledFont(base, s.lineAnnotationTextSize);
        for (const ::VertLineAnnotation& l : state.vertLineAnnotations) {
            if (l.x == 0.0)
                continue;
            const QColor color = QColor::fromRgb(l.color);
            for (const Pane& p : panes_) {
                auto* line = new QCPItemStraightLine(plot_);
                line->setPen(QPen(color, 1));
                line->setClipAxisRect(p.rect);
                for (QCPItemPosition* pos : {line->point1, line->point2})
                    pos->setAxes(p.rect->axis(QCPAxis::atBottom), p.rect->axis(QCPAxis::atLeft));
                line->point1->setCoords(toKey(l.x), 0);
                line->point2->setCoords(toKey(l.x), 1);
            }
            if (!l.text.isEmpty()) {
                const Pane& top = panes_.front();
                auto* label = new QCPItemText(plot_);
                label->setClipAxisRect(top.rect);
                label->position->setAxes(top.rect->axis(QCPAxis::atBottom),
                                         top.rect->axis(QCPAxis::atLeft));
                label->position->setTypeX(QCPItemPosition::ptPlotCoords);
                label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
                label->position->setAxisRect(top.rect);
                label->position->setCoords(toKey(l.x), 0.0);
                label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setPadding(QMargins(3, 2, 3, 2));
                label->setText(l.text);
                label->setFont(font);
                label->setColor(color);
                label->setLayer(QStringLiteral("overlay"));
            }
        }
    }
    buildCursorItems();
}

void ChartPlot::buildCursorItems()
{
    for (auto& items : cursorItems_) {
        for (QCPAbstractItem* item : items)
            plot_->removeItem(item);
        items.clear();
    }
    if (!cursors_.shown || panes_.empty())
        return;
    QFont font = plot_->font();
    font.setBold(true);
    for (auto& items : cursorItems_) {
        for (const Pane& p : panes_) {
            auto* line = new QCPItemStraightLine(plot_);
            line->setLayer(CursorLayer);
            line->setClipAxisRect(p.rect);
            for (QCPItemPosition* pos : {line->point1, line->point2})
                pos->setAxes(p.rect->axis(QCPAxis::atBottom), p.rect->axis(QCPAxis::atLeft));
            items.push_back(line);
        }
        const Pane& top = panes_.front();
        auto* label = new QCPItemText(plot_);
        label->setLayer(CursorLayer);
        label->setClipAxisRect(top.rect);
        label->position->setAxes(top.rect->axis(QCPAxis::atBottom), top.rect->axis(QCPAxis::atLeft));
        label->position->setTypeX(QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setAxisRect(top.rect);
        label->setPadding(QMargins(4, 1, 4, 1));
        label->setFont(font);
        label->setColor(Qt::white);
        label->setBrush(QBrush(CursorColor));
        items.push_back(label);
    }
    placeCursorItems();
}

void ChartPlot::placeCursorItems()
{
    // A is the earlier cursor; its label sits left of its line, B's right of its own, so that
    // the two never cover each other.
    const int a = cursors_.t[1] < cursors_.t[0] ? 1 : 0;
    for (int k = 0; k < 2; ++k) {
        const auto& items = cursorItems_[std::size_t(k)];
        if (items.empty())
            continue;
        const double key = toKey(cursors_.t[std::size_t(k)]);
        const QPen pen(CursorColor, cursors_.selected == k ? 3.0 : 1.5);
        for (std::size_t i = 0; i + 1 < items.size(); ++i) {
            auto* line = static_cast<QCPItemStraightLine*>(items[i]);
            line->point1->setCoords(key, 0);
            line->point2->setCoords(key, 1);
            line->setPen(pen);
        }
        auto* label = static_cast<QCPItemText*>(items.back());
        label->position->setCoords(key, 0.0);
        label->setText(k == a ? QStringLiteral("A") : QStringLiteral("B"));
        label->setPositionAlignment(Qt::AlignTop | (k == a ? Qt::AlignRight : Qt::AlignLeft));
    }
}

void ChartPlot::setCursors(const MeasureCursorMarks& marks)
{
    const bool rebuild = marks.shown != cursors_.shown ||
                         cursorItems_[0].size() != panes_.size() + 1;
    cursors_ = marks;
    if (rebuild)
        buildCursorItems();
    else
        placeCursorItems();
}

void ChartPlot::replotCursors()
{
    plot_->layer(CursorLayer)->replot();
}

int ChartPlot::cursorAt(QPoint pixel) const
{
    if (!cursors_.shown)
        return -1;
    const int pane = paneAt(pixel);
    if (pane < 0)
        return -1;
    const QCPAxis* x = panes_[std::size_t(pane)].rect->axis(QCPAxis::atBottom);
    int best = -1;
    double distance = CursorGrabPixels + 0.5;
    for (int k = 0; k < 2; ++k) {
        const double d = std::abs(x->coordToPixel(toKey(cursors_.t[std::size_t(k)])) - pixel.x());
        // The selected one wins a tie, so that two cursors on one sample can be pulled apart.
        if (d < distance || (d == distance && k == cursors_.selected)) {
            distance = d;
            best = k;
        }
    }
    return best;
}

namespace {

bool valid(const QCPRange& r)
{
    return std::isfinite(r.lower) && std::isfinite(r.upper);
}

QCPRange widened(QCPRange r, double minimum)
{
    if (r.upper - r.lower < minimum) {
        const double mid = (r.lower + r.upper) / 2;
        r.lower = mid - minimum / 2;
        r.upper = mid + minimum / 2;
    }
    return r;
}

} // namespace

ChartView ChartPlot::fullView(const ChartState& state) const
{
    const ChartSettings& s = state.settings;
    ChartView v;
    // X from the data, in days.
    bool found = false;
    QCPRange keys;
    for (const QCPGraph* g : graphs_) {
        bool f = false;
        const QCPRange r = g->getKeyRange(f);
        if (!f)
            continue;
        keys = found ? QCPRange(std::min(keys.lower, r.lower), std::max(keys.upper, r.upper)) : r;
        found = true;
    }
    const auto [lo, hi] = sg::manualExtent(s.manualScaleControlX, s.manualMinX, s.manualMaxX,
                                           found ? toDays(keys.lower) : s.manualMinX,
                                           found ? toDays(keys.upper) : s.manualMaxX);
    const QCPRange x = widened(QCPRange(lo, hi), 2.0 / SecondsPerDay);
    v.minX = x.lower;
    v.maxX = x.upper;

    for (const Pane& p : panes_) {
        const ChartAxis& a = s.axes[static_cast<std::size_t>(p.axis)];
        bool any = false;
        QCPRange vals;
        if (a.manualScaleControlY != sg::sgManualMinAndMax) {
            for (int sub : p.subsets) {
                bool f = false;
                const QCPRange r = graphs_[static_cast<std::size_t>(sub)]->getValueRange(f);
                if (!f || !valid(r))
                    continue;
                vals = any ? QCPRange(std::min(vals.lower, r.lower), std::max(vals.upper, r.upper))
                           : r;
                any = true;
            }
        }
        auto [ylo, yhi] = sg::manualExtent(a.manualScaleControlY, a.manualMinY, a.manualMaxY,
                                           any ? vals.lower : a.manualMinY,
                                           any ? vals.upper : a.manualMaxY);
        if (ylo > yhi)
            std::swap(ylo, yhi);
        const QCPRange y = widened(QCPRange(ylo, yhi), 1e-6);
        v.y.emplace_back(y.lower, y.upper);
    }
    return v;
}

void ChartPlot::applyView(const ChartView& view)
{
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        QCPAxisRect* r = panes_[i].rect;
        r->axis(QCPAxis::atBottom)->setRange(toKey(view.minX), toKey(view.maxX));
        r->axis(QCPAxis::atTop)->setRange(toKey(view.minX), toKey(view.maxX));
        if (i < view.y.size()) {
            r->axis(QCPAxis::atLeft)->setRange(view.y[i].first, view.y[i].second);
            r->axis(QCPAxis::atRight)->setRange(view.y[i].first, view.y[i].second);
        }
    }
}

const std::vector<int>& ChartPlot::paneSubsets(int pane) const
{
    static const std::vector<int> none;
    if (pane < 0 || pane >= paneCount())
        return none;
    return panes_[static_cast<std::size_t>(pane)].subsets;
}

void ChartPlot::showOutOfView(const ChartState& state, const ChartView& view)
{
    for (QCPItemText* item : outOfView_)
        plot_->removeItem(item);
    outOfView_.clear();
    const ChartSettings& s = state.settings;
    const QFont font = fontFrom(s.labelFont, plot_->font());
    for (std::size_t i = 0; i < panes_.size() && i < view.y.size(); ++i) {
        const Pane& p = panes_[i];
        const YExtent shown{view.y[i].first, view.y[i].second};
        const FitY::OutOfView out =
            FitY::outOfView(state.data, p.subsets, view.minX, view.maxX, shown);
        for (const bool above : {true, false}) {
            const std::optional<float> value = above ? out.above : out.below;
            if (!value)
                continue;
            FitY::OutOfView one;
            (above ? one.above : one.below) = value;
            auto* note = new QCPItemText(plot_);
            note->setObjectName(QStringLiteral("OutOfView"));
            note->setClipToAxisRect(false);
            note->position->setType(QCPItemPosition::ptAxisRectRatio);
            note->position->setAxisRect(p.rect);
            note->position->setCoords(1.0, above ? 0.0 : 1.0);
            note->setPositionAlignment(Qt::AlignRight | (above ? Qt::AlignTop : Qt::AlignBottom));
            note->setPadding(QMargins(4, 1, 4, 1));
            note->setText(FitY::outOfViewText(one, state.unit));
            note->setFont(font);
            note->setColor(QColor::fromRgb(s.textColor));
            note->setBrush(QBrush(QColor::fromRgb(s.deskColor)));
            note->setPen(QPen(QColor::fromRgb(s.textColor)));
            note->setLayer(QStringLiteral("overlay"));
            outOfView_.push_back(note);
        }
    }
}

int ChartPlot::paneOfAxis(int axis) const
{
    for (std::size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].axis == axis)
            return static_cast<int>(i);
    return 0;
}

int ChartPlot::paneAt(QPoint pixel) const
{
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        const QRect r = panes_[i].rect->rect();
        // Edges count as inside.
        if (pixel.x() >= r.left() && pixel.x() <= r.left() + r.width() && pixel.y() >= r.top() &&
            pixel.y() <= r.top() + r.height())
            return static_cast<int>(i);
    }
    return -1;
}

QRect ChartPlot::paneRect(int pane) const
{
    if (pane < 0 || pane >= paneCount())
        return {};
    return panes_[static_cast<std::size_t>(pane)].rect->rect();
}

QRect ChartPlot::graphArea() const
{
    QRect area;
    for (const Pane& p : panes_)
        area = area.united(p.rect->rect());
    return area;
}

double ChartPlot::pixelToDays(int pane, double px) const
{
    return toDays(panes_[static_cast<std::size_t>(pane)].rect->axis(QCPAxis::atBottom)->pixelToCoord(px));
}

double ChartPlot::pixelToValue(int pane, double py) const
{
    return panes_[static_cast<std::size_t>(pane)].rect->axis(QCPAxis::atLeft)->pixelToCoord(py);
}

QPointF ChartPlot::pixelToData(int pane, QPoint pixel) const
{
    if (pane < 0 || pane >= paneCount())
        return {};
    return {pixelToDays(pane, pixel.x()), pixelToValue(pane, pixel.y())};
}

QPoint ChartPlot::dataToPixel(int pane, double x, double y) const
{
    if (pane < 0 || pane >= paneCount())
        return {};
    const QCPAxisRect* r = panes_[static_cast<std::size_t>(pane)].rect;
    return QPoint(static_cast<int>(std::lround(r->axis(QCPAxis::atBottom)->coordToPixel(toKey(x)))),
                  static_cast<int>(std::lround(r->axis(QCPAxis::atLeft)->coordToPixel(y))));
}

int ChartPlot::annotationAt(const ChartState& state, QPoint pixel) const
{
    if (!state.settings.showGraphAnnotations || panes_.empty())
        return -1;
    const int pane = paneOfAxis(0);
    const QFont font = scaledFont(fontFrom(state.settings.labelFont, plot_->font()),
                                  state.settings.graphAnnotationTextSize);
    // The last drawn lies on top.
    for (int i = static_cast<int>(state.graphAnnotations.size()) - 1; i >= 0; --i) {
        const GraphAnnotation& a = state.graphAnnotations[static_cast<std::size_t>(i)];
        if (a.type != sg::sgAnnotCross && a.text.isEmpty())
            continue;
        const QPoint at = dataToPixel(pane, a.x, a.y);
        if (a.type == sg::sgAnnotCross && std::abs(at.x() - pixel.x()) <= HotSpotPixels &&
            std::abs(at.y() - pixel.y()) <= HotSpotPixels)
            return i;
        if (annotationTextRect(at, a, font).contains(pixel))
            return i;
    }
    return -1;
}

std::optional<std::pair<int, int>> ChartPlot::dataPointAt(const ChartState& state,
                                                          QPoint pixel) const
{
    const int pane = paneAt(pixel);
    if (pane < 0)
        return std::nullopt;
    const ChartData& d = state.data;
    std::optional<std::pair<int, int>> best;
    int bestDist = HotSpotPixels * HotSpotPixels + 1;
    for (int s : panes_[static_cast<std::size_t>(pane)].subsets) {
        for (int p = 0; p < d.points(); ++p) {
            const double x = d.x(s, p);
            const float y = d.y(s, p);
            if (unfilled(x, y, d.nullValue()) || y == d.nullValue() || !std::isfinite(y))
                continue;
            const QPoint at = dataToPixel(pane, x, y);
            const int dx = at.x() - pixel.x();
            const int dy = at.y() - pixel.y();
            if (dx * dx + dy * dy < bestDist) {
                bestDist = dx * dx + dy * dy;
                best = std::make_pair(s, p);
            }
        }
    }
    return best;
}
