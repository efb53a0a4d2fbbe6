// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's logger memory as one byte image: index 0 is the first byte of the memory. A header
// page, and from offset 257 the data sets back to back. Multi-byte integers are big-endian.
//
// Header page (other bytes are not used):
//    9  2  number of data sets          14  1  recording interval, minutes, BCD
//   11  3  used length in bytes         15  1  recording interval, seconds, BCD
//   32  12 gains T1..T4, 24-bit, /65536 44  8  CJC offsets T1..T4, signed 16-bit, x0.01
//   52  4  EXT offsets, signed, x0.05   60  1  thermocouple type 0x11 K, 0x22 J, 0x33 E, 0x44 T
// Data set at offset s:
//    0  2  marker 0xA5 0x5A             11  3  number of samples n
//    2  1  flags (bit 3: degrees F)     14  1  type 0x11 K, 0x22 J, 0x44 E, 0x88 T
//    3  6  start year..second, BCD      15  4  offsets T1..T4, signed, steps of 0.05 C / 0.09 F
//    9  2  interval minutes, seconds    22  8n samples: T1..T4 signed 16-bit tenths each
// The next set starts at s + 24 + 8 * (n & 0xFFFF).

#include <QByteArray>

#include <cstdint>
#include <span>

using MemoryImage = QByteArray;

namespace Image {

constexpr int kSetCountAt = 9;
constexpr int kUsedLengthAt = 11;
constexpr int kIntervalAt = 14;
constexpr int kGainsAt = 32;
constexpr int kCjcOffsetsAt = 44;
constexpr int kExtOffsetsAt = 52;
constexpr int kTypeAt = 60;
constexpr int kFirstSetAt = 257;

constexpr std::uint8_t kMarker0 = 0xA5;
constexpr std::uint8_t kMarker1 = 0x5A;
constexpr int kSetHeaderLength = 22; // marker to the first sample
constexpr int kSetOverhead = 24;     // a set without samples
constexpr int kSampleLength = 8;     // T1..T4, two bytes each
constexpr std::uint8_t kFahrenheitFlag = 0x08;

constexpr int kMaxSets = 4000;
constexpr int kMinUsedLength = 256;
constexpr int kMaxUsedLength = 131072;

inline std::span<const std::uint8_t> bytes(const QByteArray& image)
{
    return {reinterpret_cast<const std::uint8_t*>(image.constData()), std::size_t(image.size())};
}

// Big-endian unsigned integer of `length` bytes at `at`; the caller checks the bounds.
inline std::uint32_t readUnsigned(std::span<const std::uint8_t> b, std::size_t at, int length)
{
    std::uint32_t v = 0;
    for (int i = 0; i < length; ++i)
        v = v << 8 | b[at + std::size_t(i)];
    return v;
}

inline void writeUnsigned(QByteArray& image, int at, int length, std::uint32_t value)
{
    for (int i = length - 1; i >= 0; --i) {
        image[at + i] = char(value & 0xFF);
        value >>= 8;
    }
}

// The image cut after the last good set, for the deletion of a failing set: the bytes up to and
// including lastGoodByte (the end of the last good set, or the byte before the first set), with
// the set count goodSets and the used length lastGoodByte + 1 in its header page.
MemoryImage cutAfterLastGoodSet(const MemoryImage& image, int goodSets, int lastGoodByte);

} // namespace Image
