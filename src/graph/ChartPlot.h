// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Draws a ChartState with QCustomPlot: one pane (QCPAxisRect) per Y axis of the split, sharing
// the X axis, one line graph per subset, titles, a legend of the subset labels, the graph and
// vertical line annotations. Data are brought up to date incrementally: cells written after the
// last filled point of a subset are appended, anything else rebuilds that subset.

#include "graph/ChartState.h"

#include <QPoint>
#include <QRect>

#include <optional>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPAxisRect;
class QCPGraph;
class QCPPainter;
class QCPLayoutGrid;
class QCPLegend;
class QCPMarginGroup;
class QCPTextElement;
class QCPItemText;
class QCPRange;

// Cells written since the last redraw.
struct ChartDirty {
    bool all = true;
    std::vector<int> lo;   // per subset: first and last point written, -1 none
    std::vector<int> hi;
    void mark(int s, int p);
    void clear(int subsets);
};

// The X range (in days) and each pane's Y range to show.
struct ChartView {
    double minX = 0, maxX = 1;
    std::vector<std::pair<double, double>> y;   // per pane
};

class ChartPlot {
public:
    explicit ChartPlot(QCustomPlot* plot);
    ~ChartPlot();
    ChartPlot(const ChartPlot&) = delete;
    ChartPlot& operator=(const ChartPlot&) = delete;

    // Brings the plot up to date with state; reinit forces the panes to be rebuilt.
    void sync(const ChartState& state, ChartDirty& dirty, bool reinit);
    // The ranges with no zoom: manual extents or the data's.
    ChartView fullView(const ChartState& state) const;
    void applyView(const ChartView& view);

    int paneCount() const { return static_cast<int>(panes_.size()); }
    const std::vector<int>& paneSubsets(int pane) const;   // the subsets the pane draws
    // A note in the corner of every pane whose points in view all lie above (top right) or below
    // (bottom right) the Y extent it shows; notes of an earlier view are removed.
    void showOutOfView(const ChartState& state, const ChartView& view);
    int paneOfAxis(int axis) const;     // the pane drawing that axis (0 when not split)
    int paneAt(QPoint pixel) const;     // -1 outside every plotting area
    QRect paneRect(int pane) const;
    QRect graphArea() const;            // all panes together
    QPointF pixelToData(int pane, QPoint pixel) const;
    QPoint dataToPixel(int pane, double x, double y) const;
    double pixelToDays(int pane, double px) const;
    double pixelToValue(int pane, double py) const;

    // The annotation whose mark or text lies under pixel, -1 none.
    int annotationAt(const ChartState& state, QPoint pixel) const;
    // The drawn data point nearest to pixel within a few pixels.
    std::optional<std::pair<int, int>> dataPointAt(const ChartState& state, QPoint pixel) const;

    static double toKey(double days);
    static double toDays(double key);

    // Draws the chart at width x height pixels on painter (a printout), the stacked panes
    // balanced for that size; the screen's layout is left as it was.
    void toPainter(QCPPainter& painter, int width, int height);

private:
    struct Pane {
        int axis = 0;
        std::vector<int> subsets;
        double share = 1.0;
        QCPAxisRect* rect = nullptr;
    };
    std::vector<Pane> planPanes(const ChartState& state) const;
    void buildLayout(const ChartState& state, std::vector<Pane> plan);
    void applySettings(const ChartState& state);
    void syncData(const ChartState& state, ChartDirty& dirty);
    void rebuildSubset(const ChartState& state, int s);
    void appendSubset(const ChartState& state, int s, int from, int to);
    void buildItems(const ChartState& state);
    // Gives stacked panes plotting areas in the proportions asked for, whatever their margins.
    void balancePanes();

    QCustomPlot* plot_;
    std::vector<Pane> panes_;
    std::vector<QCPGraph*> graphs_;       // per subset
    std::vector<int> filledEnd_;          // per subset: one past the last filled point drawn
    std::vector<double> lastX_;           // per subset: X of that point
    std::vector<double> layoutKey_;
    QCPLayoutGrid* paneGrid_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QCPTextElement* subTitle_ = nullptr;
    QCPLegend* legend_ = nullptr;
    QCPMarginGroup* margins_ = nullptr;
    std::vector<QCPItemText*> outOfView_;
};
