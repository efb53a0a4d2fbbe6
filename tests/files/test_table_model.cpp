// SPDX-License-Identifier: GPL-3.0-or-later
// The table model: grid rows and cells, the view's rows and titles, and its change signals.
#include "files/TableModel.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

TEST(TableModel, ANewTableHasTheTitlesAndOneEmptyDataRow)
{
    TableModel t;
    EXPECT_EQ(t.gridRowCount(), 2);
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_EQ(t.columnCount(), 7);
    EXPECT_EQ(t.cell(0, 0), "No");
    EXPECT_EQ(t.cell(0, 6), "T4");
    EXPECT_EQ(t.headerData(3, Qt::Horizontal).toString(), "T1");
    EXPECT_EQ(t.cell(1, 1), QString());
    EXPECT_EQ(t.cell(2, 1), QString());   // outside
    t.setGridRowCount(0);
    EXPECT_EQ(t.gridRowCount(), 2);
}

TEST(TableModel, CellsOfARowChangeIndependently)
{
    TableModel t;
    t.setGridRowCount(3);
    for (int c = 0; c < 7; ++c)
        t.setCell(2, c, QString(c + 1, QChar('a' + c)));
    t.setCell(2, 3, QStringLiteral("much longer than before"));
    t.setCell(2, 0, QString());
    t.setCell(2, 6, QStringLiteral("x"));
    EXPECT_EQ(t.cell(2, 0), QString());
    EXPECT_EQ(t.cell(2, 1), "bb");
    EXPECT_EQ(t.cell(2, 2), "ccc");
    EXPECT_EQ(t.cell(2, 3), "much longer than before");
    EXPECT_EQ(t.cell(2, 5), "ffffff");
    EXPECT_EQ(t.cell(2, 6), "x");
    EXPECT_EQ(t.data(t.index(1, 2)).toString(), "ccc");   // view row 1 is grid row 2
    EXPECT_EQ(t.cell(1, 3), QString());
    t.setCell(0, 1, QStringLiteral("titles stay"));
    EXPECT_EQ(t.cell(0, 1), "Date");

    const std::array<QStringView, 9> many = {u"1", u"d", u"t", u"a", u"b", u"c", u"e", u"x", u"y"};
    const TableModel::Row row(many);
    EXPECT_EQ(row.cell(6), u"e");
    EXPECT_TRUE(row.cell(7).isEmpty());
}

TEST(TableModel, ViewsHearOfNewRowsChangedCellsAndWholeTables)
{
    TableModel t;
    QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&t, &QAbstractItemModel::modelReset);
    t.setGridRowCount(5);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    t.setCell(4, 2, QStringLiteral("v"));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), t.index(3, 2));
    t.setRows({});
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(t.gridRowCount(), 2);
}
