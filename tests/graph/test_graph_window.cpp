// SPDX-License-Identifier: GPL-3.0-or-later
// The graph window as the user works with it: the tools and the split, annotations placed with
// the mouse, the maxima and minima on the graph, the colour, the panels and the read-out, zoom
// and the chart's settings, statistics in the boxes, and the questions when it closes.
#include "ChartFixtures.h"
#include "FakeGraphHost.h"
#include "TempFolder.h"
#include "graph/ChartCustomizeDialog.h"
#include "graph/GraphCommands.h"
#include "graph/UAnnoEdit.h"
#include "graph/UGraph.h"
#include "graph/USetupScale.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

using fixtures::Second;
using fixtures::Start;

namespace {

// A shown graph window over an hour of four channels, split as PrepareChart leaves it.
struct GraphWindow {
    TempDataFolder data;
    FakeGraphHost host;
    std::unique_ptr<TfrmGraph> w;
    Chart* chart = nullptr;

    explicit GraphWindow(const QString& caption = QStringLiteral("kiln.ghf"), int points = 600)
    {
        w = std::make_unique<TfrmGraph>(host, caption);
        w->resize(1100, 750);
        chart = w->Chart1;
        fixtures::fillDefault(*chart, points, points);
        chart->SetAllowGraphAnnotHotSpots(true);
        chart->Redraw();
        w->ApplySplitRule();
        w->show();
        QApplication::processEvents();
    }
    void unsplit()
    {
        w->chkSplit->setChecked(false);
        QApplication::processEvents();
    }
    QCustomPlot* plot() const { return chart->plotForTests(); }
    // A click at a pixel of the chart.
    void click(QPoint p) { QTest::mouseClick(plot(), Qt::LeftButton, {}, p); }
    void mouseOver(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), plot()->mapToGlobal(QPointF(p)),
                         Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(plot(), &move);
    }
    // Modal dialogs answer as the test says; others are cancelled.
    void answerDialogs(std::function<int(QDialog&)> answer) { w->SetDialogRunner(std::move(answer)); }
    int counter() const { return host.annotations.AnnotationCounter; }
};

} // namespace

TEST(GraphWindowTools, SplitBlocksTheAnnotationTools)
{
    GraphWindow g;
    EXPECT_TRUE(g.w->chkSplit->isChecked());
    EXPECT_FALSE(g.w->ToolButton5->isEnabled());
    EXPECT_FALSE(g.w->ToolButton9->isEnabled());

    g.unsplit();
    EXPECT_EQ(g.plot()->axisRects().size(), 1);
    EXPECT_TRUE(g.w->ToolButton5->isEnabled());
    EXPECT_TRUE(g.w->ToolButton9->isEnabled());
    g.w->ToolButton5->click();
    EXPECT_EQ(g.host.annotations.AnnotationMode, AnnotationTool::Cross);
    EXPECT_EQ(g.chart->ArrowCursor(), sg::sgCustomCursor);

    // Checking Split while the cross is pressed: the tools go off and a click draws nothing.
    g.w->chkSplit->setChecked(true);
    QApplication::processEvents();
    EXPECT_EQ(g.plot()->axisRects().size(), 4);
    EXPECT_FALSE(g.w->ToolButton5->isEnabled());
    EXPECT_FALSE(g.w->ToolButton9->isEnabled());
    EXPECT_TRUE(g.w->ToolButton4->isChecked());
    EXPECT_EQ(g.host.annotations.AnnotationMode, AnnotationTool::Normal);
    EXPECT_EQ(g.chart->ArrowCursor(), sg::sgArrowCursor);
    g.click(g.chart->GraphArea().center());
    EXPECT_EQ(g.counter(), 3);

    // Another window may leave the shared mode at "cross": a split chart still takes nothing.
    g.host.annotations.AnnotationMode = AnnotationTool::Cross;
    g.click(g.chart->GraphArea().center());
    EXPECT_EQ(g.counter(), 3);
    EXPECT_EQ(g.chart->GraphAnnotationCount(), 0);
}

