// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two-digit BCD as the meter writes it: the high nibble is the tens, the low nibble the units.
// A byte with a nibble above 9 does not decode. The meter writes the years 2010 to 2015 of a
// date as 0x1A to 0x1F; they decode as 10 to 15.

#include <cstdint>
#include <optional>

namespace Bcd {

// 0x23 -> 23; nullopt when a nibble is above 9.
std::optional<int> decode(std::uint8_t byte);
// The year of a date: 2000 + the decoded byte, 0x1A..0x1F read as 10..15.
std::optional<int> decodeYear(std::uint8_t byte);
// 23 -> 0x23, for 0 <= value <= 99 (only the last two decimal digits are kept).
std::uint8_t encode(int value);

} // namespace Bcd
