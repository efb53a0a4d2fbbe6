// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's date-time: local time as days since 30 December 1899, the fraction being the
// time of day. All conversions to and from QDateTime live here and nowhere else.

#include <QDateTime>

namespace DateTime {

constexpr double SecondsPerDay = 86400.0;
constexpr double OneSecond = 1.0 / SecondsPerDay;

double now();

// The calendar date and the wall-clock time of a date-time, to the millisecond, by arithmetic
// alone (no time zone lookup): fast enough for files of many thousand lines.
struct DateAndTime {
    QDate date;
    QTime time;
};
DateAndTime split(double days);   // invalid for a non-finite or absurdly large value
double fromDateAndTime(const QDate& date, const QTime& time);   // wall-clock date and time

double fromQDateTime(const QDateTime& dt);   // local time
QDateTime toQDateTime(double days);          // local time, millisecond precision

} // namespace DateTime