TEST(GraphWindowAnnotations, CrossesLandInsideThePlottingAreaOnly)
{
    GraphWindow g;
    g.unsplit();
    g.host.annotations.AnnoColor = qRgb(255, 255, 0);
    g.w->ToolButton5->click();
    const QRect area = g.chart->GraphArea();

    // In the bottom margin: the cross's centre would lie below the plotting area.
    g.click(QPoint(area.center().x(), area.bottom() + 3));
    EXPECT_EQ(g.counter(), 3);
    EXPECT_EQ(g.chart->GraphAnnotationCount(), 0);

    const QPoint p = area.topLeft() + QPoint(40, 30);
    g.click(p);
    ASSERT_EQ(g.counter(), 4);
    EXPECT_EQ(g.chart->GraphAnnotationType(4), sg::sgAnnotCross);
    EXPECT_EQ(g.chart->GraphAnnotationColor(4), QColor(255, 255, 0));
    EXPECT_EQ(g.chart->GraphAnnotationText(4), "");
    // At the centre of the cross cursor, 15 pixels right of and below the pointer.
    EXPECT_EQ(g.chart->DataToPixel(0, g.chart->GraphAnnotationX(4), g.chart->GraphAnnotationY(4)),
              p + QPoint(15, 15));
}

TEST(GraphWindowAnnotations, TextsTakeTheNextIndexEvenWhenEmptyAndHiddenOnesKeepTheirs)
{
    GraphWindow g;
    g.unsplit();
    g.w->ToolButton9->click();
    EXPECT_EQ(g.chart->ArrowCursor(), sg::sgTextCursor);
    QString typed;
    int accept = QDialog::Accepted;
    g.answerDialogs([&](QDialog& d) {
        auto* edit = qobject_cast<TfrmAnnoEdit*>(&d);
        EXPECT_NE(edit, nullptr);
        if (edit) {
            EXPECT_TRUE(edit->Edit1->text().isEmpty());
            EXPECT_TRUE(edit->windowFlags() & Qt::WindowStaysOnTopHint);
            edit->Edit1->setText(typed);
        }
        return accept;
    });
    const QPoint p = g.chart->GraphArea().topLeft() + QPoint(50, 50);
    g.click(p);                                   // confirmed with an empty box
    typed = QStringLiteral("Oven door opened");
    g.click(p + QPoint(100, 0));
    accept = QDialog::Rejected;
    g.click(p + QPoint(200, 0));                  // cancelled: nothing
    ASSERT_EQ(g.counter(), 5);
    EXPECT_EQ(g.chart->GraphAnnotationText(4), "");
    EXPECT_EQ(g.chart->GraphAnnotationText(5), "Oven door opened");
    EXPECT_EQ(g.chart->GraphAnnotationType(5), sg::sgAnnotText);
    EXPECT_EQ(g.chart->DataToPixel(0, g.chart->GraphAnnotationX(5), g.chart->GraphAnnotationY(5)),
              p + QPoint(101, 7));

    // A double click on the text hides it (with the normal cursor, so that the clicks of the
    // double click place nothing); a single click does nothing.
    g.w->ToolButton4->click();
    const QPoint onText = p + QPoint(112, 7);
    g.click(onText);
    EXPECT_EQ(g.chart->GraphAnnotationText(5), "Oven door opened");
    QTest::mouseDClick(g.plot(), Qt::LeftButton, {}, onText);
    EXPECT_EQ(g.chart->GraphAnnotationText(5), "");
    EXPECT_EQ(g.chart->GraphAnnotationType(5), sg::sgAnnotText);
    EXPECT_EQ(g.counter(), 5);
    // The next annotation does not reuse the hidden one's index.
    g.w->ToolButton5->click();
    g.click(p + QPoint(0, 80));
    EXPECT_EQ(g.counter(), 6);
    EXPECT_EQ(g.chart->GraphAnnotationType(6), sg::sgAnnotCross);
    EXPECT_EQ(g.chart->GraphAnnotationText(5), "");

    g.w->Chart1GraphHotSpot();
    EXPECT_EQ(g.chart->toolTip(), "Double click to delete.");
}

