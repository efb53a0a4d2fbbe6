// SPDX-License-Identifier: GPL-3.0-or-later
// The real-time recorder against the simulated meter, with the live link's watchdog deciding
// when a sample is due: Run and its dialog, the samples, the limit stop, Stop, the rate change
// and Clear of the window, the command states, a meter that goes and comes back, closing the
// window, and the recording journal behind all of it.
#include "RecorderFixtures.h"
#include "TempFolder.h"
#include "base/LocaleText.h"
#include "base/NullReading.h"
#include "graph/RealTimeSetup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using recfix::Bench;

namespace {

const QString kRunQuestion =
    QStringLiteral("There are datas in Real_Time graph ,it have to reset the graph.\n"
                   "Do you want to save the Real-Time graph ?");
const QString kRateQuestion = QStringLiteral(
    "Sampling Rate is being changed and it is recording Real-Time data or there are data in "
    "Real_Time graph.If you want to make new sampling rate effective,it have to reset the "
    "graph.\nDo you want to save the Real-Time graph ?");

constexpr double kSecond = DateTime::OneSecond;

qint64 msBetween(double a, double b)
{
    return DateTime::toQDateTime(a).msecsTo(DateTime::toQDateTime(b));
}

struct RecorderTest : ::testing::Test {
    TempDataFolder tmp;
    QString folder = tmp.path(QStringLiteral("journal"));
    std::vector<std::array<float, 4>> values;   // the reading at every sample

    // Keeps the reading the watchdog hands over with every sample.
    void watch(Bench& b)
    {
        b.link.SetHooks(LinkHooks{[&b](const LiveFrame& f) { DecodeLiveFrame(f, b.reading, b.decoder); },
                                  [&b] { return b.state.RealTimeRecording; },
                                  [this, &b](double t) {
                                      b.sampleTimes.push_back(t);
                                      values.push_back(b.reading.Channel);
                                      b.recorder->SampleDue(t);
                                  }});
    }
    QStringList journals() const
    {
        return QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files);
    }
};

} // namespace

TEST_F(RecorderTest, RateTwoCountFiveEndsByItselfWithAveragesAndNoPause)
{
    Bench b(folder);
    watch(b);
    ASSERT_TRUE(b.link.State().Connected);
    b.run(QStringLiteral("    5"));
    ASSERT_EQ(b.dialogShown.size(), 1u);
    EXPECT_EQ(b.dialogShown[0],
              (RealTimeSetupFields{QStringLiteral(" 2000"), 0, 2, QStringLiteral("1:6:40")}));
    EXPECT_TRUE(b.recording());
    EXPECT_FALSE(b.runEnabled);
    EXPECT_TRUE(b.stopEnabled);
    EXPECT_FALSE(b.window.clearEnabled);
    EXPECT_EQ(b.window.points(), 5);
    EXPECT_EQ(b.window.startTime, LocaleText::dateTimeText(b.clock.Now()));
    EXPECT_EQ(b.window.chart.settings.manualMinX, b.clock.Now());
    EXPECT_EQ(b.window.chart.settings.manualMaxX, b.clock.Now() + 100 * kSecond);

    for (int k = 0; k < 9; ++k) {
        b.tick();
        EXPECT_EQ(b.state.SampleCount, k / 2 + 1) << "tick " << k;   // every second tick
    }
    EXPECT_EQ(b.window.dataNo, "5");
    EXPECT_FALSE(b.recording());
    EXPECT_TRUE(b.runEnabled);
    EXPECT_FALSE(b.stopEnabled);
    EXPECT_TRUE(b.window.clearEnabled);
    EXPECT_TRUE(b.unsaved.RealTimeUnsaved);
    ASSERT_EQ(values.size(), 5u);
    for (int p = 0; p < 5; ++p) {
        EXPECT_EQ(b.window.x(p), b.sampleTimes[std::size_t(p)]);
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(b.window.y(s, p), values[std::size_t(p)][std::size_t(s)]);
        if (p > 0) {
            EXPECT_EQ(msBetween(b.window.x(p - 1), b.window.x(p)), 2000);
        }
    }
    for (int s = 0; s < 4; ++s) {
        double sum = 0;
        for (const auto& v : values)
            sum += v[std::size_t(s)];
        EXPECT_EQ(b.window.avg[std::size_t(s)], LocaleText::fixed(sum / 5, 3)) << s;
        EXPECT_EQ(b.window.avg[std::size_t(s)].size(),
                  b.window.avg[std::size_t(s)].indexOf(QLocale().decimalPoint()) + 4);
    }
    // No wait for the tick that was running the sample: the clock did not move in between.
    EXPECT_EQ(b.pauses, 0);
    EXPECT_EQ(b.window.chart.settings.manualMaxX, b.sampleTimes.back());

    // More ticks take nothing more.
    b.ticks(4);
    EXPECT_EQ(b.sampleTimes.size(), 5u);
    // The journal holds the five samples, in the unit the meter shows, and stays after Stop.
    ASSERT_EQ(journals().size(), 1);
    EXPECT_FALSE(b.recorder->Journal().writing());
    const RecoveredJournal j = readJournal(b.recorder->Journal().path());
    ASSERT_EQ(j.samples.size(), 5u);
    EXPECT_EQ(j.info.header.requestedCount, 5);
    EXPECT_EQ(j.info.header.rateSeconds, 2);
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(j.samples[std::size_t(p)],
                  (MachineSample{b.window.x(p), values[std::size_t(p)], TemperatureUnit::Celsius}));
}

