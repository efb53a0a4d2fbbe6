// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TableModel.h"

#include <algorithm>
#include <utility>

TableModel::Row::Row(std::span<const QStringView> cells)
{
    qsizetype total = 0;
    const std::size_t n = std::min<std::size_t>(cells.size(), Columns);
    for (std::size_t c = 0; c < n; ++c)
        total += cells[c].size();
    text_.reserve(total);
    for (std::size_t c = 0; c < Columns; ++c) {
        if (c < n)
            text_ += cells[c];
        ends_[c] = static_cast<int>(text_.size());
    }
}

QStringView TableModel::Row::cell(int column) const
{
    if (column < 0 || column >= Columns)
        return {};
    const int begin = column == 0 ? 0 : ends_[static_cast<std::size_t>(column - 1)];
    return QStringView(text_).sliced(begin, ends_[static_cast<std::size_t>(column)] - begin);
}

void TableModel::Row::setCell(int column, QStringView text)
{
    if (column < 0 || column >= Columns)
        return;
    const auto c = static_cast<std::size_t>(column);
    const int begin = column == 0 ? 0 : ends_[c - 1];
    const int oldLength = ends_[c] - begin;
    text_.replace(begin, oldLength, text.toString());
    const int delta = static_cast<int>(text.size()) - oldLength;
    for (std::size_t k = c; k < Columns; ++k)
        ends_[k] += delta;
}

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent), rows_(1) {}

QString TableModel::title(int column)
{
    static const std::array<const char*, Columns> titles = {"No", "Date", "Time", "T1",
                                                            "T2", "T3",   "T4"};
    if (column < 0 || column >= Columns)
        return {};
    return QString::fromLatin1(titles[static_cast<std::size_t>(column)]);
}

void TableModel::setGridRowCount(int n)
{
    const int data = std::max(n, 2) - 1;
    const int old = static_cast<int>(rows_.size());
    if (data > old) {
        beginInsertRows({}, old, data - 1);
        rows_.resize(static_cast<std::size_t>(data));
        endInsertRows();
    } else if (data < old) {
        beginRemoveRows({}, data, old - 1);
        rows_.resize(static_cast<std::size_t>(data));
        endRemoveRows();
    }
}

QStringView TableModel::cellView(int gridRow, int column) const
{
    if (gridRow < 1 || gridRow >= gridRowCount())
        return {};
    return rows_[static_cast<std::size_t>(gridRow - 1)].cell(column);
}

QString TableModel::cell(int gridRow, int column) const
{
    if (gridRow == 0)
        return title(column);
    return cellView(gridRow, column).toString();
}

void TableModel::setCell(int gridRow, int column, const QString& text)
{
    if (gridRow < 1 || gridRow >= gridRowCount() || column < 0 || column >= Columns)
        return;
    rows_[static_cast<std::size_t>(gridRow - 1)].setCell(column, text);
    const QModelIndex i = index(gridRow - 1, column);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void TableModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    if (rows_.empty())
        rows_.resize(1);
    endResetModel();
}

std::vector<TableModel::Row> TableModel::takeRows()
{
    beginResetModel();
    std::vector<Row> rows = std::exchange(rows_, std::vector<Row>(1));
    endResetModel();
    return rows;
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cellView(index.row() + 1, index.column()).toString();
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return title(section);
    return section + 1;
}
