// SPDX-License-Identifier: GPL-3.0-or-later
// The data-logger window drawing one data set: a 16,000-sample set (about the whole memory)
// prepared, filled, given its statistics and redrawn in a window of 1600 x 900, offscreen.
#include "graph/FakeGraphHost.h"
#include "graph/TempFolder.h"
#include "logger/LoggerFixtures.h"

#include "graph/UGraph.h"
#include "logger/DataSetsView.h"
#include "logger/ParseMemoryImage.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

void BM_ShowDataSet(benchmark::State& state)
{
    TempDataFolder data;
    FakeGraphHost host;
    const ManualClock clock = fixtures::fallbackClock();
    const ParseResult parsed = ParseMemoryImage(fixtures::imageOf({fixtures::run(16000, 5)}), clock);
    if (parsed.status != ParseStatus::Ok || parsed.store.set(0).Nums != 16000) {
        state.SkipWithError("the memory image did not decode");
        return;
    }
    TfrmGraph w(host, QStringLiteral("DataLogger"));
    w.resize(1600, 900);
    w.ShowDataSets(true);
    w.show();
    QApplication::processEvents();
    const MessageFn quiet = [](const QString&) {};
    for (auto _ : state) {
        ShowDataSet(w, parsed.store, 0, quiet);
        QApplication::processEvents(); // painted
    }
}
BENCHMARK(BM_ShowDataSet)->Unit(benchmark::kMillisecond);

} // namespace
