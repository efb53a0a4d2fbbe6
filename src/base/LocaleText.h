// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's regional formats, in one place: numbers in fixed-point notation with the locale's
// decimal separator (never a group separator), dates in its short date format and times in its
// long time format. Everything that shows or exports a date, a time or a reading to the user goes
// through here, and the date-time parser reads back exactly what dateTimeText() writes.
//
// The formats come from the default QLocale (the system's unless QLocale::setDefault was called).
// Two adjustments keep the texts unambiguous: a two-digit year ("yy") is widened to four digits,
// so that a date read back from a file keeps its century, and the time zone ("t") that Qt's long
// time format carries is left out, as in a table cell it would only be noise.

#include <QLocale>
#include <QString>

#include <memory>
#include <optional>

namespace LocaleText {

// The short date format and the long time format as used here.
QString shortDateFormat(const QLocale& locale = QLocale());
QString longTimeFormat(const QLocale& locale = QLocale());

// v with exactly `decimals` digits after the separator (to the nearest), no group separator,
// and no minus sign on a value that rounds to zero.
QString fixed(double v, int decimals, const QLocale& locale = QLocale());

// Date-times are local, in days since 30 December 1899.
QString dateText(double days, const QLocale& locale = QLocale());
QString timeText(double days, const QLocale& locale = QLocale());
// The date, a blank and the time.
QString dateTimeText(double days, const QLocale& locale = QLocale());

// Reads "date time" as dateTimeText() writes it (surrounding blanks are ignored). nullopt when
// the text is not a valid date and time in these formats.
std::optional<double> parseDateTime(const QString& text, const QLocale& locale = QLocale());

// The same date and time texts and the same parsing for loops over many lines (file export and
// import, table to graph): the formats are compiled once, and the common formats (numeric fields,
// short month names, AM/PM) are then written and read without Qt's general format engine. A
// self-check at construction compares the compiled formats with the general ones on sample
// date-times; a locale that does not pass it (native digits, day names, ...) simply takes the
// general route. Results equal those of the functions above.
class DateTimeFormat {
public:
    explicit DateTimeFormat(const QLocale& locale = QLocale());
    ~DateTimeFormat();
    DateTimeFormat(const DateTimeFormat&) = delete;
    DateTimeFormat& operator=(const DateTimeFormat&) = delete;

    QString dateText(double days) const;
    QString timeText(double days) const;
    std::optional<double> parse(QStringView text) const;   // as parseDateTime
    bool compiled() const;   // the fast route is in use

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace LocaleText
