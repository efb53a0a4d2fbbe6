// The collection file: saving copies the temporary file whole or not at all and says when it
// cannot; opening hands the bytes to the parser and makes an accepted image the temporary file.
#include "FileFixtures.h"
#include "TempFolder.h"
#include "files/CollectionFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>

#include <random>

using namespace filefixtures;

namespace {

// A memory image as the logger gives it: 0xA5 0x5A at 257, a set count at 9, a used length at 11.
QByteArray image(int sets = 2, int size = 1024)
{
    QByteArray b(size, '\0');
    b[9] = 0;
    b[10] = char(sets);
    b[11] = 0;
    b[12] = char(size >> 8);
    b[13] = char(size & 0xFF);
    b[257] = char(0xA5);
    b[258] = char(0x5A);
    for (int i = 259; i < size; ++i)
        b[i] = char(i * 7);
    return b;
}

// A parser that checks what the real one checks first, reading only inside the image.
int checkHeader(const QByteArray& b)
{
    if (b.size() < 259 || uchar(b[257]) != 0xA5 || uchar(b[258]) != 0x5A)
        return 1;
    const int sets = uchar(b[9]) << 8 | uchar(b[10]);
    if (sets > 4000)
        return 2;
    return sets == 0 ? 6 : 0;
}

} // namespace

TEST(CollectionFile, SaveCopiesTheTemporaryFileByteForByte)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempPath(), image()));
    ASSERT_TRUE(writeAll(tmp.path("old.CH4"), QByteArray(50000, 'x')));
    bool unsaved = true;
    const CollectionResult r = saveCollection(tmp.path("old.CH4"), unsaved);
    ASSERT_EQ(r.status, CollectionStatus::Ok);
    EXPECT_FALSE(unsaved);
    EXPECT_EQ(readAll(tmp.path("old.CH4")), image());
    EXPECT_TRUE(collectionStatusText(r).isEmpty());
}

TEST(CollectionFile, SaveSaysWhyItCouldNotAndKeepsTheDataUnsaved)
{
    TempDataFolder tmp;
    bool unsaved = true;
    CollectionResult r = saveCollection(tmp.path("a.CH4"), unsaved);
    EXPECT_EQ(r.status, CollectionStatus::NoTemporaryFile);
    EXPECT_TRUE(unsaved);
    EXPECT_FALSE(QFileInfo::exists(tmp.path("a.CH4")));
    EXPECT_TRUE(collectionStatusText(r).contains(QStringLiteral("DataSetsTemp.tmp")));

    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempPath(), image()));
    const QString target = tmp.path("missing/folder/a.CH4");
    r = saveCollection(target, unsaved);
    EXPECT_EQ(r.status, CollectionStatus::CannotWrite);
    EXPECT_TRUE(unsaved);
    EXPECT_TRUE(collectionStatusText(r).contains(QDir::toNativeSeparators(target)));
    EXPECT_FALSE(r.reason.isEmpty());

    // A target that is a folder: the copy fails and nothing of it is touched.
    QDir().mkpath(tmp.path("folder.CH4"));
    r = saveCollection(tmp.path("folder.CH4"), unsaved);
    EXPECT_EQ(r.status, CollectionStatus::CannotWrite);
    EXPECT_TRUE(QFileInfo(tmp.path("folder.CH4")).isDir());
    EXPECT_TRUE(unsaved);
}

