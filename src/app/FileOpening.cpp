// SPDX-License-Identifier: GPL-3.0-or-later
// The openings: a graph file into a new graph window, a text or CSV file into a new table window,
// a collection into the data-logger window; and a table window turned into a graph.

#include "app/FileCommands.h"

#include "app/FileProgress.h"
#include "app/GraphWindows.h"
#include "files/CollectionFile.h"
#include "files/FileTypes.h"
#include "files/TableModel.h"
#include "files/TableReader.h"
#include "files/TableToGraph.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/GraphFile.h"
#include "graph/UGraph.h"
#include "logger/UList.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>

namespace {

constexpr float kTableMinY = -20.0f;
constexpr float kTableMaxY = 100.0f;

} // namespace

void FileCommands::placeOpenedGraph(TfrmGraph& window)
{
    c_.graphs.PlaceAsOpenedFile(window);
}

// A file that does not read as a graph file is an error before any window is made.
void FileCommands::openGraphFile(const QString& fileName)
{
    ChartState state;
    readGraphFile(state, fileName);
    TfrmGraph* w = c_.graphs.Create(fileName);
    Chart& chart = *w->Chart1;
    chart.LoadState(std::move(state));
    placeOpenedGraph(*w);
    w->RefreshStatistics();
    // Ticking the box splits as the box does; a file without a split clears it.
    w->chkSplit->setChecked(chart.MultiAxesSubsets(1) != 0);
    chart.SetAllowDataLabels(sg::sgNoDataLabels);
    chart.PEactions(sg::sgReinitAndReset);
    w->ApplySplitRule();
    chart.SetAllowGraphAnnotHotSpots(true);
    c_.graphs.Show(*w);
}

void FileCommands::openTableFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        message(textFileStatusText(
            {TextFileStatus::CannotOpen, fileName, file.errorString(), 0, false}));
        return;
    }
    const QPointer<TfrmList> list = CreateTableWindow(fileName);
    // Read beside the window and handed over whole: the grid is drawn once, and a window
    // closed during the reading loses nothing but itself.
    TableModel read;
    {
        FileProgress progress(&c_.mainWindow, QStringLiteral("Open Progress"),
                              QStringLiteral("0"), -1, true);
        readTable(file, openSeparator(fileName), read,
                  progress.Lines(FileProgress::Shows::Counter, [&] { return !list.isNull(); }));
    }
    if (list) {
        list->Table().setRows(read.takeRows());
        list->Grid1->viewport()->update();
    }
}

void FileCommands::openCollection()
{
    c_.openLoggerGraph();
    QFileDialog& d = *dialogs_.OpenDialog1;
    FileDialogs::SetDefaultExtension(d, QStringLiteral("CH4"));
    dialogs_.SetTypes(d, FileTypes::collectionOpenTypes());
    const std::optional<QString> name = dialogs_.Ask(d);
    if (!name)
        return;
    const CollectionResult r = ::openCollection(*name, c_.store, c_.dataSets(), clock_);
    if (r.status != CollectionStatus::Ok)
        message(collectionStatusText(r));
}

void FileCommands::outputToGraph(TfrmList& list)
{
    const LocaleText::DateTimeFormat format;
    const TableGraphSpan span = tableGraphSpan(list.Table(), format);
    if (span.status == TableGraphStatus::NoData) {
        message(tableGraphStatusText(span));
        return;
    }
    TfrmGraph* w = c_.graphs.Create(list.windowTitle());
    placeOpenedGraph(*w);
    if (!span.ok()) {
        // The new window stays, without data.
        c_.graphs.Show(*w);
        message(tableGraphStatusText(span));
        return;
    }
    const QPointer<TfrmGraph> graph(w);
    Chart& chart = *w->Chart1;
    PrepareChartUndrawn(chart, 4, kTableMaxY, kTableMinY, span.last, span.first, span.rows,
                        notice());
    w->ApplySplitRule();
    // Filled beside the chart from a copy of the rows and handed over whole: events run after
    // every row, and the table window may close meanwhile (the graph goes on), or the graph
    // window and the program (the loop ends).
    TableModel rows;
    rows.setRows(list.Table().rows());
    ChartState filled = chart.state();
    {
        FileProgress progress(&c_.mainWindow, QStringLiteral("Graphing Progress"),
                              QStringLiteral("graphing....."), span.rows, false);
        tableToChart(rows, filled, format,
                     progress.Lines(FileProgress::Shows::Bar, [&] { return !graph.isNull(); }));
    }
    if (!graph)
        return;
    chart.LoadState(std::move(filled));
    c_.graphs.Show(*w);
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*w))
        sub->showNormal();
    w->RefreshStatistics();
    chart.PEactions(sg::sgReinitAndReset);
    chart.PEnarg1 = 0;
    chart.PEnarg2 = 0;
    chart.PEactions(sg::sgResetImage);
    chart.PEactions(sg::sgInvalidateImage);
}