// The °C/°F key pressed during a recording: the graph holds readings of both units from then
// on, so neither it nor its journal names a unit; the next recording takes the new one.
TEST_F(RecorderTest, TheRecordingTakesTheMetersUnitAndNamesNoneOnceTheKeyChangedIt)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("   20"));
    EXPECT_EQ(b.window.chart.unit, QStringLiteral("°C"));
    b.ticks(4);
    ASSERT_EQ(b.state.SampleCount, 2);
    EXPECT_EQ(b.window.chart.unit, QStringLiteral("°C"));
    EXPECT_EQ(b.window.keptInView, 2);   // every sample asks the window to keep it in view

    b.link.WriteCommand('C');
    b.ticks(4);
    ASSERT_FALSE(b.reading.Celsius);
    ASSERT_EQ(b.state.SampleCount, 4);
    EXPECT_TRUE(b.window.chart.unit.isEmpty());
    EXPECT_TRUE(b.recording());
    const RecoveredJournal j = readJournal(b.recorder->Journal().path());
    EXPECT_TRUE(j.info.headerKnown);
    EXPECT_FALSE(j.info.header.unitKnown);
    EXPECT_EQ(j.samples.size(), 4u);   // the samples after the change are in it as before

    // Back to °C: the graph still holds both.
    b.link.WriteCommand('C');
    b.ticks(4);
    EXPECT_TRUE(b.window.chart.unit.isEmpty());
    b.recorder->Stop();
    b.link.WriteCommand('C');
    b.ticks(2);
    b.answers.choices = {Answer::No};
    b.run(QStringLiteral("   20"));
    EXPECT_EQ(b.window.chart.unit, QStringLiteral("°F"));
    EXPECT_TRUE(readJournal(b.recorder->Journal().path()).info.header.unitKnown);
}

