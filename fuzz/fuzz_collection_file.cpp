// SPDX-License-Identifier: GPL-3.0-or-later
// A data set collection file (.CH4) opened as the Open command does: read whole, decoded, and
// when it decodes, made the temporary file, listed and its first set shown; otherwise nothing
// changes. The input is the file.
#include "FuzzSupport.h"

#include "base/DataFolder.h"
#include "files/CollectionFile.h"
#include "logger/CollectionTempFile.h"
#include "logger/DataSetStore.h"
#include "logger/DownloadHost.h"
#include "logger/ParseMemoryImage.h"

#include <QDir>

namespace {

struct View : IDataSetsView {
    void ListDataSets(const DataSetStore& store) override
    {
        ++listed;
        listedCount = store.count();
    }
    void ShowDataSet(int k) override { shown.push_back(k); }
    int listed = 0, listedCount = -1;
    std::vector<int> shown;
};

// What was in the store before: one set from a small image of the program's own.
DataSetStore earlierStore(const IClock& clock)
{
    MemoryImage image(257 + 24 + 8, '\0');
    Image::writeUnsigned(image, Image::kSetCountAt, 2, 1);
    Image::writeUnsigned(image, Image::kUsedLengthAt, 3, std::uint32_t(image.size()));
    image[257] = char(Image::kMarker0);
    image[258] = char(Image::kMarker1);
    Image::writeUnsigned(image, 257 + 11, 3, 1);
    return ParseMemoryImage(image, clock).store;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool folderSet = [] {
        setDataFolderOverride(QDir(scratchFolder()).filePath(QStringLiteral("data")));
        return true;
    }();
    FUZZ_CHECK(folderSet, "no data folder");
    const QByteArray bytes = asBytes(data, size);
    const QString path = QDir(scratchFolder()).filePath(QStringLiteral("fuzz.CH4"));
    FUZZ_CHECK(writeFile(path, bytes), "the scratch file cannot be written");
    QFile::remove(collectionTempFilePath());

    const ManualClock clock(45000.25);
    DataSetStore store = earlierStore(clock);
    FUZZ_CHECK(store.count() == 1, "the earlier store did not decode");
    View view;
    const CollectionResult r = openCollection(path, store, view, clock);
    const ParseResult parsed = ParseMemoryImage(Image::bytes(bytes), clock);

    FUZZ_CHECK(collectionStatusText(r).isEmpty() == (r.status == CollectionStatus::Ok),
               "an outcome without its text, or a success with one");
    switch (r.status) {
    case CollectionStatus::Ok:
        FUZZ_CHECK(parsed.status == ParseStatus::Ok && store.count() == parsed.store.count()
                       && store.SampleValues() == parsed.store.SampleValues(),
                   "the store is not what the file holds");
        FUZZ_CHECK(view.listed == 1 && view.listedCount == store.count() && view.shown == std::vector<int>{0},
                   "the sets were not listed with the first one shown");
        FUZZ_CHECK(readFile(collectionTempFilePath()) == bytes, "the temporary file is not the collection");
        FUZZ_CHECK(collectionShowsSets(r), "a success that shows nothing");
        break;
    case CollectionStatus::Empty:
        FUZZ_CHECK(size == 0, "a file that is not empty called empty");
        break;
    case CollectionStatus::Rejected:
        FUZZ_CHECK(parsed.status != ParseStatus::Ok && r.parseCode == int(parsed.status)
                       && r.failedSet == parsed.failedSet,
                   "a refusal that is not the decoder's");
        break;
    default:
        FUZZ_CHECK(false, "an outcome that a readable small file cannot have");
    }
    if (r.status != CollectionStatus::Ok) {
        FUZZ_CHECK(store.count() == 1 && view.listed == 0 && view.shown.empty()
                       && !QFile::exists(collectionTempFilePath()),
                   "a refused file changed the store, the list or the temporary file");
        FUZZ_CHECK(!collectionShowsSets(r), "a refusal that shows sets");
    }
    return 0;
}
