// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder in the main window: the commands while the meter is lost and back, the window's
// rate boxes and Clear, closing the window while recording, the journal's failure in the status
// bar, the recovery of a journal at start-up, and a whole recording on the simulated meter
// (Run with the set-up dialog, the stop at the count, closing the program, the rate kept), the
// unit of the recording and the Y axes that follow it, and the follow button kept between runs.

#include "AppTestSupport.h"
#include "support/ScriptedPrompts.h"

#include "base/DateTime.h"
#include "app/FileCommands.h"
#include "base/NullReading.h"
#include "app/RecorderWiring.h"
#include "app/UMain.h"
#include "graph/Chart.h"
#include "graph/RecordingJournal.h"
#include "graph/TempFolder.h"
#include "graph/USetupRealtime.h"
#include "graph/UGraph.h"
#include "tools/sim/PtyServer.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace {

void noSystemDevices(QStringList&) {}

constexpr double kSecond = DateTime::OneSecond;

struct RecorderShell {
    TempDataFolder data;
    PrivateSettings settings;
    ScriptedPrompts answers;
    std::unique_ptr<TfrmMain> w;
    // How the set-up dialog is answered: the count and the boxes, then Start.
    QString count = QStringLiteral("    3");
    int minutes = 0, seconds = 2;
    bool cancelDialog = false;
    RealTimeSetupFields opened;   // what the dialog showed when it opened

    RecorderShell()
    {
        w = std::make_unique<TfrmMain>(QStringList{}, nullptr, &noSystemDevices);
        w->SetPrompts(answers.prompts());
        w->RealTime().SetDialogRunner([this](QDialog& d) {
            auto& dialog = dynamic_cast<TfrmSetupRealTime&>(d);
            opened = dialog.fields();
            if (cancelDialog)
                return int(QDialog::Rejected);
            dialog.SetCountText(count);
            dialog.ComboBox1->setCurrentIndex(minutes);
            dialog.ComboBox2->setCurrentIndex(seconds);
            return int(QDialog::Accepted);
        });
        w->resize(1200, 800);
        w->show();
        EXPECT_TRUE(waitFor([&] { return w->StartupDone(); }, 30000));
        QCoreApplication::processEvents();   // the queued recovery offer
        // The ticks are the test's: no watchdog declares the meter lost behind its back.
        w->MainTimer->stop();
        answers.asked.clear();   // the missing template
    }
    void connectMeter()
    {
        w->Link().State().Connected = true;
        w->MeterConnected(QStringLiteral("/dev/ttyUSB0"));
    }
    TfrmGraph& rt() const { return *w->RealTimeWindow; }
    QStringList journals() const
    {
        return QDir(data.path(QStringLiteral("journal"))).entryList({"*.csv"}, QDir::Files);
    }
};

} // namespace

