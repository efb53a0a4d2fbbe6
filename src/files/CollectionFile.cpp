// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CollectionFile.h"

#include "base/WholeFile.h"
#include "logger/ApplyMemoryImage.h"
#include "logger/CollectionTempFile.h"
#include "logger/DataSetStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

CollectionResult result(CollectionStatus status, const QString& fileName,
                        const QString& reason = {})
{
    return {status, fileName, reason, 0, -1};
}

QString parseReason(int code, int failedSet)
{
    switch (code) {
    case 1:
        return QStringLiteral("Data set %1 in it is damaged: its marker is missing or it reaches "
                              "past the end of the file.")
            .arg(failedSet + 1);
    case 2: return QStringLiteral("It says it holds more than 4000 data sets.");
    case 6: return QStringLiteral("It holds no data set.");
    default: return QStringLiteral("Its contents are damaged (code %1).").arg(code);
    }
}

} // namespace

QString collectionNameFor(const QDateTime& downloaded)
{
    return QStringLiteral("KOLVA %1.CH4").arg(downloaded.toString(QStringLiteral("yyyy-MM-dd hh-mm")));
}

QString proposedCollectionName()
{
    const QFileInfo temp(collectionTempFilePath());
    return temp.isFile() ? collectionNameFor(temp.lastModified()) : QString();
}

QString collectionStatusText(const CollectionResult& r)
{
    const QString name = QDir::toNativeSeparators(r.fileName);
    switch (r.status) {
    case CollectionStatus::Ok:
        return {};
    case CollectionStatus::NoTemporaryFile:
        return QStringLiteral("There are no downloaded data sets to save: the file \"%1\" does "
                              "not exist. Download the data logger's memory first.")
            .arg(name);
    case CollectionStatus::CannotReadTemporary:
        return QStringLiteral("Cannot read the downloaded data sets from \"%1\". %2")
            .arg(name, r.reason);
    case CollectionStatus::CannotWrite:
        return QStringLiteral("Cannot write file \"%1\". %2").arg(name, r.reason);
    case CollectionStatus::CannotOpen:
        return QStringLiteral("Cannot open file \"%1\". %2").arg(name, r.reason);
    case CollectionStatus::Empty:
        return QStringLiteral("The file \"%1\" is empty.").arg(name);
    case CollectionStatus::TooLarge:
        return QStringLiteral("The file \"%1\" is not a data set collection file: it is far "
                              "larger than the data logger's memory.")
            .arg(name);
    case CollectionStatus::Rejected:
        return QStringLiteral("The file \"%1\" is not a usable data set collection file. %2")
            .arg(name, parseReason(r.parseCode, r.failedSet));
    case CollectionStatus::CannotCreateTempFolder:
        return QStringLiteral("Cannot create the folder \"%1\".").arg(name);
    case CollectionStatus::TemporaryStale:
        return QStringLiteral("The data sets shown cannot be saved as a data set collection: "
                              "they could not be kept in \"%1\" (%2), which holds older data "
                              "sets or none. Make room there or allow writing, then download or "
                              "open the data sets again.")
            .arg(name, r.reason);
    case CollectionStatus::TemporaryNotWritten:
        return QStringLiteral("The data sets are shown, but cannot be kept in \"%1\" (%2); "
                              "saving the data set collection will not save them.")
            .arg(name, r.reason);
    }
    return {};
}

bool collectionShowsSets(const CollectionResult& r)
{
    return r.status == CollectionStatus::Ok || r.status == CollectionStatus::TemporaryNotWritten;
}

CollectionResult saveCollection(const QString& target, const DataSetStore& store,
                                bool& loggerDataUnsaved)
{
    const QString temp = collectionTempFilePath();
    if (!store.TempFileNotWritten().isEmpty())
        return result(CollectionStatus::TemporaryStale, temp, store.TempFileNotWritten());
    QFile in(temp);
    if (!in.exists())
        return result(CollectionStatus::NoTemporaryFile, temp);
    if (!in.open(QIODevice::ReadOnly))
        return result(CollectionStatus::CannotReadTemporary, temp, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return result(CollectionStatus::CannotReadTemporary, temp, in.errorString());
    in.close();
    const QString reason = writeFileWhole(target, bytes);
    if (!reason.isEmpty())
        return result(CollectionStatus::CannotWrite, target, reason);
    loggerDataUnsaved = false;
    return result(CollectionStatus::Ok, target);
}

CollectionResult readCollectionFile(const QString& fileName, QByteArray& image)
{
    image.clear();
    QFile in(fileName);
    if (!in.open(QIODevice::ReadOnly))
        return result(CollectionStatus::CannotOpen, fileName, in.errorString());
    if (in.size() > MaxCollectionSize)
        return result(CollectionStatus::TooLarge, fileName);
    // Read in pieces up to one byte more than allowed: a device that reports no size cannot grow
    // past it, and a small file costs no more memory than its size.
    constexpr qint64 kPiece = 64 * 1024;
    while (image.size() <= MaxCollectionSize) {
        const QByteArray piece = in.read(std::min(kPiece, MaxCollectionSize + 1 - image.size()));
        if (piece.isEmpty())
            break;
        image += piece;
    }
    if (in.error() != QFileDevice::NoError)
        return result(CollectionStatus::CannotOpen, fileName, in.errorString());
    if (image.isEmpty())
        return result(CollectionStatus::Empty, fileName);
    if (image.size() > MaxCollectionSize)
        return result(CollectionStatus::TooLarge, fileName);
    return result(CollectionStatus::Ok, fileName);
}

CollectionResult openCollection(const QString& fileName, DataSetStore& store,
                                IDataSetsView& view, const IClock& clock)
{
    MemoryImage image;
    if (CollectionResult r = readCollectionFile(fileName, image); r.status != CollectionStatus::Ok)
        return r;
    ApplyOutcome applied;
    try {
        applied = ApplyMemoryImage(image, store, view, clock);
    } catch (const std::runtime_error& e) {
        // The temporary folder cannot be made; the store was not touched.
        return result(CollectionStatus::CannotCreateTempFolder, QString::fromStdString(e.what()));
    }
    if (applied.status != ParseStatus::Ok) {
        CollectionResult r = result(CollectionStatus::Rejected, fileName);
        r.parseCode = static_cast<int>(applied.status);
        r.failedSet = applied.failedSet;
        return r;
    }
    if (!applied.tempFileWritten)
        return result(CollectionStatus::TemporaryNotWritten, collectionTempFilePath(),
                      applied.tempFileReason);
    return result(CollectionStatus::Ok, fileName);
}
