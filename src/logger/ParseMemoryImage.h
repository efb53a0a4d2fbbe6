// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of a memory image into data sets and samples: a pure function of the image bytes and
// a clock that stands in for start-time digits that do not decode.
//
// Nothing beyond the image is ever read. A set whose marker is missing, whose header or samples
// would lie beyond the image, or whose sample count does not fit in 16 bits (the chained layout
// cannot hold it) is a data error at that set. A set whose interval digits do not decode gets a
// Rate of 0 and is kept.

#include "base/Clock.h"
#include "logger/DataSetStore.h"
#include "logger/MemoryImage.h"

#include <cstdint>
#include <span>

enum class ParseStatus {
    Ok = 0,
    DataError = 1,   // a set is damaged: failedSet and lastGoodByte say where
    MemoryError = 2, // more than 4000 sets
    NoData = 6,      // no set at all
};

struct ParseResult {
    ParseStatus status = ParseStatus::NoData;
    DataSetStore store;    // the decoded sets and samples when status is Ok, else empty
    int failedSet = -1;    // DataError: index of the failing set
    int lastGoodByte = -1; // DataError: offset of the byte before it (end of the last good set)
};

ParseResult ParseMemoryImage(std::span<const std::uint8_t> image, const IClock& clock);
inline ParseResult ParseMemoryImage(const MemoryImage& image, const IClock& clock)
{
    return ParseMemoryImage(Image::bytes(image), clock);
}
