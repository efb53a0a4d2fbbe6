// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the set-up reads back from the meter: the firmware version (the reply to "V"), the meter's
// clock (the reply to "ti") and the header page of its logger memory (the first memory block),
// and the texts the dialog and the command line show for them. The texts are made here and
// nowhere else, numbers and dates in the user's formats.

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// The fields of the header page (the first 64 bytes of the memory) that the set-up shows.
struct HeaderPage {
    int dataSets = 0;                 // bytes 9..10
    int usedLength = 0;               // bytes 11..13
    std::uint8_t intervalMinutes = 0; // byte 14, BCD as stored
    std::uint8_t intervalSeconds = 0; // byte 15, BCD as stored
    std::array<std::uint32_t, 4> gains{};     // 24-bit, 65536 is 1.0
    std::array<std::int16_t, 4> cjcOffsets{}; // hundredths of a degree
    std::array<std::int8_t, 4> extOffsets{};  // steps of 0.05 degree
    std::uint8_t type = 0;            // byte 60: 0x11 K, 0x22 J, 0x33 E, 0x44 T
};

// block holds at least the first 64 bytes of the memory.
HeaderPage readHeaderPage(std::span<const std::uint8_t> block);

// The meter's clock from the eight bytes of its "ti" reply (year, month, day, hour, minute,
// second in BCD, the years 2010..2015 possibly as 0x1A..0x1F): a local date-time in days, or
// nullopt when a field does not decode or the date or time is impossible.
std::optional<double> decodeMeterClock(std::span<const std::uint8_t> reply);

// Free memory in eight-byte sample records: (128256 - used length) div 8, never below 0.
constexpr int kMemoryForSamples = 128256;
int memoryAvailable(int usedLength);

// The thermocouple letter of the header page's type byte: "K", "J", "E", "T", else "K". (A data
// set codes E and T differently.)
QString headerCoupleLetter(std::uint8_t type);

struct MeterInfo {
    std::optional<int> firmwareVersion; // signed
    std::optional<double> meterTime;    // local date-time in days
    std::optional<HeaderPage> header;
};

// The value texts; empty where nothing was read.
struct MeterInfoTexts {
    QString firmwareVersion; // signed decimal
    QString meterTime;       // short date and long time
    QString interval;        // "02:30(mm:ss)"
    QString dataSets;
    QString memoryAvailable;
    QString coupleType;
    std::array<QString, 4> gains;      // 8 decimals
    std::array<QString, 4> cjcOffsets; // 2 decimals
    std::array<QString, 4> extOffsets; // 2 decimals
};

MeterInfoTexts meterInfoTexts(const MeterInfo& info, const QLocale& locale = QLocale());

// The captions of the six information fields, in the dialog's order: "Firmware Version::",
// "Meter Time:", "Recording Interval:", "Data Sets In Memory:", "Memory Available:",
// "Couple Type:".
const std::array<QString, 6>& meterInfoCaptions();
// The six value texts in the same order.
std::array<QString, 6> meterInfoValues(const MeterInfoTexts& texts);

// Everything as labelled lines, for a report without windows: each caption with its value, then
// one line per channel ("T1 Gain 1.00000000 CJC offset -2.00 EXT offset -0.50").
QStringList meterInfoLines(const MeterInfoTexts& texts);
