// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the frame search on a mixed stream: good frames, damaged frames and line noise
// (with and without header bytes), fed in pieces of at most 256 bytes as the receive handler does.
#include "link/FrameReader.h"
#include "tools/sim/FrameFactory.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

QByteArray mixedStream(std::size_t size)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> kind(0, 9), byte(0, 255), len(1, 400);
    QByteArray out;
    std::uint32_t n = 0;
    while (std::size_t(out.size()) < size) {
        const int k = kind(rng);
        if (k < 5) {
            out += sim::bytesOf(sim::numberedFrame(++n));
        } else if (k < 7) {
            QByteArray f = sim::bytesOf(sim::numberedFrame(++n));
            f[33] = char(f[33] + 1);
            out += f;
        } else {
            const int count = len(rng);
            for (int i = 0; i < count; ++i)
                out += char(byte(rng)); // noise, header bytes included
        }
    }
    return out;
}

void BM_FrameReader(benchmark::State& state)
{
    const QByteArray stream = mixedStream(std::size_t(state.range(0)));
    std::int64_t frames = 0;
    for (auto _ : state) {
        QByteArray buffer;
        for (qsizetype pos = 0; pos < stream.size(); pos += 256) {
            buffer.append(stream.constData() + pos, std::min<qsizetype>(256, stream.size() - pos));
            FrameReader reader(buffer);
            LiveFrame f;
            while (reader.next(f))
                ++frames;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * stream.size());
    state.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

// Long noise without any header byte, fed in one piece: must stay linear.
void BM_FrameReaderNoiseRun(benchmark::State& state)
{
    QByteArray noise(state.range(0), '\x55');
    for (auto _ : state) {
        QByteArray buffer = noise;
        FrameReader reader(buffer);
        LiveFrame f;
        benchmark::DoNotOptimize(reader.next(f));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

// Only header bytes: every position is a bad candidate, the worst case of the search.
void BM_FrameReaderAllHeaders(benchmark::State& state)
{
    QByteArray headers(state.range(0), '\x02');
    for (auto _ : state) {
        QByteArray buffer = headers;
        FrameReader reader(buffer);
        LiveFrame f;
        benchmark::DoNotOptimize(reader.next(f));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK(BM_FrameReader)->Arg(1 << 20);
BENCHMARK(BM_FrameReaderNoiseRun)->Arg(1 << 20);
BENCHMARK(BM_FrameReaderAllHeaders)->Arg(1 << 16);

BENCHMARK_MAIN();
