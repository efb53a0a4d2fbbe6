// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring in a graph window as the user does it: the Measure tool, a cursor dragged with the
// mouse and stepped with the arrow keys, the pane read back, the data changing under the
// cursors, and the tool turned off.
#include "ChartFixtures.h"
#include "FakeGraphHost.h"
#include "TempFolder.h"
#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/MeasurePane.h"
#include "graph/UGraph.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using fixtures::Second;
using fixtures::Start;

namespace {

// The text of the pane's cell in the row of channel `row` under the column whose title starts
// with `title`.
QString paneCell(const MeasurePane& pane, int row, const QString& title)
{
    const QTableWidget* g = pane.gridMeasure;
    for (int c = 0; c < g->columnCount(); ++c)
        if (g->horizontalHeaderItem(c)->text().startsWith(title))
            return g->item(row, c) ? g->item(row, c)->text() : QString();
    ADD_FAILURE() << "no column " << title.toStdString();
    return {};
}

} // namespace

TEST(MeasureWindow, DraggedCursorSnapsAndThePaneFollows)
{
    TempDataFolder data;
    FakeGraphHost host;
    TfrmGraph w(host, QStringLiteral("kiln.ghf"));
    w.resize(1100, 750);
    Chart& chart = *w.Chart1;
    fixtures::fillDefault(chart, 600, 600);
    chart.SetAllowGraphAnnotHotSpots(true);
    chart.Redraw();
    w.ApplySplitRule();
    w.show();
    w.chkSplit->setChecked(false); // one pane, where a click could place a cross
    w.ToolButton5->click();
    QApplication::processEvents();
    const int annotations = chart.GraphAnnotationCount();

    w.btnMeasure->click();
    QApplication::processEvents();
    ASSERT_TRUE(chart.MeasureCursorsShown());
    ASSERT_FALSE(w.pnlMeasure->isHidden());
    // At a third and two thirds of the 600 s on view (each on a sample).
    auto cursors = chart.MeasureCursors();
    EXPECT_NEAR((cursors[0] - Start) / Second, 200, 1.01);
    EXPECT_NEAR((cursors[1] - Start) / Second, 400, 1.01);

    // Drag A with the mouse to about 100.4 s: it lands on the sample at 100 s.
    QCustomPlot* plot = chart.plotForTests();
    const auto pixel = [&](double t) {
        return chart.DataToPixel(0, t, 50) - plot->pos();
    };
    const QPoint grab = pixel(cursors[0]);
    const QPoint drop = pixel(Start + 100.4 * Second);
    QTest::mousePress(plot, Qt::LeftButton, {}, grab);
    for (int i = 1; i <= 4; ++i) {
        const QPoint p = grab + (drop - grab) * i / 4;
        QMouseEvent move(QEvent::MouseMove, QPointF(p), plot->mapToGlobal(QPointF(p)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(plot, &move);
    }
    QTest::mouseRelease(plot, Qt::LeftButton, {}, drop);
    QApplication::processEvents();

    cursors = chart.MeasureCursors();
    const int a = int(std::lround((cursors[0] - Start) / Second));
    EXPECT_NEAR(a, 100, 1); // within a pixel's worth of time
    EXPECT_NEAR(cursors[0], Start + a * Second, 1e-9);
    // The drag was the cursor's alone: no zoom, no cross on the graph.
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_EQ(chart.GraphAnnotationCount(), annotations);

    // The pane reads the values at the cursors from the chart's samples.
    const MeasurePane& pane = *w.pnlMeasure;
    const int b = int(std::lround((cursors[1] - Start) / Second));
    const QString t2 = QStringLiteral("T2");
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("Channel")), t2);
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("At A")), LocaleText::fixed(fixtures::channelValue(1, a), 1));
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("At B")), LocaleText::fixed(fixtures::channelValue(1, b), 1));
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("Δt")), durationText(b - a));

    // Once taken, the cursor walks sample by sample with the arrow keys.
    QTest::keyClick(&chart, Qt::Key_Right);
    QTest::keyClick(&chart, Qt::Key_Right);
    EXPECT_NEAR(chart.MeasureCursors()[0], Start + (a + 2) * Second, 1e-9);
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("At A")),
              LocaleText::fixed(fixtures::channelValue(1, a + 2), 1));

    // A threshold adds its columns; the data changing under the cursors change the figures.
    w.pnlMeasure->edtThreshold->setText(QStringLiteral("1000"));
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("Above")), QStringLiteral("0:00:00"));
    chart.SetYData(1, 300, 1500.0f);
    chart.Redraw();
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("Max")), QStringLiteral("1500.0"));
    EXPECT_EQ(paneCell(pane, 1, QStringLiteral("Crossings")), QStringLiteral("2"));

    // Copy gives the table as tab-separated lines, one per channel under the titles.
    w.pnlMeasure->btnMeasureCopy->click();
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[2].startsWith(t2 + QLatin1Char('\t')));
    EXPECT_EQ(lines[2].count(QLatin1Char('\t')), lines[0].count(QLatin1Char('\t')));

    // Off: the cursors and the pane go.
    w.btnMeasure->click();
    EXPECT_FALSE(chart.MeasureCursorsShown());
    EXPECT_TRUE(w.pnlMeasure->isHidden());
}
