// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DownloadProgress.h"

#include <algorithm>

void TimeLeftEstimate::start(std::int64_t tickMs, int received)
{
    startTick_ = tickMs;
    startReceived_ = received;
}

std::optional<std::int64_t> TimeLeftEstimate::msLeft(std::int64_t tickMs, int received, int expected) const
{
    if (startReceived_ < 0 || received <= startReceived_)
        return std::nullopt;
    const double msPerByte = double(tickMs - startTick_) / double(received - startReceived_);
    return std::int64_t(msPerByte * double(std::max(expected - received, 0)) + 0.5);
}

QString TimeLeftText(std::optional<std::int64_t> ms)
{
    if (!ms)
        return {};
    const std::int64_t seconds = (std::max<std::int64_t>(*ms, 0) + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
