// SPDX-License-Identifier: GPL-3.0-or-later
// A recording made by the real recorder, on the simulated meter, in a child process that is
// killed in the middle of it: the next start's recovery finds every sample bit for bit. And the
// recovery's other paths: a journal cut in the middle of a line, No, an empty journal, the
// journal of the recording that is being written.
#include "RecorderFixtures.h"
#include "TempFolder.h"
#include "files/FileFixtures.h"
#include "graph/JournalRecovery.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <bit>
#include <cstdio>

#include <unistd.h>

using recfix::Bench;

namespace {

const char* kFolderVariable = "KOLVA_RECORDER_CHILD_FOLDER";

// A sample as the child prints it: the bits of the time and of the four values.
QByteArray bitsLine(const MachineSample& s)
{
    QByteArray line = QByteArray::number(std::bit_cast<quint64>(s.time), 16);
    for (const float v : s.values)
        line += ' ' + QByteArray::number(std::bit_cast<quint32>(v), 16);
    return line;
}

std::optional<MachineSample> parseBitsLine(const QByteArray& text)
{
    const QList<QByteArray> parts = text.trimmed().split(' ');
    if (parts.size() != 5)
        return std::nullopt;
    MachineSample s;
    bool ok = true;
    s.time = std::bit_cast<double>(quint64(parts[0].toULongLong(&ok, 16)));
    for (int c = 0; c < 4 && ok; ++c)
        s.values[std::size_t(c)] = std::bit_cast<float>(quint32(parts[c + 1].toUInt(&ok, 16)));
    return ok ? std::optional(s) : std::nullopt;
}

void expectSameBits(const MachineSample& got, const MachineSample& want, std::size_t k)
{
    ASSERT_EQ(bitsLine(got), bitsLine(want)) << "sample " << k;
}

struct Recovered {
    QStringList asked;
    std::vector<RecoveredJournal> opened;
    QStringList messages;
    bool answer = true;
    RecoveryHooks hooks()
    {
        RecoveryHooks h;
        h.ask = [this](const QString& t) {
            asked << t;
            return answer;
        };
        h.message = [this](const QString& t) { messages << t; };
        h.open = [this](const RecoveredJournal& r) {
            opened.push_back(r);
            return true;
        };
        return h;
    }
};

// A finished recording of n samples on the bench; returns its journal.
QString recordSamples(const QString& folder, int n, std::vector<MachineSample>* samples = nullptr)
{
    Bench b(folder, 1);
    b.run(QStringLiteral("99999"), 0, 1);
    b.ticks(n);
    b.recorder->Stop();
    if (samples)
        for (int p = 0; p < n; ++p)
            samples->push_back({b.window.x(p), {b.window.y(0, p), b.window.y(1, p),
                                                b.window.y(2, p), b.window.y(3, p)}});
    return b.recorder->Journal().path();
}

} // namespace

// Child of the test below: records one sample a tick, tells the parent each sample as the chart
// holds it, and goes on until it is killed.
TEST(RecorderChild, DISABLED_RecordUntilKilled)
{
    const QString folder = qEnvironmentVariable(kFolderVariable);
    ASSERT_FALSE(folder.isEmpty());
    Bench b(folder, 1);
    b.run(QStringLiteral("99999"), 0, 1);
    ASSERT_TRUE(b.recording());
    for (int k = 0; k < 99999; ++k) {
        b.tick();
        const int p = b.state.SampleCount - 1;
        const MachineSample s{b.window.x(p), {b.window.y(0, p), b.window.y(1, p),
                                              b.window.y(2, p), b.window.y(3, p)}};
        std::printf("%s\n", bitsLine(s).constData());
        std::fflush(stdout);
        ::usleep(1000);   // real time for the parent to kill it in the middle
    }
    for (;;)
        ::pause();
}

