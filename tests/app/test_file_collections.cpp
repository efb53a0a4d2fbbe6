// SPDX-License-Identifier: GPL-3.0-or-later
// The collection commands of the main window: the data-logger window's Save choice writes the
// downloaded memory image byte for byte; opening it again shows the same sets and makes it the
// temporary file; damaged collection files change nothing and say why; and a collection that
// cannot be saved keeps the data-logger window and its unsaved mark.

#include "FileShell.h"
#include "LoggerFixtures.h"
#include "files/FileFixtures.h"
#include "support/FileSizeLimit.h"

#include "logger/ApplyMemoryImage.h"
#include "logger/CollectionTempFile.h"
#include "logger/DataSetStore.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>

using namespace fileshell;
using filefixtures::readAll;
using filefixtures::writeAll;

namespace {

// The end of a download of image, as the Data Logger command makes it.
void downloaded(FileShell& s, const MemoryImage& image)
{
    const ManualClock clock = fixtures::fallbackClock();
    ASSERT_EQ(ApplyMemoryImage(image, s.w->DataSets(), s.w->Logger().DataSets(), clock).status,
              ParseStatus::Ok);
    s.w->Unsaved().LoggerDataUnsaved = true;
}

void expectSameSets(const DataSetStore& a, const DataSetStore& b)
{
    ASSERT_EQ(a.count(), b.count());
    for (int k = 0; k < a.count(); ++k) {
        EXPECT_EQ(a.set(k).Nums, b.set(k).Nums);
        EXPECT_EQ(a.set(k).StartTime, b.set(k).StartTime);
        EXPECT_EQ(a.set(k).Rate, b.set(k).Rate);
        const auto va = a.values(k), vb = b.values(k);
        EXPECT_TRUE(std::equal(va.begin(), va.end(), vb.begin(), vb.end())) << k;
    }
}

} // namespace

TEST(FileCollections, SavedAndReopenedTheSameSetsAndAByteIdenticalTemporaryFile)
{
    FileShell s;
    const MemoryImage image = fixtures::imageOf(sim::sampleRuns());
    downloaded(s, image);
    const DataSetStore before = s.w->DataSets();
    TfrmGraph* logger = s.w->LoggerWindow;
    ASSERT_NE(logger, nullptr);
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*logger));

    // The sets came in on 14 March 2024 at 10:05.
    {
        QFile temp(collectionTempFilePath());
        ASSERT_TRUE(temp.open(QIODevice::ReadWrite));
        ASSERT_TRUE(temp.setFileTime(QDateTime(QDate(2024, 3, 14), QTime(10, 5, 30)),
                                     QFileDevice::FileModificationTime));
    }
    const QString path = s.path(QStringLiteral("runs.CH4"));
    QStringList filters;
    QString title, first, proposed;
    s.answer({[&](QDialog& d) {
                  title = d.windowTitle();
                  first = dynamic_cast<TfrmOpenSave&>(d).btnOpenSets->text();
                  return choose(OpenSaveChoice::AllSets)(d);
              },
              [&](QDialog& d) {
                  filters = dynamic_cast<QFileDialog&>(d).nameFilters();
                  proposed = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                  return file(s.path(QStringLiteral("runs")))(d);
              }});
    s.save();
    EXPECT_EQ(proposed, "KOLVA 2024-03-14 10-05.CH4");
    EXPECT_EQ(title, "Save File");
    EXPECT_EQ(first, "Save all data sets to a data set collection file(*.ch4)");
    EXPECT_EQ(filters,
              QStringList{"Data Set Collection file(*.ch4,only for KOLVA) (*.CH4 *.ch4)"});
    EXPECT_EQ(readAll(path), image);
    EXPECT_FALSE(s.w->Unsaved().LoggerDataUnsaved);

    // Another download in between, then the collection opened again.
    downloaded(s, fixtures::imageOf({fixtures::run(5)}));
    s.w->Unsaved().LoggerDataUnsaved = false;
    s.answer({[&](QDialog& d) {
                  title = d.windowTitle();
                  first = dynamic_cast<TfrmOpenSave&>(d).btnOpenSets->text();
                  return choose(OpenSaveChoice::AllSets)(d);
              },
              file(path)});
    s.open();
    EXPECT_EQ(title, "Open File");
    EXPECT_EQ(first, "Open a data set collection file(*.CH4)");
    expectSameSets(s.w->DataSets(), before);
    EXPECT_EQ(readAll(collectionTempFilePath()), image);
    EXPECT_EQ(s.w->LoggerWindow->Grid2->rowCount(), 3);
    EXPECT_EQ(s.w->LoggerWindow->Chart1->Points(), before.set(0).Nums);
    // Opening is no new download: nothing to ask about on closing.
    EXPECT_FALSE(s.w->Unsaved().LoggerDataUnsaved);
    EXPECT_TRUE(s.answers.asked.isEmpty()) << s.answers.asked.join('|').toStdString();

    // The saved file saved again over itself stays the same.
    s.answer({choose(OpenSaveChoice::AllSets), file(path)});
    s.save();
    EXPECT_EQ(readAll(path), image);
}

