// SPDX-License-Identifier: GPL-3.0-or-later
// The memory of a table window of 99,999 rows and the graph made from it: a graph of
// 4 x 99,999 points saved as CSV through Save, its window closed, the file opened through Open
// into a table window and turned into a graph by "Output Tabular to graph". Prints the times
// and the peak resident memory; run it under /usr/bin/time -v for a second opinion.
#include "support/FileCommandsBench.h"

#include "files/TableModel.h"

#include <QElapsedTimer>

#include <cstdio>

#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchfiles::Shell s;
    const QString csv = s.path(QStringLiteral("run.csv"));
    {
        TfrmGraph* g = s.recordedGraph();
        s.exportGraph(*g, csv);
        benchfiles::Shell::close(*g);
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    TfrmList* list = s.openTable(csv);
    const qint64 openMs = timer.restart();
    s.main.btnOutputToGraphClick();
    QApplication::processEvents();
    const qint64 graphMs = timer.elapsed();
    QMdiSubWindow* made = s.main.MdiArea->currentSubWindow();
    auto* g = made ? qobject_cast<TfrmGraph*>(made->widget()) : nullptr;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const int rows = list ? list->Table().gridRowCount() - 1 : 0;
    std::printf("rows %d, points %d, open %lld ms, graph %lld ms, peak resident memory %.1f MB "
                "(%.1f MB before the table)\n",
                rows, g ? g->Chart1->Points() : 0, openMs, graphMs, usage.ru_maxrss / 1024.0,
                before.ru_maxrss / 1024.0);
    for (TfrmGraph* w : s.main.Graphs().Windows())
        w->parentWidget()->close();
    s.main.Unsaved() = {};
    return rows == benchfiles::kPoints && g ? 0 : 1;
}
