// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data sets in the data-logger window: the list in its Grid2 (one row per set under the
// title row, the first set selected), a click on a row that draws that set, and the drawing of
// set k in the window's chart (the four channels from the store's slices, its statistics and
// the boxes of its start time, rate and number of samples).

#include "base/Questions.h"
#include "logger/DownloadHost.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>

class DataSetStore;
class QTableWidget;
class TfrmGraph;

// Fills the grid from the store: one row per set, the first selected.
void ListDataSets(QTableWidget& Grid2, const DataSetStore& store);

// The set of the grid's row (the top row of the selection when there is one, else row): -1 for
// a row without a set (its DATE cell is empty) or beyond the store.
int dataSetOfRow(const QTableWidget& Grid2, const DataSetStore& store, int row);

// Draws set k of the store in the window: the chart prepared for 4 channels of Nums points
// (Y -20 to 100, X from the start to one interval past the last sample), the split rule, the
// samples, the statistics, the boxes, and a redraw without zoom. notice: the missing-template
// message. Nothing happens for a k the store does not have.
void ShowDataSet(TfrmGraph& window, const DataSetStore& store, int k, const MessageFn& notice);

// The data-logger window's view of the program's store: lists and draws in the window that
// window() gives (the logger window, opened when there is none), and draws the set of a row
// the user clicks in a window it has listed in.
class DataSetsView : public IDataSetsView {
public:
    DataSetsView(const DataSetStore& store, std::function<TfrmGraph*()> window,
                 std::function<MessageFn()> notice);
    ~DataSetsView() override;
    DataSetsView(const DataSetsView&) = delete;
    DataSetsView& operator=(const DataSetsView&) = delete;

    void ListDataSets(const DataSetStore& store) override;
    void ShowDataSet(int k) override;

    // Grid2Click of window: the set of the clicked row, when the row holds one.
    void Grid2Click(TfrmGraph& window, int row);

private:
    void watch(TfrmGraph& window);

    const DataSetStore& store_;
    std::function<TfrmGraph*()> window_;
    std::function<MessageFn()> notice_;
    QPointer<TfrmGraph> watched_;
    QMetaObject::Connection clicks_;
};