TEST_F(RecorderTest, StopAfterThreeOfFiveKeepsThreePointsAndTheNextRunAsksFirst)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("5"));
    b.ticks(6);
    ASSERT_EQ(b.state.SampleCount, 3);
    b.recorder->Stop();
    EXPECT_EQ(b.pauses, 0);   // no tick was running
    EXPECT_FALSE(b.recording());
    EXPECT_TRUE(b.runEnabled);
    EXPECT_FALSE(b.stopEnabled);
    ASSERT_EQ(b.window.points(), 3);
    for (int s = 0; s < 4; ++s)
        for (int p = 0; p < 3; ++p) {
            EXPECT_EQ(b.window.chart.data.x(s, p), b.sampleTimes[std::size_t(p)]);
            EXPECT_EQ(b.window.y(s, p), values[std::size_t(p)][std::size_t(s)]);
        }
    // The X axis ends at the stop time, a second after the last sample.
    EXPECT_EQ(b.window.chart.settings.manualMaxX, b.clock.Now());
    EXPECT_EQ(msBetween(b.sampleTimes.back(), b.window.chart.settings.manualMaxX), 1000);
    for (const QString& a : b.window.avg)
        EXPECT_FALSE(a.isEmpty());
    const QString firstJournal = b.recorder->Journal().path();

    // Cancel: no dialog, nothing changes.
    b.answers.choices = {Answer::Cancel};
    b.run(QStringLiteral("5"));
    EXPECT_EQ(b.answers.asked, QStringList{kRunQuestion});
    EXPECT_EQ(b.dialogShown.size(), 1u);
    EXPECT_EQ(b.window.points(), 3);
    EXPECT_EQ(b.state.SampleCount, 3);
    b.dialogAnswers.clear();

    // No: the old data and their journal go, a new recording starts.
    b.answers.choices = {Answer::No};
    b.run(QStringLiteral("10"));
    EXPECT_EQ(b.dialogShown.size(), 2u);
    EXPECT_TRUE(b.recording());
    EXPECT_EQ(b.window.points(), 10);
    EXPECT_EQ(b.window.y(0, 0), NullReading);
    EXPECT_EQ(b.state.SampleCount, 0);
    for (int s = 0; s < 4; ++s) {
        EXPECT_TRUE(b.window.max[std::size_t(s)].isEmpty());
        EXPECT_TRUE(b.window.avg[std::size_t(s)].isEmpty());
        EXPECT_EQ(b.state.Running[std::size_t(s)].maximum, -9999.0f);
    }
    EXPECT_FALSE(QFileInfo::exists(firstJournal));
    EXPECT_EQ(journals(), QStringList{QFileInfo(b.recorder->Journal().path()).fileName()});
}

TEST_F(RecorderTest, TheAxisGrowsByTenSecondsAndAfterARateChangeByAHundredPeriods)
{
    Bench b(folder, 1);
    watch(b);
    b.run(QStringLiteral("300"), 0, 1);
    const double axisEnd = b.window.chart.settings.manualMaxX;
    b.ticks(100);   // samples up to 99 s after Run: inside the axis
    EXPECT_EQ(b.window.chart.settings.manualMaxX, axisEnd);
    b.tick();
    const double t = b.sampleTimes.back();
    ASSERT_GT(t, axisEnd);
    EXPECT_EQ(b.window.chart.settings.manualMaxX, t + 10 * kSecond);
    b.recorder->Stop();

    // 00:05 in the window, the data given up.
    b.answers.choices = {Answer::No};
    b.window.seconds = 5;
    b.recorder->RateChanged();
    EXPECT_EQ(b.answers.asked, QStringList{kRateQuestion});
    EXPECT_EQ(b.link.State().RealTimeRate, 5);
    EXPECT_EQ(b.state.XExtension, 500 * kSecond);
    EXPECT_EQ(b.window.focused, 1);
    EXPECT_EQ(b.window.chart.settings.lineGapThreshold, 1e20);

    b.run(QStringLiteral("300"), 0, 5);
    const double end = b.window.chart.settings.manualMaxX;
    int guard = 0;
    while (b.sampleTimes.back() <= end && ++guard < 200)
        b.tick();
    EXPECT_EQ(b.window.chart.settings.manualMaxX, b.sampleTimes.back() + 500 * kSecond);
    EXPECT_EQ(msBetween(b.sampleTimes[b.sampleTimes.size() - 2], b.sampleTimes.back()), 5000);
}

