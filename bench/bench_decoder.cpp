// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one live frame: decoding alone, and decoding plus showing it on the front panel.

#include "link/LiveDecoder.h"
#include "panel/UPanel.h"
#include "panel/NullPanelHost.h"

#include <benchmark/benchmark.h>

namespace {

LiveFrame sampleFrame(std::uint8_t statusA, int step)
{
    LiveFrame f{};
    f[0] = kFrameHeader;
    f[1] = statusA;
    f[2] = 0x23;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto v = std::uint16_t(std::int16_t(-2000 + 37 * int(i) + step));
        f[3 + 2 * i] = std::uint8_t(v >> 8);
        f[4 + 2 * i] = std::uint8_t(v & 0xFF);
    }
    for (std::size_t i = 19; i <= 30; ++i)
        f[i] = std::uint8_t(0x10 + i);
    f[33] = liveFrameChecksum(f.data());
    f[34] = kFrameTrailer;
    return f;
}

void BM_DecodeLiveFrame(benchmark::State& st)
{
    const QLocale locale(QStringLiteral("de_DE"));
    LiveReading reading;
    DecoderState state;
    const LiveFrame frames[] = {sampleFrame(0x08, 1), sampleFrame(0x28, 2), sampleFrame(0x09, 3)};
    std::size_t n = 0;
    for (auto _ : st) {
        PanelDisplay d = DecodeLiveFrame(frames[n++ % 3], reading, state, locale);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_DecodeLiveFrame);

void BM_DecodeAndShowOnPanel(benchmark::State& st)
{
    NullHost host;
    TfrmPanel panel(host, TfrmPanel::LoadBatteryPictures());
    panel.show();
    const QLocale locale(QStringLiteral("de_DE"));
    LiveReading reading;
    DecoderState state;
    int step = 0;
    for (auto _ : st) {
        const LiveFrame f = sampleFrame(step % 2 ? 0x08 : 0x28, step);
        ++step;
        panel.ShowDisplay(DecodeLiveFrame(f, reading, state, locale));
        // Paint what changed, as the event loop would between frames.
        panel.repaint();
    }
}
BENCHMARK(BM_DecodeAndShowOnPanel);

} // namespace