TEST(RecorderRecovery, ARecordingKilledMidwayIsRecoveredBitForBitAtTheNextStart)
{
    TempDataFolder tmp;
    const QString folder = tmp.path(QStringLiteral("journal"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kFolderVariable), folder);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=RecorderChild.DISABLED_RecordUntilKilled")});
    ASSERT_TRUE(child.waitForStarted(10000));
    std::vector<MachineSample> told;
    auto readTold = [&] {
        while (child.canReadLine())
            if (const auto s = parseBitsLine(child.readLine()))
                told.push_back(*s);
    };
    while (told.size() < 200 && child.state() == QProcess::Running) {
        child.waitForReadyRead(10000);
        readTold();
    }
    ASSERT_GE(told.size(), 200u) << child.readAllStandardError().toStdString();
    child.kill();   // SIGKILL, in the middle of the recording
    ASSERT_TRUE(child.waitForFinished(10000));
    readTold();
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);

    Recovered r;
    ASSERT_EQ(offerPendingJournals(r.hooks(), folder), 1) << r.messages.join('\n').toStdString();
    ASSERT_EQ(r.opened.size(), 1u);
    const std::vector<MachineSample>& got = r.opened[0].samples;
    // Every sample the child had told of, and at most the one it wrote but had not told yet.
    ASSERT_GE(got.size(), told.size());
    ASSERT_LE(got.size(), told.size() + 1);
    for (std::size_t k = 0; k < told.size(); ++k)
        expectSameBits(got[k], told[k], k);
    EXPECT_EQ(r.opened[0].info.skippedLines, 0);
    EXPECT_EQ(r.opened[0].info.header.requestedCount, 99999);
    ASSERT_EQ(r.asked.size(), 1);
    EXPECT_TRUE(r.asked[0].contains(QStringLiteral("%1 samples").arg(got.size())))
        << r.asked[0].toStdString();

    // The chart of the recovered window holds them exactly.
    ChartState chart;
    chart.data.resize(4, int(got.size()));
    fillChartFromJournal(chart, got);
    for (std::size_t k = 0; k < told.size(); ++k)
        for (int s = 0; s < 4; ++s) {
            ASSERT_EQ(std::bit_cast<quint64>(chart.data.x(s, int(k))),
                      std::bit_cast<quint64>(told[k].time));
            ASSERT_EQ(std::bit_cast<quint32>(chart.data.y(s, int(k))),
                      std::bit_cast<quint32>(told[k].values[std::size_t(s)]));
        }

    // Out of the way of the next start.
    EXPECT_TRUE(pendingJournals(folder).isEmpty());
    EXPECT_EQ(QDir(folder + QStringLiteral("/recovered")).entryList(QDir::Files).size(), 1);
    Recovered again;
    EXPECT_EQ(offerPendingJournals(again.hooks(), folder), 0);
    EXPECT_TRUE(again.asked.isEmpty());
}

TEST(RecorderRecovery, AJournalCutInTheMiddleOfALineGivesEveryWholeLine)
{
    TempDataFolder tmp;
    const QString folder = tmp.path(QStringLiteral("journal"));
    std::vector<MachineSample> recorded;
    const QString path = recordSamples(folder, 30, &recorded);
    QByteArray bytes = filefixtures::readAll(path);
    const qsizetype lastLine = bytes.lastIndexOf('\n', bytes.size() - 2) + 1;
    bytes.truncate(lastLine + (bytes.size() - lastLine) / 2);   // the 30th line half written
    ASSERT_TRUE(filefixtures::writeAll(path, bytes));

    // No keeps it for the next start.
    Recovered no;
    no.answer = false;
    EXPECT_EQ(offerPendingJournals(no.hooks(), folder), 0);
    EXPECT_TRUE(no.opened.empty());
    EXPECT_EQ(pendingJournals(folder), QStringList{path});

    Recovered yes;
    ASSERT_EQ(offerPendingJournals(yes.hooks(), folder), 1);
    ASSERT_EQ(yes.asked.size(), 1);
    EXPECT_TRUE(yes.asked[0].contains(QStringLiteral("29 samples"))) << yes.asked[0].toStdString();
    EXPECT_TRUE(yes.asked[0].contains(QStringLiteral("1 damaged line"))) << yes.asked[0].toStdString();
    const std::vector<MachineSample>& got = yes.opened[0].samples;
    ASSERT_EQ(got.size(), 29u);
    for (std::size_t k = 0; k < got.size(); ++k)
        expectSameBits(got[k], recorded[k], k);
    EXPECT_TRUE(pendingJournals(folder).isEmpty());
}

TEST(RecorderRecovery, EmptyJournalsGoAsideUnaskedAndTheOneBeingWrittenIsLeftAlone)
{
    TempDataFolder tmp;
    const QString folder = tmp.path(QStringLiteral("journal"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(filefixtures::writeAll(folder + QStringLiteral("/2026-01-02_03-04-05.csv"), {}));
    Bench b(folder, 1);
    b.run(QStringLiteral("50"), 0, 1);
    b.ticks(3);
    const QString busy = b.recorder->Journal().path();

    Recovered r;
    EXPECT_EQ(offerPendingJournals(r.hooks(), folder, busy), 0);
    EXPECT_TRUE(r.asked.isEmpty());
    EXPECT_TRUE(r.messages.isEmpty());
    EXPECT_EQ(pendingJournals(folder), QStringList{busy});
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/recovered/2026-01-02_03-04-05.csv")));
}
