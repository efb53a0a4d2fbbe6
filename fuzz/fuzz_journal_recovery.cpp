// SPDX-License-Identifier: GPL-3.0-or-later
// Recovery at start-up of a recording journal left behind by a crash: the journal is read with
// damage tolerance, offered, opened as a graph (its statistics shown) and moved aside. The first
// byte chooses the journal's name (bit 0: a start date and time, else a name that says nothing)
// and the user's answer (bit 1: open it); the rest is the file.
#include "FuzzSupport.h"

#include "graph/ChartState.h"
#include "graph/GraphStatistics.h"
#include "graph/JournalRecovery.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const QByteArray bytes = in.rest();
    const QString folder = QDir(scratchFolder()).filePath(QStringLiteral("journal"));
    emptyFolder(scratchFolder());
    FUZZ_CHECK(QDir().mkpath(folder), "the journal folder cannot be made");
    const QString name = flags & 1 ? QStringLiteral("2024-03-31_01-59-58.csv") : QStringLiteral("journal.csv");
    const QString path = QDir(folder).filePath(name);
    FUZZ_CHECK(writeFile(path, bytes), "the journal cannot be written");

    const qsizetype lines = bytes.count('\n');
    int asked = 0, opened = 0, messages = 0;
    RecoveryHooks hooks;
    hooks.ask = [&](const QString& question) {
        FUZZ_CHECK(!question.isEmpty(), "a question without its text");
        ++asked;
        return bool(flags & 2);
    };
    hooks.message = [&](const QString&) { ++messages; };
    hooks.open = [&](const RecoveredJournal& r) {
        ++opened;
        FUZZ_CHECK(r.status == JournalStatus::Ok && !r.samples.empty()
                       && r.info.sampleCount == int(r.samples.size()) && r.info.sampleCount <= lines,
                   "more samples than the journal has lines");
        FUZZ_CHECK(r.info.skippedLines >= 0 && r.info.skippedLines <= lines + 1, "more damage than lines");
        FUZZ_CHECK(isDateTime(r.info.header.startTime), "a recording that starts at no date-time");
        for (const MachineSample& s : r.samples) {
            FUZZ_CHECK(isDateTime(s.time), "a sample at no date-time");
            for (const float v : s.values)
                FUZZ_CHECK(isReading(v), "a reading that is neither finite nor missing");
        }
        FUZZ_CHECK(!journalCaption(r.info).isEmpty(), "a window without its caption");
        ChartState chart;
        chart.data.resize(4, int(r.samples.size()));
        chart.data.reset();
        fillChartFromJournal(chart, r.samples);
        const ChartStatistics stats = computeChartStatistics(chart.data);
        FUZZ_CHECK(stats.points == int(r.samples.size()) && stats.minutesIndex >= -1 && stats.minutesIndex <= 60
                       && stats.secondsIndex >= -1 && stats.secondsIndex <= 59,
                   "statistics that do not fit the recording");
        return true;
    };

    QString keptAt;
    hooks.kept = [&](const QString& at) { keptAt = at; };

    const int count = offerPendingJournals(hooks, folder);
    const QString recoveredPath = QDir(folder).filePath(QStringLiteral("recovered/") + name);
    const bool pending = QFileInfo::exists(path);
    const bool recovered = QFileInfo::exists(recoveredPath);
    FUZZ_CHECK(count == opened && asked <= 1 && opened <= asked && messages == 0, "offered more than once");
    FUZZ_CHECK(pending != recovered, "the journal is both pending and recovered, or gone");
    FUZZ_CHECK(!opened || (recovered && keptAt == recoveredPath), "an opened journal is offered again");
    FUZZ_CHECK(!asked || opened || pending, "a journal declined by the user was moved aside");
    FUZZ_CHECK(!QFileInfo::exists(journalLockPath(path)), "the journal's lock stays after the offer");
    return 0;
}