// Damaged collection files: the data-logger window comes up, the user is told, and the sets,
// the list and the temporary file stay as they were.
TEST(FileCollections, DamagedCollectionsChangeNothing)
{
    FileShell s;
    const MemoryImage image = fixtures::imageOf(sim::sampleRuns());
    downloaded(s, image);
    const DataSetStore before = s.w->DataSets();
    s.w->LoggerWindow->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QByteArray noMarker = image;
    noMarker[257] = 0;
    QByteArray noSets = image;
    noSets[9] = noSets[10] = 0;
    const QList<std::pair<QByteArray, QString>> files = {
        {QByteArray(), "is empty"},
        {image.left(270), "Data set 1"},   // truncated, shorter than its used length
        {noSets, "no data set"},
        {noMarker, "marker"},
        {QByteArray(5000, '\xFF'), "more than 4000"},
    };
    for (const auto& [bytes, says] : files) {
        const QString path = s.path(QStringLiteral("bad.CH4"));
        ASSERT_TRUE(writeAll(path, bytes));
        s.answers.asked.clear();
        s.answer({choose(OpenSaveChoice::AllSets), file(path)});
        s.open();
        ASSERT_TRUE(s.w->LoggerWindow) << says.toStdString();
        ASSERT_EQ(s.answers.asked.size(), 1);
        EXPECT_TRUE(s.answers.asked[0].contains(says)) << s.answers.asked[0].toStdString();
        EXPECT_TRUE(s.answers.asked[0].contains(QStringLiteral("bad.CH4")));
        expectSameSets(s.w->DataSets(), before);
        EXPECT_EQ(readAll(collectionTempFilePath()), image);
    }
    // A file that cannot be read at all.
    s.answers.asked.clear();
    s.answer({choose(OpenSaveChoice::AllSets), file(s.path(QStringLiteral("missing.CH4")))});
    s.open();
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].startsWith(QStringLiteral("Cannot open file")));
}

