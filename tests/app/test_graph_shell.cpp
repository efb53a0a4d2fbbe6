// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the shell of its graph windows: the real-time window at start-up beside
// the panel, at most one real-time and one logger window, what closing them does to the
// commands, the commands that follow the link state, the shared annotation colour kept in the
// settings, and closing the program with unsaved graphs; and the end of the program while the
// start-up search still runs.

#include "AppTestSupport.h"
#include "support/ScriptedPrompts.h"

#include "app/FileCommands.h"
#include "app/UAbout.h"
#include "app/UMain.h"
#include "graph/Chart.h"
#include "graph/TempFolder.h"
#include "graph/UGraph.h"
#include "graph/USetupScale.h"
#include "panel/UPanel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

void noSystemDevices(QStringList&) {}

struct Shell {
    TempDataFolder data;   // as a fresh installation has it: empty
    PrivateSettings settings;
    ScriptedPrompts answers;
    std::unique_ptr<TfrmMain> w;

    // stored: the settings the program finds at its start.
    explicit Shell(const std::function<void(Settings&)>& stored = {})
    {
        if (stored) {
            Settings s = Settings::Read();
            stored(s);
            s.Write();
        }
        w = std::make_unique<TfrmMain>(QStringList{}, nullptr, &noSystemDevices);
        w->SetPrompts(answers.prompts());
        w->resize(1200, 800);
        w->show();
        EXPECT_TRUE(waitFor([&] { return w->StartupDone(); }, 30000));
    }
    QMdiSubWindow* sub(TfrmGraph* g) const { return GraphWindows::SubWindowOf(*g); }
    int graphWindows() const { return int(w->Graphs().Windows().size()); }
};

} // namespace

TEST(GraphShell, StartUpOpensTheRealTimeGraphBesideThePanel)
{
    Shell s([](Settings& stored) { stored.RealTimeRate = 75; });
    TfrmMain& w = *s.w;
    ASSERT_TRUE(w.RealTimeWindow);
    TfrmGraph& rt = *w.RealTimeWindow;
    EXPECT_EQ(rt.windowTitle(), "Real-Time Graph");
    EXPECT_EQ(rt.Role(), GraphRole::RealTime);
    EXPECT_TRUE(w.RealTimeGraph1->isChecked());
    QMdiSubWindow* sub = GraphWindows::SubWindowOf(rt);
    ASSERT_NE(sub, nullptr);
    const int panelWidth = w.PanelWindow->parentWidget()->width();
    EXPECT_EQ(sub->geometry().topLeft(), QPoint(panelWidth, 0));
    EXPECT_EQ(sub->width(), w.width() - panelWidth - 5);
    EXPECT_EQ(sub->height(),
              w.height() - w.Panel1->height() - w.StatusBar1->height() - 40);
    EXPECT_EQ(w.MdiArea->activeSubWindow(), sub);

    // Ready to record: Clear shown, the rate boxes usable and showing the stored rate, four
    // channels of 100 points, samples always joined.
    EXPECT_TRUE(rt.tbntClr->isVisibleTo(&rt));
    EXPECT_TRUE(rt.pnlSamplingRate->isEnabled());
    EXPECT_EQ(rt.ComboBox1->currentText(), "01");
    EXPECT_EQ(rt.ComboBox2->currentText(), "15");
    EXPECT_EQ(rt.Chart1->Subsets(), 4);
    EXPECT_EQ(rt.Chart1->Points(), 100);
    EXPECT_EQ(rt.Chart1->LineGapThreshold(), 1e20);
    EXPECT_FALSE(rt.Chart1->AllowBar());
    EXPECT_FALSE(rt.pnlDataSets->isVisible());
    EXPECT_NEAR(rt.Chart1->ManualMaxX() - rt.Chart1->ManualMinX(), 110.0 / 86400, 1e-9);
    EXPECT_NEAR(w.Recorder().XExtension, 10.0 / 86400, 1e-12);
    // A first start writes the template from the defaults: nothing is asked, the window has
    // the default look, and "Save this setting " of the Y axis dialog keeps new extents there.
    EXPECT_TRUE(s.answers.asked.isEmpty()) << s.answers.asked.join('|').toStdString();
    const QString templatePath = s.data.path(QStringLiteral("template/graph.ghf"));
    ASSERT_TRUE(QFileInfo::exists(templatePath));
    EXPECT_EQ(rt.Chart1->SubsetColors(0), QColor(0, 0, 255));
    EXPECT_EQ(rt.Chart1->SubsetColors(3), QColor(255, 0, 255));
    EXPECT_EQ(rt.Chart1->MultiAxesProportions(3), 0.25);
    rt.SetDialogRunner([](QDialog& d) {
        auto& scale = dynamic_cast<TfrmSetupScale&>(d);
        scale.edtT2Max->setText(QStringLiteral("450"));
        scale.chkSave->setChecked(true);
        return int(QDialog::Accepted);
    });
    rt.btnChangeScale->click();
    EXPECT_TRUE(s.answers.asked.isEmpty()) << s.answers.asked.join('|').toStdString();
    TfrmGraph* logger = w.OpenLoggerGraph();
    logger->Chart1->SetWorkingAxis(1);
    EXPECT_EQ(logger->Chart1->ManualMaxY(), 450.0);
    EXPECT_TRUE(s.answers.asked.isEmpty()) << s.answers.asked.join('|').toStdString();

    // A template the user deletes is missed again, by its full path, and not made anew.
    ASSERT_TRUE(QFile::remove(templatePath));
    s.sub(logger)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w.OpenLoggerGraph();
    ASSERT_EQ(s.answers.asked.size(), 1);
    EXPECT_TRUE(s.answers.asked[0].startsWith("Can not fine the file " + templatePath));
    EXPECT_FALSE(QFileInfo::exists(templatePath));
}

