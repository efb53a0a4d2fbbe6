// SPDX-License-Identifier: GPL-3.0-or-later
// The chart widget: panes, gaps, the incremental data path, zoom, hot spots, the image, the
// settings dialog, printing and the graph window commands around it.
#include "ChartFixtures.h"
#include "TempFolder.h"
#include "graph/ChartCustomizeDialog.h"
#include "graph/GraphCommands.h"
#include "graph/GraphFile.h"
#include "graph/USetupScale.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <cmath>

using fixtures::Second;
using fixtures::Start;

namespace {

struct ShownChart {
    Chart chart;
    ShownChart(int w = 1000, int h = 700)
    {
        chart.resize(w, h);
        chart.show();
    }
};

std::vector<std::pair<double, double>> graphData(const Chart& chart, int graph)
{
    std::vector<std::pair<double, double>> out;
    const auto data = chart.plotForTests()->graph(graph)->data();
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        out.emplace_back(it->key, it->value);
    return out;
}

bool sameData(const std::vector<std::pair<double, double>>& a,
              const std::vector<std::pair<double, double>>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].first != b[i].first)
            return false;
        if (std::isnan(a[i].second) != std::isnan(b[i].second))
            return false;
        if (!std::isnan(a[i].second) && a[i].second != b[i].second)
            return false;
    }
    return true;
}

} // namespace

TEST(Chart, SplitGivesOnePanePerAxisOfEqualHeightAndSharedXOtherwiseOne)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 600, 600);
    c.chart.Redraw();
    QCustomPlot* plot = c.chart.plotForTests();
    ASSERT_EQ(plot->axisRects().size(), 4);
    const int h0 = plot->axisRects()[0]->rect().height();
    for (QCPAxisRect* r : plot->axisRects()) {
        EXPECT_NEAR(r->rect().height(), h0, 2);
        EXPECT_EQ(r->rect().left(), plot->axisRects()[0]->rect().left());   // aligned
        EXPECT_DOUBLE_EQ(r->axis(QCPAxis::atLeft)->range().lower, -20);
        EXPECT_DOUBLE_EQ(r->axis(QCPAxis::atLeft)->range().upper, 100);
    }
    EXPECT_EQ(plot->graphCount(), 4);

    c.chart.ClearMultiAxes();
    c.chart.Redraw();
    ASSERT_EQ(plot->axisRects().size(), 1);
    EXPECT_EQ(plot->graphCount(), 4);
    EXPECT_EQ(c.chart.GraphArea(), plot->axisRects()[0]->rect());
}

TEST(Chart, NullReadingsAndUnfilledPointsAreNotDrawnAndLongPausesBreakTheLine)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 10, 6);
    c.chart.SetYData(0, 2, ChartNullReading);
    c.chart.Redraw();
    auto d = graphData(c.chart, 0);
    ASSERT_EQ(d.size(), 6u);   // four points never filled are left out
    EXPECT_TRUE(std::isnan(d[2].second));
    EXPECT_FALSE(std::isnan(d[3].second));

    // Points more than LineGapThreshold apart are not joined.
    c.chart.SetLineGapThreshold(1.5 * Second);
    c.chart.SetXDataII(1, 5, Start + 100 * Second);
    c.chart.Redraw();
    d = graphData(c.chart, 1);
    ASSERT_EQ(d.size(), 7u);
    EXPECT_TRUE(std::isnan(d[5].second));
    EXPECT_GT(d[5].first, d[4].first);
    EXPECT_LT(d[5].first, d[6].first);
}

// Cells beyond the chart are ignored, also by the drawing (it once read past the data).
TEST(Chart, WritesOutsideTheCellsChangeNothingDrawn)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 10, 4);
    c.chart.Redraw();
    const auto before = graphData(c.chart, 1);
    for (int p = 10; p < 5000; p += 7) {
        c.chart.SetXDataII(1, p, Start + p * Second);
        c.chart.SetYData(1, p, 20.0f);
    }
    c.chart.Redraw();
    EXPECT_EQ(c.chart.Points(), 10);
    EXPECT_TRUE(sameData(graphData(c.chart, 1), before));
    c.chart.SetYData(9, 2, 20.0f);
    c.chart.SetYData(1, -1, 20.0f);
    c.chart.Redraw();
    EXPECT_TRUE(sameData(graphData(c.chart, 1), before));
}

