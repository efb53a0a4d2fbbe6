// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/ApplyMemoryImage.h"

#include "logger/CollectionTempFile.h"

ApplyOutcome ApplyMemoryImage(const MemoryImage& image, DataSetStore& store, IDataSetsView& view,
                              const IClock& clock)
{
    ParseResult parsed = ParseMemoryImage(image, clock);
    ApplyOutcome outcome;
    outcome.status = parsed.status;
    outcome.failedSet = parsed.failedSet;
    outcome.lastGoodByte = parsed.lastGoodByte;
    if (parsed.status != ParseStatus::Ok)
        return outcome;
    // Written before the store changes, so that the shown sets and the copy a collection is
    // saved from never disagree after a folder error.
    outcome.tempFileWritten = writeCollectionTempFile(image, &outcome.tempFileReason);
    store = std::move(parsed.store);
    // A collection saved later must not pass an older copy off as these sets.
    if (!outcome.tempFileWritten)
        store.SetTempFileNotWritten(outcome.tempFileReason.isEmpty() ? QStringLiteral("unknown error")
                                                                      : outcome.tempFileReason);
    view.ListDataSets(store);
    view.ShowDataSet(0);
    return outcome;
}
