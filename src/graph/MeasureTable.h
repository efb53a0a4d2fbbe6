// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measuring figures as a table: one row per channel, one column per figure. The measuring
// pane shows it, "Copy" puts it on the clipboard and `kolva-cli stats` prints it, so the columns,
// their order and their texts are decided here once.
//
// Two styles: for people (the pane and the clipboard: the user's decimal separator, titles with
// the cursors' times, the unit and the levels, durations as h:mm:ss) and for programs (the
// command line: ASCII keys as titles, a point as decimal separator, durations in seconds). The
// columns of a level (threshold, band, base) are there only when the level is set. A figure that
// cannot be given is an empty cell.

#include "graph/SpanMeasure.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

enum class FigureKind {
    Name,          // the channel's name
    Temperature,   // one decimal; "OL" beyond +-3000 for people
    Slope,         // degrees per minute, two decimals
    Area,          // degree-minutes, one decimal
    Time,          // a date-time (days)
    Duration,      // seconds: h:mm:ss for people
    Count,
};

struct MeasureTextStyle {
    bool forPeople = true;
    QLocale locale;                           // numbers
    std::function<QString(double)> timeText; // a date-time; for people by default the time of day
};

struct FigureColumn {
    QString key;     // for programs: at_a, max_time, ...
    QString title;   // for people: two lines, the figure over its unit, level or time
    FigureKind kind;
};

// The columns of a measure taken with these options; unit is "°C", "°F" or empty where the data
// do not say.
std::vector<FigureColumn> measureColumns(const SpanMeasure& measure, const MeasureOptions& options,
                                         const QString& unit, const MeasureTextStyle& style);

// The figures of channel `channel` in the order of the columns (the name column holds nothing).
std::vector<std::optional<double>> measureRow(const SpanMeasure& measure,
                                              const MeasureOptions& options, int channel);

// A duration as h:mm:ss (hours may pass 24); empty for a value that is not a duration.
QString durationText(double seconds);

// A figure as programs get it, in text and in JSON alike: rounded to a thousandth of a second
// for durations and to four decimals otherwise (more digits would only show the rounding of
// 32-bit readings and millisecond times).
double figureForPrograms(FigureKind kind, double value);

// One cell's text.
QString figureText(FigureKind kind, const std::optional<double>& value, const MeasureTextStyle& style);

struct MeasureTable {
    QStringList header;
    std::vector<QStringList> rows;
};

// The whole table; names[k] names channel k (missing names become T1, T2, ...).
MeasureTable measureTable(const SpanMeasure& measure, const MeasureOptions& options,
                          const QStringList& names, const QString& unit,
                          const MeasureTextStyle& style);

// Tab-separated lines, LF line ends, the header first (its line breaks become blanks): what a
// spreadsheet pastes into cells.
QString tabSeparated(const MeasureTable& table);
