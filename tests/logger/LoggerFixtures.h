// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory images for the logger tests, made with the simulator's logger memory, and a clock that
// stands at a known moment.

#include "base/DateTime.h"
#include "base/Clock.h"
#include "logger/MemoryImage.h"
#include "tools/sim/LoggerMemory.h"

#include <QDateTime>
#include <QString>

#include <ostream>
#include <vector>

// Readable test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace fixtures {

inline double days(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTime::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

// The PC's clock in the logger tests: 15 June 2031, 08:09:10.
inline ManualClock fallbackClock()
{
    return ManualClock(days(2031, 6, 15, 8, 9, 10));
}

inline sim::LoggedRun run(int samples, int rateSeconds = 2, bool fahrenheit = false, std::uint8_t type = 0x11)
{
    sim::LoggedRun r;
    r.samples = samples;
    r.rateSeconds = rateSeconds;
    r.fahrenheit = fahrenheit;
    r.type = type;
    return r;
}

inline MemoryImage imageOf(std::vector<sim::LoggedRun> runs)
{
    sim::LoggerMemoryConfig c;
    c.runs = std::move(runs);
    return sim::buildLoggerMemory(c);
}

} // namespace fixtures