TEST(Chart, AppendingPointsGivesTheSameGraphAsDrawingEverythingAnew)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 300, 0);
    c.chart.Redraw();
    for (int p = 0; p < 300; ++p) {
        for (int s = 0; s < 4; ++s) {
            c.chart.SetXDataII(s, p, Start + p * Second);
            c.chart.SetYData(s, p, p % 50 == 7 ? ChartNullReading : fixtures::channelValue(s, p));
        }
        if (p % 3 == 0)
            c.chart.Redraw();
    }
    // An earlier cell changed late: that subset is redrawn whole.
    c.chart.SetYData(2, 10, 42.0f);
    c.chart.Redraw();
    std::vector<std::vector<std::pair<double, double>>> incremental;
    for (int s = 0; s < 4; ++s)
        incremental.push_back(graphData(c.chart, s));

    c.chart.PEactions(sg::sgReinitAndReset);
    for (int s = 0; s < 4; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(incremental[s].size(), 300u);
        EXPECT_TRUE(sameData(incremental[static_cast<std::size_t>(s)], graphData(c.chart, s)));
    }
}

TEST(Chart, DataArraysFollowSubsetByPoint)
{
    Chart chart;
    chart.SetSubsets(4);
    chart.SetPoints(3);
    chart.SetSubsetByPoint(false);
    std::vector<float> ys(12);
    for (int k = 0; k < 12; ++k)
        ys[static_cast<std::size_t>(k)] = static_cast<float>(k);
    chart.SetYDataArray(ys.data(), ys.size());
    EXPECT_EQ(chart.YData(1, 0), 1.0f);   // element k: subset k mod 4, point k div 4
    EXPECT_EQ(chart.YData(0, 2), 8.0f);
    EXPECT_EQ(chart.YData(3, 2), 11.0f);
    chart.SetSubsetByPoint(true);
    chart.SetYDataArray(ys.data(), ys.size());
    EXPECT_EQ(chart.YData(1, 0), 3.0f);
}

TEST(Chart, ZoomShowsScrollBarsAndUndoZoomRestoresTheWholeGraph)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 3600, 3600);
    c.chart.Redraw();
    QSignalSpy zoomed(&c.chart, &Chart::OnZoomIn);
    QCustomPlot* plot = c.chart.plotForTests();
    const QRect pane = plot->axisRects()[1]->rect();
    // Drag a rectangle over the second pane.
    const QPoint from = pane.topLeft() + QPoint(100, 20);
    const QPoint to = from + QPoint(200, 60);
    QTest::mousePress(plot, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), plot->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
    ASSERT_EQ(zoomed.count(), 1);
    EXPECT_TRUE(c.chart.IsZoomed());
    const QCPRange x = plot->axisRects()[0]->axis(QCPAxis::atBottom)->range();
    EXPECT_LT(x.size(), 3600 * 0.5);   // seconds
    EXPECT_LT(plot->axisRects()[1]->axis(QCPAxis::atLeft)->range().size(), 120 * 0.5);
    EXPECT_DOUBLE_EQ(plot->axisRects()[0]->axis(QCPAxis::atLeft)->range().size(), 120);
    auto* hbar = c.chart.findChildren<QScrollBar*>()[0];
    auto* vbar = c.chart.findChildren<QScrollBar*>()[1];
    EXPECT_TRUE(hbar->isVisible());
    EXPECT_TRUE(vbar->isVisible());

    // Scrolling moves the window without changing its width.
    const double width = x.size();
    hbar->setValue(hbar->maximum());
    const QCPRange scrolled = plot->axisRects()[0]->axis(QCPAxis::atBottom)->range();
    EXPECT_NEAR(scrolled.size(), width, 1e-3);
    EXPECT_GT(scrolled.lower, x.lower);

    c.chart.PEactions(sg::sgUndoZoom);
    EXPECT_FALSE(c.chart.IsZoomed());
    EXPECT_FALSE(hbar->isVisible());
    EXPECT_FALSE(vbar->isVisible());
    EXPECT_NEAR(plot->axisRects()[0]->axis(QCPAxis::atBottom)->range().size(), 3600, 1);
}

