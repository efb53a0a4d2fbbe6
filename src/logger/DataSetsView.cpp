// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DataSetsView.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"
#include "logger/DataSetList.h"
#include "logger/DataSetStore.h"

#include <QTableWidget>
#include <QToolButton>

namespace {

constexpr int kDateColumn = 1;
constexpr float kMinY = -20.0f;
constexpr float kMaxY = 100.0f;

} // namespace

void ListDataSets(QTableWidget& Grid2, const DataSetStore& store)
{
    Grid2.clearContents();
    Grid2.setRowCount(store.count());
    for (int k = 0; k < store.count(); ++k) {
        const QStringList row = DataSetRowTexts(store.set(k), k);
        for (int c = 0; c < row.size() && c < Grid2.columnCount(); ++c)
            Grid2.setItem(k, c, new QTableWidgetItem(row[c]));
    }
    if (store.count() > 0)
        Grid2.selectRow(0);
}

int dataSetOfRow(const QTableWidget& Grid2, const DataSetStore& store, int row)
{
    const QList<QTableWidgetSelectionRange> selection = Grid2.selectedRanges();
    if (!selection.isEmpty()) {
        row = selection.front().topRow();
        for (const QTableWidgetSelectionRange& r : selection)
            row = std::min(row, r.topRow());
    }
    const QTableWidgetItem* date = row >= 0 ? Grid2.item(row, kDateColumn) : nullptr;
    if (!date || date->text().isEmpty() || row >= store.count())
        return -1;
    return row;
}

void ShowDataSet(TfrmGraph& window, const DataSetStore& store, int k, const MessageFn& notice)
{
    if (k < 0 || k >= store.count())
        return;
    const DataSet& set = store.set(k);
    const double start = set.StartTime;
    const double end = start + double(set.Nums) * double(set.Rate) * DateTime::OneSecond;
    Chart& chart = *window.Chart1;
    // Prepared without a picture of the empty chart: the redraw below shows the set.
    PrepareChartUndrawn(chart, 4, kMaxY, kMinY, end, start, set.Nums, notice);
    window.ApplySplitRule();

    // Both slices are sample-major, T1..T4 of each sample in turn, as the prepared chart takes
    // its arrays.
    const auto times = store.times(k);
    const auto values = store.values(k);
    chart.SetXDataArray(times.data(), times.size());
    chart.SetYDataArray(values.data(), values.size());
    chart.SetUnit(chartUnit(!set.fahrenheit()));
    window.RefreshStatistics();

    window.SetStartTimeText(LocaleText::dateTimeText(start));
    window.SetRateIndexes(set.Rate / 60, set.Rate % 60);
    window.SetDataNoText(QString::number(set.Nums));

    chart.PEactions(sg::sgUndoZoom);
    window.UndoZoom->setEnabled(false);
    chart.PEnarg1 = 0;
    chart.PEnarg2 = 0;
    chart.PEactions(sg::sgResetImage);
    chart.PEactions(sg::sgInvalidateImage);
}

DataSetsView::DataSetsView(const DataSetStore& store, std::function<TfrmGraph*()> window,
                           std::function<MessageFn()> notice)
    : store_(store), window_(std::move(window)), notice_(std::move(notice))
{
}

DataSetsView::~DataSetsView()
{
    QObject::disconnect(clicks_);
}

void DataSetsView::watch(TfrmGraph& window)
{
    if (watched_ == &window)
        return;
    QObject::disconnect(clicks_);
    watched_ = &window;
    clicks_ = QObject::connect(&window, &TfrmGraph::grid2Clicked, &window,
                               [this, w = &window](int row) { Grid2Click(*w, row); });
}

void DataSetsView::ListDataSets(const DataSetStore& store)
{
    TfrmGraph* w = window_();
    if (!w)
        return;
    watch(*w);
    ::ListDataSets(*w->Grid2, store);
}

void DataSetsView::ShowDataSet(int k)
{
    if (TfrmGraph* w = window_())
        ::ShowDataSet(*w, store_, k, notice_());
}

void DataSetsView::Grid2Click(TfrmGraph& window, int row)
{
    const int k = dataSetOfRow(*window.Grid2, store_, row);
    if (k >= 0)
        ::ShowDataSet(window, store_, k, notice_());
}