TEST(RecorderShell, ALostMeterTakesRunAndStopAwayAndItsReturnGivesStopBack)
{
    RecorderShell s;
    s.connectMeter();
    s.count = QStringLiteral("100");
    s.w->Run1->trigger();
    ASSERT_TRUE(s.w->Recorder().RealTimeRecording);
    s.w->MeterLost(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(s.w->Run1->isEnabled());
    EXPECT_FALSE(s.w->Stop1->isEnabled());
    EXPECT_FALSE(s.rt().tbntClr->isEnabled());
    EXPECT_TRUE(s.w->Recorder().RealTimeRecording);
    s.w->MeterConnected(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(s.w->Run1->isEnabled());
    EXPECT_TRUE(s.w->Stop1->isEnabled());
    EXPECT_FALSE(s.rt().tbntClr->isEnabled());
    s.w->RealTime().SampleDue(DateTime::now());
    s.w->btnStop->click();
    EXPECT_FALSE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.rt().Chart1->Points(), 1);
    EXPECT_TRUE(s.w->Run1->isEnabled());

    // After Stop, Run stays on even while the meter is away; Run then does nothing.
    s.w->Link().State().Connected = false;
    s.w->Stop1->setEnabled(true);
    s.w->Stop1->trigger();
    EXPECT_TRUE(s.w->Run1->isEnabled());
    const int asked = int(s.answers.asked.size());
    s.w->Run1->trigger();
    EXPECT_EQ(s.answers.asked.size(), asked);
    EXPECT_FALSE(s.w->Recorder().RealTimeRecording);
}

TEST(RecorderShell, TheWindowsRateBoxesAndClearGoToTheRecorder)
{
    RecorderShell s;
    TfrmGraph& rt = s.rt();
    rt.ComboBox2->setCurrentIndex(7);
    emit rt.ComboBox2->activated(7);
    EXPECT_EQ(s.w->Link().State().RealTimeRate, 7);
    EXPECT_EQ(s.w->Recorder().XExtension, 700 * kSecond);
    EXPECT_TRUE(s.answers.asked.isEmpty());   // nothing recorded: nothing asked

    s.connectMeter();
    s.w->Run1->trigger();
    s.w->RealTime().SampleDue(DateTime::now());
    s.w->Stop1->trigger();
    s.answers.questionAnswer = false;
    rt.tbntClr->click();
    EXPECT_EQ(s.answers.asked, QStringList{"Save Real-Time Graph ?"});
    EXPECT_EQ(rt.txtDataNo->text(), "");
    EXPECT_EQ(s.w->Recorder().SampleCount, 0);
    EXPECT_FALSE(rt.UndoZoom->isEnabled());
    EXPECT_TRUE(s.journals().isEmpty());

    // A second window never exists; the one window stays attached once.
    s.w->RealTimeGraph1->trigger();
    s.answers.asked.clear();
    rt.tbntClr->click();
    EXPECT_EQ(s.answers.asked.size(), 1);
}

// Run (F5) brings the real-time window to the front, before its question too; while the
// recording runs the status bar tells how far it is; Stop (F6) ends it and the account.
TEST(RecorderShell, RunComesToTheFrontAndTheStatusBarFollowsTheRecording)
{
    RecorderShell s;
    s.connectMeter();
    QMdiSubWindow* realTime = GraphWindows::SubWindowOf(s.rt());
    TfrmGraph* logger = s.w->OpenLoggerGraph();
    ASSERT_EQ(s.w->MdiArea->activeSubWindow(), GraphWindows::SubWindowOf(*logger));
    EXPECT_EQ(s.w->Run1->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(s.w->Stop1->shortcut(), QKeySequence(Qt::Key_F6));

    s.count = QStringLiteral("40");
    s.w->Link().State().SampleTicks = 0;
    s.w->Run1->trigger();
    EXPECT_EQ(s.w->MdiArea->activeSubWindow(), realTime);
    ASSERT_TRUE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.w->RealTime().RecordingStatusText(),
              "Recording: 0 of 40 samples, 0:00:00 elapsed, next sample in 2 s");
    s.w->RealTime().SampleDue(DateTime::now());
    s.w->Link().State().SampleTicks = 1;
    s.w->RealTime().Tick();
    EXPECT_TRUE(s.w->RealTime().RecordingStatusText().startsWith("Recording: 1 of 40 samples, 0:00:0"));
    EXPECT_TRUE(s.w->RealTime().RecordingStatusText().endsWith("next sample in 1 s"));
    s.w->Link().State().Connected = false;
    s.w->RealTime().Tick();
    EXPECT_TRUE(s.w->RealTime().RecordingStatusText().endsWith("no meter, no samples"));
    s.connectMeter();

    // The question about the recorded data is asked with the real-time window in front.
    s.w->Stop1->trigger();
    EXPECT_EQ(s.w->RealTime().RecordingStatusText(), "");
    s.w->MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*logger));
    QMdiSubWindow* activeWhenAsked = nullptr;
    UserPrompts prompts = s.answers.prompts();
    prompts.choice = [&, ask = prompts.choice](const QString& t) {
        activeWhenAsked = s.w->MdiArea->activeSubWindow();
        return ask(t);
    };
    s.w->SetPrompts(prompts);
    s.answers.choices = {Answer::Cancel};
    s.w->Run1->trigger();
    EXPECT_EQ(activeWhenAsked, realTime);
    EXPECT_FALSE(s.w->Recorder().RealTimeRecording);
}

