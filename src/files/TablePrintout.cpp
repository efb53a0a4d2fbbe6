// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TablePrintout.h"

#include "files/TableModel.h"

#include <algorithm>

namespace {
constexpr int TimeColumn = 2;
constexpr int TimeWidth = 17;
constexpr int OtherWidth = 10;
constexpr int Gap = 2;   // blanks at least between a column's longest cell and the next column

// The cell of a row: the title row has no view of its own; data rows are read without a copy.
QStringView cellOf(const TableModel& table, int gridRow, int column, QString& title)
{
    if (gridRow != 0)
        return table.cellView(gridRow, column);
    title = table.cell(0, column);
    return title;
}
} // namespace

int tablePrintColumnWidth(int column)
{
    return column == TimeColumn ? TimeWidth : OtherWidth;
}

TablePrintColumns tablePrintColumns(const TableModel& table)
{
    TablePrintColumns widths{};
    QString title;
    for (int c = 0; c < TableModel::Columns; ++c)
        widths[std::size_t(c)] = tablePrintColumnWidth(c);
    for (int r = 0; r < table.gridRowCount(); ++r)
        for (int c = 0; c < TableModel::Columns; ++c) {
            const qsizetype needed = cellOf(table, r, c, title).size() + Gap;
            int& w = widths[std::size_t(c)];
            w = static_cast<int>(std::max<qsizetype>(w, needed));
        }
    return widths;
}

QString tablePrintLine(const TableModel& table, int gridRow, const TablePrintColumns& columns)
{
    QString line;
    int end = 0;
    for (int w : columns)
        end += w;
    line.reserve(end);
    QString title;
    end = 0;
    for (int c = 0; c < TableModel::Columns; ++c) {
        line += cellOf(table, gridRow, c, title);
        end += columns[std::size_t(c)];
        // Cells longer than their column exist only when the widths were taken of another
        // table; they push the rest of their line to the right.
        line.resize(std::max<qsizetype>(line.size(), end), QLatin1Char(' '));
    }
    return line;
}

TablePrintLayout TablePrintLayout::forPage(int pageHeight, int lineHeight)
{
    TablePrintLayout layout;
    layout.lineHeight = std::max(lineHeight, 1);
    layout.linesPerPage = std::max(pageHeight / layout.lineHeight, 1);
    return layout;
}

TablePrintLayout::Span TablePrintLayout::linesOfPages(int lines, int fromPage, int toPage) const
{
    const auto firstLine = [&](long long page) {
        return static_cast<int>(std::min<long long>(page * linesPerPage, std::max(lines, 0)));
    };
    Span span;
    span.begin = firstLine(std::max(fromPage, 1) - 1);
    span.end = toPage > 0 ? firstLine(toPage) : std::max(lines, 0);
    return span;
}
