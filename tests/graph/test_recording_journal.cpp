// SPDX-License-Identifier: GPL-3.0-or-later
// The recording journal: the file a recording leaves, its syncing, its removal, its failures,
// and the recovery of a recording whose program was killed.
#include "TempFolder.h"
#include "files/FileFixtures.h"
#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/ChartState.h"
#include "graph/RecordingJournal.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <bit>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>   // pause

using filefixtures::readAll;
using filefixtures::writeAll;

namespace {

const QDateTime kStart(QDate(2026, 12, 9), QTime(10, 15, 30));

double startTime()
{
    return DateTime::fromQDateTime(kStart);
}

// Sample k of the test recordings: clock-like times, awkward values, some missing, the unit
// switched by the meter's key now and then.
MachineSample sample(int k)
{
    MachineSample s;
    s.time = DateTime::fromQDateTime(kStart.addMSecs(qint64(k) * 1001));
    s.unit = k % 50 < 25 ? TemperatureUnit::Fahrenheit : TemperatureUnit::Celsius;
    for (int c = 0; c < 4; ++c) {
        float v = static_cast<float>(std::sin(k * 0.37 + c) * 1234.5678);
        if (k % 13 == c)
            v = NullReading;
        if (k % 101 == 7)
            v = c == 0 ? -0.0f : std::nextafter(v, 1e9f);
        s.values[static_cast<std::size_t>(c)] = v;
    }
    return s;
}

void append(RecordingJournal& j, const MachineSample& s)
{
    j.append(s.time, s.values[0], s.values[1], s.values[2], s.values[3], s.unit);
}

void expectSameBits(const MachineSample& got, const MachineSample& want, int k)
{
    ASSERT_EQ(std::bit_cast<std::uint64_t>(got.time), std::bit_cast<std::uint64_t>(want.time))
        << "sample " << k;
    for (std::size_t c = 0; c < 4; ++c)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(got.values[c]),
                  std::bit_cast<std::uint32_t>(want.values[c]))
            << "sample " << k << " channel " << c;
    ASSERT_EQ(got.unit, want.unit) << "sample " << k;
}

JournalHeader header(int count = 2000)
{
    return {startTime(), 2, count, false};
}

// Runs one of the DISABLED_ child tests below in a new process of this executable.
QProcess* startChild(const char* test, const QString& folder)
{
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KOLVA_JOURNAL_CHILD_FOLDER"), folder);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("--gtest_also_run_disabled_tests"),
              QStringLiteral("--gtest_filter=JournalChild.%1").arg(QLatin1String(test))});
    return p;
}

QString childFolder()
{
    return qEnvironmentVariable("KOLVA_JOURNAL_CHILD_FOLDER");
}

} // namespace

TEST(RecordingJournal, WritesTheCommentHeaderAndOneLinePerSample)
{
    TempDataFolder tmp;
    ManualClock clock;
    RecordingJournal j(clock);
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    EXPECT_EQ(QFileInfo(j.path()).fileName(), "2026-12-09_10-15-30.csv");
    EXPECT_EQ(QFileInfo(j.path()).absolutePath(), QDir(tmp.path("journal")).absolutePath());
    for (int k = 0; k < 3; ++k)
        append(j, sample(k));
    // Handed to the system already: another reader sees every line before finish().
    const QByteArray bytes = readAll(j.path());
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 6);   // comment, header, 3 samples, "" after the last LF
    EXPECT_EQ(lines[0], "# KOLVA real-time recording start=" + MachineCsv::timeText(startTime()) +
                            " rate=2 count=2000 unit=F");
    EXPECT_EQ(lines[1], "time,T1,T2,T3,T4,unit");
    EXPECT_EQ(lines[2] + '\n', MachineCsv::line(sample(0)));

    // A second recording in the same second gets a name of its own.
    RecordingJournal other(clock);
    ASSERT_EQ(other.start(header()), JournalStatus::Ok);
    EXPECT_EQ(QFileInfo(other.path()).fileName(), "2026-12-09_10-15-30_2.csv");
}

