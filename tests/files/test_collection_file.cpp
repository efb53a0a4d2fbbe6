// SPDX-License-Identifier: GPL-3.0-or-later
// The collection file: saving copies the temporary file whole or not at all and says when it
// cannot; opening hands the bytes to the parser and makes an accepted image the temporary file.
#include "FileFixtures.h"
#include "LoggerFixtures.h"
#include "TempFolder.h"
#include "files/CollectionFile.h"
#include "logger/CollectionTempFile.h"
#include "logger/DataSetStore.h"
#include "logger/DownloadHost.h"
#include "logger/ParseMemoryImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>

#include <random>

using namespace filefixtures;

namespace {

// A memory image as the logger gives it: header page, sets from 257 (sets of 120, 45 and 300
// samples by default).
QByteArray image(std::vector<sim::LoggedRun> runs = sim::sampleRuns())
{
    return fixtures::imageOf(std::move(runs));
}

// The data-logger window's list, as far as an open shows it.
struct ShownSets : IDataSetsView {
    int listed = -1;     // sets in the last list, -1 before any
    QList<int> shown;
    void ListDataSets(const DataSetStore& store) override { listed = store.count(); }
    void ShowDataSet(int k) override { shown << k; }
};

struct Opening {
    DataSetStore store;
    ShownSets view;
    ManualClock clock = fixtures::fallbackClock();
    CollectionResult open(const QString& file) { return openCollection(file, store, view, clock); }
};

} // namespace

TEST(CollectionFile, SaveCopiesTheTemporaryFileByteForByte)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempFilePath(), image()));
    ASSERT_TRUE(writeAll(tmp.path("old.CH4"), QByteArray(50000, 'x')));
    bool unsaved = true;
    const CollectionResult r = saveCollection(tmp.path("old.CH4"), DataSetStore(), unsaved);
    ASSERT_EQ(r.status, CollectionStatus::Ok);
    EXPECT_FALSE(unsaved);
    EXPECT_EQ(readAll(tmp.path("old.CH4")), image());
    EXPECT_TRUE(collectionStatusText(r).isEmpty());
}

TEST(CollectionFile, SaveSaysWhyItCouldNotAndKeepsTheDataUnsaved)
{
    TempDataFolder tmp;
    bool unsaved = true;
    CollectionResult r = saveCollection(tmp.path("a.CH4"), DataSetStore(), unsaved);
    EXPECT_EQ(r.status, CollectionStatus::NoTemporaryFile);
    EXPECT_TRUE(unsaved);
    EXPECT_FALSE(QFileInfo::exists(tmp.path("a.CH4")));
    EXPECT_TRUE(collectionStatusText(r).contains(QStringLiteral("DataSetsTemp.tmp")));

    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempFilePath(), image()));
    const QString target = tmp.path("missing/folder/a.CH4");
    r = saveCollection(target, DataSetStore(), unsaved);
    EXPECT_EQ(r.status, CollectionStatus::CannotWrite);
    EXPECT_TRUE(unsaved);
    EXPECT_TRUE(collectionStatusText(r).contains(QDir::toNativeSeparators(target)));
    EXPECT_FALSE(r.reason.isEmpty());

    // A target that is a folder: the copy fails and nothing of it is touched.
    QDir().mkpath(tmp.path("folder.CH4"));
    r = saveCollection(tmp.path("folder.CH4"), DataSetStore(), unsaved);
    EXPECT_EQ(r.status, CollectionStatus::CannotWrite);
    EXPECT_TRUE(QFileInfo(tmp.path("folder.CH4")).isDir());
    EXPECT_TRUE(unsaved);
}

TEST(CollectionFile, OpenReplacesTheTemporaryFileOnlyForAnAcceptedImage)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempFilePath(), "previous download"));
    Opening o;
    o.store = ParseMemoryImage(image({fixtures::run(7)}), o.clock).store;
    const auto open = [&](const QByteArray& bytes) {
        EXPECT_TRUE(writeAll(tmp.path("in.CH4"), bytes));
        return o.open(tmp.path("in.CH4"));
    };
    // Nothing of what was shown changes while an open fails.
    const auto unchanged = [&] {
        EXPECT_EQ(o.store.count(), 1);
        EXPECT_EQ(o.view.listed, -1);
        EXPECT_TRUE(o.view.shown.isEmpty());
        EXPECT_EQ(readAll(collectionTempFilePath()), "previous download");
    };

    EXPECT_EQ(open({}).status, CollectionStatus::Empty);
    unchanged();
    CollectionResult r = open(image({}));
    EXPECT_EQ(r.status, CollectionStatus::Rejected);
    EXPECT_EQ(r.parseCode, 6);
    QByteArray noMarker = image();
    noMarker[258] = 0;
    r = open(noMarker);
    EXPECT_EQ(r.parseCode, 1);
    EXPECT_EQ(r.failedSet, 0);
    EXPECT_TRUE(collectionStatusText(r).contains(QStringLiteral("marker")));
    EXPECT_FALSE(collectionShowsSets(r));
    // Shorter than its used length: the first set reaches past the end.
    EXPECT_EQ(open(image().left(300)).parseCode, 1);
    QByteArray tooMany = image();
    tooMany[9] = char(0x10);   // 0x1003 sets
    EXPECT_EQ(open(tooMany).parseCode, 2);
    EXPECT_EQ(o.open(tmp.path("none.CH4")).status, CollectionStatus::CannotOpen);
    unchanged();

    r = open(image());
    ASSERT_EQ(r.status, CollectionStatus::Ok);
    EXPECT_TRUE(collectionShowsSets(r));
    EXPECT_EQ(o.store.count(), 3);
    EXPECT_EQ(o.store.set(2).Nums, 300);
    EXPECT_EQ(o.view.listed, 3);
    EXPECT_EQ(o.view.shown, QList<int>{0});
    EXPECT_EQ(readAll(collectionTempFilePath()), image());
    // Saved again, it is the same file.
    bool unsaved = false;
    ASSERT_EQ(saveCollection(tmp.path("out.CH4"), DataSetStore(), unsaved).status, CollectionStatus::Ok);
    EXPECT_EQ(readAll(tmp.path("out.CH4")), image());
}