TEST(GraphShell, AtMostOneRealTimeWindowAndClosingItResetsTheRecording)
{
    Shell s;
    TfrmGraph* first = s.w->RealTimeWindow;
    ASSERT_NE(first, nullptr);
    s.sub(first)->showMinimized();
    s.w->RealTimeGraph1->trigger();
    EXPECT_EQ(s.w->RealTimeWindow, first);
    EXPECT_FALSE(s.sub(first)->isMinimized());
    EXPECT_EQ(s.graphWindows(), 1);

    s.w->Recorder().RealTimeRecording = true;
    s.w->Recorder().SampleCount = 17;
    s.w->Stop1->setEnabled(true);
    s.w->Unsaved().LoggerDataUnsaved = true;
    s.w->Unsaved().RealTimeUnsaved = true;
    s.answers.choices = {Answer::No};
    s.sub(first)->close();
    EXPECT_TRUE(waitFor([&] { return s.w->RealTimeWindow.isNull(); }, 2000));
    EXPECT_FALSE(s.w->RealTimeGraph1->isChecked());
    EXPECT_FALSE(s.w->Recorder().RealTimeRecording);
    EXPECT_EQ(s.w->Recorder().SampleCount, 0);
    EXPECT_FALSE(s.w->Stop1->isEnabled());
    EXPECT_FALSE(s.w->btnStop->isEnabled());
    EXPECT_FALSE(s.w->Run1->isEnabled()); // no meter connected
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
    EXPECT_FALSE(s.w->Unsaved().RealTimeUnsaved);

    s.w->RealTimeGraph1->trigger();
    ASSERT_TRUE(s.w->RealTimeWindow);
    EXPECT_NE(s.w->RealTimeWindow.data(), first);
    EXPECT_TRUE(s.w->RealTimeGraph1->isChecked());
    EXPECT_EQ(s.graphWindows(), 1);
}

