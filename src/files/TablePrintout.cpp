// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TablePrintout.h"

#include "files/TableModel.h"

#include <algorithm>

namespace {
constexpr int TimeColumn = 2;
constexpr int TimeWidth = 17;
constexpr int OtherWidth = 10;
constexpr qsizetype EmptyLineLength = 2 * (TimeWidth + (TableModel::Columns - 1) * OtherWidth);
} // namespace

int tablePrintColumnWidth(int column)
{
    return column == TimeColumn ? TimeWidth : OtherWidth;
}

QString tablePrintLine(const TableModel& table, int gridRow)
{
    QString line;
    line.reserve(EmptyLineLength + 40);
    for (int c = 0; c < TableModel::Columns; ++c) {
        // The title row has no view of its own; data rows are read without a copy.
        const QString title = gridRow == 0 ? table.cell(0, c) : QString();
        const QStringView cell = gridRow == 0 ? QStringView(title) : table.cellView(gridRow, c);
        line += cell;
        const qsizetype missing = tablePrintColumnWidth(c) - cell.size();
        if (missing > 0)
            line.resize(line.size() + 2 * missing, QLatin1Char(' '));
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
