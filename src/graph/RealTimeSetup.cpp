// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/RealTimeSetup.h"

namespace RealTimeSetup {

std::optional<int> parseCount(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return std::nullopt;
    int n = 0;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    if (n < 1 || n > kMaxCount)
        return std::nullopt;
    return n;
}

QString invalidCountText(const QString& text)
{
    return text + QStringLiteral(" is not valid.") + QLatin1Char('\n');
}

QString hms(std::int64_t seconds, bool padded)
{
    const int width = padded ? 2 : 0;
    const std::int64_t rest = seconds % 3600;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(rest / 60, width, 10, QLatin1Char('0'))
        .arg(rest % 60, width, 10, QLatin1Char('0'));
}

QString periodAtOpen(int rateSeconds)
{
    return hms(std::int64_t(rateSeconds) * kInitialCountValue, false);
}

QString period(const QString& countText, int minutes, int seconds)
{
    const std::int64_t n = parseCount(countText).value_or(0);
    return hms(n * (std::int64_t(minutes) * 60 + seconds), true);
}

bool fixZeroRate(int& minutesIndex, int& secondsIndex)
{
    if (minutesIndex != 0 || secondsIndex != 0)
        return false;
    secondsIndex = kSmallestRate;
    return true;
}

int rateOf(int minutesIndex, int secondsIndex, int currentRate)
{
    const int minutes = minutesIndex >= 0 ? minutesIndex : currentRate / 60;
    const int seconds = secondsIndex >= 0 ? secondsIndex : currentRate % 60;
    return minutes * 60 + seconds;
}

} // namespace RealTimeSetup