TEST(GraphWindowAnnotations, MaxMinTwiceGivesEightLinesOverEachOther)
{
    GraphWindow g;
    g.unsplit();
    g.w->RefreshStatistics();
    g.w->Button2->click();
    g.w->Button2->click();
    ASSERT_EQ(g.counter(), 11);
    const QRect area = g.chart->GraphArea();
    for (int j = 0; j < 4; ++j) {
        const int first = 4 + j, second = 8 + j;
        const QString expected = QStringLiteral("T%1 MAX:").arg(j + 1) + g.w->txtMax[j]->text() +
                                 "MIN:" + g.w->txtMin[j]->text() + "AVG:" + g.w->txtAvg[j]->text();
        EXPECT_EQ(g.chart->GraphAnnotationText(first), expected);
        EXPECT_EQ(g.chart->GraphAnnotationText(second), expected);
        EXPECT_EQ(g.chart->GraphAnnotationX(first), g.chart->GraphAnnotationX(second));
        EXPECT_EQ(g.chart->GraphAnnotationY(first), g.chart->GraphAnnotationY(second));
        const QPoint at =
            g.chart->DataToPixel(0, g.chart->GraphAnnotationX(first), g.chart->GraphAnnotationY(first));
        EXPECT_NEAR(at.x(), area.left() + 80, 1);
        EXPECT_NEAR(at.y(), area.top() + 20 + 20 * j, 1);
    }
}

// A chart prepared as the program prepares one without a template: a click on a data point
// places the marker; the chart's settings dialog switches that off.
TEST(GraphWindowAnnotations, AClickOnADataPointOfAPreparedChartPlacesTheMarker)
{
    GraphWindow g(QStringLiteral("kiln.ghf"), 60);
    PrepareChart(*g.chart, 4, 100, -20, Start + 60 * Second, Start, 60, g.host.prompts.message);
    for (int p = 0; p < 60; ++p)
        for (int s = 0; s < 4; ++s) {
            g.chart->SetXDataII(s, p, Start + p * Second);
            g.chart->SetYData(s, p, fixtures::channelValue(s, p));
        }
    g.chart->Redraw();
    g.unsplit();
    QApplication::processEvents();
    const auto pointPixel = [&](int s, int p) {
        return g.chart->DataToPixel(0, g.chart->XDataII(s, p), g.chart->YData(s, p));
    };
    g.click(pointPixel(1, 30));
    EXPECT_EQ(g.chart->GraphAnnotationType(2), sg::sgAnnotCross);
    EXPECT_EQ(g.chart->GraphAnnotationX(2), g.chart->XDataII(1, 30));
    EXPECT_EQ(g.chart->GraphAnnotationY(2), g.chart->YData(1, 30));

    g.answerDialogs([](QDialog& d) {
        if (auto* box = d.findChild<QCheckBox*>("chkDataHotSpots"))
            box->setChecked(false);
        return int(QDialog::Accepted);
    });
    g.w->Button1->click();
    g.click(pointPixel(2, 10));
    EXPECT_EQ(g.chart->GraphAnnotationX(2), g.chart->XDataII(1, 30)) << "the marker stays";
}

TEST(GraphWindowAnnotations, ColourForTheWholeChartAndTheDataPointMarker)
{
    GraphWindow g;
    g.unsplit();
    g.click(g.chart->DataToPixel(0, g.chart->XDataII(1, 30), g.chart->YData(1, 30)));
    EXPECT_EQ(g.chart->GraphAnnotationX(2), g.chart->XDataII(1, 30));
    g.w->ToolButton5->click();
    g.click(g.chart->GraphArea().center());
    g.click(g.chart->GraphArea().center() + QPoint(40, 0));

    bool cancel = true;
    g.answerDialogs([&](QDialog& d) {
        auto* colours = qobject_cast<QColorDialog*>(&d);
        EXPECT_EQ(colours, g.w->ColorDialog1);
        if (colours)
            colours->setCurrentColor(QColor(255, 0, 0));
        return cancel ? QDialog::Rejected : QDialog::Accepted;
    });
    g.w->ToolButton15->click();
    EXPECT_EQ(g.chart->GraphAnnotationColor(5), QColor(0, 0, 0));
    cancel = false;
    g.w->ToolButton15->click();
    for (int i : {2, 4, 5})
        EXPECT_EQ(g.chart->GraphAnnotationColor(i), QColor(255, 0, 0)) << i;
    EXPECT_EQ(g.host.annotations.AnnoColor, qRgb(255, 0, 0));
    g.click(g.chart->GraphArea().center() + QPoint(80, 0));
    EXPECT_EQ(g.chart->GraphAnnotationColor(6), QColor(255, 0, 0));
}

