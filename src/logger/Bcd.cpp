// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/Bcd.h"

namespace Bcd {

std::optional<int> decode(std::uint8_t byte)
{
    const int tens = byte >> 4;
    const int units = byte & 0x0F;
    if (tens > 9 || units > 9)
        return std::nullopt;
    return tens * 10 + units;
}

std::optional<int> decodeYear(std::uint8_t byte)
{
    if (byte >= 0x1A && byte <= 0x1F)
        return 2000 + 10 + (byte - 0x1A);
    const auto y = decode(byte);
    if (!y)
        return std::nullopt;
    return 2000 + *y;
}

std::uint8_t encode(int value)
{
    const int v = ((value % 100) + 100) % 100;
    return std::uint8_t((v / 10) << 4 | (v % 10));
}

} // namespace Bcd
