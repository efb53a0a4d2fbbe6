// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of a full logger memory (128 KiB): a few long runs, and many short ones (one start
// time to convert per set).
#include "base/Clock.h"
#include "logger/ParseMemoryImage.h"
#include "tools/sim/LoggerMemory.h"

#include <benchmark/benchmark.h>

namespace {

MemoryImage fullImage(int sets)
{
    sim::LoggerMemoryConfig c;
    const int samples = ((sim::kLoggerMemoryBytes - 257) / sets - 24) / 8;
    for (int k = 0; k < sets; ++k) {
        sim::LoggedRun r;
        r.samples = samples;
        r.rateSeconds = 1 + k % 90;
        r.fahrenheit = k % 3 == 1;
        r.type = std::uint8_t(0x11 << (k % 4));
        c.runs.push_back(r);
    }
    return sim::buildLoggerMemory(c);
}

void BM_ParseMemoryImage(benchmark::State& state)
{
    const MemoryImage image = fullImage(int(state.range(0)));
    const ManualClock clock;
    for (auto _ : state) {
        ParseResult r = ParseMemoryImage(image, clock);
        benchmark::DoNotOptimize(r.store.SampleValues().data());
        if (r.status != ParseStatus::Ok)
            state.SkipWithError("the image does not decode");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * image.size());
    state.counters["image_bytes"] = double(image.size());
}
BENCHMARK(BM_ParseMemoryImage)->Arg(4)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