TEST(GraphShell, LoggerWindowAcrossTheAreaOnceAndItsMarkGoesWithIt)
{
    Shell s;
    TfrmGraph* logger = s.w->OpenLoggerGraph();
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(s.w->LoggerWindow, logger);
    EXPECT_EQ(logger->Role(), GraphRole::Logger);
    QMdiSubWindow* sub = s.sub(logger);
    EXPECT_EQ(sub->geometry(), QRect(0, 0, s.w->MdiArea->width(), s.w->MdiArea->height() - 60));
    EXPECT_TRUE(logger->pnlDataSets->isVisible());
    EXPECT_FALSE(logger->tbntClr->isVisibleTo(logger));
    EXPECT_FALSE(logger->pnlSamplingRate->isEnabled());
    EXPECT_TRUE(logger->Chart1->AllowGraphAnnotHotSpots());
    EXPECT_EQ(logger->Chart1->Subsets(), 1);
    EXPECT_EQ(logger->Chart1->Points(), 500);
    EXPECT_EQ(logger->Grid2->columnCount(), 11);

    sub->showMaximized();
    EXPECT_EQ(s.w->OpenLoggerGraph(), logger);
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_EQ(s.graphWindows(), 2);

    s.w->Unsaved().LoggerDataUnsaved = true;
    s.answers.choices = {Answer::Cancel, Answer::No};
    sub->close();
    EXPECT_TRUE(s.w->LoggerWindow);
    EXPECT_TRUE(s.w->Unsaved().LoggerDataUnsaved);
    sub->close();
    EXPECT_TRUE(waitFor([&] { return s.w->LoggerWindow.isNull(); }, 2000));
    EXPECT_FALSE(s.w->Unsaved().LoggerDataUnsaved);
    EXPECT_TRUE(s.w->RealTimeWindow); // the other window is not touched
}

TEST(GraphShell, ToolButtonsAreTheirMenuCommands)
{
    PrivateSettings settings;
    TfrmMain w({}, nullptr, &noSystemDevices);
    const std::pair<QToolButton*, QAction*> pairs[] = {
        {w.btnRun, w.Run1},         {w.btnStop, w.Stop1},         {w.SpeedButton1, w.Open1},
        {w.SpeedButton2, w.Save1},  {w.btnPrint, w.Print1},       {w.btnDataLogger, w.LoadData1},
        {w.SpeedButton8, w.Contents1},
    };
    for (const auto& [button, action] : pairs) {
        EXPECT_EQ(button->defaultAction(), action) << button->objectName().toStdString();
        action->setEnabled(false);
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
        action->setEnabled(true);
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    }
    EXPECT_EQ(w.btnRun->objectName(), "btnRun");
    EXPECT_EQ(w.btnRun->toolTip(), "Start Graphing Real Time Data");
    EXPECT_EQ(w.Run1->text(), "Run");
}

TEST(GraphShell, LinkStatesSwitchTheCommandsByTheRecordingState)
{
    Shell s;
    TfrmMain& w = *s.w;
    TfrmGraph* rt = w.RealTimeWindow;
    ASSERT_NE(rt, nullptr);
    const auto* noConnection = w.PanelWindow->findChild<QLabel*>("lblNoConnection");
    ASSERT_NE(noConnection, nullptr);

    for (const bool recording : {false, true}) {
        w.Recorder().RealTimeRecording = recording;
        w.MeterConnected("/dev/ttyUSB3");
        EXPECT_EQ(w.StatusText(0), "/dev/ttyUSB3");
        EXPECT_EQ(w.StatusText(1), "On Connection");
        EXPECT_TRUE(w.LoadData1->isEnabled());
        EXPECT_TRUE(w.btnDataLogger->isEnabled());
        EXPECT_FALSE(noConnection->isVisibleTo(w.PanelWindow));
        EXPECT_EQ(w.btnRun->isEnabled(), !recording);
        EXPECT_EQ(w.Stop1->isEnabled(), recording);
        EXPECT_EQ(rt->tbntClr->isEnabled(), !recording);

        w.MeterLost("/dev/ttyUSB3");
        EXPECT_EQ(w.StatusText(1), "Off Connection");
        EXPECT_FALSE(w.Run1->isEnabled());
        EXPECT_FALSE(w.btnStop->isEnabled());
        EXPECT_FALSE(w.btnDataLogger->isEnabled());
        EXPECT_TRUE(noConnection->isVisibleTo(w.PanelWindow));
        EXPECT_EQ(rt->tbntClr->isEnabled(), !recording); // a loss leaves Clear as it was
    }
}

TEST(GraphShell, AnnotationColourComesFromTheSettingsAndIsWrittenAtTheEnd)
{
    Shell s([](Settings& stored) { stored.AnnoColor = 0x00FF8000; });
    EXPECT_EQ(s.w->Annotations().AnnoColor, qRgb(0xFF, 0x80, 0x00));
    EXPECT_EQ(s.w->Annotations().AnnotationCounter, 3);
    s.w->Annotations().AnnoColor = qRgb(0, 0x40, 0xFF);
    s.w->close();
    EXPECT_EQ(Settings::Read().AnnoColor, 0x000040FF);
}

