// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DataSet.h"

namespace {

struct Range {
    int couple;
    float lowC, highC, lowF, highF;
};

// The limits are floats, so that a reading of 2501.6 (stored as a float) meets its limit.
constexpr Range kRanges[] = {
    {0x11, -200.0f, 1372.0f, -328.0f, 2501.6f}, // K
    {0x22, -150.0f, 1000.0f, -238.0f, 1832.0f}, // J
    {0x44, -150.0f, 750.0f, -238.0f, 1382.0f},  // E
    {0x88, -180.0f, 400.0f, -292.0f, 752.0f},   // T
};

} // namespace

QString DataSet::CoupleLetter() const
{
    switch (Couple) {
    case 0x22: return QStringLiteral("J");
    case 0x44: return QStringLiteral("E");
    case 0x88: return QStringLiteral("T");
    default: return QStringLiteral("K");
    }
}

double DataSet::OffsetDegrees(int channel) const
{
    const int raw = Offsets[std::size_t(channel)] & 0xFF;
    const int value = raw >= 128 ? raw - 256 : raw;
    return value * (fahrenheit() ? 0.09 : 0.05);
}

bool IsOutOfRange(std::uint8_t Flags, int Couple, float value)
{
    const bool f = (Flags & 0x08) != 0;
    for (const Range& r : kRanges) {
        if (r.couple != Couple)
            continue;
        const float low = f ? r.lowF : r.lowC;
        const float high = f ? r.highF : r.highC;
        return !(value >= low && value <= high);
    }
    return false;
}
