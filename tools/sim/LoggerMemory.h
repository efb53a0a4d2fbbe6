// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's logger memory, made from a description of its recording runs: the header page
// (set count, used length, the current interval, gains, CJC and EXT offsets, type) and the data
// sets from offset 257, each with its marker, flags, BCD start time, BCD interval, 24-bit count,
// type byte, offsets and samples. Faults damage the made image as a failing meter would.
//
// The used length counts from offset 0 to the end of the last set (256 without any set); the
// rest of the 128 KiB memory reads 0xFF, as erased memory does.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

constexpr int kLoggerMemoryBytes = 131072;

// One recording run.
struct LoggedRun {
    int samples = 60;
    bool fahrenheit = false;
    std::uint8_t type = 0x11;             // as stored in a set: 0x11 K, 0x22 J, 0x44 E, 0x88 T
    std::array<std::int8_t, 4> offsets{}; // steps of 0.05 C (0.09 F)
    double startDays = 0;                 // local start; 0: an hour after the previous run ends
    int rateSeconds = 2;                  // 1 s to 99:59
    // Raw bytes in place of the encoded start (year, month, day, hour, minute, second) and
    // interval (minutes, seconds): digits that do not decode, impossible dates.
    std::optional<std::array<std::uint8_t, 6>> rawStart;
    std::optional<std::array<std::uint8_t, 2>> rawInterval;
    // Readings in tenths of a degree, T1..T4 per sample; empty: a smooth made-up curve.
    std::vector<std::array<std::int16_t, 4>> readings;
};

struct LoggerMemoryConfig {
    std::vector<LoggedRun> runs;
    int intervalSeconds = 2;               // the meter's current recording interval
    std::array<std::uint32_t, 4> gains{65536, 65536, 65536, 65536}; // 65536 is 1.0
    std::array<std::int16_t, 4> cjcOffsets{}; // hundredths of a degree
    std::array<std::int8_t, 4> extOffsets{};  // steps of 0.05 degree
    std::uint8_t headerType = 0x11;           // as stored in the header: 0x11 K, 0x22 J, 0x33 E, 0x44 T
    bool yearQuirk = true;                    // years 2010..2015 written 0x1A..0x1F, as the meter does
    double firstStartDays = 44999.375;        // start of the first run when its startDays is 0
};

// Damage done to the memory image.
struct MemoryFaults {
    std::int64_t usedLength = -1; // written as the used length instead of the true one
    int brokenMarkerSet = -1;     // this set's marker is overwritten
    int headerSetCount = -1;      // written as the number of sets instead of the true one
};

// The used part of the memory: header page and sets (at least 256 bytes).
QByteArray buildLoggerMemory(const LoggerMemoryConfig& config);
// Start offsets of the sets of an image as the chain of set lengths gives them.
std::vector<int> setOffsets(const QByteArray& image, int sets);
void applyMemoryFaults(QByteArray& image, const MemoryFaults& faults);
// The meter's whole memory: the image padded with 0xFF (or cut) to 128 KiB.
QByteArray fullMemory(const QByteArray& image);

// Three runs of different length, unit, type and rate, for a meter that has recorded something.
std::vector<LoggedRun> sampleRuns();

// The year byte of a date as the meter writes it.
std::uint8_t yearByte(int year, bool quirk);

} // namespace sim