TEST(GraphWindowPanels, TogglesMoveTheChartAndTheReadOutFollowsItsCorner)
{
    GraphWindow g;
    const int chartTop = g.chart->y();
    EXPECT_EQ(g.w->Panel12->pos(), g.chart->geometry().topLeft());
    g.w->ToolButton1->click();
    QApplication::processEvents();
    EXPECT_FALSE(g.w->pnlGraphStatistic->isVisible());
    EXPECT_LT(g.chart->y(), chartTop);
    EXPECT_EQ(g.w->Panel12->pos(), g.chart->geometry().topLeft());
    g.w->ToolButton1->click();
    QApplication::processEvents();
    EXPECT_EQ(g.chart->y(), chartTop);
    EXPECT_EQ(g.w->Panel12->pos(), g.chart->geometry().topLeft());

    const int chartHeight = g.chart->height();
    g.w->ToolButton2->click();
    QApplication::processEvents();
    EXPECT_FALSE(g.w->pnlStatistic->isVisible());
    EXPECT_FALSE(g.chart->ShowVertLineAnnotations());
    EXPECT_GT(g.chart->height(), chartHeight);
    g.w->ToolButton2->click();
    EXPECT_TRUE(g.chart->ShowVertLineAnnotations());
}

// Split, each pane has its own axis: the read-out is the pane's, wherever the pane lies.
TEST(GraphWindowPanels, ReadOutFollowsTheMouseInsideThePlottingAreaOnly)
{
    GraphWindow g;
    for (int pane = 0; pane < 4; ++pane) {
        const double x = g.chart->XDataII(pane, 300);
        const float y = g.chart->YData(pane, 300);
        const QPoint p = g.chart->DataToPixel(pane, x, y);
        g.mouseOver(p);
        const QPointF d = g.chart->PixelToDataUnder(p).value_or(QPointF());
        EXPECT_EQ(g.w->Panel12->text(), readOutText(d.x(), d.y())) << pane;
        // A pixel is a fraction of a degree here (120 degrees over a quarter of the height).
        EXPECT_NEAR(d.y(), y, 2.0) << pane;
        EXPECT_NEAR(d.x(), x, 2 * Second) << pane;
    }
    const QPoint inside = g.chart->GraphArea().center();
    g.mouseOver(inside);
    EXPECT_TRUE(g.w->Panel12->text().contains('@'));
    const QString shown = g.w->Panel12->text();
    g.mouseOver(QPoint(2, g.chart->height() - 3)); // the margin
    EXPECT_EQ(g.w->Panel12->text(), shown);
    EXPECT_GE(g.w->Panel12->width(),
              g.w->Panel12->fontMetrics().horizontalAdvance(shown));
}

