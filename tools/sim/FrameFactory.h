// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hand-made live frames for tests and benchmarks: any payload, sealed with header, checksum and
// trailer, and the bytes of a frame as they travel on the line.

#include "link/LiveFrame.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace sim {

// Sets header, checksum and trailer around the payload already in f (offsets 1 to 32).
inline LiveFrame sealFrame(LiveFrame f)
{
    f[0] = kFrameHeader;
    f[33] = liveFrameChecksum(f.data());
    f[34] = kFrameTrailer;
    return f;
}

// A good frame whose payload tells n apart from other numbers (n is in offsets 3 to 6).
inline LiveFrame numberedFrame(std::uint32_t n)
{
    LiveFrame f{};
    f[1] = 0x08;
    f[2] = 0x23;
    f[3] = std::uint8_t(n >> 24);
    f[4] = std::uint8_t(n >> 16);
    f[5] = std::uint8_t(n >> 8);
    f[6] = std::uint8_t(n);
    for (std::size_t i = 7; i <= 32; ++i)
        f[i] = std::uint8_t(n * 31 + i * 7);
    return sealFrame(f);
}

inline std::uint32_t frameNumber(const LiveFrame& f)
{
    return std::uint32_t(f[3]) << 24 | std::uint32_t(f[4]) << 16 | std::uint32_t(f[5]) << 8 | f[6];
}

template <std::size_t N>
inline QByteArray bytesOf(const std::array<std::uint8_t, N>& a)
{
    return QByteArray(reinterpret_cast<const char*>(a.data()), qsizetype(N));
}

} // namespace sim
