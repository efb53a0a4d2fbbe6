// SPDX-License-Identifier: GPL-3.0-or-later
// The file formats at full size: a graph of 4 × 99,999 points exported as CSV, that file read
// into a table, the table turned back into a chart, and one journal line. The per-line hook runs
// the event loop as the progress windows do.
#include "files/FileFixtures.h"
#include "files/TableReader.h"
#include "files/TableToGraph.h"
#include "files/TextExport.h"
#include "graph/GraphTemplate.h"
#include "graph/RecordingJournal.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

constexpr int Points = 99999;

bool processEvents(int)
{
    QCoreApplication::processEvents();
    return false;
}

struct Files {
    QTemporaryDir dir;
    QString csv = QDir(dir.path()).filePath(QStringLiteral("run.csv"));
    ChartState chart = filefixtures::recordedChart(Points, Points);
};

Files& files()
{
    static Files f;
    return f;
}

// The CSV file of the full chart, written once.
Files& withCsv()
{
    Files& f = files();
    if (!QFileInfo::exists(f.csv))
        exportGraphText(f.chart, f.csv, QLatin1Char(','), {1, Points}, {}, QLocale::c());
    return f;
}

void BM_ExportGraphText(benchmark::State& state)
{
    Files& f = files();
    for (auto _ : state) {
        const TextFileResult r = exportGraphText(f.chart, f.csv, QLatin1Char(','), {1, Points},
                                                 processEvents, QLocale::c());
        if (r.lines != Points)
            state.SkipWithError("short export");
    }
}
BENCHMARK(BM_ExportGraphText)->Unit(benchmark::kMillisecond);

void BM_ImportTable(benchmark::State& state)
{
    Files& f = withCsv();
    for (auto _ : state) {
        TableModel table;
        const TextFileResult r = readTableFile(f.csv, table, processEvents);
        if (r.lines != Points)
            state.SkipWithError("short import");
    }
}
BENCHMARK(BM_ImportTable)->Unit(benchmark::kMillisecond);

void BM_TableToGraph(benchmark::State& state)
{
    Files& f = withCsv();
    TableModel table;
    readTableFile(f.csv, table);
    const QString noTemplate = QDir(f.dir.path()).filePath(QStringLiteral("none/graph.ghf"));
    for (auto _ : state) {
        const LocaleText::DateTimeFormat format(QLocale::c());
        const TableGraphSpan span = tableGraphSpan(table, format);
        ChartState chart;
        prepareChartState(chart, 4, 100, -20, span.last, span.first, span.rows,
                          {noTemplate, {}, {}});
        tableToChart(table, chart, format, processEvents, QLocale::c());
        benchmark::DoNotOptimize(chart.data.ys().data());
    }
}
BENCHMARK(BM_TableToGraph)->Unit(benchmark::kMillisecond);

// One sample into the recording journal (the data are synced every few seconds, not here).
void BM_JournalAppend(benchmark::State& state)
{
    const QTemporaryDir dir;
    const ManualClock clock;
    RecordingJournal journal(clock, {}, dir.path());
    journal.start({filefixtures::start(), 1, Points, true});
    int k = 0;
    for (auto _ : state) {
        journal.append(filefixtures::start() + k * DateTime::OneSecond, filefixtures::reading(0, k),
                       filefixtures::reading(1, k), filefixtures::reading(2, k),
                       filefixtures::reading(3, k), TemperatureUnit::Celsius);
        ++k;
    }
}
BENCHMARK(BM_JournalAppend)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
