// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/DataSetStore.h"

#include <stdexcept>

DataSetStore::DataSetStore(std::vector<DataSet> sets, std::vector<float> values, std::vector<double> times)
    : sets_(std::move(sets)), values_(std::move(values)), times_(std::move(times))
{
    firstValue_.reserve(sets_.size() + 1);
    std::size_t total = 0;
    for (const DataSet& s : sets_) {
        if (s.Nums < 0)
            throw std::invalid_argument("negative sample count");
        total += 4 * std::size_t(s.Nums);
        if (total > values_.size())
            break;
        firstValue_.push_back(int(total));
    }
    if (total != values_.size() || values_.size() != times_.size())
        throw std::invalid_argument("samples do not match the data sets");
}

std::span<const float> DataSetStore::values(int k) const
{
    const int first = FirstValueIndex(k);
    return std::span<const float>(values_).subspan(std::size_t(first), std::size_t(4 * set(k).Nums));
}

std::span<const double> DataSetStore::times(int k) const
{
    const int first = FirstValueIndex(k);
    return std::span<const double>(times_).subspan(std::size_t(first), std::size_t(4 * set(k).Nums));
}
