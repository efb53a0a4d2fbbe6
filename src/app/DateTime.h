#pragma once
// The program's date-time: local time as days since 30 December 1899, the fraction being the
// time of day. All conversions to and from QDateTime live here and nowhere else.

#include <QDateTime>

namespace DateTime {

constexpr double SecondsPerDay = 86400.0;
constexpr double OneSecond = 1.0 / SecondsPerDay;

double now();
double fromQDateTime(const QDateTime& dt);   // local time
QDateTime toQDateTime(double days);          // local time, millisecond precision
// A wall-clock date and time as the meter's clock gives them, without a time-zone look-up: the
// same as fromQDateTime(QDateTime(date, time)) except in the hour that a change to summer time
// skips, which is kept as it stands. Both must be valid.
double fromDateAndTime(const QDate& date, const QTime& time);

} // namespace DateTime