TEST(RecordingJournal, SyncsWhenDataHaveWaitedTheIntervalEvenWithoutNewSamples)
{
    TempDataFolder tmp;
    ManualClock clock;
    RecordingJournal j(clock);
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    const int afterStart = j.syncCount();
    EXPECT_EQ(afterStart, 1);
    append(j, sample(0));
    clock.advanceMs(RecordingJournal::SyncIntervalMs - 1);
    j.syncIfDue();
    EXPECT_EQ(j.syncCount(), afterStart);
    clock.advanceMs(1);
    j.syncIfDue();   // the tick while the meter is silent
    EXPECT_EQ(j.syncCount(), afterStart + 1);
    clock.advanceMs(60'000);
    j.syncIfDue();   // nothing new to sync
    EXPECT_EQ(j.syncCount(), afterStart + 1);
    append(j, sample(1));   // overdue: synced at once
    EXPECT_EQ(j.syncCount(), afterStart + 2);
    for (int k = 2; k < 10; ++k) {
        clock.advanceMs(1000);
        append(j, sample(k));
    }
    // One sample a second: a sync every five seconds, never a sync per sample.
    EXPECT_EQ(j.syncCount(), afterStart + 3);
}

TEST(RecordingJournal, FinishKeepsTheFileAndDiscardRemovesIt)
{
    TempDataFolder tmp;
    ManualClock clock;
    RecordingJournal j(clock);
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    append(j, sample(0));
    j.finish();
    EXPECT_FALSE(j.writing());
    append(j, sample(1));   // after Stop: nothing more
    const QString path = j.path();
    EXPECT_EQ(pendingJournals(), QStringList{path});
    EXPECT_EQ(readJournal(path).info.sampleCount, 1);
    EXPECT_TRUE(j.discard());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(pendingJournals().isEmpty());

    // A new recording while the old journal is still there keeps the old one.
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    const QString first = j.path();
    clock.advanceMs(1000);
    ASSERT_EQ(j.start({startTime() + DateTime::OneSecond, 1, 5, true}), JournalStatus::Ok);
    EXPECT_EQ(pendingJournals(), (QStringList{first, j.path()}));
}

TEST(RecordingJournal, AFolderThatCannotBeMadeIsReportedOnceAndTheRecordingGoesOn)
{
    TempDataFolder tmp;
    ASSERT_TRUE(writeAll(tmp.path("journal"), "a file where the folder should be"));
    ManualClock clock;
    QStringList reports;
    RecordingJournal j(clock, [&](const QString& t) { reports.append(t); });
    EXPECT_EQ(j.start(header()), JournalStatus::CannotCreateFolder);
    for (int k = 0; k < 50; ++k)
        append(j, sample(k));
    j.syncIfDue();
    j.finish();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QDir::toNativeSeparators(tmp.path("journal")))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(QStringLiteral("goes on without it")));
    EXPECT_EQ(j.statusText(), reports[0]);
    EXPECT_TRUE(j.discard());
    EXPECT_TRUE(QFileInfo(tmp.path("journal")).isFile());   // nothing of the user's touched
}

// A journal whose creation failed removes nothing when it is given up: the file of its name is
// another recording's (here all hundred names of that second are taken).
TEST(RecordingJournal, DiscardAfterAFailedCreationLeavesTheOtherRecordingsFiles)
{
    TempDataFolder tmp;
    ASSERT_TRUE(QDir().mkpath(tmp.path("journal")));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString suffix = attempt == 0 ? QString() : QStringLiteral("_%1").arg(attempt + 1);
        ASSERT_TRUE(writeAll(tmp.path("journal/2026-12-09_10-15-30" + suffix + ".csv"), "kept"));
    }
    ManualClock clock;
    RecordingJournal j(clock);
    EXPECT_EQ(j.start(header()), JournalStatus::CannotCreate);
    EXPECT_TRUE(j.discard());
    EXPECT_EQ(pendingJournals().size(), 100);
}

