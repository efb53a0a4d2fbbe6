// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's live frame and the ten-byte command frame.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t kLiveFrameLength = 35;
constexpr std::uint8_t kFrameHeader = 0x02;
constexpr std::uint8_t kFrameTrailer = 0x03;

using LiveFrame = std::array<std::uint8_t, kLiveFrameLength>;

// The 8-bit sum of the payload bytes at offsets 1 to 32.
inline std::uint8_t liveFrameChecksum(const std::uint8_t* frame)
{
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 32; ++i)
        sum += frame[i];
    return std::uint8_t(sum & 0xFF);
}

// A frame is good when it starts with 0x02, ends with 0x03 and carries the right sum.
inline bool isGoodLiveFrame(const std::uint8_t* frame)
{
    return frame[0] == kFrameHeader && frame[34] == kFrameTrailer
        && liveFrameChecksum(frame) == frame[33];
}

// Command frame: 0x02, one command letter, seven 0x00, 0x03. No checksum, no length.
constexpr std::size_t kCommandFrameLength = 10;
using CommandFrame = std::array<std::uint8_t, kCommandFrameLength>;

constexpr CommandFrame makeCommandFrame(char letter)
{
    CommandFrame f{};
    f[0] = kFrameHeader;
    f[1] = std::uint8_t(letter);
    f[9] = kFrameTrailer;
    return f;
}

// The letters of live mode.
namespace Cmd {
constexpr char Identify = 'K';
constexpr char StartStream = 'a';
constexpr char KeepAlive = 'X';
constexpr char Hold = 'H';
constexpr char Rec = 'E';
constexpr char CelsiusFahrenheit = 'C';
constexpr char Difference = 'T';
constexpr char MmaNext = 'M';
constexpr char MmaCancel = 'N';
} // namespace Cmd
