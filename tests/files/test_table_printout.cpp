// SPDX-License-Identifier: GPL-3.0-or-later
// The table printout without a printer: the padding of each line and the pages.
#include "files/TableModel.h"
#include "files/TablePrintout.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

} // namespace

TEST(TablePrintLine, EveryColumnStartsAtTheSamePlaceOnEveryLine)
{
    TableModel table;
    table.setGridRowCount(4);
    const QStringList cells = {QStringLiteral("12"),       QStringLiteral("14/03/2024"),
                               QStringLiteral("10:15:30"), QStringLiteral("OL"),
                               QStringLiteral("1234.5678901"), QStringLiteral("-5.2"),
                               QStringLiteral("")};
    for (int c = 0; c < 7; ++c)
        table.setCell(1, c, cells[c]);
    table.setCell(2, 1, QStringLiteral("9/3/2024"));
    const TablePrintColumns widths = tablePrintColumns(table);

    // The nominal widths, or the longest cell and two blanks: "14/03/2024" widens the date
    // column to 12, "1234.5678901" T2 to 14; the time column keeps its 17.
    EXPECT_EQ(widths, (TablePrintColumns{10, 12, 17, 10, 14, 10, 10}));
    EXPECT_EQ(tablePrintLine(table, 1, widths),
              QStringLiteral("12") + blanks(8) + QStringLiteral("14/03/2024") + blanks(2) +
                  QStringLiteral("10:15:30") + blanks(9) + QStringLiteral("OL") + blanks(8) +
                  QStringLiteral("1234.5678901") + blanks(2) + QStringLiteral("-5.2") + blanks(6) +
                  blanks(10));
    EXPECT_EQ(tablePrintLine(table, 2, widths).indexOf(QLatin1Char('9')), 10);
    // The title row is printed like a data row; an empty row is all blanks.
    EXPECT_EQ(tablePrintLine(table, 0, widths),
              QStringLiteral("No") + blanks(8) + QStringLiteral("Date") + blanks(8) +
                  QStringLiteral("Time") + blanks(13) + QStringLiteral("T1") + blanks(8) +
                  QStringLiteral("T2") + blanks(12) + QStringLiteral("T3") + blanks(8) +
                  QStringLiteral("T4") + blanks(8));
    EXPECT_EQ(tablePrintLine(table, 3, widths), blanks(83));
}

TEST(TablePrintLayout, HundredRowsOnPagesOfFortyLines)
{
    const int h = 155;
    const TablePrintLayout layout = TablePrintLayout::forPage(40 * h + h - 1, h);
    ASSERT_EQ(layout.linesPerPage, 40);
    EXPECT_EQ(layout.lineHeight, h);

    // 101 lines: the title row and rows 1 to 39, rows 40 to 79, rows 80 to 100.
    EXPECT_EQ(layout.pageCount(101), 3);
    std::vector<int> perPage(3, 0);
    std::vector<int> newPages;
    for (int i = 0; i < 101; ++i) {
        ++perPage[static_cast<std::size_t>(layout.page(i))];
        if (layout.startsPage(i))
            newPages.push_back(i);
    }
    EXPECT_EQ(perPage, (std::vector<int>{40, 40, 21}));
    EXPECT_EQ(newPages, (std::vector<int>{40, 80}));

    // Each page begins one line height below its top and ends at its 40th line.
    EXPECT_EQ(layout.y(0), h);
    EXPECT_EQ(layout.y(39), 40 * h);
    EXPECT_EQ(layout.y(40), h);
    EXPECT_EQ(layout.y(100), 21 * h);
}

TEST(TablePrintLayout, PagesAndLinesThatCannotDivide)
{
    EXPECT_EQ(TablePrintLayout::forPage(40 * 155, 155).linesPerPage, 40);
    EXPECT_EQ(TablePrintLayout::forPage(40 * 155 - 1, 155).linesPerPage, 39);
    // A page lower than one line, or no page at all, still prints a line per page.
    const TablePrintLayout low = TablePrintLayout::forPage(100, 155);
    EXPECT_EQ(low.linesPerPage, 1);
    EXPECT_EQ(low.pageCount(3), 3);
    EXPECT_TRUE(low.startsPage(1));
    EXPECT_EQ(TablePrintLayout::forPage(-5, 155).linesPerPage, 1);
    // A line height of nothing counts as one unit.
    const TablePrintLayout flat = TablePrintLayout::forPage(50, 0);
    EXPECT_EQ(flat.lineHeight, 1);
    EXPECT_EQ(flat.linesPerPage, 50);
    EXPECT_EQ(flat.pageCount(0), 0);
}

TEST(TablePrintLayout, LinesOfChosenPages)
{
    const TablePrintLayout layout = TablePrintLayout::forPage(40 * 10, 10);
    const auto span = [&](int from, int to) {
        const auto s = layout.linesOfPages(101, from, to);
        return std::pair(s.begin, s.end);
    };
    EXPECT_EQ(span(0, 0), std::pair(0, 101));
    EXPECT_EQ(span(2, 2), std::pair(40, 80));
    EXPECT_EQ(span(2, 0), std::pair(40, 101));
    EXPECT_EQ(span(0, 1), std::pair(0, 40));
    EXPECT_EQ(span(3, 9), std::pair(80, 101));
    EXPECT_TRUE(layout.linesOfPages(101, 4, 5).empty());
    EXPECT_TRUE(layout.linesOfPages(0, 0, 0).empty());
    // Page numbers far past the end do not overflow.
    EXPECT_TRUE(layout.linesOfPages(101, 1 << 30, 0).empty());
}
