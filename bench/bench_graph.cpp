// SPDX-License-Identifier: GPL-3.0-or-later
// The graph window at full size: statistics over 4 x 99,999 points, a window created, filled,
// given its statistics and shown, and a measuring cursor dragged across it, offscreen at
// 1600 x 900.
#include "graph/ChartFixtures.h"
#include "graph/FakeGraphHost.h"
#include "graph/TempFolder.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"

#include <benchmark/benchmark.h>

#include <qcustomplot.h>

#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>

#include <memory>
#include <vector>

namespace {

constexpr int Points = 99999;
using fixtures::Second;
using fixtures::Start;

// The data as SetDataArray takes them: element k is subset k mod 4, point k div 4.
struct Arrays {
    std::vector<double> x;
    std::vector<float> y;
    Arrays()
    {
        for (int p = 0; p < Points; ++p)
            for (int s = 0; s < 4; ++s) {
                x.push_back(Start + p * Second);
                y.push_back(fixtures::channelValue(s, p));
            }
    }
};

void BM_RefreshStatistics(benchmark::State& state)
{
    TempDataFolder data;
    FakeGraphHost host;
    TfrmGraph w(host, QStringLiteral("bench.ghf"));
    w.resize(1600, 900);
    fixtures::fillDefault(*w.Chart1, Points, Points);
    w.Chart1->Redraw();
    w.show();
    QApplication::processEvents();
    for (auto _ : state)
        w.RefreshStatistics();
}
BENCHMARK(BM_RefreshStatistics)->Unit(benchmark::kMillisecond);

void BM_GraphWindowShow(benchmark::State& state)
{
    TempDataFolder data;
    FakeGraphHost host;
    const Arrays arrays;
    for (auto _ : state) {
        auto w = std::make_unique<TfrmGraph>(host, QStringLiteral("bench.ghf"));
        w->resize(1600, 900);
        Chart& c = *w->Chart1;
        PrepareChart(c, 4, 100, -20, Start + Points * Second, Start, Points, host.prompts.message);
        c.SetXDataArray(arrays.x.data(), arrays.x.size());
        c.SetYDataArray(arrays.y.data(), arrays.y.size());
        c.Redraw();
        w->ApplySplitRule();
        w->RefreshStatistics();
        w->show();
        QApplication::processEvents(); // laid out and painted
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GraphWindowShow)->Unit(benchmark::kMillisecond);

// A window over 4 x 99,999 points, split, with the Measure tool on.
struct MeasuringWindow {
    TempDataFolder data;
    FakeGraphHost host;
    TfrmGraph w{host, QStringLiteral("bench.ghf")};
    QCustomPlot* plot = nullptr;
    MeasuringWindow()
    {
        w.resize(1600, 900);
        fixtures::fillDefault(*w.Chart1, Points, Points);
        w.Chart1->Redraw();
        w.show();
        QApplication::processEvents();
        w.btnMeasure->click();
        QApplication::processEvents();
        plot = w.Chart1->plotForTests();
    }
    QPoint cursorPixel(int k) const
    {
        return w.Chart1->DataToPixel(0, w.Chart1->MeasureCursors()[std::size_t(k)], 50) - plot->pos();
    }
};

// One frame of dragging cursor B: the mouse moves by two pixels, the cursor snaps, the figures of
// the pane are computed and shown, and the chart is painted.
void BM_MeasureCursorDrag(benchmark::State& state)
{
    MeasuringWindow m;
    const QPoint grab = m.cursorPixel(1);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(grab), m.plot->mapToGlobal(QPointF(grab)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(m.plot, &press);
    const QRect area = m.w.Chart1->GraphArea().translated(-m.plot->pos());
    int x = grab.x(), step = 2;
    for (auto _ : state) {
        if (x + step > area.right() || x + step < m.cursorPixel(0).x() + 4)
            step = -step;
        x += step;
        const QPointF at(x, grab.y());
        QMouseEvent move(QEvent::MouseMove, at, m.plot->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(m.plot, &move);
        m.plot->repaint();
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(x, grab.y()),
                        m.plot->mapToGlobal(QPointF(x, grab.y())), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(m.plot, &release);
}
BENCHMARK(BM_MeasureCursorDrag)->Unit(benchmark::kMillisecond);

// For comparison: the whole chart drawn again with the cursors shown (what every frame of a drag
// would cost without their own layer).
void BM_ChartRedrawWithCursors(benchmark::State& state)
{
    MeasuringWindow m;
    for (auto _ : state) {
        m.plot->replot();
        m.plot->repaint();
    }
}
BENCHMARK(BM_ChartRedrawWithCursors)->Unit(benchmark::kMillisecond);

} // namespace