// A slow disk never holds up a sample: the syncs run on a thread of their own, every line is in
// the file when append() returns, and the syncs asked for while one hangs are served by one more
// once it is done. A sync that fails is reported once, on the recorder's side.
TEST(RecordingJournal, ASlowDiskNeverHoldsUpASample)
{
    TempDataFolder tmp;
    ManualClock clock;
    std::mutex m;
    std::condition_variable changed;
    bool released = false;
    int calls = 0;
    std::thread::id syncThread;
    const auto slowDisk = [&](int fd) {
        std::unique_lock lock(m);
        ++calls;
        syncThread = std::this_thread::get_id();
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(5), [&] { return released; });
        return ::fsync(fd) == 0 ? 0 : errno;
    };
    RecordingJournal j(clock, {}, journalFolder(), slowDisk);
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    {
        // Its first sync hangs (once the sync thread has taken it up: asked for before that,
        // the later syncs would merge into it).
        std::unique_lock lock(m);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return calls == 1; }));
        EXPECT_NE(syncThread, std::this_thread::get_id());
    }
    for (int k = 0; k < 20; ++k) {
        clock.advanceMs(1000);
        append(j, sample(k));
        j.syncIfDue();
    }
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_EQ(readJournal(j.path()).info.sampleCount, 20);
    {
        std::unique_lock lock(m);
        EXPECT_EQ(calls, 1);
        released = true;
    }
    changed.notify_all();
    j.waitForSyncs();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(j.status(), JournalStatus::Ok);

    QStringList reports;
    RecordingJournal failing(clock, [&](const QString& t) { reports << t; }, journalFolder(),
                             [](int) { return EIO; });
    ASSERT_EQ(failing.start(header()), JournalStatus::Ok);
    failing.waitForSyncs();
    append(failing, sample(0));
    failing.syncIfDue();
    EXPECT_EQ(failing.status(), JournalStatus::CannotSync);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("cannot be saved to the disk")));
}

// Child of the test below: records until it is killed, telling the parent each sample written.
TEST(JournalChild, DISABLED_RecordUntilKilled)
{
    ASSERT_FALSE(childFolder().isEmpty());
    SystemClock clock;
    RecordingJournal j(clock, {}, childFolder());
    ASSERT_EQ(j.start({startTime(), 1, 99999, true}), JournalStatus::Ok);
    for (int k = 0; k < 1'000'000; ++k) {
        append(j, sample(k));
        std::printf("%d\n", k + 1);
        std::fflush(stdout);
    }
    for (;;)
        ::pause();
}

TEST(RecordingJournal, AKilledRecordingIsRecoveredBitForBit)
{
    TempDataFolder tmp;
    const QString folder = tmp.path("journal");
    std::unique_ptr<QProcess> child(startChild("DISABLED_RecordUntilKilled", folder));
    ASSERT_TRUE(child->waitForStarted(10000));
    int reported = 0;
    while (reported < 300 && child->state() == QProcess::Running) {
        child->waitForReadyRead(10000);
        while (child->canReadLine())
            reported = std::max(reported, child->readLine().trimmed().toInt());
    }
    ASSERT_GE(reported, 300) << child->readAllStandardError().toStdString();
    child->kill();   // SIGKILL, in the middle of the recording
    ASSERT_TRUE(child->waitForFinished(10000));
    while (child->canReadLine())
        reported = std::max(reported, child->readLine().trimmed().toInt());

    const QStringList pending = pendingJournals(folder);
    ASSERT_EQ(pending.size(), 1);
    const RecoveredJournal r = readJournal(pending[0]);
    ASSERT_EQ(r.status, JournalStatus::Ok);
    EXPECT_TRUE(r.info.headerKnown);
    EXPECT_EQ(r.info.header.startTime, startTime());
    EXPECT_EQ(r.info.header.rateSeconds, 1);
    EXPECT_EQ(r.info.header.requestedCount, 99999);
    EXPECT_TRUE(r.info.header.celsius);
    // Every sample the child had written before it died is there (and perhaps one more).
    ASSERT_GE(r.info.sampleCount, reported);
    EXPECT_LE(r.info.skippedLines, 1);
    ASSERT_EQ(r.samples.size(), static_cast<std::size_t>(r.info.sampleCount));
    for (int k = 0; k < r.info.sampleCount; ++k)
        expectSameBits(r.samples[static_cast<std::size_t>(k)], sample(k), k);

    // Into a chart prepared for them, then out of the way of the next start.
    ChartState chart;
    chart.data.resize(4, r.info.sampleCount);
    fillChartFromJournal(chart, r.samples);
    EXPECT_EQ(chart.data.x(3, 17), sample(17).time);
    EXPECT_EQ(chart.data.y(2, 17), sample(17).values[2]);
    ASSERT_EQ(moveToRecovered(pending[0]), JournalStatus::Ok);
    EXPECT_TRUE(pendingJournals(folder).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath("recovered/" + QFileInfo(pending[0]).fileName())));
}

