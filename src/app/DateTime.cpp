#include "app/DateTime.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
}

namespace DateTime {

double now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

double fromQDateTime(const QDateTime& dt)
{
    const QDateTime local = dt.toLocalTime();
    const double days = double(kEpoch.daysTo(local.date()));
    const double ms = double(local.time().msecsSinceStartOfDay());
    return days + ms / (SecondsPerDay * 1000.0);
}

double fromDateAndTime(const QDate& date, const QTime& time)
{
    return double(kEpoch.daysTo(date)) + double(time.msecsSinceStartOfDay()) / (SecondsPerDay * 1000.0);
}

QDateTime toQDateTime(double days)
{
    if (!std::isfinite(days))
        return {};
    const double whole = std::floor(days);
    qint64 ms = qint64(std::llround((days - whole) * SecondsPerDay * 1000.0));
    qint64 d = qint64(whole);
    if (ms >= qint64(SecondsPerDay * 1000)) {
        ms -= qint64(SecondsPerDay * 1000);
        ++d;
    }
    return QDateTime(kEpoch.addDays(d), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

} // namespace DateTime
