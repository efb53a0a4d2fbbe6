// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DownloadProgress.h"

#include <algorithm>
#include <cmath>

void TimeLeftEstimate::blockAccepted(std::int64_t tickMs)
{
    accepted_.push_back(tickMs);
    while (int(accepted_.size()) > kIntervalsMeasured + 1)
        accepted_.pop_front();
}

std::optional<double> TimeLeftEstimate::msPerBlock() const
{
    if (accepted_.size() < 2)
        return std::nullopt;
    return double(accepted_.back() - accepted_.front()) / double(accepted_.size() - 1);
}

std::optional<std::int64_t> TimeLeftEstimate::msLeft(int blocksLeft) const
{
    const std::optional<double> pace = msPerBlock();
    if (!pace)
        return std::nullopt;
    return std::int64_t(std::llround(*pace * double(std::max(blocksLeft, 0))));
}

bool TimeLeftEstimate::waiting(std::int64_t tickMs) const
{
    if (accepted_.empty())
        return true;
    const double limit = std::max(double(kWaitingAfterMs), 3.0 * msPerBlock().value_or(0.0));
    return double(tickMs - accepted_.back()) > limit;
}

QString TimeLeftText(std::optional<std::int64_t> ms)
{
    if (!ms)
        return {};
    const std::int64_t seconds = (std::max<std::int64_t>(*ms, 0) + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString TimeLeftLine(std::optional<std::int64_t> ms, bool waiting)
{
    if (waiting)
        return QStringLiteral("waiting for the meter");
    const QString left = TimeLeftText(ms);
    return left.isEmpty() ? QString() : QStringLiteral("time left ") + left;
}