// Child of the test below: a file size limit plays a disk that fills up during the recording.
TEST(JournalChild, DISABLED_DiskFills)
{
    ASSERT_FALSE(childFolder().isEmpty());
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4000, 4000};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    ManualClock clock;
    QStringList reports;
    RecordingJournal j(clock, [&](const QString& t) { reports.append(t); }, childFolder());
    ASSERT_EQ(j.start(header()), JournalStatus::Ok);
    for (int k = 0; k < 500; ++k) {
        append(j, sample(k));
        clock.advanceMs(1000);
        j.syncIfDue();
    }
    j.finish();
    EXPECT_EQ(j.status(), JournalStatus::CannotWrite);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("cannot be written")));
}

TEST(RecordingJournal, ADiskThatFillsUpIsReportedOnceAndWhatWasWrittenRecovers)
{
    TempDataFolder tmp;
    const QString folder = tmp.path("journal");
    std::unique_ptr<QProcess> child(startChild("DISABLED_DiskFills", folder));
    ASSERT_TRUE(child->waitForFinished(60000));
    const QByteArray out = child->readAllStandardOutput() + child->readAllStandardError();
    ASSERT_EQ(child->exitStatus(), QProcess::NormalExit) << out.toStdString();
    ASSERT_EQ(child->exitCode(), 0) << out.toStdString();
    ASSERT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();

    const QStringList pending = pendingJournals(folder);
    ASSERT_EQ(pending.size(), 1);
    EXPECT_EQ(QFileInfo(pending[0]).size(), 4000);
    const RecoveredJournal r = readJournal(pending[0]);
    EXPECT_GT(r.info.sampleCount, 10);
    EXPECT_LT(r.info.sampleCount, 500);
    EXPECT_LE(r.info.skippedLines, 1);   // the line the disk cut
    for (int k = 0; k < r.info.sampleCount; ++k)
        expectSameBits(r.samples[static_cast<std::size_t>(k)], sample(k), k);
}

TEST(RecordingJournal, DamagedJournalsGiveEveryWholeLineAndCountTheRest)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("journal"));
    const QByteArray head =
        MachineCsv::comment(journalComment(header(500))) + MachineCsv::header();
    QByteArray lines;
    for (int k = 0; k < 40; ++k)
        lines += MachineCsv::line(sample(k));

    // Cut in the middle of a line.
    const QString cut = tmp.path("journal/2026-12-09_10-15-30.csv");
    const QByteArray line40 = MachineCsv::line(sample(40));
    ASSERT_TRUE(writeAll(cut, head + lines + line40.left(line40.size() / 2)));
    RecoveredJournal r = readJournal(cut);
    EXPECT_TRUE(r.info.headerKnown);
    EXPECT_EQ(r.info.header.requestedCount, 500);
    EXPECT_EQ(r.info.sampleCount, 40);
    EXPECT_EQ(r.info.skippedLines, 1);
    EXPECT_TRUE(journalQuestionText(r.info).contains(QStringLiteral("40 samples")));
    EXPECT_TRUE(journalQuestionText(r.info).contains(QStringLiteral("1 damaged line")));

    // Garbage in the middle (a sector of zeros) and at the end.
    const QString garbage = tmp.path("journal/2026-12-09_11-00-00.csv");
    const qsizetype firstEnd = lines.indexOf('\n') + 1;
    ASSERT_TRUE(writeAll(garbage, head + lines.left(firstEnd) + QByteArray(300, '\0') + "\n" +
                                      lines.mid(firstEnd) + "\xde\xad\xbe\xef\n\x7f"));
    r = readJournal(garbage);
    EXPECT_EQ(r.info.sampleCount, 40);
    EXPECT_EQ(r.info.skippedLines, 3);
    for (int k = 0; k < 40; ++k)
        expectSameBits(r.samples[static_cast<std::size_t>(k)], sample(k), k);

    // Empty: no comment line, so the start time comes from the name.
    const QString empty = tmp.path("journal/2026-12-09_12-30-05.csv");
    ASSERT_TRUE(writeAll(empty, {}));
    r = readJournal(empty);
    EXPECT_FALSE(r.info.headerKnown);
    EXPECT_EQ(r.info.sampleCount, 0);
    EXPECT_EQ(r.info.skippedLines, 0);
    EXPECT_EQ(r.info.header.startTime,
              DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 9), QTime(12, 30, 5))));

    // A damaged comment line counts and the samples still come.
    const QString badHead = tmp.path("journal/2026-12-09_13-00-00.csv");
    ASSERT_TRUE(writeAll(badHead, "# KOLVA real-time rec\x01rding\n" + MachineCsv::header() + lines));
    r = readJournal(badHead);
    EXPECT_FALSE(r.info.headerKnown);
    EXPECT_EQ(r.info.sampleCount, 40);
    EXPECT_EQ(r.info.skippedLines, 1);

    EXPECT_EQ(pendingJournals().size(), 4);
    EXPECT_EQ(readJournal(tmp.path("journal/none.csv")).status, JournalStatus::CannotRead);
}