// "Save DataLogger Data ?" answered Yes: a collection that cannot be saved (nothing downloaded
// in this data folder, or a folder that does not exist) keeps the window and the mark.
TEST(FileCollections, AFailedCollectionSaveKeepsTheWindowAndTheMark)
{
    FileShell s;
    TfrmGraph* logger = s.w->OpenLoggerGraph();
    s.w->Unsaved().LoggerDataUnsaved = true;
    s.answers.choices = {Answer::Yes};
    s.answer({choose(OpenSaveChoice::AllSets), file(s.path(QStringLiteral("a.CH4")))});
    GraphWindows::SubWindowOf(*logger)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.w->LoggerWindow, logger);
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
    ASSERT_EQ(s.answers.asked.size(), 2);
    EXPECT_EQ(s.answers.asked[0], "Save DataLogger Data ?");
    EXPECT_TRUE(s.answers.asked[1].contains(QStringLiteral("DataSetsTemp.tmp")));
    EXPECT_FALSE(QFileInfo::exists(s.path(QStringLiteral("a.CH4"))));

    downloaded(s, fixtures::imageOf({fixtures::run(3)}));
    s.answers.asked.clear();
    s.answers.choices = {Answer::Yes};
    const QString nowhere = s.path(QStringLiteral("no/such/folder/a.CH4"));
    s.answer({choose(OpenSaveChoice::AllSets), file(nowhere)});
    GraphWindows::SubWindowOf(*logger)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.w->LoggerWindow, logger);
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
    ASSERT_EQ(s.answers.asked.size(), 2);
    EXPECT_TRUE(s.answers.asked[1].contains(QStringLiteral("a.CH4")));

    // Saved: the window closes and the mark goes.
    const QString good = s.path(QStringLiteral("good.CH4"));
    s.answers.choices = {Answer::Yes};
    s.answer({choose(OpenSaveChoice::AllSets), file(good)});
    GraphWindows::SubWindowOf(*logger)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(s.w->LoggerWindow.isNull());
    EXPECT_FALSE(s.w->Unsaved().LoggerDataUnsaved);
    EXPECT_EQ(readAll(good), readAll(collectionTempFilePath()));
}

// Sets shown that the temporary file could not keep (the disk is full) are not saved as a
// collection: "Save all data sets" says why instead of copying the older sets the file holds.
TEST(FileCollections, SetsTheTemporaryFileDoesNotHoldAreNotSavedAsACollection)
{
    FileShell s;
    const MemoryImage older = fixtures::imageOf({fixtures::run(5)});
    const MemoryImage newer = fixtures::imageOf(sim::sampleRuns());
    const QString olderPath = s.path(QStringLiteral("older.CH4"));
    const QString newerPath = s.path(QStringLiteral("newer.CH4"));
    ASSERT_TRUE(writeAll(olderPath, older));
    ASSERT_TRUE(writeAll(newerPath, newer));
    s.answer({choose(OpenSaveChoice::AllSets), file(olderPath)});
    s.open();
    ASSERT_EQ(readAll(collectionTempFilePath()), older);

    s.answer({choose(OpenSaveChoice::AllSets), file(newerPath)});
    {
        const FileSizeLimit disk(64);
        s.open();
    }
    ASSERT_EQ(s.w->DataSets().count(), 3);
    ASSERT_EQ(readAll(collectionTempFilePath()), older);
    ASSERT_EQ(s.answers.asked.size(), 1);
    const QString saved = s.path(QStringLiteral("saved.CH4"));
    s.w->Unsaved().LoggerDataUnsaved = true;
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*s.w->LoggerWindow));
    s.answer({choose(OpenSaveChoice::AllSets), file(saved)});
    s.save();
    EXPECT_FALSE(QFileInfo::exists(saved));
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
    ASSERT_EQ(s.answers.asked.size(), 2);
    EXPECT_TRUE(s.answers.asked[1].startsWith(
        QStringLiteral("The data sets shown cannot be saved as a data set collection")));
    EXPECT_TRUE(s.answers.asked[1].contains(QStringLiteral("DataSetsTemp.tmp")));

    // Kept at the next opening: saved as they are.
    s.answer({choose(OpenSaveChoice::AllSets), file(newerPath)});
    s.open();
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*s.w->LoggerWindow));
    s.answer({choose(OpenSaveChoice::AllSets), file(saved)});
    s.save();
    EXPECT_EQ(readAll(saved), newer);
    EXPECT_FALSE(s.w->Unsaved().LoggerDataUnsaved);
}

// The second button of the data-logger window's Save: the set shown, as a single file.
TEST(FileCollections, TheSetShownSavesAsASingleFile)
{
    FileShell s;
    downloaded(s, fixtures::imageOf(sim::sampleRuns()));
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*s.w->LoggerWindow));
    const QString path = s.path(QStringLiteral("set1.txt"));
    s.answer({choose(OpenSaveChoice::SingleSet), file(path), all()});
    s.save();
    EXPECT_EQ(readAll(path).count('\n'), 120);
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
}
