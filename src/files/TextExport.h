// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text (.txt, tab) and CSV (.csv, comma) files written from a graph or a table: one line per
// sample or row, CR LF line ends, no header, UTF-8.
//
// Graph line: date (short date), separator, time (long time), and for T1..T4 a separator and the
// value with one decimal in the user's format, "OL" for a value above 2500, below -328 or not a
// number; no separator at the end.
// Table line: the cells of columns 1..6 as they stand, each followed by the separator.
//
// In a CSV file a field that holds a comma (a value where the decimal separator is a comma), a
// double quote or a line break is put in double quotes, its double quotes doubled (RFC 4180), so
// that the program and spreadsheets read it back as one field. Text files are never quoted.
//
// The export loops run in the window's command: the window shows the range dialog (its rules are
// exportRange() below) and a progress window, and passes a LineProgress that lets events run and
// reports Cancel. The lines go to a temporary file that replaces the target at the end: after a
// Cancel the target holds the lines written before it; a failure leaves the old target whole.

#include "base/LocaleText.h"
#include "files/TextFileStatus.h"

#include <QByteArray>
#include <QChar>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

struct ChartState;
class TableModel;

// Point or row numbers, counting from 1, both included; empty when from > to.
struct ExportRange {
    int from = 1;
    int to = 0;
    int count() const { return to >= from ? to - from + 1 : 0; }
    bool operator==(const ExportRange&) const = default;
};

// The range dialog: "&All" gives 1..last. Otherwise the two texts are read as integers and made
// positive; to < from swaps them, to is cut to last, from 0 becomes 1. nullopt when either text
// is not an integer: the window then shows invalidIntegerText() and writes nothing.
std::optional<ExportRange> exportRange(bool all, const QString& fromText, const QString& toText,
                                       int last);
QString invalidIntegerText();

// "OL" or the value with one decimal.
QString graphValueText(float v, const QLocale& locale = QLocale());
bool isOverLimit(float v);

// One graph line with its CR LF.
QByteArray graphExportLine(double time, const std::array<float, 4>& values, QChar separator,
                           const LocaleText::DateTimeFormat& format,
                           const QLocale& locale = QLocale());
// One table line (grid row) with its CR LF.
QByteArray tableExportLine(const TableModel& table, int gridRow, QChar separator);
// Appends one field to a line: quoted as above when the separator is a comma and it must be.
void appendField(QString& line, QStringView field, QChar separator);

// The table export's separator: a comma when the name's last three letters are "csv" in any
// case, else a tab.
QChar tableSeparator(const QString& fileName);

// The points of the chart that hold a sample: those before the first whose X is 0 (never
// filled), as many as an export of all points writes.
int recordedPoints(const ChartState& chart);

// Writes points range.from..range.to of the chart (its subsets 0..3), stopping at the first
// point whose X is 0 (never filled). An existing file is replaced.
TextFileResult exportGraphText(const ChartState& chart, const QString& fileName, QChar separator,
                               ExportRange range, const LineProgress& progress = {},
                               const QLocale& locale = QLocale());
// Writes grid rows range.from..range.to of the table.
TextFileResult exportTableText(const TableModel& table, const QString& fileName,
                               ExportRange range, const LineProgress& progress = {});