TEST_F(RecorderTest, RunWithoutAMeterDoesNothingAtAll)
{
    Bench b(folder);
    b.meter.fallSilent(60'000);
    b.ticks(3);
    ASSERT_FALSE(b.link.State().Connected);
    b.state.SampleCount = 7;   // data in the graph: still not even a question
    b.windowOpen = false;
    b.run(QStringLiteral("5"));
    EXPECT_TRUE(b.answers.asked.isEmpty());
    EXPECT_TRUE(b.dialogShown.empty());
    EXPECT_EQ(b.windowsOpened, 0);
    EXPECT_FALSE(b.recording());
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(RecorderTest, ARateChangeAnsweredCancelPutsTheBoxesBackAndTheRecordingGoesOn)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("20"));
    b.ticks(3);
    ASSERT_EQ(b.state.SampleCount, 2);
    b.answers.choices = {Answer::Cancel};
    b.window.minutes = 1;
    b.window.seconds = 5;
    b.recorder->RateChanged();
    EXPECT_EQ(b.answers.asked, QStringList{kRateQuestion});
    EXPECT_EQ(b.window.minutes, 0);
    EXPECT_EQ(b.window.seconds, 2);
    EXPECT_EQ(b.link.State().RealTimeRate, 2);
    EXPECT_TRUE(b.recording());
    EXPECT_TRUE(b.recorder->Journal().writing());
    b.ticks(2);
    EXPECT_EQ(b.state.SampleCount, 3);
    EXPECT_EQ(b.window.x(2), b.sampleTimes[2]);

    // The rate already in force asks nothing and clears nothing.
    b.recorder->RateChanged();
    EXPECT_EQ(b.answers.asked.size(), 1);
    EXPECT_EQ(b.state.SampleCount, 3);
}

TEST_F(RecorderTest, ARateChangeAnsweredNoEndsTheRecordingWithoutAverages)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("20"));
    b.ticks(3);
    const QString journal = b.recorder->Journal().path();
    b.answers.choices = {Answer::No};
    b.window.seconds = 10;
    b.recorder->RateChanged();
    EXPECT_EQ(b.link.State().RealTimeRate, 10);
    EXPECT_FALSE(b.recording());
    EXPECT_TRUE(b.runEnabled);
    EXPECT_FALSE(b.stopEnabled);
    EXPECT_TRUE(b.window.clearEnabled);
    EXPECT_EQ(b.state.SampleCount, 0);
    EXPECT_EQ(b.window.points(), 20);   // a clear keeps the point count
    EXPECT_EQ(b.window.y(3, 0), NullReading);
    EXPECT_EQ(b.window.x(0), 0.0);
    for (const QString& a : b.window.avg)
        EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(b.window.dataNo, "");
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(b.saves, 0);
    b.ticks(3);
    EXPECT_EQ(b.sampleTimes.size(), 2u);
}

TEST_F(RecorderTest, ZeroRatesBecomeTwoSecondsAndSixtySixtyIsAnHourAndAMinute)
{
    Bench b(folder, 5);
    b.window.minutes = b.window.seconds = 0;
    b.recorder->RateChanged();   // nothing recorded: no question
    EXPECT_TRUE(b.answers.asked.isEmpty());
    EXPECT_EQ(b.window.minutes, 0);
    EXPECT_EQ(b.window.seconds, 2);
    EXPECT_EQ(b.link.State().RealTimeRate, 2);
    EXPECT_EQ(b.state.XExtension, 200 * kSecond);

    // 00:00 while the rate is 2 already: the boxes say 00:02 and nothing else happens.
    b.state.SampleCount = 4;
    b.window.seconds = 0;
    b.recorder->RateChanged();
    EXPECT_EQ(b.window.seconds, 2);
    EXPECT_TRUE(b.answers.asked.isEmpty());
    EXPECT_EQ(b.state.SampleCount, 4);
    b.state.SampleCount = 0;

    b.window.minutes = b.window.seconds = 60;
    b.recorder->RateChanged();
    EXPECT_EQ(b.link.State().RealTimeRate, 3660);
    // The window shows it as it was chosen; the dialog opens with it.
    b.run(QStringLiteral("5"), 60, 60);
    EXPECT_EQ(b.dialogShown.back().minutesIndex, 60);
    EXPECT_EQ(b.dialogShown.back().secondsIndex, 60);
    EXPECT_EQ(b.dialogShown.back().period, "2033:20:0");
    EXPECT_EQ(b.link.State().RealTimeRate, 3660);
    b.recorder->Stop();

    // A stored period the minutes box cannot show (61 minutes) is kept by a Start that leaves
    // the boxes alone.
    b.link.State().RealTimeRate = 3700;
    b.window.SetRateIndexes(61, 40);
    ASSERT_EQ(b.window.minutes, -1);
    b.answers.choices = {Answer::No};
    b.run(QStringLiteral("5"), -1, 40);
    EXPECT_EQ(b.link.State().RealTimeRate, 3700);
}

