// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParseCheck.h"

#include "base/NullReading.h"

#include <memory>

namespace {

std::string checkStore(const DataSetStore& store, std::size_t size, int setCount)
{
    if (store.count() != setCount)
        return "set count differs from the header";
    std::int64_t next = Image::kFirstSetAt;
    for (int k = 0; k < store.count(); ++k) {
        const DataSet& d = store.set(k);
        if (d.ImageStart != next || d.Nums < 0 || d.Nums > 0xFFFF || d.Rate < 0)
            return "set " + std::to_string(k) + " is not where the chain puts it";
        if (std::int64_t(d.ImageEnd) - 1 > std::int64_t(size) || d.ImageEnd != d.ImageStart + 23 + 8 * d.Nums)
            return "set " + std::to_string(k) + " lies beyond the image";
        if (store.FirstValueIndex(k + 1) - store.FirstValueIndex(k) != 4 * d.Nums)
            return "FirstValueIndex";
        for (const float v : store.values(k))
            if (v != NullReading && !(v >= -3276.8f && v <= 3276.7f))
                return "a reading that no two bytes give";
        next = d.ImageEnd + 1;
    }
    if (std::size_t(store.FirstValueIndex(store.count())) != store.SampleValues().size()
        || store.SampleValues().size() != store.SampleTimes().size())
        return "sample sequences";
    return {};
}

} // namespace

std::string checkParse(const std::uint8_t* data, std::size_t size)
{
    const auto copy = std::make_unique<std::uint8_t[]>(size);
    std::copy(data, data + size, copy.get());
    const ManualClock clock(45000.25);
    const ParseResult r = ParseMemoryImage(std::span<const std::uint8_t>(copy.get(), size), clock);
    const int setCount = size >= 11 ? data[9] * 256 + data[10] : 0;
    switch (r.status) {
    case ParseStatus::Ok:
        return checkStore(r.store, size, setCount);
    case ParseStatus::NoData:
        return setCount == 0 && r.store.empty() ? "" : "no data with sets";
    case ParseStatus::MemoryError:
        return setCount > Image::kMaxSets && r.store.empty() ? "" : "memory error below the limit";
    case ParseStatus::DataError: {
        if (r.failedSet < 0 || r.failedSet >= setCount || r.lastGoodByte < Image::kFirstSetAt - 1 || !r.store.empty())
            return "data error without a place";
        // The sets before the failing one decode on their own.
        const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
        const MemoryImage kept = Image::cutAfterLastGoodSet(image, r.failedSet, r.lastGoodByte);
        const ParseResult again = ParseMemoryImage(kept, clock);
        const ParseStatus want = r.failedSet == 0 ? ParseStatus::NoData : ParseStatus::Ok;
        if (again.status != want || again.store.count() != r.failedSet)
            return "the sets before a data error do not decode";
        return {};
    }
    }
    return "unknown status";
}