TEST(RecorderShell, ClosingTheWindowWhileRecordingAsksAndNoEndsTheRecording)
{
    RecorderShell s;
    s.connectMeter();
    s.count = QStringLiteral("50");
    s.w->Run1->trigger();
    s.w->RealTime().SampleDue(DateTime::now());
    QMdiSubWindow* sub = GraphWindows::SubWindowOf(s.rt());

    s.answers.choices = {Answer::Cancel};
    sub->close();
    EXPECT_TRUE(s.w->RealTimeWindow);
    EXPECT_TRUE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.journals().size(), 1);

    s.answers.choices = {Answer::No};
    sub->close();
    EXPECT_TRUE(waitFor([&] { return s.w->RealTimeWindow.isNull(); }, 2000));
    EXPECT_FALSE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.w->Recorder().SampleCount, 0);
    EXPECT_FALSE(s.w->Stop1->isEnabled());
    EXPECT_TRUE(s.w->Run1->isEnabled());
    EXPECT_FALSE(s.w->RealTimeGraph1->isChecked());
    EXPECT_TRUE(s.journals().isEmpty());
    // A sample due now finds no window and changes nothing.
    s.w->RealTime().SampleDue(DateTime::now());
    EXPECT_EQ(s.w->Recorder().SampleCount, 0);

    // Run opens a new window.
    s.w->Run1->trigger();
    ASSERT_TRUE(s.w->RealTimeWindow);
    EXPECT_TRUE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.rt().Chart1->Points(), 50);
}

TEST(RecorderShell, AJournalThatCannotBeWrittenIsShownOnceInTheStatusBar)
{
    RecorderShell s;
    QFile blocker(s.data.path(QStringLiteral("journal")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    s.connectMeter();
    s.count = QStringLiteral("10");
    s.w->Run1->trigger();
    const double t0 = DateTime::now();
    for (int k = 0; k < 4; ++k)
        s.w->RealTime().SampleDue(t0 + k * 2 * kSecond);
    EXPECT_EQ(s.rt().txtDataNo->text(), "4");
    auto* label = s.w->StatusBar1->findChild<QLabel*>(QStringLiteral("JournalStatus"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisibleTo(s.w.get()));
    EXPECT_TRUE(s.w->RealTime().JournalStatusText().contains("cannot be created"));
    EXPECT_EQ(label->toolTip(), s.w->RealTime().JournalStatusText());
    // The connection's panels are still there.
    EXPECT_TRUE(s.w->StatusPanels[1]->isVisibleTo(s.w.get()));
    EXPECT_EQ(s.w->StatusText(1), "On Connection");
}

namespace {

// A journal left by a recording that was killed: n samples.
std::vector<MachineSample> leaveJournal(const QString& folder, int n)
{
    ManualClock clock;
    RecordingJournal j(clock, {}, folder);
    const QDateTime start(QDate(2026, 3, 4), QTime(9, 30, 0));
    j.start({DateTime::fromQDateTime(start), 2, 500, true});
    std::vector<MachineSample> samples;
    for (int k = 0; k < n; ++k) {
        MachineSample s{DateTime::fromQDateTime(start.addMSecs(2000LL * k)),
                        {20.5f + k * 0.1f, -3.25f, 1000.0f / (k + 3), k == 2 ? NullReading : 99.5f},
                        TemperatureUnit::Celsius};
        j.append(s.time, s.values[0], s.values[1], s.values[2], s.values[3], s.unit);
        samples.push_back(s);
    }
    return samples;   // the journal is closed and kept, as a killed program leaves it
}

} // namespace

TEST(RecorderShell, AJournalLeftByACrashIsOfferedAndOpenedAsAPlainGraph)
{
    TempDataFolder data;
    const QString folder = data.path(QStringLiteral("journal"));
    const std::vector<MachineSample> samples = leaveJournal(folder, 12);
    PrivateSettings settings;
    ScriptedPrompts answers;
    answers.questionAnswer = true;
    TfrmMain w({}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    w.resize(1200, 800);
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.Graphs().Windows().size() == 2; }, 30000));
    w.MainTimer->stop();

    EXPECT_TRUE(std::any_of(answers.asked.begin(), answers.asked.end(), [](const QString& t) {
        return t.contains("12 samples") && t.contains("Do you want to open it ?");
    })) << answers.asked.join('|').toStdString();
    TfrmGraph* g = nullptr;
    for (TfrmGraph* c : w.Graphs().Windows())
        if (c->Role() == GraphRole::Plain)
            g = c;
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->windowTitle().startsWith("Recovered recording of "));
    // Where an opened graph file goes, not a corner's minimum.
    EXPECT_EQ(GraphWindows::SubWindowOf(*g)->geometry(),
              QRect(0, 0, w.width(), w.MdiArea->height() - 40));
    Chart& c = *g->Chart1;
    ASSERT_EQ(c.Subsets(), 4);
    ASSERT_EQ(c.Points(), 12);
    for (int k = 0; k < 12; ++k)
        for (int s = 0; s < 4; ++s) {
            EXPECT_EQ(c.XDataII(s, k), samples[std::size_t(k)].time);
            EXPECT_EQ(c.YData(s, k), samples[std::size_t(k)].values[std::size_t(s)]);
        }
    EXPECT_EQ(g->txtDataNo->text(), "12");
    EXPECT_EQ(g->ComboBox2->currentText(), "02");
    EXPECT_EQ(g->txtMax[0]->text().left(5), "21.6@");   // the twelfth sample
    EXPECT_FALSE(g->tbntClr->isVisibleTo(g));
    EXPECT_TRUE(QDir(folder).entryList({"*.csv"}, QDir::Files).isEmpty());
    const auto recovered = [&] {
        return QDir(folder + "/recovered").entryList({"*.csv"}, QDir::Files);
    };
    EXPECT_EQ(recovered().size(), 1);

    // Never saved, it counts as unsaved: closing it asks, as the real-time window does, and its
    // journal stays in recovered/ until it is saved.
    QMdiSubWindow* sub = GraphWindows::SubWindowOf(*g);
    answers.asked.clear();
    answers.choices = {Answer::Cancel};
    sub->close();
    EXPECT_EQ(answers.asked, QStringList{"Save Real-Time Graph ?"});
    ASSERT_TRUE(w.Graphs().Windows().contains(g));
    const QString saved = data.path(QStringLiteral("recovered.ghf"));
    w.Files().SetDialogRunner([&](QDialog& d) {
        dynamic_cast<QFileDialog&>(d).selectFile(saved);
        return int(QDialog::Accepted);
    });
    answers.choices = {Answer::Yes};
    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(w.Graphs().Windows().size(), 1);
    EXPECT_TRUE(recovered().isEmpty());
}