namespace {

// The notes of panes whose data lie out of view: text and the pane whose corner holds it.
std::vector<std::pair<QString, int>> outOfViewNotes(const Chart& chart)
{
    std::vector<std::pair<QString, int>> notes;
    QCustomPlot* plot = chart.plotForTests();
    for (int i = 0; i < plot->itemCount(); ++i) {
        const auto* note = qobject_cast<QCPItemText*>(plot->item(i));
        if (!note || note->objectName() != QLatin1String("OutOfView"))
            continue;
        const QPointF at = note->position->pixelPosition();
        int pane = -1;
        for (int r = 0; r < plot->axisRects().size(); ++r) {
            const QRect rect = plot->axisRects()[r]->rect();
            if (std::abs(at.x() - rect.right()) <= 2 &&
                (std::abs(at.y() - rect.top()) <= 2 || std::abs(at.y() - rect.bottom()) <= 2))
                pane = r;
        }
        notes.emplace_back(note->text(), pane);
    }
    return notes;
}

QCPRange yRange(const Chart& chart, int pane)
{
    return chart.plotForTests()->axisRects()[pane]->axis(QCPAxis::atLeft)->range();
}

} // namespace

TEST(Chart, FitYFitsEveryPaneToItsDataInViewUntilUndoZoom)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 600, 600);
    c.chart.SetYData(2, 100, ChartNullReading);
    c.chart.Redraw();
    QSignalSpy zoomed(&c.chart, &Chart::OnZoomIn);

    c.chart.FitY();
    EXPECT_TRUE(c.chart.IsZoomed());
    for (int pane = 0; pane < 4; ++pane) {
        float lo = 1e9f, hi = -1e9f;
        for (int p = 0; p < 600; ++p) {
            const float y = c.chart.YData(pane, p);
            if (y == ChartNullReading)
                continue;
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
        const QCPRange r = yRange(c.chart, pane);
        EXPECT_LT(r.lower, lo) << pane;
        EXPECT_GT(r.upper, hi) << pane;
        // A small margin, not the -20..100 of the axis.
        EXPECT_LT(r.size(), 1.2 * std::max(double(hi - lo), 1.0)) << pane;
    }
    EXPECT_EQ(zoomed.count(), 0);

    // With a zoom in X, a fit takes the data in view.
    c.chart.UndoZoom();
    EXPECT_FALSE(c.chart.IsZoomed());
    EXPECT_DOUBLE_EQ(yRange(c.chart, 1).lower, -20);
    EXPECT_DOUBLE_EQ(yRange(c.chart, 1).upper, 100);
    c.chart.ZoomTo(1, Start, Start + 60 * Second, 0, 100);
    c.chart.FitY();
    const QCPRange early = yRange(c.chart, 1);
    EXPECT_LT(early.upper, c.chart.YData(1, 300));   // T2 rises after the first minute
    EXPECT_LE(early.lower, c.chart.YData(1, 0));
    const QCPRange x = c.chart.plotForTests()->axisRects()[0]->axis(QCPAxis::atBottom)->range();
    EXPECT_NEAR(x.size(), 60, 0.5);   // the X zoom stays

    // A change of the split drops the fit, which belonged to the panes it was made for.
    c.chart.UndoZoom();
    c.chart.FitY();
    c.chart.ClearMultiAxes();
    c.chart.Redraw();
    EXPECT_FALSE(c.chart.FittedY(0));
    EXPECT_DOUBLE_EQ(yRange(c.chart, 0).upper, 100);

    // Nothing recorded yet: nothing to fit, nothing to undo.
    ShownChart empty;
    fixtures::fillDefault(empty.chart, 100, 0);
    empty.chart.Redraw();
    empty.chart.FitY();
    EXPECT_FALSE(empty.chart.IsZoomed());
}

