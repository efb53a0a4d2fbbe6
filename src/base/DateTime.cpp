// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/DateTime.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
}

namespace DateTime {

double now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

DateAndTime split(double days)
{
    // Far beyond any calendar the program shows; also keeps the day count within an integer.
    if (!(std::abs(days) < 1e9))
        return {};
    const double whole = std::floor(days);
    qint64 ms = qint64(std::llround((days - whole) * SecondsPerDay * 1000.0));
    qint64 d = qint64(whole);
    if (ms >= qint64(SecondsPerDay * 1000)) {
        ms -= qint64(SecondsPerDay * 1000);
        ++d;
    }
    return {kEpoch.addDays(d), QTime::fromMSecsSinceStartOfDay(int(ms))};
}

double fromDateAndTime(const QDate& date, const QTime& time)
{
    const double days = double(kEpoch.daysTo(date));
    const double ms = double(time.msecsSinceStartOfDay());
    return days + ms / (SecondsPerDay * 1000.0);
}

double fromQDateTime(const QDateTime& dt)
{
    const QDateTime local = dt.toLocalTime();
    return fromDateAndTime(local.date(), local.time());
}

QDateTime toQDateTime(double days)
{
    const DateAndTime dt = split(days);
    if (!dt.date.isValid())
        return {};
    return QDateTime(dt.date, dt.time);
}

} // namespace DateTime