TEST(CollectionFile, OpenReplacesTheTemporaryFileOnlyForAnAcceptedImage)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    ASSERT_TRUE(writeAll(collectionTempPath(), "previous download"));
    int parses = 0;
    const MemoryImageParser parse = [&](const QByteArray& b) {
        ++parses;
        return checkHeader(b);
    };
    const auto open = [&](const QByteArray& bytes) {
        EXPECT_TRUE(writeAll(tmp.path("in.CH4"), bytes));
        return openCollection(tmp.path("in.CH4"), parse);
    };

    EXPECT_EQ(open({}).status, CollectionStatus::Empty);
    EXPECT_EQ(parses, 0);
    CollectionResult r = open(image(0));
    EXPECT_EQ(r.status, CollectionStatus::Rejected);
    EXPECT_EQ(r.parseCode, 6);
    QByteArray noMarker = image();
    noMarker[258] = 0;
    r = open(noMarker);
    EXPECT_EQ(r.parseCode, 1);
    EXPECT_TRUE(collectionStatusText(r).contains(QStringLiteral("marker")));
    EXPECT_FALSE(collectionShowsSets(r));
    EXPECT_EQ(open(image().left(100)).parseCode, 1);   // truncated
    EXPECT_EQ(openCollection(tmp.path("none.CH4"), parse).status, CollectionStatus::CannotOpen);
    EXPECT_EQ(readAll(collectionTempPath()), "previous download");

    r = open(image(3, 2048));
    ASSERT_EQ(r.status, CollectionStatus::Ok);
    EXPECT_TRUE(collectionShowsSets(r));
    EXPECT_EQ(readAll(collectionTempPath()), image(3, 2048));
    // Saved again, it is the same file.
    bool unsaved = false;
    ASSERT_EQ(saveCollection(tmp.path("out.CH4"), unsaved).status, CollectionStatus::Ok);
    EXPECT_EQ(readAll(tmp.path("out.CH4")), image(3, 2048));
}

TEST(CollectionFile, OpenRefusesHugeFilesAndNamesATempFolderThatCannotBeMade)
{
    TempDataFolder tmp;
    ASSERT_TRUE(writeAll(tmp.path("big.CH4"), QByteArray(MaxCollectionSize + 1, 'a')));
    bool called = false;
    const CollectionResult big = openCollection(tmp.path("big.CH4"), [&](const QByteArray&) {
        called = true;
        return 0;
    });
    EXPECT_EQ(big.status, CollectionStatus::TooLarge);
    EXPECT_FALSE(called);

    ASSERT_TRUE(writeAll(tmp.path("temp"), "a file where the folder should be"));
    ASSERT_TRUE(writeAll(tmp.path("in.CH4"), image()));
    const CollectionResult r = openCollection(tmp.path("in.CH4"), checkHeader);
    EXPECT_EQ(r.status, CollectionStatus::CannotCreateTempFolder);
    EXPECT_FALSE(collectionShowsSets(r));
    EXPECT_TRUE(collectionStatusText(r).contains(QDir::toNativeSeparators(tmp.path("temp"))));
}

// Random and mutated collection files for a few seconds: the temporary file changes exactly
// when the parser accepted, and then holds the file's bytes.
TEST(CollectionFile, FuzzOpenChangesTheTemporaryFileOnlyOnAcceptance)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("temp"));
    std::mt19937 rng(4711);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 4096), kind(0, 2);
    QByteArray current = "start";
    ASSERT_TRUE(writeAll(collectionTempPath(), current));
    QElapsedTimer clock;
    clock.start();
    int accepted = 0, runs = 0;
    while (clock.elapsed() < 3000) {
        QByteArray in;
        if (kind(rng) == 0) {
            in.resize(len(rng));
            for (char& c : in)
                c = char(byte(rng));
        } else {
            in = image(1 + byte(rng) % 4, 512 + 64 * (byte(rng) % 20));
            for (int i = byte(rng) % 6; i > 0; --i)
                in[std::uniform_int_distribution<int>(0, int(in.size()) - 1)(rng)] = char(byte(rng));
            in.truncate(std::uniform_int_distribution<int>(0, int(in.size()))(rng));
        }
        ASSERT_TRUE(writeAll(tmp.path("f.CH4"), in));
        const CollectionResult r = openCollection(tmp.path("f.CH4"), checkHeader);
        if (collectionShowsSets(r)) {
            current = in;
            ++accepted;
        }
        ASSERT_EQ(readAll(collectionTempPath()), current);
        ++runs;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(runs, accepted);
}
