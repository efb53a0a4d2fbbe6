// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's memory image (a download or a collection file) through its decoder: nothing is
// read beyond the image, the result keeps the decoder's promises (ParseCheck, shared with the
// unit tests' short fuzzing), and every decoded set gives its row of the data sets list.
#include "FuzzSupport.h"

#include "ParseCheck.h"

#include "logger/DataSetList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = checkParse(data, size);
    if (!broken.empty())
        fuzzFailed(broken.c_str(), __FILE__, __LINE__);

    const ManualClock clock(45000.25);
    const ParseResult r = ParseMemoryImage(std::span<const std::uint8_t>(data, size), clock);
    for (int k = 0; k < r.store.count(); ++k) {
        const DataSet& set = r.store.set(k);
        FUZZ_CHECK(isDateTime(set.StartTime), "a set that starts at no date-time");
        for (const double t : r.store.times(k))
            FUZZ_CHECK(std::isfinite(t), "a sample time that is not finite");
        FUZZ_CHECK(DataSetRowTexts(set, k).size() == DataSetListTitles().size(), "a row without all its columns");
    }
    return 0;
}
