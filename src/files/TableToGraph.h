// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Output Tabular to graph": a table of dates, times and readings turned into a graph.
//
// The window's command runs in two steps around its own work:
//   1. tableGraphSpan(): refuses a table without data ("No data to graph !", before any window
//      is made) and reads the first and the last date-time (a failure is the conversion's own
//      message, after the new graph window was made; that window stays empty);
//   2. the window prepares the new chart (PrepareChart with 4 subsets, Y -20..100, X first..last,
//      span.rows points), then tableToChart() fills it row by row.
// Dates and times are read with the user's formats, the ones the text export writes.

#include "base/LocaleText.h"
#include "files/TextFileStatus.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

struct ChartState;
class TableModel;

enum class TableGraphStatus {
    Ok,
    NoData,    // the first data row has no date
    BadTime,   // the first or the last date and time do not convert
};

struct TableGraphSpan {
    TableGraphStatus status = TableGraphStatus::Ok;
    double first = 0.0;
    double last = 0.0;
    int rows = 0;       // data rows, one point each
    QString badText;    // the date and time that did not convert
    bool ok() const { return status == TableGraphStatus::Ok; }
};

// The message for the user: "No data to graph !" or "'text' is not a valid date and time".
QString tableGraphStatusText(const TableGraphSpan& span);

TableGraphSpan tableGraphSpan(const TableModel& table, const LocaleText::DateTimeFormat& format);

// The reading of one cell: exactly "OL" is NullReading; otherwise a finite number in the
// user's format. nullopt when it does not convert.
std::optional<float> tableReading(QStringView text, const QLocale& locale = QLocale());

// Writes data row t (1..rows) as point t - 1 of subsets 0..3: X the row's date-time for all four,
// then Y channel by channel. A row is abandoned at its first cell that does not convert, silently:
// what was not written keeps X 0 / Y NullReading from PrepareChart and is not drawn.
// progress is called with t before each row; Cancel stops after that row. Returns the rows done.
int tableToChart(const TableModel& table, ChartState& prepared,
                 const LocaleText::DateTimeFormat& format, const LineProgress& progress = {},
                 const QLocale& locale = QLocale());
