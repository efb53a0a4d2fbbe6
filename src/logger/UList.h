// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmList: the table window. One grid, Grid1, fills it: a view over the window's TableModel
// (seven columns "No", "Date", "Time", "T1" to "T4" under a fixed title row, rows 18 pixels
// high, grid lines, a range of cells selectable, columns sizable). A text or CSV file opened
// fills it; "Output Tabular to graph" turns it into a graph. The main window puts it into a
// QMdiSubWindow that is freed when it closes.
//
// The view never measures its cells: its row heights are fixed and its column widths are set
// from the font, so a table of 100,000 rows and more is shown at once.

#include <QWidget>

#include <functional>

class QTableView;
class TableModel;

class TfrmList : public QWidget {
    Q_OBJECT
public:
    static constexpr int RowHeight = 18;

    // activated: the window became the active child (the main window enables
    // btnOutputToGraph).
    TfrmList(const QString& caption, std::function<void()> activated, QWidget* parent = nullptr);
    ~TfrmList() override;

    TableModel& Table() { return *table_; }
    const TableModel& Table() const { return *table_; }

    QTableView* Grid1 = nullptr;

public slots:
    void FormShow();
    void FormActivate();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void watchSubWindow();
    void sizeColumns();

    TableModel* table_ = nullptr;
    std::function<void()> activated_;
};