// Journals written before each line carried its unit: five fields, the unit in the comment line.
TEST(RecordingJournal, JournalsOfEarlierVersionsAreStillRecovered)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("journal"));
    const QString path = tmp.path("journal/2026-12-09_10-15-30.csv");
    ASSERT_TRUE(writeAll(path, "# KOLVA real-time recording start=2026-12-09T10:15:30.000+00:00 "
                               "rate=2 count=500 unit=F\n"
                               "time,T1,T2,T3,T4\n"
                               "2026-12-09T10:15:30.000+00:00,23.5,-12.25,,1000\n"
                               "2026-12-09T10:15:32.000+00:00,23.6,,0,-0.1\n"
                               "2026-12-09T10:15:34.000+00:00,23.7,1,2,3,F\n"   // not of that file
                               "2026-12-09T10:15:36.000+00:00,23.8,1"));      // cut
    const RecoveredJournal r = readJournal(path);
    ASSERT_EQ(r.status, JournalStatus::Ok);
    EXPECT_TRUE(r.info.headerKnown);
    EXPECT_FALSE(r.info.header.celsius);
    EXPECT_EQ(r.info.header.requestedCount, 500);
    EXPECT_EQ(r.info.skippedLines, 2);
    const auto at = [](const char* text) { return *MachineCsv::parseTime(text); };
    const std::vector<MachineSample> expected = {
        {at("2026-12-09T10:15:30.000Z"), {23.5f, -12.25f, NullReading, 1000.0f},
         TemperatureUnit::Fahrenheit},
        {at("2026-12-09T10:15:32.000Z"), {23.6f, NullReading, 0.0f, -0.1f},
         TemperatureUnit::Fahrenheit}};
    EXPECT_EQ(r.samples, expected);
}

TEST(RecordingJournal, RecoveredJournalsAreMovedAsideWithoutOverwriting)
{
    TempDataFolder tmp;
    QDir().mkpath(tmp.path("journal/recovered"));
    const QString name = tmp.path("journal/2026-12-09_10-15-30.csv");
    ASSERT_TRUE(writeAll(tmp.path("journal/recovered/2026-12-09_10-15-30.csv"), "older"));
    ASSERT_TRUE(writeAll(name, "newer"));
    ASSERT_EQ(moveToRecovered(name), JournalStatus::Ok);
    EXPECT_EQ(readAll(tmp.path("journal/recovered/2026-12-09_10-15-30.csv")), "older");
    EXPECT_EQ(readAll(tmp.path("journal/recovered/2026-12-09_10-15-30_2.csv")), "newer");
    QString reason;
    EXPECT_EQ(moveToRecovered(name, &reason), JournalStatus::CannotMove);
    EXPECT_FALSE(reason.isEmpty());
}