TEST(GraphWindowZoom, UndoZoomGraphOptionAndTheYAxis)
{
    GraphWindow g;
    EXPECT_FALSE(g.w->UndoZoom->isEnabled());
    g.chart->ZoomTo(0, Start + 60 * Second, Start + 120 * Second, 10, 30);
    EXPECT_TRUE(g.w->UndoZoom->isEnabled());
    g.w->UndoZoom->click();
    EXPECT_FALSE(g.chart->IsZoomed());
    EXPECT_FALSE(g.w->UndoZoom->isEnabled());

    // The Y axis dialog touches neither the zoom nor the button.
    g.chart->ZoomTo(0, Start + 60 * Second, Start + 120 * Second, 10, 30);
    g.answerDialogs([](QDialog& d) {
        auto* scale = qobject_cast<TfrmSetupScale*>(&d);
        EXPECT_NE(scale, nullptr);
        if (scale)
            scale->edtT2Max->setText(QStringLiteral("250"));
        return QDialog::Accepted;
    });
    g.w->btnChangeScale->click();
    g.chart->SetWorkingAxis(1);
    EXPECT_EQ(g.chart->ManualMaxY(), 250);
    g.chart->SetWorkingAxis(0);
    EXPECT_TRUE(g.chart->IsZoomed());
    EXPECT_TRUE(g.w->UndoZoom->isEnabled());

    // "Graph Option": the chart's dialog, the template question, then the X extent as it was,
    // every axis at axis 0's extent, and no zoom.
    const double minX = g.chart->ManualMinX(), maxX = g.chart->ManualMaxX();
    int dialogs = 0;
    g.answerDialogs([&](QDialog& d) {
        EXPECT_NE(qobject_cast<ChartCustomizeDialog*>(&d), nullptr);
        ++dialogs;
        return QDialog::Accepted;
    });
    g.w->Button1->click();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(g.host.script.asked, QStringList{"Do you want to save the changes ?"});
    EXPECT_FALSE(g.chart->IsZoomed());
    EXPECT_FALSE(g.w->UndoZoom->isEnabled());
    EXPECT_EQ(g.chart->ManualScaleControlX(), sg::sgManualMinAndMax);
    EXPECT_EQ(g.chart->ManualMinX(), minX);
    EXPECT_EQ(g.chart->ManualMaxX(), maxX);
    for (int axis = 0; axis < 4; ++axis) {
        g.chart->SetWorkingAxis(axis);
        EXPECT_EQ(g.chart->ManualMinY(), -20) << axis;
        EXPECT_EQ(g.chart->ManualMaxY(), 100) << axis;
    }
}

// Every statistic box is wide enough for its text, also after a larger font was chosen.
void expectTextsInFull(TfrmGraph& w)
{
    QApplication::processEvents();
    std::vector<QLineEdit*> boxes{w.txtStartTime, w.txtDataNo};
    for (std::size_t j = 0; j < 4; ++j)
        boxes.insert(boxes.end(), {w.txtMax[j], w.txtMin[j], w.txtAvg[j]});
    for (QLineEdit* box : boxes) {
        const int needed = box->fontMetrics().horizontalAdvance(box->text()) + 8;
        EXPECT_GE(box->width(), needed) << box->objectName().toStdString() << ": "
                                        << box->text().toStdString();
    }
}

TEST(GraphWindowZoom, FitYAndKeepingTheDataInViewAreUndoneByUndoZoom)
{
    GraphWindow g;
    g.w->btnFitY->click();
    EXPECT_TRUE(g.chart->IsZoomed());
    EXPECT_TRUE(g.w->UndoZoom->isEnabled());
    g.w->UndoZoom->click();
    EXPECT_FALSE(g.chart->IsZoomed());
    EXPECT_FALSE(g.w->UndoZoom->isEnabled());

    // The follow button belongs to the real-time window; elsewhere a sample moves nothing.
    EXPECT_FALSE(g.w->btnFollowY->isVisibleTo(g.w.get()));
    g.w->KeepDataInView();
    EXPECT_FALSE(g.chart->IsZoomed());
    g.w->ShowFollowY(true, false);
    QSignalSpy toggled(g.w.get(), &TfrmGraph::followYToggled);
    g.w->KeepDataInView();
    EXPECT_FALSE(g.chart->IsZoomed());
    g.w->btnFollowY->click();
    EXPECT_EQ(toggled.count(), 1);
    EXPECT_TRUE(toggled.front().front().toBool());
    g.w->KeepDataInView();
    EXPECT_TRUE(g.chart->FittedY(1));
    EXPECT_TRUE(g.w->UndoZoom->isEnabled());
    // A zoom of the user's stays while samples come.
    g.w->UndoZoom->click();
    g.chart->ZoomTo(1, Start + 60 * Second, Start + 120 * Second, 10, 30);
    g.w->KeepDataInView();
    EXPECT_FALSE(g.chart->FittedY(1));
}