TEST(Chart, APaneWhoseDataLieOutOfViewSaysSoInItsCornerWithTheUnit)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 300, 300);
    for (int p = 0; p < 300; ++p) {
        c.chart.SetYData(3, p, 150.0f + p * 0.1f);   // T4 above its axis of -20 to 100
        c.chart.SetYData(2, p, -40.0f - p * 0.1f);   // T3 below
    }
    c.chart.Redraw();
    using Notes = std::vector<std::pair<QString, int>>;
    EXPECT_EQ(outOfViewNotes(c.chart),
              (Notes{{QStringLiteral("▼ -40.0"), 2}, {QStringLiteral("▲ 150.0"), 3}}));

    // The unit, where the data know it, goes with the notes and the Y axes.
    c.chart.SetUnit(QStringLiteral("°F"));
    c.chart.SetWorkingAxis(1);
    c.chart.SetYAxisLabel(QStringLiteral("Oven"));
    c.chart.SetWorkingAxis(0);
    c.chart.Redraw();
    EXPECT_EQ(outOfViewNotes(c.chart),
              (Notes{{QStringLiteral("▼ -40.0 °F"), 2}, {QStringLiteral("▲ 150.0 °F"), 3}}));
    QCustomPlot* plot = c.chart.plotForTests();
    EXPECT_EQ(plot->axisRects()[0]->axis(QCPAxis::atLeft)->label(), QStringLiteral("°F"));
    EXPECT_EQ(plot->axisRects()[1]->axis(QCPAxis::atLeft)->label(), QStringLiteral("Oven (°F)"));

    // A fit brings them into view; undone, the notes are back. One point in view is enough.
    c.chart.FitY();
    EXPECT_TRUE(outOfViewNotes(c.chart).empty());
    c.chart.UndoZoom();
    EXPECT_EQ(outOfViewNotes(c.chart).size(), 2u);
    c.chart.SetYData(3, 299, 99.0f);
    c.chart.Redraw();
    EXPECT_EQ(outOfViewNotes(c.chart), (Notes{{QStringLiteral("▼ -40.0 °F"), 2}}));
    // Unsplit, the one pane shows data in view.
    c.chart.ClearMultiAxes();
    c.chart.Redraw();
    EXPECT_TRUE(outOfViewNotes(c.chart).empty());
}

TEST(Chart, ClicksAndDoubleClicksReportAnnotationsAndDataPoints)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 60, 60);
    c.chart.ClearMultiAxes();
    c.chart.SetAllowGraphAnnotHotSpots(true);
    c.chart.SetAllowDataHotSpots(true);
    c.chart.SetGraphAnnotationType(4, sg::sgAnnotCross);
    c.chart.SetGraphAnnotationX(4, Start + 10 * Second);
    c.chart.SetGraphAnnotationY(4, 90);
    c.chart.Redraw();
    QSignalSpy annot(&c.chart, &Chart::OnGraphAnnotHotSpot);
    QSignalSpy data(&c.chart, &Chart::OnDataHotSpot);
    QSignalSpy click(&c.chart, &Chart::OnClick);
    QCustomPlot* plot = c.chart.plotForTests();

    const QPoint cross = c.chart.DataToPixel(0, Start + 10 * Second, 90);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, cross);
    ASSERT_GE(annot.count(), 1);
    EXPECT_EQ(annot.last().at(0).toBool(), true);
    EXPECT_EQ(annot.last().at(1).toInt(), 4);
    EXPECT_EQ(c.chart.LastMousePoint(), cross);

    const QPoint point = c.chart.DataToPixel(0, Start + 30 * Second, fixtures::channelValue(1, 30));
    QTest::mouseClick(plot, Qt::LeftButton, {}, point);
    ASSERT_GE(click.count(), 1);
    ASSERT_EQ(data.count(), 1);
    EXPECT_EQ(data.last().at(0).toBool(), false);
    EXPECT_EQ(data.last().at(1).toInt(), 1);
    EXPECT_EQ(data.last().at(2).toInt(), 30);

    // PixelToData is the inverse of DataToPixel within a pixel.
    const QPointF back = c.chart.PixelToData(0, point);
    EXPECT_NEAR(back.x(), Start + 30 * Second, 2 * 60 * Second / c.chart.GraphArea().width());
    EXPECT_TRUE(c.chart.GraphArea().contains(point));
}