TEST(GraphShell, OneCancelKeepsTheProgramOpen)
{
    Shell s;
    TfrmGraph* logger = s.w->OpenLoggerGraph();
    ASSERT_NE(logger, nullptr);
    s.w->Unsaved().RealTimeUnsaved = true;
    s.w->Unsaved().LoggerDataUnsaved = true;

    // Each question is asked with its window active in front (the logger window, opened last,
    // hides the real-time one at first).
    QList<QMdiSubWindow*> activeWhenAsked;
    UserPrompts prompts = s.answers.prompts();
    prompts.choice = [&, ask = prompts.choice](const QString& t) {
        activeWhenAsked << s.w->MdiArea->activeSubWindow();
        return ask(t);
    };
    s.w->SetPrompts(prompts);
    ASSERT_EQ(s.w->MdiArea->activeSubWindow(), s.sub(logger));

    // The real-time window is answered No, the logger window Cancel: nothing closes.
    s.answers.choices = {Answer::No, Answer::Cancel};
    s.w->Exit1->trigger();
    EXPECT_EQ(activeWhenAsked, (QList<QMdiSubWindow*>{s.sub(s.w->RealTimeWindow), s.sub(logger)}));
    EXPECT_TRUE(s.w->isVisible());
    EXPECT_TRUE(s.w->RealTimeWindow);
    EXPECT_TRUE(s.w->LoggerWindow);
    EXPECT_TRUE(s.w->PanelWindow);
    EXPECT_TRUE(s.w->MainTimer->isActive());
    EXPECT_EQ(s.answers.asked, (QStringList{"Save Real-Time Graph ?", "Save DataLogger Data ?"}));
    // The No for the real-time graph did not count: it still holds unsaved samples.
    EXPECT_TRUE(s.w->Unsaved().RealTimeUnsaved);

    // Yes, but the save dialog is cancelled, so nothing was saved: still open.
    QStringList dialogs;
    s.w->Files().SetDialogRunner([&](QDialog& d) {
        dialogs << d.objectName();
        return int(QDialog::Rejected);
    });
    s.answers.choices = {Answer::Yes};
    s.w->close();
    EXPECT_TRUE(s.w->isVisible());
    EXPECT_TRUE(s.w->Unsaved().RealTimeUnsaved);
    EXPECT_EQ(dialogs, QStringList{"SaveDialog1"});

    // Each window is asked once; both No: the program ends in order.
    s.answers.asked.clear();
    s.answers.choices = {Answer::No, Answer::No};
    s.w->close();
    EXPECT_FALSE(s.w->isVisible());
    EXPECT_EQ(s.answers.asked.size(), 2);
    EXPECT_FALSE(s.w->MainTimer->isActive());
}

// Closing the main window while the search still tries a device: the splash closes, the event
// loop ends and the program ends with exit code 0.
TEST(GraphShell, ClosingDuringTheStartUpSearchEndsTheProgramCleanly)
{
    PrivateSettings settings;
    PlainPty a, b, c;
    QPointer<TfrmAbout> splash = new TfrmAbout(TfrmAbout::Mode::Splash);
    splash->ShowSplash();
    ScriptedPrompts answers;
    auto w = std::make_unique<TfrmMain>(QStringList{a.path(), b.path(), c.path()}, nullptr,
                                        &noSystemDevices);
    w->SetPrompts(answers.prompts());
    w->SetSplash(splash);
    w->show();

    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (splash && splash->Label4->text().startsWith("Searching Meter on ")) {
            closer.stop();
            w->close();
        }
    });
    closer.start(20);
    // Were the program to stay alive, this ends the loop with a failure code instead.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    watchdog.start(20000);
    const int code = QApplication::exec();
    watchdog.stop();

    EXPECT_EQ(code, 0);
    EXPECT_TRUE(!splash || !splash->isVisible());
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->StartupDone());
    EXPECT_FALSE(w->MainTimer->isActive());
    EXPECT_FALSE(w->Port1().Active());
    EXPECT_LE(a.received().size(), 10); // the search stopped at the first device
    EXPECT_TRUE(b.received().isEmpty());
    EXPECT_TRUE(c.received().isEmpty());
}
