// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The common end of a download and of the opening of a collection file: the image is decoded;
// only when that succeeds, it is written to the temporary file, the data set store is replaced,
// the sets are listed and set 0 is shown. Otherwise nothing changes.

#include "base/Clock.h"
#include "logger/DownloadHost.h"
#include "logger/ParseMemoryImage.h"

struct ApplyOutcome {
    ParseStatus status = ParseStatus::NoData;
    int failedSet = -1;    // DataError: as ParseResult
    int lastGoodByte = -1;
    bool tempFileWritten = false; // false: the temporary file keeps its previous copy
    QString tempFileReason;       // why it was not written (the system's reason)
};

// Throws std::runtime_error (the folder's path) when the temporary folder cannot be created;
// the store is not touched then.
ApplyOutcome ApplyMemoryImage(const MemoryImage& image, DataSetStore& store, IDataSetsView& view,
                              const IClock& clock);