TEST(GraphWindowStatistics, BoxesShowTheChartsFiguresInFull)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    {
        GraphWindow g(QStringLiteral("kiln.ghf"), 3600);
        g.w->RefreshStatistics();
        EXPECT_EQ(g.w->txtDataNo->text(), "3600");
        EXPECT_EQ(g.w->ComboBox1->currentText(), "00");
        EXPECT_EQ(g.w->ComboBox2->currentText(), "01");
        EXPECT_TRUE(g.w->txtMax[1]->text().endsWith(" AM")) << g.w->txtMax[1]->text().toStdString();
        expectTextsInFull(*g.w);

        g.answerDialogs([&](QDialog& d) {
            auto* fonts = qobject_cast<QFontDialog*>(&d);
            EXPECT_EQ(fonts, g.w->FontDialog1);
            QFont big = QApplication::font();
            big.setPointSize(15);
            if (fonts)
                fonts->setCurrentFont(big);
            return QDialog::Accepted;
        });
        g.w->Button3->click();
        EXPECT_EQ(g.w->txtMax[0]->font().pointSize(), 15);
        EXPECT_EQ(g.w->txtStartTime->font().pointSize(), 15);
        expectTextsInFull(*g.w);
    }
    QLocale::setDefault(before);
}

TEST(GraphWindowStatistics, FewerSubsetsOrNoPointsShowWhatIsMissing)
{
    GraphWindow g;
    ChartState& st = g.chart->mutableState();
    st.data.resize(2, 600);
    g.w->RefreshStatistics();
    EXPECT_TRUE(g.w->txtMax[1]->text().contains('@'));
    EXPECT_EQ(g.w->txtMax[2]->text(), "OL");
    EXPECT_EQ(g.w->txtMin[3]->text(), "OL");
    EXPECT_EQ(g.w->txtAvg[3]->text(), "****");

    g.chart->SetPoints(0);
    g.w->RefreshStatistics();
    EXPECT_EQ(g.w->txtDataNo->text(), "0");
    EXPECT_EQ(g.w->txtStartTime->text(), "");
    EXPECT_EQ(g.w->txtMax[0]->text(), "OL");
    EXPECT_EQ(g.w->ComboBox1->currentIndex(), -1);
}

TEST(GraphWindowHooks, ClearRateAndDataSetClicksReachTheirCommands)
{
    GraphWindow g(QStringLiteral("Real-Time Graph"));
    QSignalSpy clear(g.w.get(), &TfrmGraph::clearRequested);
    QSignalSpy rate(g.w.get(), &TfrmGraph::samplingRateChanged);
    QSignalSpy row(g.w.get(), &TfrmGraph::grid2Clicked);
    EXPECT_FALSE(g.w->tbntClr->isVisible());
    g.w->ShowClearButton(true);
    QApplication::processEvents();
    EXPECT_TRUE(g.w->tbntClr->isVisible());
    g.w->tbntClr->click();
    EXPECT_EQ(clear.count(), 1);
    emit g.w->ComboBox2->activated(5);
    EXPECT_EQ(rate.count(), 1);
    g.w->SetRateIndexes(1, 30); // set by the program: not a change of the user's
    EXPECT_EQ(rate.count(), 1);
    EXPECT_EQ(g.w->ComboBox1->currentText(), "01");
    EXPECT_EQ(g.w->ComboBox2->currentText(), "30");
    g.w->SetRateIndexes(61, 5);
    EXPECT_EQ(g.w->ComboBox1->currentIndex(), -1);
    g.w->Grid2->setCurrentCell(0, 2);
    emit g.w->Grid2->cellClicked(0, 2);
    ASSERT_EQ(row.count(), 1);
    EXPECT_EQ(row.last().at(0).toInt(), 0);
}

TEST(GraphWindowActivation, ShowingResetsTheModeAndActivatingTellsTheHost)
{
    TempDataFolder data;
    FakeGraphHost host;
    host.annotations.AnnotationMode = AnnotationTool::Cross; // left by another window
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* w = new TfrmGraph(host, QStringLiteral("a.ghf"));
    QMdiSubWindow* sub = area.addSubWindow(w);
    sub->show();
    QApplication::processEvents();
    EXPECT_EQ(host.annotations.AnnotationMode, AnnotationTool::Normal);
    EXPECT_TRUE(w->ToolButton4->isChecked());
    area.setActiveSubWindow(nullptr);
    area.setActiveSubWindow(sub);
    EXPECT_TRUE(host.log.contains("activated"));
}