TEST_F(RecorderTest, UnusableCountsAreRefusedAndNothingIsReset)
{
    Bench b(folder);
    b.state.SampleCount = 0;
    const QString bad[] = {QStringLiteral("     "), QStringLiteral(""), QStringLiteral("  +12"),
                           QStringLiteral("-5"),    QStringLiteral("12a"), QStringLiteral("1 2"),
                           QStringLiteral("123456"), QStringLiteral("    0"), QStringLiteral("00000"),
                           QStringLiteral("0x1F")};
    for (const QString& text : bad) {
        b.answers.asked.clear();
        b.run(text, 0, 7);
        EXPECT_EQ(b.answers.asked, QStringList{text + QStringLiteral(" is not valid.\n")})
            << text.toStdString();
        EXPECT_FALSE(b.recording());
        EXPECT_EQ(b.window.points(), 100);
        EXPECT_EQ(b.link.State().RealTimeRate, 2);
        // The window's boxes keep the dialog's choice.
        EXPECT_EQ(b.window.seconds, 7);
    }
    EXPECT_FALSE(QFileInfo::exists(folder));

    for (const auto& [text, n] : {std::pair{QStringLiteral("99999"), 99999},
                                  std::pair{QStringLiteral("    1"), 1},
                                  std::pair{QStringLiteral("00042"), 42}}) {
        b.answers.asked.clear();
        b.answers.choices = {Answer::No};
        b.run(text, 0, 7);
        EXPECT_TRUE(b.recording()) << text.toStdString();
        EXPECT_EQ(b.window.points(), n);
        EXPECT_EQ(b.link.State().RealTimeRate, 7);
        b.recorder->Stop();
    }
}

TEST_F(RecorderTest, ClearAnsweredNoEmptiesTheGraphAndClosingStillAsks)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("5"));
    b.ticks(5);
    b.recorder->Stop();
    // Three annotations placed since the last clear, and the data point marker.
    b.window.chart.graphAnnotations.resize(7);
    for (int i = 2; i < 7; ++i)
        b.window.chart.graphAnnotations[std::size_t(i)] = {sg::sgAnnotCross, b.window.x(1), 25.0,
                                                           QStringLiteral("a%1").arg(i), 0};
    b.annotations.AnnotationCounter = 6;
    const QString journal = b.recorder->Journal().path();
    ASSERT_TRUE(QFileInfo::exists(journal));
    const double markX = b.window.x(1);

    b.answers.questionAnswer = false;
    b.recorder->Clear();
    EXPECT_EQ(b.answers.asked, QStringList{"Save Real-Time Graph ?"});
    EXPECT_EQ(b.saves, 0);
    EXPECT_EQ(b.window.undoZooms, 1);
    EXPECT_EQ(b.state.SampleCount, 0);
    EXPECT_EQ(b.window.points(), 3);   // the point count stays
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(b.window.y(1, p), NullReading);
    EXPECT_EQ(b.window.dataNo, "");
    for (std::size_t s = 0; s < 4; ++s) {
        EXPECT_EQ(b.window.max[s], "");
        EXPECT_EQ(b.window.min[s], "");
        EXPECT_EQ(b.window.avg[s], "");
    }
    for (int i = 3; i <= 6; ++i) {
        EXPECT_EQ(b.window.chart.graphAnnotations[std::size_t(i)].x, 0.0) << i;
        EXPECT_EQ(b.window.chart.graphAnnotations[std::size_t(i)].y, 0.0) << i;
    }
    EXPECT_EQ(b.window.chart.graphAnnotations[2].x, markX);   // the data point marker stays
    EXPECT_EQ(b.annotations.AnnotationCounter, 3);
    EXPECT_TRUE(b.unsaved.RealTimeUnsaved);   // closing afterwards still asks
    EXPECT_FALSE(QFileInfo::exists(journal));
}

