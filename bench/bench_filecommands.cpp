// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands at full size in the main window: a graph of 4 x 99,999 points saved as CSV
// through Save (range dialog, progress window "Saving Progress"), that file opened through Open
// into a table window ("Open Progress"), and the table turned into a graph by "Output Tabular to
// graph" ("Graphing Progress"). Every line lets events run, as for the user.
#include "support/AppLifetime.h"
#include "support/FileCommandsBench.h"

#include "files/TableModel.h"

#include <benchmark/benchmark.h>

namespace {

using benchfiles::kPoints;

benchfiles::Shell& shell()
{
    return benchsupport::keptWindow<benchfiles::Shell>();
}

QString csvFile()
{
    static QString csv;
    if (csv.isEmpty()) {
        benchfiles::Shell& s = shell();
        csv = s.path(QStringLiteral("run.csv"));
        TfrmGraph* g = s.recordedGraph();
        s.exportGraph(*g, csv);
        benchfiles::Shell::close(*g);
    }
    return csv;
}

void BM_ExportGraphText(benchmark::State& state)
{
    benchfiles::Shell& s = shell();
    TfrmGraph* g = s.recordedGraph();
    const QString csv = s.path(QStringLiteral("export.csv"));
    for (auto _ : state)
        if (!s.exportGraph(*g, csv))
            state.SkipWithError("not saved");
    benchfiles::Shell::close(*g);
}
BENCHMARK(BM_ExportGraphText)->Unit(benchmark::kMillisecond);

void BM_ImportTable(benchmark::State& state)
{
    benchfiles::Shell& s = shell();
    const QString csv = csvFile();
    for (auto _ : state) {
        TfrmList* list = s.openTable(csv);
        state.PauseTiming();
        if (!list || list->Table().gridRowCount() != kPoints + 1)
            state.SkipWithError("short import");
        else
            benchfiles::Shell::close(*list);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportTable)->Unit(benchmark::kMillisecond);

void BM_TableToGraph(benchmark::State& state)
{
    benchfiles::Shell& s = shell();
    TfrmList* list = s.openTable(csvFile());
    auto* table = qobject_cast<QMdiSubWindow*>(list->parentWidget());
    for (auto _ : state) {
        s.main.MdiArea->setActiveSubWindow(table);
        s.main.btnOutputToGraphClick();
        state.PauseTiming();
        QMdiSubWindow* made = s.main.MdiArea->currentSubWindow();
        auto* g = made ? qobject_cast<TfrmGraph*>(made->widget()) : nullptr;
        if (!g || g->Chart1->Points() != kPoints)
            state.SkipWithError("no graph");
        else
            benchfiles::Shell::close(*g);
        state.ResumeTiming();
    }
    benchfiles::Shell::close(*list);
}
BENCHMARK(BM_TableToGraph)->Unit(benchmark::kMillisecond);

} // namespace
