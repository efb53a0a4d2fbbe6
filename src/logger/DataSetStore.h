// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// All data sets of the last successful decoding of a memory image, with their samples. One
// instance for the whole program, owned by the main window and replaced whole, only when a
// memory image decodes without error.
//
// SampleValues holds the readings of all sets back to back, set 0 first, sample-major within a
// set (T1..T4 of sample 0, then of sample 1, ...); SampleTimes holds the date-time of each value
// (the four values of a sample share it). The values of set k start at FirstValueIndex(k) and
// run for 4 x Nums entries.

#include "logger/DataSet.h"

#include <QString>

#include <span>
#include <vector>

class DataSetStore {
public:
    DataSetStore() = default;
    // Throws std::invalid_argument when the sequences do not hold 4 x Nums entries per set.
    DataSetStore(std::vector<DataSet> sets, std::vector<float> values, std::vector<double> times);

    int count() const { return int(sets_.size()); }
    bool empty() const { return sets_.empty(); }
    const DataSet& set(int k) const { return sets_.at(std::size_t(k)); }
    const std::vector<DataSet>& sets() const { return sets_; }

    // 4 x (sum of Nums of the sets before k); k == count() gives the total.
    int FirstValueIndex(int k) const { return firstValue_.at(std::size_t(k)); }
    std::span<const float> values(int k) const;
    std::span<const double> times(int k) const;

    const std::vector<float>& SampleValues() const { return values_; }
    const std::vector<double>& SampleTimes() const { return times_; }

    // The temporary file a collection is saved from could not be written when these sets were
    // decoded: it holds older sets, or none. The system's reason; empty while it holds these.
    const QString& TempFileNotWritten() const { return tempFileNotWritten_; }
    void SetTempFileNotWritten(QString reason) { tempFileNotWritten_ = std::move(reason); }

private:
    std::vector<DataSet> sets_;
    std::vector<float> values_;
    std::vector<double> times_;
    std::vector<int> firstValue_{0};
    QString tempFileNotWritten_;
};
