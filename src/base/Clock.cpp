// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Clock.h"

#include "base/DateTime.h"

#include <chrono>

double SystemClock::Now() const
{
    return DateTime::now();
}

std::int64_t SystemClock::TickMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