TEST_F(RecorderTest, AYesWhoseSaveDidNotHappenKeepsTheData)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("5"));
    b.ticks(3);
    b.recorder->Stop();
    const QString journal = b.recorder->Journal().path();

    b.saveSucceeds = false;
    b.answers.questionAnswer = true;
    b.recorder->Clear();
    b.answers.choices = {Answer::Yes};
    b.run(QStringLiteral("5"));
    b.answers.choices = {Answer::Yes};
    b.window.seconds = 9;
    b.recorder->RateChanged();
    EXPECT_EQ(b.saves, 3);
    EXPECT_EQ(b.dialogShown.size(), 1u);
    EXPECT_EQ(b.state.SampleCount, 2);
    EXPECT_EQ(b.window.y(0, 1), values[1][0]);
    EXPECT_EQ(b.window.seconds, 2);
    EXPECT_EQ(b.link.State().RealTimeRate, 2);
    EXPECT_TRUE(QFileInfo::exists(journal));

    // Saved: the journal has done its work.
    b.saveSucceeds = true;
    b.answers.choices = {Answer::Yes};
    b.run(QStringLiteral("5"));
    EXPECT_EQ(b.saves, 4);
    EXPECT_EQ(b.dialogShown.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_TRUE(b.recording());
}

TEST_F(RecorderTest, AMeterThatVanishesAndReturnsLeavesAGapButNoLostSample)
{
    Bench b(folder, 1);
    watch(b);
    b.run(QStringLiteral("100"), 0, 1);
    b.ticks(4);
    ASSERT_EQ(b.state.SampleCount, 4);
    b.meter.fallSilent(6500);
    const int syncsBefore = b.recorder->Journal().syncCount();
    b.ticks(3);
    EXPECT_EQ(b.view.events.last(), "lost");
    EXPECT_FALSE(b.link.State().Connected);
    EXPECT_TRUE(b.recording());   // a lost meter does not end a recording
    b.ticks(3);
    EXPECT_EQ(b.state.SampleCount, 4);
    EXPECT_GT(b.recorder->Journal().syncCount(), syncsBefore);   // synced while nothing comes
    const int beforeReturn = b.state.SampleCount;
    EXPECT_GE(beforeReturn, 4);
    int guard = 0;
    while (b.state.SampleCount == beforeReturn && ++guard < 20)
        b.tick();
    EXPECT_EQ(b.view.events.last(), "connected");
    b.ticks(3);
    ASSERT_EQ(b.state.SampleCount, int(b.sampleTimes.size()));
    // The samples after the gap follow on at the next points; the line joins across the gap.
    qint64 longest = 0;
    for (int p = 1; p < b.state.SampleCount; ++p)
        longest = std::max(longest, msBetween(b.window.x(p - 1), b.window.x(p)));
    EXPECT_GE(longest, 5000);
    b.recorder->Stop();
    const RecoveredJournal j = readJournal(b.recorder->Journal().path());
    EXPECT_EQ(int(j.samples.size()), b.state.SampleCount);
}

TEST_F(RecorderTest, StopDuringATickWaitsForItAtMostTwoAndAHalfSeconds)
{
    Bench b(folder);
    b.run(QStringLiteral("5"));
    b.link.State().InMainTick = true;   // as if the tick had let Stop run in its middle
    const std::int64_t t0 = b.clock.TickMs();
    b.recorder->Stop();
    EXPECT_EQ(b.clock.TickMs() - t0, 2500);
    EXPECT_EQ(b.pauses, 250);
    EXPECT_FALSE(b.recording());
    b.link.State().InMainTick = false;

    // A tick that ends after 300 ms lets Stop go on at once.
    b.run(QStringLiteral("5"));
    b.link.State().InMainTick = true;
    b.pauses = 0;
    const std::int64_t t1 = b.clock.TickMs();
    b.onPause = [&] {
        b.simClock.advanceMs(10);
        if (b.clock.TickMs() - t1 >= 300)
            b.link.State().InMainTick = false;
    };
    b.recorder->Stop();
    EXPECT_EQ(b.clock.TickMs() - t1, 300);
    EXPECT_FALSE(b.recording());
    EXPECT_EQ(b.window.chart.settings.manualMaxX, b.clock.Now());
}