TEST(CollectionFile, OpenRefusesHugeFilesAndNamesATempFolderThatCannotBeMade)
{
    TempDataFolder tmp;
    Opening o;
    ASSERT_TRUE(writeAll(tmp.path("big.CH4"), QByteArray(MaxCollectionSize + 1, 'a')));
    EXPECT_EQ(o.open(tmp.path("big.CH4")).status, CollectionStatus::TooLarge);
    EXPECT_EQ(o.view.listed, -1);

    ASSERT_TRUE(writeAll(tmp.path("temp"), "a file where the folder should be"));
    ASSERT_TRUE(writeAll(tmp.path("in.CH4"), image()));
    CollectionResult r = o.open(tmp.path("in.CH4"));
    EXPECT_EQ(r.status, CollectionStatus::CannotCreateTempFolder);
    EXPECT_FALSE(collectionShowsSets(r));
    EXPECT_TRUE(collectionStatusText(r).contains(QDir::toNativeSeparators(tmp.path("temp"))));
    EXPECT_EQ(o.store.count(), 0);
    EXPECT_EQ(o.view.listed, -1);

    // A folder in the temporary file's place: the sets are shown, and the user is told that a
    // collection saved now would not hold them.
    ASSERT_TRUE(QFile::remove(tmp.path("temp")));
    ASSERT_TRUE(QDir().mkpath(tmp.path("temp/DataSetsTemp.tmp")));
    r = o.open(tmp.path("in.CH4"));
    EXPECT_EQ(r.status, CollectionStatus::TemporaryNotWritten);
    EXPECT_TRUE(collectionShowsSets(r));
    EXPECT_EQ(o.store.count(), 3);
    EXPECT_EQ(o.view.shown, QList<int>{0});
    EXPECT_FALSE(r.reason.isEmpty());
    EXPECT_TRUE(collectionStatusText(r).contains(QStringLiteral("DataSetsTemp.tmp")));
}

// Random and mutated collection files for a few seconds: the temporary file and the store change
// exactly when the parser accepted, and the temporary file then holds the file's bytes.
TEST(CollectionFile, FuzzOpenChangesTheTemporaryFileOnlyOnAcceptance)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    std::mt19937 rng(4711);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 4096), kind(0, 2);
    QByteArray current = "start";
    ASSERT_TRUE(writeAll(collectionTempFilePath(), current));
    Opening o;
    int sets = 0;
    QElapsedTimer clock;
    clock.start();
    int accepted = 0, runs = 0;
    // A few seconds of random files, and at least a fixed number of them: the random sequence
    // is fixed and its first accepted file is the 190th, so a loaded machine, which gets through
    // fewer files in the time, still meets accepted ones.
    constexpr int kMinRuns = 300;
    while (runs < kMinRuns || clock.elapsed() < 3000) {
        QByteArray in;
        if (kind(rng) == 0) {
            in.resize(len(rng));
            for (char& c : in)
                c = char(byte(rng));
        } else {
            std::vector<sim::LoggedRun> r;
            for (int k = 1 + byte(rng) % 4; k > 0; --k)
                r.push_back(fixtures::run(byte(rng) % 40));
            in = image(r);
            for (int i = byte(rng) % 6; i > 0; --i)
                in[std::uniform_int_distribution<int>(0, int(in.size()) - 1)(rng)] = char(byte(rng));
            in.truncate(std::uniform_int_distribution<int>(0, int(in.size()))(rng));
        }
        ASSERT_TRUE(writeAll(tmp.path("f.CH4"), in));
        const CollectionResult r = o.open(tmp.path("f.CH4"));
        if (collectionShowsSets(r)) {
            current = in;
            sets = o.store.count();
            ++accepted;
        }
        ASSERT_EQ(readAll(collectionTempFilePath()), current);
        ASSERT_EQ(o.store.count(), sets);
        ++runs;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(runs, accepted);
}
