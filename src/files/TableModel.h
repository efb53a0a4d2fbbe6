// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table of a table window: seven columns "No", "Date", "Time", "T1", "T2", "T3", "T4" of
// plain strings, as a model for the window's view (Grid1).
//
// Rows are counted as the grid counts them: grid row 0 is the title row, the data rows are 1 to
// gridRowCount() - 1. A new table has one empty data row. The view sees only the data rows (its
// row r is grid row r + 1) and the titles as the horizontal header.
//
// Each row keeps its cells in one string with the cell ends beside it, so a table of 100,000
// rows costs one allocation per row and a few megabytes.

#include <QAbstractTableModel>
#include <QString>
#include <QStringView>

#include <array>
#include <span>
#include <vector>

class TableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int Columns = 7;

    // One row of cells, for building tables in bulk.
    class Row {
    public:
        Row() = default;
        explicit Row(std::span<const QStringView> cells);   // cells past the seventh are ignored
        QStringView cell(int column) const;
        void setCell(int column, QStringView text);

    private:
        QString text_;
        std::array<int, Columns> ends_{};
    };

    explicit TableModel(QObject* parent = nullptr);

    static QString title(int column);

    // Grid view of the table.
    int gridRowCount() const { return static_cast<int>(rows_.size()) + 1; }
    // At least 2 (the title row and one data row); new rows are empty, rows past n are dropped.
    void setGridRowCount(int n);
    // The title for row 0; "" outside the table.
    QString cell(int gridRow, int column) const;
    QStringView cellView(int gridRow, int column) const;   // valid until the row changes
    void setCell(int gridRow, int column, const QString& text);   // ignored outside the data rows

    // Replaces every data row at once (at least one row stays); the view is reset once.
    void setRows(std::vector<Row> rows);
    // Gives the data rows away, leaving one empty row; the view is reset once.
    std::vector<Row> takeRows();
    // The data rows. A copy is cheap: the rows share their text until one of them changes.
    const std::vector<Row>& rows() const { return rows_; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> rows_;
};