TEST(Chart, ImageRestoresTheChartExactlyAndABadImageChangesNothing)
{
    ShownChart a;
    fixtures::fillDefault(a.chart, 500, 400);
    a.chart.SetGraphAnnotationText(4, QStringLiteral("note"));
    a.chart.SetVertLineAnnotation(0, Start + 100 * Second);
    a.chart.SetWorkingAxis(2);
    a.chart.SetManualMaxY(77);
    a.chart.Redraw();
    const QByteArray image = a.chart.StoreChartImage();

    ShownChart b;
    b.chart.LoadChartImage(image);
    EXPECT_TRUE(b.chart.state() == a.chart.state());
    EXPECT_EQ(b.chart.plotForTests()->axisRects().size(), 4);
    EXPECT_DOUBLE_EQ(b.chart.plotForTests()->axisRects()[2]->axis(QCPAxis::atLeft)->range().upper, 77);
    EXPECT_TRUE(sameData(graphData(a.chart, 3), graphData(b.chart, 3)));

    const ChartState before = b.chart.state();
    QByteArray bad = image;
    bad[bad.size() - 10] = static_cast<char>(bad[bad.size() - 10] ^ 1);
    EXPECT_THROW(b.chart.LoadChartImage(bad), ChartFileError);
    EXPECT_THROW(b.chart.LoadChartImage(image.left(100)), ChartFileError);
    EXPECT_TRUE(b.chart.state() == before);
}

TEST(Chart, GraphFileCommandsRoundTripThroughTheChart)
{
    TempDataFolder tmp;
    ShownChart a;
    fixtures::fillDefault(a.chart, 50, 50);
    const QString name = tmp.path(QStringLiteral("run.ghf"));
    WriteGraphFile(a.chart, name);
    ShownChart b;
    ReadGraphFile(b.chart, name);
    EXPECT_TRUE(b.chart.state() == a.chart.state());
    QFile::resize(name, 3);
    EXPECT_THROW(ReadGraphFile(b.chart, name), ChartFileError);
    EXPECT_TRUE(b.chart.state() == a.chart.state());
}

TEST(Chart, SettingsDialogPagesSwitchOffOneByOne)
{
    Chart chart;
    fixtures::fillDefault(chart, 10, 10);
    const auto titles = [&chart] {
        ChartCustomizeDialog d(chart.state());
        QStringList t;
        for (int i = 0; i < d.pages()->count(); ++i)
            t << d.pages()->tabText(i);
        return t;
    };
    chart.SetAllowAxisPage(true);
    EXPECT_EQ(titles(), (QStringList{"General", "Subsets", "Axis", "Fonts", "Colors"}));
    chart.SetAllowAxisPage(false);
    EXPECT_EQ(titles(), (QStringList{"General", "Subsets", "Fonts", "Colors"}));
    chart.SetAllowFontPage(false);
    chart.SetAllowPage1(false);
    EXPECT_EQ(titles(), (QStringList{"Subsets", "Colors"}));
    chart.SetAllowPage2(false);
    chart.SetAllowSubsetsPage(false);
    EXPECT_TRUE(titles().isEmpty());
    ChartCustomizeDialog none(chart.state());
    EXPECT_NE(none.findChild<QLabel*>(QStringLiteral("lblNoPages")), nullptr);
}

