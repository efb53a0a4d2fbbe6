// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One recording run of the meter's logger, decoded from its set header, and the rules that the
// views derive from it: the unit, the thermocouple letter, the offsets in degrees and the
// validity range of a reading.

#include <QString>

#include <array>
#include <cstdint>

struct DataSet {
    double StartTime = 0;   // local date-time of the first sample, days since 1899-12-30
    int Rate = 0;           // sampling interval in seconds (0 when its digits did not decode)
    int Nums = 0;           // number of samples
    std::uint8_t Flags = 0; // bit 3: readings in degrees F
    int Couple = 0;         // raw type byte: 0x11 K, 0x22 J, 0x44 E, 0x88 T
    std::array<int, 4> Offsets{}; // raw offset bytes of T1..T4, 0..255 (128 and up are negative)
    int ImageStart = 0;     // offset of the set in the memory image
    int ImageEnd = 0;       // offset of its last byte

    bool fahrenheit() const { return (Flags & 0x08) != 0; }
    QString Unit() const { return fahrenheit() ? QStringLiteral("F") : QStringLiteral("C"); }
    // "K" for 0x11, "J" for 0x22, "E" for 0x44, "T" for 0x88, "K" for anything else.
    QString CoupleLetter() const;
    // The channel's offset in degrees: signed raw value x 0.05 (C) or x 0.09 (F).
    double OffsetDegrees(int channel) const;
};

// A reading is out of range when it lies outside the closed range of the set's type and unit;
// a type not in the table accepts every value. Compared as 32-bit floats.
bool IsOutOfRange(std::uint8_t Flags, int Couple, float value);
