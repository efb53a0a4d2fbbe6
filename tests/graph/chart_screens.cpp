// SPDX-License-Identifier: GPL-3.0-or-later
// Writes pictures of the chart and its dialogs in typical states, and of the graph windows in
// their three roles, to the folder given as the first argument, for people to look at.
#include "ChartFixtures.h"
#include "graph_window_screens.h"
#include "graph/ChartCustomizeDialog.h"
#include "graph/USetupScale.h"
#include "support/PictureTool.h"

#include <QApplication>
#include <QTabWidget>

using picturetool::save;

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QString dir = picturetool::outputFolder(argc, argv);

    Chart chart;
    chart.resize(1200, 800);
    chart.show();
    fixtures::fillDefault(chart, 3600, 3600);
    chart.Redraw();
    save(chart, dir, QStringLiteral("chart-split.png"));

    chart.ClearMultiAxes();
    chart.SetGraphAnnotationType(4, sg::sgAnnotText);
    chart.SetGraphAnnotationX(4, fixtures::Start + 600 * fixtures::Second);
    chart.SetGraphAnnotationY(4, 80);
    chart.SetGraphAnnotationText(4, QStringLiteral("Oven door opened"));
    chart.SetGraphAnnotationColor(4, Qt::white);
    chart.SetGraphAnnotationType(5, sg::sgAnnotCross);
    chart.SetGraphAnnotationX(5, fixtures::Start + 1800 * fixtures::Second);
    chart.SetGraphAnnotationY(5, chart.YData(1, 1800));
    chart.SetGraphAnnotationColor(5, Qt::yellow);
    chart.SetGraphAnnotationType(2, sg::sgAnnotCross);
    chart.SetGraphAnnotationX(2, fixtures::Start + 2700 * fixtures::Second);
    chart.SetGraphAnnotationY(2, chart.YData(3, 2700));
    chart.SetGraphAnnotationText(2, QStringLiteral("10:45:00\r45.1"));
    chart.SetGraphAnnotationColor(2, Qt::white);
    chart.SetVertLineAnnotation(0, fixtures::Start + 1200 * fixtures::Second);
    chart.SetVertLineAnnotationText(0, QStringLiteral("Cursor 1"));
    chart.SetVertLineAnnotation(1, fixtures::Start + 3000 * fixtures::Second);
    chart.SetVertLineAnnotationText(1, QStringLiteral("Cursor 2"));
    chart.SetVertLineAnnotationColor(0, QColor(80, 80, 255));
    chart.SetVertLineAnnotationColor(1, Qt::red);
    chart.SetMainTitle(QStringLiteral("Kiln test run"));
    chart.Redraw();
    save(chart, dir, QStringLiteral("chart-shared-annotations.png"));

    // Gaps: missing readings on T1 and T3, a line gap on T2.
    for (int p = 900; p < 1100; ++p) {
        chart.SetYData(0, p, ChartNullReading);
        chart.SetYData(2, p + 1000, ChartNullReading);
    }
    chart.SetMainTitle(QString());
    chart.Redraw();
    save(chart, dir, QStringLiteral("chart-gaps.png"));

    chart.ZoomTo(0, fixtures::Start + 800 * fixtures::Second,
                 fixtures::Start + 1400 * fixtures::Second, 10, 70);
    save(chart, dir, QStringLiteral("chart-zoomed.png"));
    chart.UndoZoom();

    // A real-time chart part way through its recording.
    Chart rt;
    rt.resize(1000, 700);
    rt.show();
    fixtures::fillDefault(rt, 2000, 140, 50, -10);
    rt.Redraw();
    save(rt, dir, QStringLiteral("chart-realtime.png"));

    ChartCustomizeDialog dialog(chart.state());
    dialog.show();
    save(dialog, dir, QStringLiteral("chart-settings-dialog.png"));
    dialog.pages()->setCurrentIndex(1);
    save(dialog, dir, QStringLiteral("chart-settings-subsets.png"));

    TfrmSetupScale scale;
    scale.setFields(currentScale(chart.state().settings));
    scale.show();
    save(scale, dir, QStringLiteral("chart-setupscale.png"));

    saveGraphWindowScreens(dir);
    return 0;
}