TEST(Chart, AcceptedSettingsApplyAndReportTheDialogsEnd)
{
    ShownChart c;
    fixtures::fillDefault(c.chart, 10, 10);
    c.chart.Redraw();
    QSignalSpy ended(&c.chart, &Chart::OnCustomizeDlg);
    c.chart.setDialogRunner([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("edtMainTitle"))->setText(QStringLiteral("Run 7"));
        d.findChild<QLineEdit*>(QStringLiteral("edtSubsetLabel1"))->setText(QStringLiteral("Oven"));
        return int(QDialog::Accepted);
    });
    c.chart.PEactions(sg::sgCustomize);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(c.chart.CustomizeAccepted(), 1);
    EXPECT_EQ(c.chart.MainTitle(), QStringLiteral("Run 7"));
    EXPECT_EQ(c.chart.SubsetLabels(1), QStringLiteral("Oven"));
    EXPECT_EQ(c.chart.plotForTests()->graph(1)->name(), QStringLiteral("Oven"));
    EXPECT_EQ(c.chart.Points(), 10);   // the data are untouched

    c.chart.setDialogRunner([](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("edtMainTitle"))->setText(QStringLiteral("lost"));
        return int(QDialog::Rejected);
    });
    c.chart.PEactions(sg::sgCustomize);
    EXPECT_EQ(ended.count(), 2);
    EXPECT_EQ(c.chart.CustomizeAccepted(), 0);
    EXPECT_EQ(c.chart.MainTitle(), QStringLiteral("Run 7"));
}

TEST(Chart, PrintsOnePageToPdf)
{
    TempDataFolder tmp;
    ShownChart c;
    fixtures::fillDefault(c.chart, 600, 600);
    c.chart.Redraw();
    const QString pdf = tmp.path(QStringLiteral("chart.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    c.chart.printTo(printer);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_GT(bytes.size(), 5000);
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
}

TEST(GraphCommands, PrepareChartDrawsFourPanesAndSaysWhenTheTemplateIsMissing)
{
    TempDataFolder tmp;
    ShownChart c;
    QStringList said;
    PrepareChart(c.chart, 4, 50, -10, Start + 110 * Second, Start, 100,
                 [&said](const QString& t) { said << t; });
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(tmp.path(QStringLiteral("template/graph.ghf"))));
    EXPECT_EQ(c.chart.plotForTests()->axisRects().size(), 4);
    EXPECT_EQ(c.chart.plotForTests()->graph(2)->pen().color(), QColor(0, 255, 0));
    EXPECT_EQ(c.chart.plotForTests()->axisRects()[0]->backgroundBrush().color(), QColor(Qt::black));
}

TEST(GraphCommands, YAxisButtonUsesTheDialogAndRedraws)
{
    TempDataFolder tmp;
    ShownChart c;
    PrepareChart(c.chart, 4, 50, -10, Start + 110 * Second, Start, 100, [](const QString&) {});
    const auto r = ChangeScale(
        c.chart,
        [](const ScaleFields& initial) -> std::optional<ScaleFields> {
            // The real form round-trips the fields through its boxes.
            TfrmSetupScale form;
            form.setFields(initial);
            EXPECT_EQ(form.edtT1Max->text(), QStringLiteral("50"));
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Y Axis Maximum And Minimum Scale Setup"));
            EXPECT_EQ(form.chkSave->text(), QStringLiteral("Save this setting "));
            EXPECT_FALSE(form.chkSave->isChecked());
            form.edtT2Min->setText(QStringLiteral("0"));
            form.edtT2Max->setText(QStringLiteral("200"));
            return form.fields();
        },
        [](const QString& t) { ADD_FAILURE() << t.toStdString(); });
    EXPECT_EQ(r, ScaleResult::Changed);
    const QCPRange y = c.chart.plotForTests()->axisRects()[1]->axis(QCPAxis::atLeft)->range();
    EXPECT_DOUBLE_EQ(y.lower, 0);
    EXPECT_DOUBLE_EQ(y.upper, 200);
}