// Two copies of the program on one data folder: the second does not offer the journal that the
// first is writing as a crashed recording's, and leaves it where it is.
TEST(RecorderShell, ASecondRunningCopyLeavesTheFirstOnesJournalAlone)
{
    RecorderShell first;
    first.connectMeter();
    first.count = QStringLiteral("100");
    first.w->Run1->trigger();
    first.w->RealTime().SampleDue(DateTime::now());
    ASSERT_EQ(first.journals().size(), 1);

    ScriptedPrompts answers;
    answers.questionAnswer = true;
    TfrmMain second({}, nullptr, &noSystemDevices);
    second.SetPrompts(answers.prompts());
    second.show();
    ASSERT_TRUE(waitFor([&] { return second.StartupDone(); }, 30000));
    QCoreApplication::processEvents();   // the queued recovery offer
    second.MainTimer->stop();
    for (const QString& q : answers.asked)
        EXPECT_FALSE(q.contains(QStringLiteral("Do you want to open it ?"))) << q.toStdString();
    EXPECT_EQ(second.Graphs().Windows().size(), 1);
    EXPECT_EQ(first.journals().size(), 1);
    first.w->RealTime().SampleDue(DateTime::now());
    EXPECT_EQ(first.w->Recorder().SampleCount, 2);
    EXPECT_EQ(readJournal(first.w->RealTime().Recorder().Journal().path()).samples.size(), 2u);
}

