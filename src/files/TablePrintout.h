// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table printout without a printer: the text of each printed line and where it goes.
//
// One line per grid row, the title row and the row-number column included, printed in a
// fixed-pitch font. Every column starts at the same character position on every line: a cell is
// followed by blanks up to its column's width. A column is as wide as its nominal width in
// characters (17 for the time column, column 2; 10 for every other column) or as its longest
// cell (the title included) and two blanks, whichever is more, so that a long date format never
// runs into the time. Lines are neither wrapped nor cut.
//
// Pages: a page holds pageHeight div lineHeight lines, in printer device units. Line i lies at
// y = (i mod lines + 1) x lineHeight from the top of the printable area, so the first line of
// each page lies one line height below the top; a new page starts before line i when i > 0
// and i mod lines = 0.

#include "files/TableModel.h"

#include <QString>

#include <array>

// The nominal width of a column in characters.
int tablePrintColumnWidth(int column);

// The widths of the columns of a printout of the whole table, in characters.
using TablePrintColumns = std::array<int, TableModel::Columns>;
TablePrintColumns tablePrintColumns(const TableModel& table);

// The printed line of one grid row (0 the title row).
QString tablePrintLine(const TableModel& table, int gridRow, const TablePrintColumns& columns);

// The place of every line on the pages of a printout.
struct TablePrintLayout {
    int lineHeight = 1;
    int linesPerPage = 1;

    // A page too low for one line still takes one per page, and a line height below one
    // device unit counts as one, so the printout always advances.
    static TablePrintLayout forPage(int pageHeight, int lineHeight);

    bool startsPage(int line) const { return line > 0 && line % linesPerPage == 0; }
    int page(int line) const { return line / linesPerPage; }   // from 0
    int y(int line) const { return (line % linesPerPage + 1) * lineHeight; }
    int pageCount(int lines) const { return lines <= 0 ? 0 : page(lines - 1) + 1; }

    // The lines [begin, end) on pages fromPage to toPage (counting from 1; 0 leaves that end
    // open) of a printout of `lines` lines; empty when the pages lie past the last one.
    struct Span {
        int begin = 0;
        int end = 0;
        bool empty() const { return end <= begin; }
    };
    Span linesOfPages(int lines, int fromPage, int toPage) const;
};