// ---- closing ---------------------------------------------------------------------------------

TEST(GraphWindowClosing, RealTimeWindowAsksAboutUnsavedSamples)
{
    GraphWindow g(kRealTimeCaption);
    g.host.unsaved.RealTimeUnsaved = true;
    g.host.unsaved.LoggerDataUnsaved = true;

    g.host.script.choices = {Answer::Cancel};
    EXPECT_FALSE(g.w->close());
    EXPECT_TRUE(g.w->isVisible());
    EXPECT_TRUE(g.host.unsaved.RealTimeUnsaved);
    EXPECT_TRUE(g.host.log.isEmpty());

    // Yes, but the graph could not be saved: it stays, and so does the mark.
    g.host.script.choices = {Answer::Yes};
    g.host.saveSucceeds = false;
    EXPECT_FALSE(g.w->close());
    EXPECT_TRUE(g.host.unsaved.RealTimeUnsaved);
    EXPECT_EQ(g.host.log, QStringList{"SaveGraph"});

    g.host.script.choices = {Answer::No};
    EXPECT_TRUE(g.w->close());
    EXPECT_FALSE(g.host.unsaved.RealTimeUnsaved);
    EXPECT_TRUE(g.host.unsaved.LoggerDataUnsaved); // the logger's mark is not this window's
    EXPECT_EQ(g.host.log, (QStringList{"SaveGraph", "real-time closed"}));
    EXPECT_EQ(g.host.script.asked, QStringList(3, "Save Real-Time Graph ?"));
}

TEST(GraphWindowClosing, YesSavesFirstAndAPlainWindowNeverAsks)
{
    {
        GraphWindow g(kRealTimeCaption);
        g.host.unsaved.RealTimeUnsaved = true;
        g.host.script.choices = {Answer::Yes};
        EXPECT_TRUE(g.w->close());
        EXPECT_FALSE(g.host.unsaved.RealTimeUnsaved);
        EXPECT_EQ(g.host.log, (QStringList{"SaveGraph", "real-time closed"}));
    }
    {
        GraphWindow g(kLoggerCaption);
        g.host.unsaved.LoggerDataUnsaved = true;
        g.host.script.choices = {Answer::Yes};
        EXPECT_TRUE(g.w->close());
        EXPECT_EQ(g.host.script.asked, QStringList{"Save DataLogger Data ?"});
        EXPECT_EQ(g.host.log, (QStringList{"SaveWindow", "logger closed"}));
        EXPECT_FALSE(g.host.unsaved.LoggerDataUnsaved);
    }
    {
        GraphWindow g(QStringLiteral("Real-Time Graph.ghf"));
        g.host.unsaved = {true, true};
        EXPECT_TRUE(g.w->close());
        EXPECT_TRUE(g.host.script.asked.isEmpty());
        EXPECT_TRUE(g.host.log.isEmpty());
    }
}

TEST(GraphWindowClosing, LoggerWindowCancelKeepsItNoClosesIt)
{
    GraphWindow g(kLoggerCaption);
    g.host.unsaved.LoggerDataUnsaved = true;
    g.host.script.choices = {Answer::Cancel};
    EXPECT_FALSE(g.w->close());
    EXPECT_TRUE(g.host.unsaved.LoggerDataUnsaved);

    // Asked once by the main window before it closes: the close itself does not ask again.
    g.host.script.choices = {Answer::No};
    EXPECT_TRUE(g.w->AskToClose());
    EXPECT_TRUE(g.w->close());
    EXPECT_EQ(g.host.script.asked, QStringList(2, "Save DataLogger Data ?"));
    EXPECT_EQ(g.host.log, QStringList{"logger closed"});
    EXPECT_FALSE(g.host.unsaved.LoggerDataUnsaved);
}
