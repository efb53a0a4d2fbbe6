// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data set collection file (.CH4): the logger's memory image byte for byte, as the download
// received it. The download leaves a copy in the temporary file (logger/CollectionTempFile.h);
// saving a collection copies that file, opening one reads it and hands the image to the same
// end as a download (logger/ApplyMemoryImage.h): decoded, made the temporary file, listed and
// set 0 shown.
//
// The window commands (dialogs, the data-logger window) sit on top of these two:
//   saveCollection(target, store, unsaved)        after the save dialog;
//   openCollection(file, store, view, clock)      after the open dialog.

#include "base/Clock.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class DataSetStore;
class IDataSetsView;

enum class CollectionStatus {
    Ok,
    NoTemporaryFile,        // save: no download has left a memory image yet
    CannotReadTemporary,    // save: the temporary file exists but cannot be read
    CannotWrite,            // save: the collection file cannot be written
    CannotOpen,             // open: the file cannot be opened or read
    Empty,                  // open: the file is empty
    TooLarge,               // open: far larger than any memory image
    Rejected,               // open: the parser refused the image (parseCode says why)
    CannotCreateTempFolder, // open: the temp folder cannot be made; nothing changes
    TemporaryNotWritten,    // open: sets shown, but the temporary file keeps the old image
    TemporaryStale,         // save: the temporary file does not hold the sets shown
};

struct CollectionResult {
    CollectionStatus status = CollectionStatus::Ok;
    QString fileName;   // the file the status is about
    QString reason;     // the system's reason
    int parseCode = 0;  // the parser's code when Rejected
    int failedSet = -1; // Rejected with code 1: the damaged set (from 0)
};

// "" for Ok; otherwise what happened, with the file's name and the reason.
QString collectionStatusText(const CollectionResult& result);
// True when an open took the image: its sets are in the store and set 0 is shown.
bool collectionShowsSets(const CollectionResult& result);

// The largest file that is read as a collection (the meter's memory is 128 KiB).
constexpr qint64 MaxCollectionSize = 4 * 1024 * 1024;

// Copies the temporary file to target through a temporary file beside it, so a failed copy
// leaves an existing target intact. loggerDataUnsaved is cleared only when the copy succeeded.
// Refused (TemporaryStale, nothing written) when the temporary file could not be written for the
// sets in store: it holds older sets.
CollectionResult saveCollection(const QString& target, const DataSetStore& store,
                                bool& loggerDataUnsaved);

// The name a collection save proposes: "KOLVA 2024-03-14 10-05.CH4" for the sets that came in
// at that time (the last write of the temporary file: the download, or the opened collection);
// "" when there is no temporary file.
QString proposedCollectionName();
QString collectionNameFor(const QDateTime& downloaded);

// Reads a collection file whole into image: CannotOpen, TooLarge, Empty, or Ok. Nothing else
// is looked at.
CollectionResult readCollectionFile(const QString& fileName, QByteArray& image);

// Reads fileName whole and checks it as readCollectionFile does, then hands the image to
// ApplyMemoryImage: an accepted image replaces the store and the temporary file and
// is listed in view with set 0 shown. A rejected image (parseCode: 1 marker missing, 2 more than
// 4000 sets, 6 no data set), or any failure before, changes nothing. clock stands in for
// start-time digits that do not decode.
CollectionResult openCollection(const QString& fileName, DataSetStore& store,
                                IDataSetsView& view, const IClock& clock);