TEST_F(RecorderTest, ClosingTheWindowWhileRecordingEndsItAndGivesTheJournalUpOnlyWhenAnswered)
{
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("50"));
    b.ticks(4);
    const QString journal = b.recorder->Journal().path();
    // The closing question was answered No: the mark is given up, then the window goes.
    b.unsaved.RealTimeUnsaved = false;
    b.windowOpen = false;
    b.recorder->WindowClosed();
    EXPECT_FALSE(b.recording());
    EXPECT_EQ(b.state.SampleCount, 0);
    EXPECT_TRUE(b.runEnabled);   // connected
    EXPECT_FALSE(b.stopEnabled);
    for (const QString& a : b.window.avg)
        EXPECT_TRUE(a.isEmpty());   // no averages
    EXPECT_FALSE(QFileInfo::exists(journal));
    b.ticks(3);
    EXPECT_EQ(b.sampleTimes.size(), 2u);

    // Gone without the question (the program's end without a close): the journal stays.
    b.windowOpen = true;
    b.answers.choices = {Answer::No};
    b.run(QStringLiteral("50"));
    b.ticks(2);
    b.windowOpen = false;
    ASSERT_TRUE(b.unsaved.RealTimeUnsaved);
    b.recorder->WindowClosed();
    EXPECT_FALSE(b.recorder->Journal().writing());
    EXPECT_EQ(readJournal(b.recorder->Journal().path()).samples.size(), 1u);
}

TEST_F(RecorderTest, AJournalThatCannotBeWrittenIsReportedOnceAndTheRecordingGoesOn)
{
    QDir().mkpath(tmp.path(QString()));
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Bench b(folder);
    watch(b);
    b.run(QStringLiteral("10"));
    b.ticks(8);
    EXPECT_EQ(b.state.SampleCount, 4);
    EXPECT_TRUE(b.recording());
    ASSERT_EQ(b.reports.size(), 1);
    EXPECT_TRUE(b.reports[0].contains(QStringLiteral("goes on without it")));
    EXPECT_EQ(b.window.y(2, 3), values[3][2]);

    // With the folder back, the next recording clears the report.
    b.recorder->Stop();
    ASSERT_TRUE(QFile::remove(folder));
    b.answers.choices = {Answer::No};
    b.run(QStringLiteral("10"));
    ASSERT_EQ(b.reports.size(), 2);
    EXPECT_TRUE(b.reports[1].isEmpty());
    EXPECT_TRUE(b.recorder->Journal().writing());
}

// ---- the set-up dialog's rules ---------------------------------------------------------------

TEST(RealTimeSetupRules, PeriodTextsAndCounts)
{
    using namespace RealTimeSetup;
    EXPECT_EQ(periodAtOpen(2), "1:6:40");
    EXPECT_EQ(periodAtOpen(1), "0:33:20");
    EXPECT_EQ(periodAtOpen(3660), "2033:20:0");
    EXPECT_EQ(period(QStringLiteral(" 2000"), 0, 2), "1:06:40");
    EXPECT_EQ(period(QStringLiteral("99999"), 60, 60), "101665:39:00");   // no overflow
    EXPECT_EQ(period(QStringLiteral("  abc"), 0, 2), "0:00:00");
    EXPECT_EQ(period(QStringLiteral("    7"), 0, 9), "0:01:03");

    int m = 0, s = 0;
    EXPECT_TRUE(fixZeroRate(m, s));
    EXPECT_EQ(s, 2);
    m = 0, s = 5;
    EXPECT_FALSE(fixZeroRate(m, s));
    EXPECT_EQ(rateOf(1, 5, 2), 65);
    EXPECT_EQ(rateOf(-1, 10, 3725), 3730);
    EXPECT_EQ(rateOf(2, -1, 3725), 125);

    EXPECT_EQ(parseCount(QStringLiteral(" 2000")), 2000);
    EXPECT_EQ(parseCount(QStringLiteral("\t12 ")), 12);
    for (const char* bad : {"", "   ", "0", "-1", "+1", "1e3", "١٢", "100000", "12 3"})
        EXPECT_FALSE(parseCount(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_EQ(invalidCountText(QStringLiteral("   ")), "    is not valid.\n");
}
