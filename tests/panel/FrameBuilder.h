// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds good live frames for tests and benchmarks.

#include "link/LiveFrame.h"

#include <cstdint>

struct FrameBuilder {
    LiveFrame f{};

    FrameBuilder()
    {
        f[0] = kFrameHeader;
        f[34] = kFrameTrailer;
        for (std::size_t i = 19; i <= 30; ++i)
            f[i] = 0xFF; // no stamps
    }
    FrameBuilder& statusA(std::uint8_t v) { f[1] = v; return *this; }
    FrameBuilder& statusB(std::uint8_t v) { f[2] = v; return *this; }
    FrameBuilder& raw(std::size_t offset, std::uint8_t hi, std::uint8_t lo)
    {
        f[offset] = hi;
        f[offset + 1] = lo;
        return *this;
    }
    FrameBuilder& tenths(std::size_t offset, int v)
    {
        const auto u = std::uint16_t(std::int16_t(v));
        return raw(offset, std::uint8_t(u >> 8), std::uint8_t(u & 0xFF));
    }
    FrameBuilder& channel(int n, int tenthsValue) { return tenths(3 + 2 * std::size_t(n - 1), tenthsValue); }
    FrameBuilder& channelStatus(std::uint8_t v) { f[31] = v; return *this; }
    FrameBuilder& statisticStatus(std::uint8_t v) { f[32] = v; return *this; }
    LiveFrame frame()
    {
        f[33] = liveFrameChecksum(f.data());
        return f;
    }
};
