// SPDX-License-Identifier: GPL-3.0-or-later
// One real-time sample into a recording of 4 x 99,999 points that is 80,000 samples full: the
// chart's cells, the running statistics, the Y axes following the readings, the redraw of the
// chart at 1600 x 900 and the journal line, all through the recorder of the program's main
// window.
#include "support/RecordingBench.h"

#include <benchmark/benchmark.h>

#include <QToolButton>

namespace {

// state.range(0): 1 with "Keep Fitting Y While Recording" pressed (as in a fresh
// installation), 0 without.
void BM_AppendSample(benchmark::State& state)
{
    benchrec::Recording r;
    r.window().btnFollowY->setChecked(state.range(0) != 0);
    constexpr int kFull = 80000;
    r.prefill(kFull);
    if (r.window().Chart1->size() != QSize(1600, 900))
        state.SkipWithError("the chart is not 1600 x 900");
    for (auto _ : state) {
        if (r.main->Recorder().SampleCount >= benchrec::kPoints - 1) {
            state.PauseTiming();
            r.prefill(kFull);
            state.ResumeTiming();
        }
        r.append();
    }
    state.counters["journal_ok"] = r.recorder().Journal().writing() ? 1 : 0;
}
BENCHMARK(BM_AppendSample)->ArgName("follow")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