// The whole road on the simulated meter behind a pseudo-terminal, in real time: the main timer
// hands the samples over, the recording ends by itself, the journal holds what the chart holds.
// T3 has no thermocouple: the panel shows "- - - -", and the recording holds no value for it.
TEST(RecorderShell, RecordsTheSimulatedMeterEndToEnd)
{
    TempDataFolder data;
    PrivateSettings settings;
    sim::PtyOptions options;
    options.meter.unplugged[2] = true;
    sim::PtyServer meter{options};
    const QString path = meter.start();
    ScriptedPrompts answers;
    TfrmMain w({path}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    w.RealTime().SetDialogRunner([](QDialog& d) {
        auto& s = dynamic_cast<TfrmSetupRealTime&>(d);
        s.SetCountText(QStringLiteral("    3"));
        s.ComboBox1->setCurrentIndex(0);
        s.ComboBox2->setCurrentIndex(1);
        return int(QDialog::Accepted);
    });
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(w.IsConnected());
    ASSERT_TRUE(waitFor([&] { return w.Reading().Channel[0] != 0.0f; }, 5000));
    TfrmGraph& rt = *w.RealTimeWindow;
    // Keeping the readings in view is on in a fresh installation.
    ASSERT_TRUE(rt.btnFollowY->isVisibleTo(&rt));
    ASSERT_TRUE(rt.btnFollowY->isChecked());
    w.Run1->trigger();
    ASSERT_TRUE(w.Recorder().RealTimeRecording);
    EXPECT_EQ(rt.Chart1->Unit(), QStringLiteral("°C"));
    EXPECT_EQ(rt.lblUnit->text(), QStringLiteral("Readings in °C"));
    EXPECT_FALSE(rt.tbntClr->isEnabled());
    EXPECT_TRUE(w.btnStop->isEnabled());
    EXPECT_EQ(rt.ComboBox2->currentText(), "01");
    ASSERT_TRUE(waitFor([&] { return !w.Recorder().RealTimeRecording; }, 15000));
    ASSERT_EQ(rt.Chart1->Points(), 3);
    EXPECT_EQ(rt.txtDataNo->text(), "3");
    for (int p = 0; p < 3; ++p)
        for (int s : {0, 1, 3}) {
            EXPECT_GT(rt.Chart1->YData(s, p), 10.0f);
            EXPECT_LT(rt.Chart1->YData(s, p), 40.0f);
        }
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(rt.Chart1->YData(2, p), NullReading) << p;
    EXPECT_GT(rt.Chart1->XDataII(0, 2), rt.Chart1->XDataII(0, 1));
    for (int s : {0, 1, 3})
        EXPECT_NE(rt.txtAvg[s]->text(), "****");
    EXPECT_EQ(rt.txtAvg[2]->text(), "****");
    EXPECT_EQ(rt.txtMax[2]->text(), "");
    EXPECT_EQ(rt.txtMin[2]->text(), "");
    // Each pane's Y axis followed its readings (T3 has none).
    for (int pane : {0, 1, 3}) {
        const std::optional<YExtent> y = rt.Chart1->FittedY(pane);
        ASSERT_TRUE(y) << pane;
        for (int p = 0; p < 3; ++p)
            EXPECT_TRUE(y->contains(rt.Chart1->YData(pane, p))) << pane;
    }
    EXPECT_TRUE(w.Run1->isEnabled());
    EXPECT_FALSE(w.Stop1->isEnabled());
    EXPECT_TRUE(rt.tbntClr->isEnabled());

    const QStringList pending = pendingJournals(data.path(QStringLiteral("journal")));
    ASSERT_EQ(pending.size(), 1);
    const RecoveredJournal j = readJournal(pending[0]);
    ASSERT_EQ(j.samples.size(), 3u);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(j.samples[std::size_t(p)].time, rt.Chart1->XDataII(0, p));
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(j.samples[std::size_t(p)].values[std::size_t(s)], rt.Chart1->YData(s, p));
    }
    // The end of the program asks; No gives the recording and its journal up. The rate stays.
    answers.choices = {Answer::No};
    w.close();
    EXPECT_TRUE(answers.asked.contains("Save Real-Time Graph ?"));
    EXPECT_TRUE(pendingJournals(data.path(QStringLiteral("journal"))).isEmpty());
    EXPECT_EQ(Settings::Read().RealTimeRate, 1);
    EXPECT_EQ(Settings::Read().FollowY, 1);
}

TEST(RecorderShell, KeepingTheReadingsInViewIsRememberedBetweenRuns)
{
    TempDataFolder data;
    PrivateSettings settings;
    ScriptedPrompts answers;
    {
        TfrmMain w({}, nullptr, &noSystemDevices);
        w.SetPrompts(answers.prompts());
        w.show();
        ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
        ASSERT_TRUE(w.RealTimeWindow->btnFollowY->isChecked());
        w.RealTimeWindow->btnFollowY->click();
        w.close();
    }
    EXPECT_EQ(Settings::Read().FollowY, 0);
    TfrmMain w({}, nullptr, &noSystemDevices);
    w.SetPrompts(answers.prompts());
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    EXPECT_FALSE(w.RealTimeWindow->btnFollowY->isChecked());
    w.close();
}
