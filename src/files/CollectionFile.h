#pragma once
// The data set collection file (.CH4): the logger's memory image byte for byte, as the download
// received it. The download leaves a copy in the temporary file (dataPath("temp/DataSetsTemp.tmp"));
// saving a collection copies that file, opening one parses it and makes it the temporary file.
//
// The window commands (dialogs, the data-logger window, set 0) sit on top of these two:
//   saveCollection(target, unsaved)          after the save dialog;
//   openCollection(file, parse)              after the open dialog; on success the caller shows
//                                            set 0 (collectionShowsSets() tells).

#include <QByteArray>
#include <QString>

#include <functional>

enum class CollectionStatus {
    Ok,
    NoTemporaryFile,        // save: no download has left a memory image yet
    CannotReadTemporary,    // save: the temporary file exists but cannot be read
    CannotWrite,            // save: the collection file cannot be written
    CannotOpen,             // open: the file cannot be opened or read
    Empty,                  // open: the file is empty
    TooLarge,               // open: far larger than any memory image
    Rejected,               // open: the parser refused the image (parseCode says why)
    CannotCreateTempFolder, // open: the temp folder cannot be made; the sets are not shown
    TemporaryNotWritten,    // open: sets shown, but the temporary file keeps the old image
};

struct CollectionResult {
    CollectionStatus status = CollectionStatus::Ok;
    QString fileName;   // the file the status is about
    QString reason;     // the system's reason
    int parseCode = 0;  // the parser's code when Rejected
};

// "" for Ok; otherwise what happened, with the file's name and the reason.
QString collectionStatusText(const CollectionResult& result);
// True when an open parsed the image, so the data-logger window shows set 0.
bool collectionShowsSets(const CollectionResult& result);

// The largest file that is read as a collection (the meter's memory is 128 KiB).
constexpr qint64 MaxCollectionSize = 4 * 1024 * 1024;

// dataPath("temp/DataSetsTemp.tmp")
QString collectionTempPath();

// Copies the temporary file to target through a temporary file beside it, so a failed copy
// leaves an existing target intact. loggerDataUnsaved is cleared only when the copy succeeded.
CollectionResult saveCollection(const QString& target, bool& loggerDataUnsaved);

// Parses a memory image into the program's data set store; 0 when it was accepted, else the
// parser's code (1 marker missing, 2 more than 4000 sets, 6 no data set, ...). A rejected image
// must leave the store as it was.
using MemoryImageParser = std::function<int(const QByteArray& image)>;

// Reads a collection file whole into image: CannotOpen, TooLarge, Empty, or Ok. Nothing else
// is looked at.
CollectionResult readCollectionFile(const QString& fileName, QByteArray& image);

// Reads fileName whole and hands it to parse; an accepted image replaces the temporary file.
// On any failure before the parse, nothing changes.
CollectionResult openCollection(const QString& fileName, const MemoryImageParser& parse);
